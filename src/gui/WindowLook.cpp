#include "gui/WindowLook.h"

#include <QWidget>

namespace WindowLook {

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

} // namespace WindowLook
