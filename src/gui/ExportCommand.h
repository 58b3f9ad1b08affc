#pragma once

class ExportGrid;
class QWidget;

// The export button of a window: asks for a file and a type, writes the whole
// grid and reports the outcome. lastFilterIndex is the window's remembered
// file type (1-based, starting at 1), updated when the user picks one.
void runExportCommand(QWidget *window, ExportGrid &grid, int &lastFilterIndex);
