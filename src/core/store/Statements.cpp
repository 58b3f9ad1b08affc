#include "store/Statements.h"

namespace Statements {

const QString MainList = QStringLiteral(
    "select web_id,web_name,web_address,web_login,web_time,web_endtime,web_domaintime,web_enddomaintime,"
    "web_linkman from t_webinfo");
const QString AddressLookup = QStringLiteral("select id from t_webinfo where web_address=:web_address");
const QString SiteNumberLookup = QStringLiteral("select id from t_webinfo where web_id=:web_id");
const QString InsertSite = QStringLiteral(
    "insert into "
    "t_webinfo(web_id,web_name,web_address,web_login,web_user,web_pass,web_ip,web_size,web_domain,"
    "web_domainuser,web_domainpass,web_linkman,web_dbname,web_dbsize,web_dbip,web_dbuser,web_dbpass,"
    "web_domaintime,web_enddomaintime,web_time,web_endtime,web_remark,web_dbtype) "
    "values(:web_id,:web_name,:web_address,:web_login,:web_user,:web_pass,:web_ip,:web_size,:web_domain,"
    ":web_domainuser,:web_domainpass,:web_linkman,:web_dbname,:web_dbsize,:web_dbip,:web_dbuser,:web_dbpass,"
    ":web_domaintime,:web_enddomaintime,:web_time,:web_endtime,:web_remark,:web_dbtype)");
const QString SaveNewSiteCredentials = QStringLiteral(
    "update t_webinfo set web_user=:web_user,web_pass=:web_pass,web_domainuser=:web_domainuser,"
    "web_domainpass=:web_domainpass,web_dbname=:web_dbname,web_dbip=:web_dbip,web_dbuser=:web_dbuser,"
    "web_dbpass=:web_dbpass where id=:id");
const QString LoadSite = QStringLiteral("select * from t_webinfo where web_address=:web_address");
const QString SaveSiteSection = QStringLiteral(
    "update t_webinfo set web_name=:web_name,web_login=:web_login,web_user=:web_user,web_pass=:web_pass,"
    "web_ip=:web_ip,web_domain=:web_domain,web_domainuser=:web_domainuser,web_domainpass=:web_domainpass,"
    "web_linkman=:web_linkman,web_size=:web_size,version=version+1 where id=:id and web_address=:web_address "
    "and version=:version");
const QString SaveDatabaseSection = QStringLiteral(
    "update t_webinfo set web_dbname=:web_dbname,web_dbsize=:web_dbsize,web_dbip=:web_dbip,"
    "web_dbuser=:web_dbuser,web_dbpass=:web_dbpass,web_dbtype=:web_dbtype,version=version+1 where id=:id and "
    "web_address=:web_address and version=:version");
const QString SaveDateSection = QStringLiteral(
    "update t_webinfo set web_time=:web_time,web_endtime=:web_endtime,web_domaintime=:web_domaintime,"
    "web_enddomaintime=:web_enddomaintime,version=version+1 where id=:id and web_address=:web_address and "
    "version=:version");
const QString SaveRemark = QStringLiteral("update t_webinfo set web_remark=:web_remark,version=version+1 "
                                          "where id=:id and web_address=:web_address and version=:version");
const QString ReadLeadTimes = QStringLiteral("select web_alarm,domain_alarm from t_set");
const QString WriteLeadTimes =
    QStringLiteral("update t_set set web_alarm=:web_alarm,domain_alarm=:domain_alarm");
const QString InsertLeadTimes =
    QStringLiteral("insert into t_set(web_alarm,domain_alarm) values(:web_alarm,:domain_alarm)");
const QString CountHostingDue =
    QStringLiteral("select count(*) from t_webinfo where web_endtime<=:web_endtime");
const QString CountDomainDue =
    QStringLiteral("select count(*) from t_webinfo where web_enddomaintime<=:web_enddomaintime");
const QString EarliestHostingDue =
    QStringLiteral("select min(web_endtime) as earliest from t_webinfo where web_endtime<=:web_endtime");
const QString EarliestDomainDue = QStringLiteral(
    "select min(web_enddomaintime) as earliest from t_webinfo where web_enddomaintime<=:web_enddomaintime");
const QString ReadSettings = QStringLiteral("select * from t_set");
const QString AddDueNoticeColumn =
    QStringLiteral("alter table t_set add column due_notice INTEGER NOT NULL DEFAULT 1");
const QString WriteDueNotice = QStringLiteral("update t_set set due_notice=:due_notice");
const QString AddSiteVersions =
    QStringLiteral("alter table t_webinfo add column version INTEGER NOT NULL DEFAULT 1");
const QString DomainUsers = QStringLiteral("select id,web_id,web_domainuser from t_webinfo");
const QString SaveDomainUser =
    QStringLiteral("update t_webinfo set web_domainuser=:web_domainuser,version=version+1 where id=:id");

const QString ExpiryList = QStringLiteral(
    "select web_id,web_name,web_address,web_login,web_linkman,web_time,web_endtime,web_domaintime,"
    "web_enddomaintime from t_webinfo where web_endtime<=:web_endtime or "
    "web_enddomaintime<=:web_enddomaintime");

const QString DueSites =
    QStringLiteral("select id,web_id,web_name,web_address,web_endtime,web_enddomaintime from t_webinfo where "
                   "web_endtime<=:web_endtime or web_enddomaintime<=:web_enddomaintime");
const QString CalendarSites =
    QStringLiteral("select id,web_id,web_name,web_address,web_endtime,web_enddomaintime from t_webinfo");
const QString RenewHosting = QStringLiteral("update t_webinfo set web_endtime=:renewed,version=version+1 "
                                            "where web_address=:web_address and web_endtime=:shown");
const QString RenewDomain =
    QStringLiteral("update t_webinfo set web_enddomaintime=:renewed,version=version+1 where "
                   "web_address=:web_address and web_enddomaintime=:shown");

} // namespace Statements
