#pragma once

#include "legacy/JetReader.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

// Fills a new register (made from the schema) with the rows of the two Jet tables and
// checks it: row counts, the integrity check, and every value read back as written.
// A value that cannot be carried over is left empty and listed in leftOut(); every
// other failure is a JetConversionError naming the table, row and column that did not fit.
class JetRegisterWriter
{
public:
    explicit JetRegisterWriter(const QString &registerPath);
    ~JetRegisterWriter();
    JetRegisterWriter(const JetRegisterWriter &) = delete;
    JetRegisterWriter &operator=(const JetRegisterWriter &) = delete;

    void write(const JetTable &sites, const JetTable &settings);

    // A value the new register holds as empty; the original keeps it.
    struct LeftOut
    {
        QString table;
        int row = 0;        // 1-based, in the order the old register gave its rows
        QString siteNumber; // the row's web_id; empty for the settings
        QString column;
        QString reason;
    };
    const QList<LeftOut> &leftOut() const { return m_leftOut; }

    enum class Kind { Whole, Date, Scrambled, Text };
    struct Column
    {
        QString name;
        Kind kind = Kind::Text;
        int jetIndex = -1;
    };
    using Plan = QList<Column>;
    using Rows = QList<QVariantList>;

private:
    QSqlDatabase database() const;
    Plan plan(const JetTable &table) const;
    Rows convert(const JetTable &table, const Plan &plan);
    void insert(const QString &table, const Plan &plan, const Rows &rows);
    void verify(const QString &table, const Plan &plan, const Rows &rows) const;
    void checkIntegrity() const;

    QString m_name;
    QList<LeftOut> m_leftOut;
};
