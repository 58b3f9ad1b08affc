#include "store/RowIds.h"

#include <QList>
#include <QRegularExpression>
#include <QStringList>

namespace RowIds {

namespace {

const QString RowIdField = QStringLiteral("corvane_rowid");

QString rowIdColumn(bool server)
{
    return server ? QStringLiteral("id") : QStringLiteral("rowid");
}

} // namespace

// On a server the sites also come in the order of their ids, as SQLite gives them: the server
// would list a site it has just saved last.
QString selectWithRowIds(const QString &sql, QString &table, bool server)
{
    static const QRegularExpression single(
        QStringLiteral("^\\s*select\\s+(.+?)\\s+from\\s+(\\w+)(\\s+where\\s.*)?\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = single.match(sql);
    // Aggregates and distinct rows have no single row behind them.
    static const QRegularExpression distinct(QStringLiteral("^distinct\\b"),
                                             QRegularExpression::CaseInsensitiveOption);
    table.clear();
    if (!match.hasMatch() || match.captured(1).contains(QLatin1Char('(')) ||
        distinct.match(match.captured(1)).hasMatch())
        return sql;
    // Only the sites have an id on a server.
    if (server && match.captured(2).compare(QLatin1String("t_webinfo"), Qt::CaseInsensitive) != 0)
        return sql;
    table = match.captured(2);
    const QString select = QStringLiteral("select ") + rowIdColumn(server) + QStringLiteral(" as ") +
                           RowIdField + QStringLiteral(", ") + sql.mid(match.capturedStart(1));
    static const QRegularExpression ordered(QStringLiteral("\\border\\s+by\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    if (!server || ordered.match(sql).hasMatch())
        return select;
    return select + QStringLiteral(" order by id");
}

QString deleteRows(const QString &table, int count, bool server)
{
    const QString marks = QStringList(QList<QString>(count, QStringLiteral("?"))).join(u',');
    return QStringLiteral("delete from %1 where %2 in (%3)").arg(table, rowIdColumn(server), marks);
}

} // namespace RowIds
