#include "platform/PrivateFonts.h"

#include "platform/ProgramFolder.h"

#include <QFont>
#include <QFontDatabase>

QStringList PrivateFonts::fileNames()
{
    return {QStringLiteral("msyh.TTF"), QStringLiteral("msyhbd.TTF")};
}

void PrivateFonts::add()
{
    for (const QString &name : fileNames()) {
        const int id = QFontDatabase::addApplicationFont(ProgramFolder::file(name));
        if (id >= 0)
            m_ids.append(id);
    }
    // Without the files the windows' family falls back to an installed CJK font.
    QFont::insertSubstitutions(QStringLiteral("微软雅黑"),
                               {QStringLiteral("Microsoft YaHei"), QStringLiteral("WenQuanYi Micro Hei"),
                                QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Droid Sans Fallback")});
}

void PrivateFonts::remove()
{
    for (int id : m_ids)
        QFontDatabase::removeApplicationFont(id);
    m_ids.clear();
}
