#pragma once

#include "export/ExportGrid.h"
#include "gui/SiteGridModel.h"

#include <QList>
#include <QTableView>

class Query;

// The site list of the main and the expiry window: whole rows, cells centred and
// read-only, teal titles, and the grid's own Ctrl+Delete. It is also what the
// export writers walk.
class SiteGrid : public QTableView, public ExportGrid
{
    Q_OBJECT
public:
    explicit SiteGrid(QWidget *parent = nullptr);

    // The main list's eight columns.
    static QList<GridColumn> mainListColumns();

    void setQuery(Query *query);
    Query *query() const { return m_model->query(); }
    void setColumns(const QList<GridColumn> &columns);
    // Several rows (Ctrl and Shift clicks) or one row at a time.
    void setMultiSelect(bool multi);

    // Shows the query's rows as they are now; the first row becomes current and selected.
    void reload();
    int rowCount() const { return m_model->rowCount(); }
    // -1 when there is no current row.
    int currentRow() const;
    void setCurrentRow(int row);
    // A field of the current row as text; "" when there is no current row.
    QString currentText(const QString &field) const;
    // Selected rows, ascending.
    QList<int> selectedRowNumbers() const;
    // Deletes these rows from the list and from the register, one after another.
    // Throws StoreError; the rows deleted before the failure stay deleted.
    void deleteRows(QList<int> rows);

    // ExportGrid
    int columnCount() const override;
    ExportColumn column(int index) const override;
    QColor fixedColor() const override;
    int pixelsPerInch() const override;
    void first() override;
    void next() override;
    bool atEnd() const override;
    QString recordName() const override;
    QString displayText(int column) const override;
    bool isNull(int column) const override;
    qint64 integerValue(int column) const override;
    double floatValue(int column) const override;
    void savePosition() override;
    void restorePosition() override;
    void suspendUpdates() override;
    void resumeUpdates() override;

signals:
    // The connection was closed under the loaded list (a compaction): the grid shows no rows
    // now, and asks for the list to be read again once whatever closed it has finished with
    // the register; row is the row that was current.
    void rowsLost();
    void readAgainWanted(int row);
    void gridDoubleClicked();
    // A right button press over the rows; the window opens its menu there.
    void menuRequested(const QPoint &globalPos);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void connectionClosed();
    void gridDelete();
    void afterRowsChanged(int current, int scroll);
    QString fieldOf(int column) const;
    void resolveWalkColumns();
    ExportFont exportFont(const QFont &font, const QColor &color) const;

    SiteGridModel *m_model;
    // The grid shows the rows of an open query; a closed connection makes it ask for them again.
    bool m_loaded = false;
    bool m_readAgainAsked = false;
    int m_savedRow = -1;
    int m_savedScroll = 0;
    int m_savedHorizontal = 0;
    // The result column of each grid column (-1: none) and the query's current row during a
    // walk; no columns outside one.
    QList<int> m_walkColumns;
    int m_walkRow = 0;
};
