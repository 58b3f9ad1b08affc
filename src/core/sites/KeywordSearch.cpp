#include "sites/KeywordSearch.h"

#include "store/DateText.h"
#include "store/Query.h"

namespace KeywordSearch {

const QList<Item> &items()
{
    static const QList<Item> list = {
        {QStringLiteral("网站编号"), QStringLiteral("web_id"), false},
        {QStringLiteral("网站名称"), QStringLiteral("web_name"), false},
        {QStringLiteral("网站地址"), QStringLiteral("web_address"), false},
        {QStringLiteral("网站联系人"), QStringLiteral("web_linkman"), false},
        {QStringLiteral("网站申请日期"), QStringLiteral("web_time"), true},
        {QStringLiteral("网站到期日期"), QStringLiteral("web_endtime"), true},
        {QStringLiteral("域名申请日期"), QStringLiteral("web_domaintime"), true},
        {QStringLiteral("域名到期日期"), QStringLiteral("web_enddomaintime"), true},
    };
    return list;
}

int defaultItem()
{
    return 7;
}

Result find(const Query &list, const Item &item, const QString &keyword)
{
    const QString wanted = keyword.trimmed();
    Result result;
    if (item.isDate) {
        const QDate date = DateText::parse(wanted);
        if (!date.isValid()) {
            result.usable = false;
            return result;
        }
        if (!list.isOpen())
            return result;
        // The list gives dates back as date text, so one canonical form compares exactly.
        const QString text = DateText::format(date);
        result.row = list.find(item.field, [&text](const QString &value) { return value == text; });
        return result;
    }
    if (!list.isOpen())
        return result;
    if (wanted.isEmpty())
        result.row = list.find(item.field, [](const QString &value) { return value.isEmpty(); });
    else
        result.row = list.find(item.field, [&wanted](const QString &value) {
            return value.startsWith(wanted, Qt::CaseInsensitive);
        });
    return result;
}

} // namespace KeywordSearch
