#include "gui/WindowPlacement.h"

#include <QRect>
#include <QScreen>
#include <QWidget>

namespace WindowPlacement {

void centreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen();
    if (!screen)
        return;
    // Before the first showing the frame is unknown and adds nothing.
    const QSize frame = window->frameGeometry().size() - window->geometry().size();
    QRect outer(QPoint(), window->size() + frame);
    outer.moveCenter(screen->availableGeometry().center());
    window->move(outer.topLeft());
}

void showOrRaise(QWidget *window)
{
    if (!window->isVisible()) {
        centreOnScreen(window);
        window->show();
        // Centred again now that the frame may be known.
        centreOnScreen(window);
    }
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    window->activateWindow();
}

} // namespace WindowPlacement
