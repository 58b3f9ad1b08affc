#pragma once

#include "export/ExportGrid.h"

#include <QColor>
#include <QString>

// The look and text of one data cell, refilled by the walk for every cell.
struct CellParams
{
    ExportAlignment Alignment = ExportAlignment::Center;
    QColor Background;
    ExportFont Font;
    QString Text;
};
