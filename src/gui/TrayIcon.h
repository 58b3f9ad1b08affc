#pragma once

#include <QObject>

#include <optional>

class QMenu;
class QSystemTrayIcon;
class QWidget;
class QWindowStateChangeEvent;

// The main window's icon in the notification area: a double click brings the main
// window back, a right click opens the tray menu PopupMenu1.
class TrayIcon : public QObject
{
    Q_OBJECT
public:
    explicit TrayIcon(QObject *parent = nullptr);
    ~TrayIcon() override;

    // Registering an icon that is already there changes nothing.
    void registerIcon();
    void removeIcon();
    bool isRegistered() const;
    QString toolTip() const;
    QMenu *menu() const { return m_menu; }

    // The main window's close request: the window and the ad board go to the tray,
    // or, where the desktop has no tray, the window is minimised so it stays reachable.
    void sendToTray(QWidget *window);
    // Shows the window and the ad board again, restored and in front.
    void bringBack(QWidget *window);
    // A window restored from the task bar brings the ad board back with it.
    void windowStateChanged(QWidget *window, const QWindowStateChangeEvent *change);

    // Whether the desktop has a notification area to send the main window to.
    static bool desktopHasTray();
    // Tests decide it themselves; std::nullopt asks the desktop again.
    static void setDesktopHasTrayForTesting(std::optional<bool> available);

    // Tray actions, also reachable from the menu items N1, N3, N19, N13.
    void onDoubleClick();
    void N1Click();
    void N3Click();
    void N19Click();
    void N13Click();

private:
    QSystemTrayIcon *m_icon;
    QMenu *m_menu;
};
