#include "gui/TrayIcon.h"

#include "app/Globals.h"
#include "gui/HelpNotice.h"
#include "gui/AdBoard.h"
#include "gui/UpgradeNotice.h"
#include "gui/MainWindow.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QWindowStateChangeEvent>

namespace {

std::optional<bool> &trayOverride()
{
    static std::optional<bool> value;
    return value;
}

// The application's icon when one is set; otherwise a plain mark, since a tray
// entry without an icon is not shown at all.
QIcon programIcon()
{
    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull())
        return icon;
    QPixmap mark(32, 32);
    mark.fill(Qt::transparent);
    QPainter painter(&mark);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0, 128, 128));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(22);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(mark.rect(), Qt::AlignCenter, QStringLiteral("C"));
    painter.end();
    return QIcon(mark);
}

QAction *addItem(QMenu *menu, const char *name, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

QAction *addSeparator(QMenu *menu, const char *name)
{
    QAction *separator = menu->addSeparator();
    separator->setObjectName(QLatin1String(name));
    return separator;
}

} // namespace

TrayIcon::TrayIcon(QObject *parent) : QObject(parent), m_icon(new QSystemTrayIcon(this)), m_menu(new QMenu)
{
    m_menu->setObjectName(QStringLiteral("PopupMenu1"));
    connect(addItem(m_menu, "N1", QStringLiteral("显示主界面")), &QAction::triggered, this,
            &TrayIcon::N1Click);
    addSeparator(m_menu, "N2");
    connect(addItem(m_menu, "N3", QStringLiteral("退出软件")), &QAction::triggered, this, &TrayIcon::N3Click);
    addSeparator(m_menu, "N14");
    connect(addItem(m_menu, "N19", QStringLiteral("在线升级")), &QAction::triggered, this,
            &TrayIcon::N19Click);
    connect(addItem(m_menu, "N13", QStringLiteral("在线帮助")), &QAction::triggered, this,
            &TrayIcon::N13Click);

    m_icon->setIcon(programIcon());
    m_icon->setToolTip(QStringLiteral("双击显示主界面"));
    m_icon->setContextMenu(m_menu);
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // A single click and the other buttons do nothing; the menu opens by itself.
        if (reason == QSystemTrayIcon::DoubleClick)
            onDoubleClick();
    });
}

TrayIcon::~TrayIcon()
{
    delete m_menu;
}

void TrayIcon::registerIcon()
{
    m_icon->show();
}

void TrayIcon::removeIcon()
{
    m_icon->hide();
}

bool TrayIcon::isRegistered() const
{
    return m_icon->isVisible();
}

QString TrayIcon::toolTip() const
{
    return m_icon->toolTip();
}

void TrayIcon::sendToTray(QWidget *window)
{
    Form8->hide();
    if (desktopHasTray())
        window->hide();
    else
        window->showMinimized();
}

void TrayIcon::bringBack(QWidget *window)
{
    window->show();
    Form8->show();
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    window->activateWindow();
}

void TrayIcon::windowStateChanged(QWidget *window, const QWindowStateChangeEvent *change)
{
    if ((change->oldState() & Qt::WindowMinimized) && !(window->windowState() & Qt::WindowMinimized) &&
        window->isVisible())
        Form8->show();
}

bool TrayIcon::desktopHasTray()
{
    if (trayOverride())
        return *trayOverride();
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::setDesktopHasTrayForTesting(std::optional<bool> available)
{
    trayOverride() = available;
}

void TrayIcon::onDoubleClick()
{
    Form1->showFromTray();
}

void TrayIcon::N1Click()
{
    Form1->showFromTray();
}

void TrayIcon::N3Click()
{
    Form1->quitProgram();
}

void TrayIcon::N19Click()
{
    // As the main window's "在线升级" button.
    Form9->showNotice();
}

void TrayIcon::N13Click()
{
    Form7->showNotice();
}
