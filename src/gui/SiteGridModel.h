#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>

class Query;

// One column of a site grid: the result field it shows, its title and its design width.
struct GridColumn
{
    QString field;
    QString title;
    int width = 64;
};

// Read-only table over an open Query. Texts are taken from the query only when a
// cell is painted, so a list of 100,000 rows costs no more than the query itself.
// The query is not a QObject: whoever reopens, closes or deletes through it calls
// reload() so the views see the new row count.
class SiteGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit SiteGridModel(QObject *parent = nullptr);

    void setQuery(Query *query);
    Query *query() const { return m_query; }
    void setColumns(const QList<GridColumn> &columns);
    QList<GridColumn> columns() const { return m_columns; }

    // Takes the query's rows as they are now.
    void reload();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    // Result column of a grid column, or -1 when the result lacks its field.
    int resultColumn(int gridColumn) const;
    void resolveColumns();

    Query *m_query = nullptr;
    QList<GridColumn> m_columns;
    QList<int> m_resultColumns;
    int m_rowCount = 0;
};
