#include "legacy/JetRegisterWriter.h"

#include "legacy/JetConversionError.h"
#include "legacy/JetStream.h"
#include "legacy/JetValues.h"
#include "store/BoundValue.h"
#include "store/Columns.h"
#include "store/DateText.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <algorithm>

namespace {

using Kind = JetRegisterWriter::Kind;

const QString sitesTable = QStringLiteral("t_webinfo");

Kind kindOf(const QString &column)
{
    if (Columns::isWholeNumber(column))
        return Kind::Whole;
    if (Columns::isDate(column))
        return Kind::Date;
    if (Columns::isScrambled(column))
        return Kind::Scrambled;
    return Kind::Text;
}

bool typeFits(Kind kind, int type)
{
    switch (kind) {
    case Kind::Whole:
        return type == JetStream::ByteType || type == JetStream::IntType || type == JetStream::LongType ||
               type == JetStream::TextType;
    case Kind::Date:
        return type == JetStream::DateTimeType;
    case Kind::Scrambled:
    case Kind::Text:
        return type == JetStream::TextType || type == JetStream::MemoType;
    }
    return false;
}

QVariant nullOf(Kind kind)
{
    switch (kind) {
    case Kind::Whole:
        return QVariant(QMetaType::fromType<qlonglong>());
    case Kind::Scrambled:
        return QVariant(QMetaType::fromType<QByteArray>());
    default:
        return QVariant(QMetaType::fromType<QString>());
    }
}

// The register's form of one Jet value; an empty reason means it fits.
QVariant convertValue(const JetValue &value, int type, Kind kind, QString &reason)
{
    if (!value.present)
        return nullOf(kind);
    QString text;
    if (type == JetStream::TextType || type == JetStream::MemoType) {
        if (!JetValues::decodeText(value.bytes, text)) {
            reason = QStringLiteral("文本无法识别");
            return QVariant();
        }
    }
    switch (kind) {
    case Kind::Whole: {
        qint64 number = 0;
        bool ok = false;
        if (type == JetStream::TextType)
            number = text.trimmed().toLongLong(&ok);
        else
            ok = JetValues::decodeWhole(value.bytes, type, number);
        if (!ok)
            reason = QStringLiteral("不是整数");
        return QVariant(qlonglong(number));
    }
    case Kind::Date: {
        QDate date;
        if (!JetValues::decodeDate(value.bytes, date))
            reason = QStringLiteral("日期超出范围");
        return QVariant(DateText::toIso(date));
    }
    case Kind::Scrambled: {
        QByteArray bytes;
        if (!JetValues::encodeCodePage936(text, bytes))
            reason = QStringLiteral("含有无法还原的字符");
        return QVariant(bytes);
    }
    case Kind::Text:
        return QVariant(text);
    }
    return QVariant();
}

bool sameValue(const QVariant &expected, const QVariant &actual, Kind kind)
{
    if (expected.isNull() || actual.isNull())
        return expected.isNull() && actual.isNull();
    switch (kind) {
    case Kind::Whole:
        return actual.toLongLong() == expected.toLongLong();
    case Kind::Scrambled:
        return actual.typeId() == QMetaType::QByteArray && actual.toByteArray() == expected.toByteArray();
    default:
        return actual.typeId() == QMetaType::QString && actual.toString() == expected.toString();
    }
}

// The store names the column it refused in its message ("UNIQUE constraint failed: t_webinfo.web_id").
QString refusedColumn(const QString &error, const JetRegisterWriter::Plan &plan)
{
    for (const JetRegisterWriter::Column &column : plan) {
        const QRegularExpression word(QStringLiteral("\\b%1\\b").arg(column.name));
        if (word.match(error).hasMatch())
            return column.name;
    }
    return QString();
}

QString refusal(const QString &error)
{
    if (error.contains(QLatin1String("UNIQUE")))
        return QStringLiteral("与前面的记录重复");
    if (error.contains(QLatin1String("NOT NULL")))
        return QStringLiteral("不能为空");
    if (error.contains(QLatin1String("CHECK")))
        return QStringLiteral("不是有效的日期");
    return QStringLiteral("新数据库拒绝写入（%1）").arg(error);
}

QString idText(const JetRegisterWriter::Plan &plan, const QVariantList &row)
{
    for (int i = 0; i < plan.size(); ++i) {
        if (plan[i].name == QLatin1String("id") && !row.value(i).isNull())
            return QString::number(row[i].toLongLong());
    }
    return QString();
}

bool isIdentity(const QString &column)
{
    return column == QLatin1String("id") || column == QLatin1String("web_id");
}

// Identity columns come first in the plan, so a row's site number is known before its other values.
QString siteNumber(const JetRegisterWriter::Plan &plan, const QVariantList &row)
{
    for (int i = 0; i < plan.size() && i < row.size(); ++i) {
        if (plan[i].name == QLatin1String("web_id"))
            return row[i].toString();
    }
    return QString();
}

} // namespace

JetRegisterWriter::JetRegisterWriter(const QString &registerPath)
    : m_name(QStringLiteral("jet-import-") + QUuid::createUuid().toString())
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    db.setDatabaseName(registerPath);
    if (!db.open())
        throw JetConversionError(QStringLiteral("无法打开新数据库文件（%1）").arg(db.lastError().text()));
}

JetRegisterWriter::~JetRegisterWriter()
{
    QSqlDatabase::database(m_name, false).close();
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase JetRegisterWriter::database() const
{
    return QSqlDatabase::database(m_name, false);
}

void JetRegisterWriter::write(const JetTable &sites, const JetTable &settings)
{
    const Plan sitePlan = plan(sites);
    const Plan settingPlan = plan(settings);
    const Rows siteRows = convert(sites, sitePlan);
    const Rows settingRows = convert(settings, settingPlan);
    QSqlDatabase db = database();
    if (!db.transaction())
        throw JetConversionError(QStringLiteral("无法写入新数据库文件（%1）").arg(db.lastError().text()));
    QSqlQuery clear(db);
    // The new register comes with a default settings row; the old one takes its place.
    if (!clear.exec(QStringLiteral("delete from t_set")))
        throw JetConversionError(QStringLiteral("无法写入新数据库文件（%1）").arg(clear.lastError().text()));
    insert(sites.name, sitePlan, siteRows);
    insert(settings.name, settingPlan, settingRows);
    if (!db.commit())
        throw JetConversionError(QStringLiteral("无法写入新数据库文件（%1）").arg(db.lastError().text()));
    verify(sites.name, sitePlan, siteRows);
    verify(settings.name, settingPlan, settingRows);
    checkIntegrity();
}

// Every register column must come from a Jet column of a fitting type, and every Jet
// column must have a place in the register: a column left behind would be lost.
JetRegisterWriter::Plan JetRegisterWriter::plan(const JetTable &table) const
{
    if (!table.found)
        throw JetConversionError(QStringLiteral("缺少表 ") + table.name);
    if (quint32(table.rows.size()) != table.declaredRows)
        throw JetConversionError::at(
            table.name, 0, QString(), QString(),
            QStringLiteral("读到 %1 行，文件记载 %2 行").arg(table.rows.size()).arg(table.declaredRows));
    QSqlQuery info(database());
    info.exec(QStringLiteral("pragma table_info(%1)").arg(table.name));
    Plan plan;
    while (info.next()) {
        Column column;
        column.name = info.value(1).toString();
        // The register's own bookkeeping, which a Jet table never had: every site starts at its default.
        if (column.name == QLatin1String("version"))
            continue;
        column.kind = kindOf(column.name);
        column.jetIndex = table.columnIndex(column.name);
        if (column.jetIndex < 0)
            throw JetConversionError::at(table.name, 0, QString(), column.name,
                                         QStringLiteral("旧版数据库缺少此列"));
        if (!typeFits(column.kind, table.columns[column.jetIndex].type))
            throw JetConversionError::at(table.name, 0, QString(), column.name, QStringLiteral("类型不符"));
        plan << column;
    }
    if (plan.isEmpty())
        throw JetConversionError(QStringLiteral("新数据库缺少表 ") + table.name);
    for (const JetColumn &jet : table.columns) {
        const bool placed = std::any_of(plan.cbegin(), plan.cend(), [&](const Column &column) {
            return column.name.compare(jet.name, Qt::CaseInsensitive) == 0;
        });
        if (!placed)
            throw JetConversionError::at(table.name, 0, QString(), jet.name,
                                         QStringLiteral("新数据库中没有此列"));
    }
    return plan;
}

JetRegisterWriter::Rows JetRegisterWriter::convert(const JetTable &table, const Plan &plan)
{
    Rows rows;
    rows.reserve(table.rows.size());
    for (int r = 0; r < table.rows.size(); ++r) {
        QVariantList row;
        row.reserve(plan.size());
        for (const Column &column : plan) {
            const int type = table.columns[column.jetIndex].type;
            QString reason;
            row << convertValue(table.rows[r][column.jetIndex], type, column.kind, reason);
            if (column.name == QLatin1String("id") && row.last().isNull() && reason.isEmpty())
                reason = QStringLiteral("编号为空");
            if (reason.isEmpty())
                continue;
            // A row without its identity cannot be told apart from the others.
            if (isIdentity(column.name))
                throw JetConversionError::at(table.name, r + 1, idText(plan, row), column.name, reason);
            row.last() = nullOf(column.kind);
            m_leftOut << LeftOut{table.name, r + 1, siteNumber(plan, row), column.name, reason};
        }
        rows << row;
    }
    return rows;
}

void JetRegisterWriter::insert(const QString &table, const Plan &plan, const Rows &rows)
{
    QStringList names;
    for (const Column &column : plan)
        names << column.name;
    QSqlQuery query(database());
    const QString marks = QStringLiteral("?,").repeated(plan.size()).chopped(1);
    if (!query.prepare(QStringLiteral("insert into %1(%2) values(%3)").arg(table, names.join(u','), marks)))
        throw JetConversionError(QStringLiteral("无法写入新数据库文件（%1）").arg(query.lastError().text()));
    for (int r = 0; r < rows.size(); ++r) {
        for (int i = 0; i < plan.size(); ++i)
            query.bindValue(i, boundValue(rows[r][i]));
        if (!query.exec()) {
            const QString error = query.lastError().text();
            throw JetConversionError::at(table, r + 1, idText(plan, rows[r]), refusedColumn(error, plan),
                                         refusal(error));
        }
    }
}

void JetRegisterWriter::verify(const QString &table, const Plan &plan, const Rows &rows) const
{
    QStringList names;
    for (const Column &column : plan)
        names << column.name;
    Rows expected = rows;
    // The sites come back in id order (their rowid); the settings in the order written.
    const int idAt = names.indexOf(QStringLiteral("id"));
    if (idAt >= 0) {
        std::sort(expected.begin(), expected.end(), [idAt](const QVariantList &a, const QVariantList &b) {
            return a[idAt].toLongLong() < b[idAt].toLongLong();
        });
    }
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("select %1 from %2 order by rowid").arg(names.join(u','), table)))
        throw JetConversionError(QStringLiteral("新数据库检查未通过（%1）").arg(query.lastError().text()));
    int r = 0;
    for (; query.next(); ++r) {
        if (r >= expected.size())
            break;
        for (int i = 0; i < plan.size(); ++i) {
            if (!sameValue(expected[r][i], query.value(i), plan[i].kind))
                throw JetConversionError::at(table, 0, idText(plan, expected[r]), plan[i].name,
                                             QStringLiteral("新数据库中的值与原值不同"));
        }
    }
    if (r != expected.size() || query.next())
        throw JetConversionError::at(table, 0, QString(), QString(),
                                     QStringLiteral("新数据库的行数与原表不同"));
}

void JetRegisterWriter::checkIntegrity() const
{
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("pragma integrity_check")) || !query.next() ||
        query.value(0).toString() != QLatin1String("ok") || query.next())
        throw JetConversionError(QStringLiteral("新数据库完整性检查未通过"));
}
