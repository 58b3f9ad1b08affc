#pragma once

#include <QFont>

class QWidget;

// What the program's own windows share in their frame and lettering.
namespace WindowLook {

// A title bar with the system menu and a close box only: no minimise, no maximise.
void setCloseBoxFrame(QWidget *window, bool stayOnTop);
// Bold 13-pixel 微软雅黑, the lettering of the working windows and their grids.
QFont boldFont();

} // namespace WindowLook
