#pragma once

#include <QFont>
#include <QString>

class QPlainTextEdit;
class QWidget;

// What the program's windows share in frame, lettering and placement.
namespace WindowHelpers {

// A title bar with the system menu and a close box only: no minimise, no maximise.
void setCloseBoxFrame(QWidget *window, bool stayOnTop);
// Bold 13-pixel 微软雅黑, the lettering of the working windows and their grids.
QFont boldFont();

// Centres a top-level window, frame included, on the available area of its screen.
void centreOnScreen(QWidget *window);
// Shows a notice window centred, or only brings it forward when it is already up.
void showOrRaise(QWidget *window);

// The text exactly as it stands in the editor; the editor's plain-text form would turn
// non-breaking spaces into spaces.
QString exactText(const QPlainTextEdit *editor);

// The busy pointer while a slow step runs (a compaction, a key derived from a password).
class WaitCursor
{
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace WindowHelpers
