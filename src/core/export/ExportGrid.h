#pragma once

#include <QColor>
#include <QString>

// What the export writers see of a grid: columns with their look and bound field,
// and a dataset walked row by row. The program's site grid implements it; tests
// implement it over plain tables, so the writers never see a widget.

enum class ExportAlignment { Left, Right, Center };

struct ExportFont
{
    QString name;
    int pixelHeight = 13; // character height in pixels
    QColor color = Qt::black;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

// Data type of a bound field, as far as the writers care.
enum class FieldType {
    String,
    Memo,
    Date,
    Time,
    DateTime,
    Boolean,
    Int16,
    Int32,
    UInt16,
    AutoInc,
    Int64,
    Float,
    Currency,
    Bcd,
    FmtBcd,
    Other
};

struct ExportColumn
{
    QString caption;
    ExportAlignment titleAlignment = ExportAlignment::Center;
    ExportFont titleFont;
    QColor titleColor;
    int width = 64; // current width in pixels
    ExportAlignment alignment = ExportAlignment::Center;
    QColor color;
    ExportFont font;
    FieldType fieldType = FieldType::String;
};

class ExportGrid
{
public:
    virtual ~ExportGrid() = default;

    // Visible columns in display order.
    virtual int columnCount() const = 0;
    virtual ExportColumn column(int index) const = 0;

    // The colour the titles are painted on.
    virtual QColor fixedColor() const = 0;
    virtual int pixelsPerInch() const { return 96; }

    // The dataset behind the grid.
    virtual void first() = 0;
    virtual void next() = 0;
    virtual bool atEnd() const = 0;
    // The site number of the current record, by which a message names the row.
    virtual QString recordName() const = 0;
    // Current record of the current row, for the bound field of a column.
    virtual QString displayText(int column) const = 0;
    virtual bool isNull(int column) const = 0;
    virtual qint64 integerValue(int column) const = 0; // throws when the value is no whole number
    virtual double floatValue(int column) const = 0;   // throws when the value is no number

    // Keeps the current record and the rows in view across the walk.
    virtual void savePosition() = 0;
    virtual void restorePosition() = 0;
    // Stops repainting and scrolling while the walk moves the current record.
    virtual void suspendUpdates() = 0;
    virtual void resumeUpdates() = 0;
};
