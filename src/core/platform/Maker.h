#pragma once

#include <QString>

// The maker's contact details: the one place every notice and contact block takes them from.
namespace Maker {
QString name();
QString webAddress();
QString email();
QString instantMessaging(); // QQ number

// "\r\r在线帮助\r网站：…\r邮箱：…", appended to several failure messages.
QString contactBlock();
// "\r帮助网站：…\r帮助QQ：…", the shorter form.
QString shortContactBlock();
} // namespace Maker
