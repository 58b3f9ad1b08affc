#pragma once

#include <QString>

class QPlainTextEdit;
class QWidget;

// What the add and the modify/detail window share as windows.
namespace RecordWindow {

// Always on top, fixed border, only a close box; not modal.
void setFrame(QWidget *window);
void centreOnScreen(QWidget *window);
// The remark exactly as it stands in the editor; the editor's plain-text form would
// turn non-breaking spaces into spaces.
QString memoText(const QPlainTextEdit *memo);

} // namespace RecordWindow
