#pragma once

#include <QList>
#include <QString>

// The two font files beside the executable, usable only while the program runs.
class PrivateFonts
{
public:
    // Adds msyh.TTF and msyhbd.TTF from the program folder; a missing file is silently skipped.
    void add();
    // Removes them again, in the order they were added.
    void remove();
    int addedCount() const { return int(m_ids.size()); }

    static QStringList fileNames();

private:
    QList<int> m_ids;
};
