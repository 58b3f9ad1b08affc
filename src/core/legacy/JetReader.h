#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One value of a Jet row: absent (NULL) or the raw bytes the file keeps.
struct JetValue
{
    bool present = false;
    QByteArray bytes;
};

struct JetColumn
{
    QString name;
    int type = 0; // JetStream::Type
};

struct JetTable
{
    QString name;
    bool found = false;
    QList<JetColumn> columns;
    quint32 declaredRows = 0; // the count the file keeps for the table
    QList<QList<JetValue>> rows;

    int columnIndex(const QString &column) const;
};

// Reads tables of a Jet file through corvane-jet-reader, a process of its own, so that
// a damaged file that makes libmdb crash only fails the reading.
namespace JetReader {

// Throws JetConversionError when the reader cannot be started, crashes, runs too long,
// or reports a row or value it cannot read.
QList<JetTable> read(const QString &path, const QStringList &tables);

// The reader beside the executable, else the installed one; tests point at the built one.
QString program();
void setProgram(const QString &path);

} // namespace JetReader
