#pragma once

#include <QList>
#include <QString>

class Query;

// The search bar of the site lists: finds the first loaded row whose chosen column
// matches a keyword, without asking the register again.
namespace KeywordSearch {

struct Item
{
    QString caption; // as the drop-down list shows it
    QString field;
    bool isDate = false;
};

// The eight searchable columns, in the drop-down list's order.
const QList<Item> &items();
// The item selected when the window opens ("域名到期日期").
int defaultItem();

struct Result
{
    bool usable = true; // false: the keyword cannot be read for this column (a date column and no date)
    int row = -1;       // first matching row, -1 when none
};

// Text columns match when they begin with the trimmed keyword, letter case ignored
// (an empty keyword matches only an empty value); date columns when they hold the
// keyword's date. The keyword is taken literally, whatever characters it holds.
Result find(const Query &list, const Item &item, const QString &keyword);

} // namespace KeywordSearch
