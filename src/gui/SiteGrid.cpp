#include "gui/SiteGrid.h"

#include "export/ExportError.h"
#include "gui/Dialogs.h"
#include "gui/WindowHelpers.h"
#include "store/Columns.h"
#include "store/Connection.h"
#include "store/Query.h"
#include "store/StoreError.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

namespace {

const QColor TitleColor(0, 128, 128);

} // namespace

SiteGrid::SiteGrid(QWidget *parent) : QTableView(parent), m_model(new SiteGridModel(this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setFont(WindowHelpers::boldFont());
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(22);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    // The selection stays as visible when the grid loses the focus.
    QPalette look = palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        look.setColor(QPalette::Inactive, role, look.color(QPalette::Active, role));
    setPalette(look);

    connect(
        selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &current) {
            if (current.isValid() && query() && query()->isOpen() && current.row() < query()->recordCount())
                query()->moveTo(current.row());
        });
}

QList<GridColumn> SiteGrid::mainListColumns()
{
    return {
        {QStringLiteral("web_id"), QStringLiteral("网站编号"), 125},
        {QStringLiteral("web_name"), QStringLiteral("网站名称"), 224},
        {QStringLiteral("web_address"), QStringLiteral("网站地址"), 271},
        {QStringLiteral("web_login"), QStringLiteral("网站后台地址"), 241},
        {QStringLiteral("web_time"), QStringLiteral("空间申请日期"), 155},
        {QStringLiteral("web_endtime"), QStringLiteral("空间到期日期"), 152},
        {QStringLiteral("web_domaintime"), QStringLiteral("域名申请日期"), 152},
        {QStringLiteral("web_enddomaintime"), QStringLiteral("域名到期日期"), 138},
    };
}

void SiteGrid::setQuery(Query *query)
{
    m_model->setQuery(query);
    m_loaded = query && query->isOpen();
    if (query)
        connect(query->connection(), &Connection::closed, this, &SiteGrid::connectionClosed,
                Qt::UniqueConnection);
}

void SiteGrid::connectionClosed()
{
    if (!m_loaded || m_readAgainAsked)
        return;
    const int row = currentRow();
    reload();
    emit rowsLost();
    m_readAgainAsked = true;
    QMetaObject::invokeMethod(
        this,
        [this, row] {
            m_readAgainAsked = false;
            emit readAgainWanted(row);
        },
        Qt::QueuedConnection);
}

void SiteGrid::setColumns(const QList<GridColumn> &columns)
{
    m_model->setColumns(columns);
    for (int i = 0; i < columns.size(); ++i)
        setColumnWidth(i, columns.at(i).width);
}

void SiteGrid::setMultiSelect(bool multi)
{
    setSelectionMode(multi ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

void SiteGrid::reload()
{
    m_model->reload();
    m_loaded = query() && query()->isOpen();
    // The row the actions will take is the one the user sees selected.
    if (rowCount() > 0)
        selectionModel()->setCurrentIndex(m_model->index(0, 0),
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

int SiteGrid::currentRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void SiteGrid::setCurrentRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    const QModelIndex index = m_model->index(row, qMax(0, currentIndex().column()));
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

QString SiteGrid::currentText(const QString &field) const
{
    const int row = currentRow();
    if (row < 0 || !query() || !query()->isOpen() || row >= query()->recordCount())
        return QString();
    return query()->textAt(row, field);
}

QList<int> SiteGrid::selectedRowNumbers() const
{
    QList<int> rows;
    const QModelIndexList selected = selectionModel()->selectedRows();
    rows.reserve(selected.size());
    for (const QModelIndex &index : selected)
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void SiteGrid::deleteRows(QList<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    const int current = currentRow();
    const int scroll = verticalScrollBar()->value();
    const auto removedBefore =
        int(std::count_if(rows.cbegin(), rows.cend(), [current](int row) { return row < current; }));
    try {
        query()->deleteRows(rows);
    } catch (...) {
        // Nothing was deleted.
        afterRowsChanged(current, scroll);
        throw;
    }
    // The row that took the place of a deleted current row becomes current, as in a dataset.
    afterRowsChanged(current - removedBefore, scroll);
}

void SiteGrid::afterRowsChanged(int current, int scroll)
{
    m_model->reload();
    if (rowCount() == 0)
        return;
    const int row = std::clamp(current, 0, rowCount() - 1);
    selectionModel()->setCurrentIndex(m_model->index(row, 0), QItemSelectionModel::NoUpdate);
    verticalScrollBar()->setValue(scroll);
}

void SiteGrid::gridDelete()
{
    Query *list = query();
    if (!list || !list->isOpen() || list->recordCount() == 0)
        return;
    QList<int> rows = selectedRowNumbers();
    const QString question =
        rows.size() < 2 ? QStringLiteral("Delete record?") : QStringLiteral("Delete all selected records?");
    if (!Dialogs::confirm(this, QStringLiteral("Confirm"), question))
        return;
    if (rows.isEmpty() && currentRow() >= 0)
        rows << currentRow();
    try {
        deleteRows(rows);
    } catch (...) {
        // A delete the register refused is not passed over in silence.
        Dialogs::error(this, QStringLiteral("提示"), QStringLiteral("数据删除出错"));
    }
}

void SiteGrid::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete && (event->modifiers() & Qt::ControlModifier)) {
        gridDelete();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void SiteGrid::mousePressEvent(QMouseEvent *event)
{
    // A right press opens the window's menu and leaves the selection as it is,
    // since the menu's delete works on that selection.
    if (event->button() == Qt::RightButton) {
        emit menuRequested(event->globalPosition().toPoint());
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void SiteGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit gridDoubleClicked();
}

void SiteGrid::contextMenuEvent(QContextMenuEvent *event)
{
    // The mouse opened the menu on the press already; this is the menu key.
    if (event->reason() == QContextMenuEvent::Keyboard) {
        const QRect cell = visualRect(currentIndex());
        const QPoint at = cell.isValid() ? cell.center() : viewport()->rect().center();
        emit menuRequested(viewport()->mapToGlobal(at));
    }
    event->accept();
}

// What the export writers see.

QString SiteGrid::fieldOf(int column) const
{
    const QList<GridColumn> columns = m_model->columns();
    if (column < 0 || column >= columns.size())
        throw ExportError("no such grid column");
    return columns.at(column).field;
}

ExportFont SiteGrid::exportFont(const QFont &font, const QColor &color) const
{
    ExportFont result;
    result.name = font.family();
    result.pixelHeight =
        font.pixelSize() > 0 ? font.pixelSize() : qRound(font.pointSizeF() * logicalDpiY() / 72.0);
    result.color = color;
    result.bold = font.bold();
    result.italic = font.italic();
    result.underline = font.underline();
    result.strikeOut = font.strikeOut();
    return result;
}

int SiteGrid::columnCount() const
{
    return m_model->columnCount();
}

ExportColumn SiteGrid::column(int index) const
{
    const GridColumn &source = m_model->columns().at(index);
    ExportColumn result;
    result.caption = source.title;
    result.titleAlignment = ExportAlignment::Center;
    QFont titleFont = font();
    titleFont.setBold(true);
    result.titleFont = exportFont(titleFont, Qt::white);
    result.titleColor = TitleColor;
    result.width = columnWidth(index);
    result.alignment = ExportAlignment::Center;
    result.color = palette().color(QPalette::Base);
    result.font = exportFont(font(), palette().color(QPalette::Text));
    result.fieldType = Columns::isDate(source.field) ? FieldType::Date : FieldType::String;
    return result;
}

// The colour the look paints the titles in. The palette's button colour, which the
// style sheet leaves near white, would hide the white titles of an exported page.
QColor SiteGrid::fixedColor() const
{
    return TitleColor;
}

int SiteGrid::pixelsPerInch() const
{
    return logicalDpiX();
}

void SiteGrid::first()
{
    // The export writes the rows the user sees or nothing: rows shown but no longer held
    // (a connection closed under the grid) would be left out without a word.
    if (!query() || !query()->isOpen() || query()->recordCount() != rowCount())
        throw ExportError("the rows shown are no longer readable");
    resolveWalkColumns();
    query()->first();
    m_walkRow = 0;
}

// A walk reads every cell of every row: the fields are looked up by name once, not per cell.
// A field the result lacks fails where it is read, as it always has.
void SiteGrid::resolveWalkColumns()
{
    m_walkColumns.clear();
    for (const GridColumn &column : m_model->columns()) {
        try {
            m_walkColumns << query()->columnOf(column.field);
        } catch (const StoreError &) {
            m_walkColumns << -1;
        }
    }
}

void SiteGrid::next()
{
    if (query() && query()->isOpen()) {
        query()->next();
        ++m_walkRow;
    }
}

bool SiteGrid::atEnd() const
{
    return !query() || !query()->isOpen() || query()->eof();
}

QString SiteGrid::recordName() const
{
    return query()->text(QStringLiteral("web_id"));
}

QString SiteGrid::displayText(int column) const
{
    const int resultColumn = column >= 0 && column < m_walkColumns.size() ? m_walkColumns.at(column) : -1;
    if (resultColumn < 0 || query()->eof())
        return query()->text(fieldOf(column));
    return query()->textAt(m_walkRow, resultColumn);
}

bool SiteGrid::isNull(int column) const
{
    return query()->isNull(fieldOf(column));
}

qint64 SiteGrid::integerValue(int column) const
{
    bool ok = false;
    const qint64 value = displayText(column).trimmed().toLongLong(&ok);
    if (!ok)
        throw ExportError("not a whole number");
    return value;
}

double SiteGrid::floatValue(int column) const
{
    bool ok = false;
    const double value = displayText(column).trimmed().toDouble(&ok);
    if (!ok)
        throw ExportError("not a number");
    return value;
}

void SiteGrid::savePosition()
{
    m_walkColumns.clear();
    m_savedRow = currentRow();
    m_savedScroll = verticalScrollBar()->value();
    m_savedHorizontal = horizontalScrollBar()->value();
}

void SiteGrid::restorePosition()
{
    m_walkColumns.clear();
    if (query() && query()->isOpen() && m_savedRow >= 0 && m_savedRow < query()->recordCount())
        query()->moveTo(m_savedRow);
    if (m_savedRow >= 0 && m_savedRow < rowCount() && currentRow() != m_savedRow)
        selectionModel()->setCurrentIndex(m_model->index(m_savedRow, 0), QItemSelectionModel::NoUpdate);
    verticalScrollBar()->setValue(m_savedScroll);
    horizontalScrollBar()->setValue(m_savedHorizontal);
}

void SiteGrid::suspendUpdates()
{
    setUpdatesEnabled(false);
}

void SiteGrid::resumeUpdates()
{
    setUpdatesEnabled(true);
}
