#include "gui/RenewalCommand.h"

#include "gui/Dialogs.h"
#include "store/DateText.h"
#include "store/StoreError.h"

#include <QMenu>

namespace {

const QString Caption = QStringLiteral("续费");

QString yearsInWords(int years)
{
    static const QStringList numbers = {QStringLiteral("一"), QStringLiteral("两"), QStringLiteral("三"),
                                        QStringLiteral("四"), QStringLiteral("五"), QStringLiteral("六"),
                                        QStringLiteral("七"), QStringLiteral("八"), QStringLiteral("九"),
                                        QStringLiteral("十")};
    return numbers.value(years - 1) + QStringLiteral("年");
}

} // namespace

namespace RenewalCommand {

QString dateLabel(Renewal::Kind kind)
{
    return kind == Renewal::Kind::Hosting ? QStringLiteral("网站空间到期时间")
                                          : QStringLiteral("网站域名到期时间");
}

void run(QWidget *window, Query &query, const QString &address, Renewal::Kind kind, const QDate &shown,
         int years, const std::function<void(const Renewal::Result &)> &outcome, const QString &changedNote)
{
    const QString label = dateLabel(kind);
    Renewal::Result result;
    try {
        result = Renewal::renew(query, address, kind, shown, years);
    } catch (const StoreError &) {
        Dialogs::error(window, Caption, QStringLiteral("数据修改出错"));
        return;
    }
    outcome(result);
    switch (result.outcome) {
    case Renewal::Outcome::Renewed:
        Dialogs::notice(window, Caption,
                        QStringLiteral("续费成功\r") + label + QStringLiteral("：") +
                            DateText::format(result.renewed));
        break;
    case Renewal::Outcome::NoDate:
        Dialogs::error(window, Caption, label + QStringLiteral("为空或无法读取，无法续费"));
        break;
    case Renewal::Outcome::Changed:
        Dialogs::error(window, Caption,
                       QStringLiteral("续费未保存：此网站已被删除，或") + label + QStringLiteral("已被修改") +
                           changedNote);
        break;
    }
}

QMenu *yearsMenu(QWidget *parent, const QString &prefix, int fewest, std::function<void(int years)> chosen)
{
    auto *menu = new QMenu(parent);
    for (int years = fewest; years <= Renewal::MostYears; ++years) {
        QAction *entry = menu->addAction(prefix + yearsInWords(years));
        QObject::connect(entry, &QAction::triggered, menu, [chosen, years] { chosen(years); });
    }
    return menu;
}

} // namespace RenewalCommand
