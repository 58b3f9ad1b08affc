#include "gui/WindowHelpers.h"

#include <QApplication>

#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextDocument>
#include <QWidget>

namespace WindowHelpers {

void setCloseBoxFrame(QWidget *window, bool stayOnTop)
{
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (stayOnTop)
        flags |= Qt::WindowStaysOnTopHint;
    window->setWindowFlags(flags);
}

QFont boldFont()
{
    QFont font(QStringLiteral("微软雅黑"));
    font.setPixelSize(13);
    font.setBold(true);
    return font;
}

void centreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
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

QString exactText(const QPlainTextEdit *editor)
{
    return editor->document()->toRawText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
}

WaitCursor::WaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor()
{
    QApplication::restoreOverrideCursor();
}

} // namespace WindowHelpers
