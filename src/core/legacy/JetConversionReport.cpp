#include "legacy/JetConversionReport.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStringList>

namespace JetConversionReport {

namespace {

// A message box has room for this many; the text file holds them all.
constexpr int shownInNotice = 20;

// The field as the windows name it, so that the user finds it again.
QString fieldName(const QString &column)
{
    static const QHash<QString, QString> names{
        {QStringLiteral("web_name"), QStringLiteral("网站名称")},
        {QStringLiteral("web_address"), QStringLiteral("网站地址")},
        {QStringLiteral("web_login"), QStringLiteral("后台地址")},
        {QStringLiteral("web_user"), QStringLiteral("后台用户")},
        {QStringLiteral("web_pass"), QStringLiteral("后台密码")},
        {QStringLiteral("web_ip"), QStringLiteral("网站IP")},
        {QStringLiteral("web_size"), QStringLiteral("网站容量")},
        {QStringLiteral("web_domain"), QStringLiteral("网站域名")},
        {QStringLiteral("web_domainuser"), QStringLiteral("域名用户")},
        {QStringLiteral("web_domainpass"), QStringLiteral("域名密码")},
        {QStringLiteral("web_linkman"), QStringLiteral("联系人")},
        {QStringLiteral("web_dbname"), QStringLiteral("数据库名")},
        {QStringLiteral("web_dbsize"), QStringLiteral("数据库容量")},
        {QStringLiteral("web_dbip"), QStringLiteral("数据库地址")},
        {QStringLiteral("web_dbuser"), QStringLiteral("数据库用户名")},
        {QStringLiteral("web_dbpass"), QStringLiteral("数据库密码")},
        {QStringLiteral("web_dbtype"), QStringLiteral("数据库类型")},
        {QStringLiteral("web_time"), QStringLiteral("网站空间购买日期")},
        {QStringLiteral("web_endtime"), QStringLiteral("网站空间到期时间")},
        {QStringLiteral("web_domaintime"), QStringLiteral("网站域名申请时间")},
        {QStringLiteral("web_enddomaintime"), QStringLiteral("网站域名到期时间")},
        {QStringLiteral("web_remark"), QStringLiteral("备注信息")},
        {QStringLiteral("web_alarm"), QStringLiteral("空间到期提前提醒")},
        {QStringLiteral("domain_alarm"), QStringLiteral("域名到期提前提醒")},
    };
    const QString name = names.value(column.toLower());
    return name.isEmpty() ? column : name + QStringLiteral("（") + column + QStringLiteral("）");
}

// "网站编号 20110308101010，后台用户（web_user）：含有无法还原的字符"
QString line(const JetRegisterWriter::LeftOut &value)
{
    QString place;
    if (value.table.compare(QLatin1String("t_set"), Qt::CaseInsensitive) == 0)
        place = QStringLiteral("提醒设置");
    else if (!value.siteNumber.isEmpty())
        place = QStringLiteral("网站编号 ") + value.siteNumber;
    else
        place = QStringLiteral("第 %1 行网站").arg(value.row);
    return place + QStringLiteral("，") + fieldName(value.column) + QStringLiteral("：") + value.reason;
}

} // namespace

QString listPath(const QString &kept)
{
    const QFileInfo info(kept);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".txt"));
}

QByteArray listText(const QString &kept, const LeftOut &leftOut)
{
    QStringList lines{
        QStringLiteral("旧版数据库转换时，以下 %1 项内容无法转换，在新数据库中为空。").arg(leftOut.size()),
        QStringLiteral("原数据库文件中仍有这些内容：") + QDir::toNativeSeparators(kept), QString()};
    for (const JetRegisterWriter::LeftOut &value : leftOut)
        lines << line(value);
    return (lines.join(u'\n') + u'\n').toUtf8();
}

QString notice(const QString &kept, const QString &list, const LeftOut &leftOut)
{
    QStringList lines{QStringLiteral("数据库文件已从旧版格式转换为新格式。"),
                      QStringLiteral("原数据库文件已保留为：") + QDir::toNativeSeparators(kept)};
    if (leftOut.isEmpty())
        return lines.join(u'\r');
    lines << QStringLiteral("以下 %1 项内容无法转换，在新数据库中为空，原数据库文件中仍有保留：")
                 .arg(leftOut.size());
    for (int i = 0; i < leftOut.size() && i < shownInNotice; ++i)
        lines << line(leftOut[i]);
    if (leftOut.size() > shownInNotice)
        lines << QStringLiteral("……其余 %1 项见清单文件。").arg(leftOut.size() - shownInNotice);
    lines << QStringLiteral("清单已保存为：") + QDir::toNativeSeparators(list);
    return lines.join(u'\r');
}

} // namespace JetConversionReport
