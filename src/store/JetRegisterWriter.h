#pragma once

#include "store/JetReader.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

// Fills a new register (made from the schema) with the rows of the two Jet tables and
// checks it: row counts, the integrity check, and every value read back as written.
// Every failure is a JetConversionError naming the table, row and column that did not fit.
class JetRegisterWriter
{
public:
    explicit JetRegisterWriter(const QString &registerPath);
    ~JetRegisterWriter();
    JetRegisterWriter(const JetRegisterWriter &) = delete;
    JetRegisterWriter &operator=(const JetRegisterWriter &) = delete;

    void write(const JetTable &sites, const JetTable &settings);

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
    Rows convert(const JetTable &table, const Plan &plan) const;
    void insert(const QString &table, const Plan &plan, const Rows &rows);
    void verify(const QString &table, const Plan &plan, const Rows &rows) const;
    void checkIntegrity() const;

    QString m_name;
};
