#pragma once

#include <QSettings>

// The program's settings for this user: ~/.config/corvane/corvane.conf, or where XDG_CONFIG_HOME
// says.
class UserSettings : public QSettings
{
public:
    UserSettings()
        : QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("corvane"),
                    QStringLiteral("corvane"))
    {
    }
};
