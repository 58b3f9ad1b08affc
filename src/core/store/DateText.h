#pragma once

#include <QDate>
#include <QString>

// Date text is year, month and day without leading zeros joined by "-" (2011-3-7);
// the register keeps ISO dates (2011-03-07).
namespace DateText {
// Reads "Y-M-D" (blanks around it allowed, leading zeros allowed); an invalid date when it is none.
QDate parse(const QString &text);
QString format(const QDate &date); // 2011-3-7
QString toIso(const QDate &date);  // 2011-03-07
QDate fromIso(const QString &iso);
// Date text of a stored ISO value; "" for an empty value.
QString fromStored(const QString &iso);
} // namespace DateText
