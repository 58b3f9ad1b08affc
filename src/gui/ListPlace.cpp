#include "gui/ListPlace.h"

#include "gui/SiteGrid.h"
#include "store/Query.h"

#include <QScrollBar>

namespace {

const QString SiteNumber = QStringLiteral("web_id");
const QString Address = QStringLiteral("web_address");

// Site numbers and addresses are unique whatever their letter case.
int rowWith(const Query &list, const QString &field, const QString &value)
{
    if (value.isEmpty() || !list.hasField(field))
        return -1;
    return list.find(
        field, [&value](const QString &listed) { return listed.compare(value, Qt::CaseInsensitive) == 0; });
}

} // namespace

ListPlace::ListPlace(const SiteGrid &grid)
    : m_siteNumber(grid.currentText(SiteNumber)), m_address(grid.currentText(Address)),
      m_row(grid.currentRow()), m_scroll(grid.verticalScrollBar()->value()),
      m_horizontalScroll(grid.horizontalScrollBar()->value())
{
}

int ListPlace::rowIn(const SiteGrid &grid) const
{
    const Query *list = grid.query();
    if (!list || !list->isOpen())
        return -1;
    int row = rowWith(*list, SiteNumber, m_siteNumber);
    if (row < 0)
        row = rowWith(*list, Address, m_address);
    return row >= 0 ? row : qMin(m_row, grid.rowCount() - 1);
}

void ListPlace::restore(SiteGrid &grid) const
{
    // The view stays where it was; it moves only when the site itself went out of sight.
    grid.verticalScrollBar()->setValue(m_scroll);
    grid.horizontalScrollBar()->setValue(m_horizontalScroll);
    grid.setCurrentRow(rowIn(grid));
}
