#pragma once

#include <QString>
#include <QStringList>

// How the register keeps each column, by name.
namespace Columns {
bool isDate(const QString &column);
bool isScrambled(const QString &column);
bool isWholeNumber(const QString &column);
QStringList dateColumns();
QStringList scrambledColumns();
} // namespace Columns
