#pragma once

#include "gui/Notice.h"

#include <QObject>

#include <optional>

class QMenu;
class QSystemTrayIcon;

// The program's icon in the notification area: a double click asks for the main window,
// a right click opens the tray menu.
class TrayIcon : public QObject
{
    Q_OBJECT
public:
    explicit TrayIcon(QObject *parent = nullptr);
    ~TrayIcon() override;

    // Registering an icon that is already there changes nothing.
    void registerIcon();
    void removeIcon();
    // A message beside the icon, as the desktop shows one (a balloon or a notification).
    void showMessage(const QString &title, const QString &text);

    // Whether the desktop has a notification area to send the main window to.
    static bool desktopHasTray();
    // Tests decide it themselves; std::nullopt asks the desktop again.
    static void setDesktopHasTrayForTesting(std::optional<bool> available);

signals:
    void showRequested();
    void quitRequested();
    void noticeRequested(Notice notice);
    void messageClicked();

private:
    QSystemTrayIcon *m_icon;
    QMenu *m_menu;
};
