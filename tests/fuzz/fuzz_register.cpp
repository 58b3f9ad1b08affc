// A register damaged on disk (a bad sector, a half-copied backup, another tool's edit):
// the input is a list of changes made to a small register. Whatever they do, opening it,
// listing, searching and loading a site either work or fail with StoreError, the way the
// windows expect, and never crash.
#include "FuzzInput.h"
#include "FuzzWorld.h"

#include "sites/KeywordSearch.h"
#include "sites/SiteCredentials.h"
#include "store/Connection.h"
#include "store/Query.h"
#include "store/RegisterFile.h"
#include "store/Statements.h"
#include "store/StoreError.h"

#include <QCoreApplication>
#include <QtEndian>

namespace {

FuzzWorld &world()
{
    static FuzzWorld instance;
    return instance;
}

QByteArray &original()
{
    static QByteArray bytes;
    return bytes;
}

// A register with a few sites written the way the add window writes them.
QByteArray makeRegister()
{
    const QString path = world().file(QStringLiteral("db.mdb"));
    createRegister(path);
    {
        Connection connection;
        connection.setConnectionString(Connection::connectionStringFor(world().folder()));
        Query insert(&connection);
        for (int site = 0; site < 12; ++site) {
            const QString number = QString::number(100000 + site);
            insert.setSql(
                QStringLiteral("insert into t_webinfo(web_id,web_name,web_address,web_user,web_pass,"
                               "web_domainuser,web_endtime,web_enddomaintime,web_remark) "
                               "values(:web_id,:web_name,:web_address,:web_user,:web_pass,"
                               ":web_domainuser,:web_endtime,:web_enddomaintime,:web_remark)"));
            insert.setParameter(QStringLiteral("web_id"), number);
            insert.setParameter(QStringLiteral("web_name"), QStringLiteral("网站%1").arg(site));
            insert.setParameter(QStringLiteral("web_address"), QStringLiteral("s%1.cn").arg(site));
            insert.setParameterBytes(QStringLiteral("web_user"),
                                     SiteCredentials::scramble(QStringLiteral("用户"), number));
            insert.setParameterBytes(QStringLiteral("web_pass"),
                                     SiteCredentials::scramble(QStringLiteral("pass"), number));
            insert.setParameterBytes(
                QStringLiteral("web_domainuser"),
                SiteCredentials::scramble(QStringLiteral("域名"), number, QStringLiteral("key")));
            insert.setParameter(QStringLiteral("web_endtime"), QStringLiteral("2011-3-%1").arg(site + 1));
            insert.setParameter(QStringLiteral("web_enddomaintime"),
                                QStringLiteral("2012-%1-1").arg(site + 1));
            insert.setParameter(QStringLiteral("web_remark"),
                                QStringLiteral("备注\r\n%1").arg(site).repeated(site * 20));
            insert.execute();
        }
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    const QByteArray bytes = file.readAll();
    file.close();
    QFile::remove(path);
    return bytes;
}

QByteArray damaged(FuzzInput &input)
{
    QByteArray file = original();
    while (!input.empty() && !file.isEmpty()) {
        const std::uint8_t change = input.byte();
        const qsizetype at = input.number(0, int(file.size()) - 1);
        switch (change % 8) {
        case 6:
            if (at + 4 <= file.size())
                qToBigEndian<quint32>(input.u32(), file.data() + at); // SQLite's numbers are big-endian
            break;
        case 7:
            file.truncate(at);
            break;
        default:
            file[at] = char(input.byte());
            break;
        }
    }
    return file;
}

// What the windows do with an open register, each step failing on its own.
template <typename Step> void attempt(Step step)
{
    try {
        step();
    } catch (const StoreError &) {
    }
}

void useRegister(FuzzInput &input)
{
    Connection connection;
    connection.setConnectionString(Connection::connectionStringFor(world().folder()));
    Query list(&connection);
    Query row(&connection);
    attempt([&] {
        row.setSql(QStringLiteral("PRAGMA integrity_check"));
        row.open();
    });
    attempt([&] {
        list.setSql(Statements::MainList);
        list.open();
        const QString keyword = input.text(12);
        for (const KeywordSearch::Item &item : KeywordSearch::items())
            KeywordSearch::find(list, item, keyword);
        for (int r = 0; r < list.recordCount(); ++r) {
            for (int c = 0; c < list.fieldNames().size(); ++c)
                list.textAt(r, c);
        }
    });
    attempt([&] {
        row.setSql(Statements::LoadSite);
        row.setParameter(QStringLiteral("web_address"), QStringLiteral("s%1.cn").arg(input.number(0, 11)));
        row.open();
        if (row.eof())
            return;
        const QString number = row.text(QStringLiteral("web_id"));
        SiteCredentials::read(row.bytes(QStringLiteral("web_user")), number);
        QString user;
        SiteCredentials::readDomainUser(row.bytes(QStringLiteral("web_domainuser")), number,
                                        QStringLiteral("key"), user);
        for (const QString &field : row.fieldNames())
            row.text(field);
    });
    attempt([&] {
        row.setSql(Statements::ExpiryList);
        row.setParameterDate(QStringLiteral("web_endtime"), QDate(2011, 3, 5));
        row.setParameterDate(QStringLiteral("web_enddomaintime"), QDate(2012, 4, 1));
        row.open();
    });
    attempt([&] {
        row.setSql(Statements::SaveRemark);
        row.setParameter(QStringLiteral("web_remark"), input.text(40));
        row.setParameter(QStringLiteral("id"), QStringLiteral("1"));
        row.setParameter(QStringLiteral("web_address"), QStringLiteral("s0.cn"));
        row.setParameter(QStringLiteral("version"), QStringLiteral("1"));
        row.execute();
    });
    attempt([&] {
        list.open();
        if (list.recordCount() > 0)
            list.deleteRows({input.number(0, list.recordCount() - 1)});
    });
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    original() = makeRegister();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzInput input(data, size);
    world().writeFile(QStringLiteral("db.mdb"), damaged(input));
    QFile::remove(world().file(QStringLiteral("db.mdb-journal")));
    useRegister(input);
    return 0;
}
