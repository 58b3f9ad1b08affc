#include "gui/TrayIcon.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>

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

} // namespace

TrayIcon::TrayIcon(QObject *parent) : QObject(parent), m_icon(new QSystemTrayIcon(this)), m_menu(new QMenu)
{
    m_menu->setObjectName(QStringLiteral("trayMenu"));
    connect(addItem(m_menu, "showMainWindowItem", QStringLiteral("显示主界面")), &QAction::triggered, this,
            &TrayIcon::showRequested);
    m_menu->addSeparator();
    connect(addItem(m_menu, "quitItem", QStringLiteral("退出软件")), &QAction::triggered, this,
            &TrayIcon::quitRequested);
    m_menu->addSeparator();
    connect(addItem(m_menu, "upgradeItem", QStringLiteral("在线升级")), &QAction::triggered, this,
            [this] { emit noticeRequested(Notice::Upgrade); });
    connect(addItem(m_menu, "helpItem", QStringLiteral("在线帮助")), &QAction::triggered, this,
            [this] { emit noticeRequested(Notice::Help); });

    m_icon->setIcon(programIcon());
    m_icon->setToolTip(QStringLiteral("双击显示主界面"));
    m_icon->setContextMenu(m_menu);
    connect(m_icon, &QSystemTrayIcon::messageClicked, this, &TrayIcon::messageClicked);
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // A single click and the other buttons do nothing; the menu opens by itself.
        if (reason == QSystemTrayIcon::DoubleClick)
            emit showRequested();
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

void TrayIcon::showMessage(const QString &title, const QString &text)
{
    m_icon->showMessage(title, text, QSystemTrayIcon::Information);
}

void TrayIcon::removeIcon()
{
    m_icon->hide();
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
