#pragma once

#include "export/ExportGrid.h"

#include <QList>
#include <QStringList>
#include <QVariant>

#include <stdexcept>

// A grid over plain rows for the writer tests. A cell holding an invalid
// QVariant is a null field; failAtRow makes reading that row fail, as a broken
// dataset would. It records what the walk does to its position and updates.
class TableGrid : public ExportGrid
{
public:
    QList<ExportColumn> columns;
    QList<QVariantList> rows;
    QColor fixed = QColor(212, 208, 200);
    int ppi = 96;
    int failAtRow = -1;

    int current = 0;
    int savedRow = -1;
    int suspended = 0;
    int resumed = 0;
    int restored = 0;

    static ExportColumn siteColumn(const QString &caption, int width, FieldType type = FieldType::String)
    {
        ExportColumn column;
        column.caption = caption;
        column.width = width;
        column.fieldType = type;
        column.titleColor = QColor(0, 128, 128);
        column.titleFont = {QStringLiteral("微软雅黑"), 13, Qt::white, true};
        column.color = QColor(255, 255, 255);
        column.font = {QStringLiteral("微软雅黑"), 13, QColor(0, 0, 0), true};
        return column;
    }

    // The site number and site name columns at these widths, over these rows.
    static TableGrid siteNumberAndName(int numberWidth, int nameWidth, const QList<QVariantList> &rows)
    {
        TableGrid grid;
        grid.columns = {siteColumn(QStringLiteral("网站编号"), numberWidth, FieldType::Int32),
                        siteColumn(QStringLiteral("网站名称"), nameWidth)};
        grid.rows = rows;
        return grid;
    }

    int columnCount() const override { return int(columns.size()); }
    ExportColumn column(int index) const override { return columns.at(index); }
    QColor fixedColor() const override { return fixed; }
    int pixelsPerInch() const override { return ppi; }

    void first() override { current = 0; }
    void next() override { ++current; }
    bool atEnd() const override { return current >= rows.size(); }

    // The first column holds the site number, as in the program's grids.
    QString recordName() const override { return displayText(0); }
    QString displayText(int column) const override { return value(column).toString(); }
    bool isNull(int column) const override { return !value(column).isValid(); }
    qint64 integerValue(int column) const override
    {
        bool ok = false;
        const qint64 result = value(column).toLongLong(&ok);
        if (!ok)
            throw std::runtime_error("not a whole number");
        return result;
    }
    double floatValue(int column) const override
    {
        bool ok = false;
        const double result = value(column).toDouble(&ok);
        if (!ok)
            throw std::runtime_error("not a number");
        return result;
    }

    void savePosition() override { savedRow = current; }
    void restorePosition() override
    {
        current = savedRow;
        ++restored;
    }
    void suspendUpdates() override { ++suspended; }
    void resumeUpdates() override { ++resumed; }

private:
    QVariant value(int column) const
    {
        if (current == failAtRow)
            throw std::runtime_error("the field cannot be read");
        return rows.at(current).at(column);
    }
};
