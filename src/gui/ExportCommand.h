#pragma once

class Connection;
class ExportGrid;
class QWidget;

// The export button of a window: asks for a file and a type, writes the whole
// grid and reports the outcome. lastFilterIndex is the window's remembered
// file type (1-based, starting at 1), updated when the user picks one.
void runExportCommand(QWidget *window, ExportGrid &grid, int &lastFilterIndex);

// "导出日历": asks for an .ics file and writes the whole register's calendar into it,
// reporting the outcome as the export does.
void runCalendarExportCommand(QWidget *window, Connection *connection);
