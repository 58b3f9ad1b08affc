#include "platform/Maker.h"

namespace Maker {

QString name()
{
    return QStringLiteral("Corvane 开发组");
}

QString webAddress()
{
    return QStringLiteral("www.corvane.cn");
}

QString email()
{
    return QStringLiteral("support@corvane.cn");
}

QString instantMessaging()
{
    return QStringLiteral("800019850");
}

QString contactBlock()
{
    return QStringLiteral("\r\r在线帮助\r网站：") + webAddress() + QStringLiteral("\r邮箱：") + email();
}

QString shortContactBlock()
{
    return QStringLiteral("\r帮助网站：") + webAddress() + QStringLiteral("\r帮助QQ：") + instantMessaging();
}

} // namespace Maker
