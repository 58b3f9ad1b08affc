#pragma once

#include <QString>

class SiteGrid;

// Where a list stood before it was read again: its current site and how far it was scrolled.
// The list comes back to the same site, found by its site number or else its address (another
// desk may have changed either), or, when the site is gone, to the nearest row.
class ListPlace
{
public:
    explicit ListPlace(const SiteGrid &grid);
    void restore(SiteGrid &grid) const;

private:
    int rowIn(const SiteGrid &grid) const;

    QString m_siteNumber;
    QString m_address;
    int m_row;
    int m_scroll;
    int m_horizontalScroll;
};
