#include "store/DateLiterals.h"

#include "store/DateText.h"
#include "store/StoreError.h"

#include <QRegularExpression>

namespace DateLiterals {

QString translate(const QString &sql)
{
    static const QRegularExpression literal(QStringLiteral("#([^#]*)#"));
    QString result;
    qsizetype last = 0;
    auto it = literal.globalMatch(sql);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        const QDate date = DateText::parse(match.captured(1));
        if (!date.isValid())
            throw StoreError(QStringLiteral("not a date: ") + match.captured(1));
        result += sql.mid(last, match.capturedStart() - last);
        result += QLatin1Char('\'') + DateText::toIso(date) + QLatin1Char('\'');
        last = match.capturedEnd();
    }
    result += sql.mid(last);
    return result;
}

} // namespace DateLiterals
