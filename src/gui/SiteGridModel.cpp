#include "gui/SiteGridModel.h"

#include "store/Query.h"

SiteGridModel::SiteGridModel(QObject *parent) : QAbstractTableModel(parent) {}

void SiteGridModel::setQuery(Query *query)
{
    m_query = query;
    reload();
}

void SiteGridModel::setColumns(const QList<GridColumn> &columns)
{
    beginResetModel();
    m_columns = columns;
    resolveColumns();
    endResetModel();
}

void SiteGridModel::reload()
{
    beginResetModel();
    resolveColumns();
    m_rowCount = (m_query && m_query->isOpen()) ? m_query->recordCount() : 0;
    endResetModel();
}

void SiteGridModel::resolveColumns()
{
    m_resultColumns.clear();
    const bool open = m_query && m_query->isOpen();
    for (const GridColumn &column : std::as_const(m_columns)) {
        int index = -1;
        if (open && m_query->hasField(column.field))
            index = m_query->columnOf(column.field);
        m_resultColumns << index;
    }
}

int SiteGridModel::resultColumn(int gridColumn) const
{
    return gridColumn >= 0 && gridColumn < m_resultColumns.size() ? m_resultColumns.at(gridColumn) : -1;
}

int SiteGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int SiteGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant SiteGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return QVariant();
    const int column = resultColumn(index.column());
    // The connection may have been closed under the grid (a compaction); such a
    // row is drawn empty until the next reload instead of failing the paint.
    if (column < 0 || !m_query || !m_query->isOpen() || index.row() >= m_query->recordCount())
        return QString();
    try {
        return m_query->textAt(index.row(), column);
    } catch (...) {
        return QString();
    }
}

QVariant SiteGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return m_columns.at(section).title;
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return QVariant();
}

Qt::ItemFlags SiteGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}
