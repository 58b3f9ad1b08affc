#include "LegacyInstallation.h"

#include <QFile>
#include <QtEndian>

namespace {

// Where the legacy file keeps t_webinfo: its definition (with the row count the file
// declares) on page 24, its four rows on page 31, each row found through a 2-byte slot.
constexpr qsizetype pageSize = 4096;
constexpr qsizetype sitesDefinition = 24 * pageSize;
constexpr qsizetype sitesPage = 31 * pageSize;
constexpr qsizetype slotsAt = sitesPage + 14;

quint16 slotWord(const QByteArray &db, int slot)
{
    return qFromLittleEndian<quint16>(db.constData() + slotsAt + 2 * slot);
}

void setSlotWord(QByteArray &db, int slot, quint16 word)
{
    qToLittleEndian(word, db.data() + slotsAt + 2 * slot);
}

QByteArray sitesPageReady(QByteArray db)
{
    if (db[sitesPage] != 1 || qFromLittleEndian<quint16>(db.constData() + sitesPage + 12) != 4 ||
        qFromLittleEndian<quint32>(db.constData() + sitesDefinition + 16) != 4)
        qFatal("the legacy file's layout is not the one these patches expect");
    return db;
}

} // namespace

QByteArray legacyFile(const QString &name)
{
    QFile file(QStringLiteral(CORVANE_LEGACY_DATA "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("legacy test data missing: %s", qPrintable(file.fileName()));
    return file.readAll();
}

std::unique_ptr<TestFolder> legacyFolder(const QByteArray &db)
{
    auto folder = std::make_unique<TestFolder>();
    folder->writeFile(QStringLiteral("db.mdb"), db);
    folder->writeFile(QStringLiteral("key.exe"), legacyFile(QStringLiteral("key.exe")));
    folder->writeFile(QStringLiteral("sk.exe"), legacyFile(QStringLiteral("sk.exe")));
    return folder;
}

QByteArray replaced(QByteArray bytes, const QByteArray &from, const QByteArray &to)
{
    const qsizetype at = bytes.indexOf(from);
    if (at < 0 || bytes.indexOf(from, at + 1) >= 0 || from.size() != to.size())
        qFatal("test data patch does not apply");
    return bytes.replace(at, from.size(), to);
}

QByteArray utf16(const QString &text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

QByteArray dateBytes(double days)
{
    QByteArray raw(8, '\0');
    qToLittleEndian(days, raw.data());
    return raw;
}

QByteArray withThirdRowDeleted(bool lowerCount)
{
    QByteArray db = sitesPageReady(legacyFile(QStringLiteral("db.mdb")));
    setSlotWord(db, 2, slotWord(db, 2) | 0x8000);
    if (lowerCount)
        qToLittleEndian(quint32(3), db.data() + sitesDefinition + 16);
    return db;
}

QByteArray withThirdRowMoved()
{
    QByteArray db = sitesPageReady(legacyFile(QStringLiteral("db.mdb")));
    const int thirdStart = slotWord(db, 2), fourthStart = slotWord(db, 3), secondStart = slotWord(db, 1);
    const QByteArray third = db.mid(sitesPage + thirdStart, secondStart - thirdStart);
    const int movedStart = fourthStart - int(third.size());
    db.replace(sitesPage + movedStart, third.size(), third);
    qToLittleEndian(quint16(5), db.data() + sitesPage + 12);
    setSlotWord(db, 4, quint16(movedStart | 0x8000));
    setSlotWord(db, 2, quint16(thirdStart | 0x4000));
    qToLittleEndian(quint32((31 << 8) | 4), db.data() + sitesPage + thirdStart);
    return db;
}

QByteArray withFirstRemarkOutOfRow(const QString &remark, bool chained, int missingBytes)
{
    QByteArray db = legacyFile(QStringLiteral("db.mdb"));
    const QByteArray inlineText = utf16(QStringLiteral("第一行\r\n第二行"));
    const qsizetype header = db.indexOf(inlineText) - 12;
    if (header < 0 ||
        qFromLittleEndian<quint32>(db.constData() + header) != (0x80000000u | quint32(inlineText.size())))
        qFatal("the legacy file's first remark is not where these patches expect it");
    const quint32 page = quint32(db.size() / pageSize);
    const QByteArray text = utf16(remark);
    QList<QByteArray> rows;
    if (chained) {
        const qsizetype half = text.size() / 4 * 2;
        QByteArray first(4, '\0');
        qToLittleEndian(quint32(page << 8 | 1), first.data());
        rows << first + text.left(half) << QByteArray(4, '\0') + text.mid(half);
    } else {
        rows << text;
    }
    // A data page marked "LVAL", its rows stored from the end of the page downwards.
    QByteArray lval(pageSize, '\0');
    lval[0] = 1;
    lval[1] = 1;
    lval.replace(4, 4, "LVAL");
    qToLittleEndian(quint16(rows.size()), lval.data() + 12);
    qsizetype end = pageSize;
    for (int i = 0; i < rows.size(); ++i) {
        end -= rows[i].size();
        lval.replace(end, rows[i].size(), rows[i]);
        qToLittleEndian(quint16(end), lval.data() + 14 + 2 * i);
    }
    qToLittleEndian(quint32(text.size() + missingBytes) | (chained ? 0u : 0x40000000u), db.data() + header);
    qToLittleEndian(quint32(page << 8), db.data() + header + 4);
    return db + lval;
}

QList<Site> legacySites()
{
    const auto credentials = [](const QString &user, const QString &pass, const QString &domainUser,
                                const QString &domainPass) {
        return QHash<QString, QString>{{QStringLiteral("web_user"), user},
                                       {QStringLiteral("web_pass"), pass},
                                       {QStringLiteral("web_domainuser"), domainUser},
                                       {QStringLiteral("web_domainpass"), domainPass}};
    };
    Site first{QStringLiteral("20110307090502"),
               QStringLiteral("测试网站"),
               QStringLiteral("www.example.com.cn"),
               QStringLiteral("第一行\r\n第二行"),
               {QStringLiteral("2010-1-1"), QStringLiteral("2011-1-1"), QStringLiteral("2010-1-1"),
                QStringLiteral("2011-1-1")},
               credentials(QStringLiteral("admin"), QStringLiteral("p@ss w0rd"), QStringLiteral("domuser"),
                           QStringLiteral("dompass")),
               QString()};
    first.secrets.insert({{QStringLiteral("web_dbname"), QStringLiteral("exdb")},
                          {QStringLiteral("web_dbip"), QStringLiteral("localhost")},
                          {QStringLiteral("web_dbuser"), QStringLiteral("dbuser")},
                          {QStringLiteral("web_dbpass"), QStringLiteral("dbpass")}});
    return {
        first,
        {QStringLiteral("20110308101010"),
         QStringLiteral("企业官网"),
         QStringLiteral("www.qiye.cn"),
         QString(),
         {QStringLiteral("2010-3-7"), QStringLiteral("2011-3-7"), QStringLiteral("2009-12-31"),
          QStringLiteral("2012-12-31")},
         credentials(QStringLiteral("管理员"), QStringLiteral("密码123"), QStringLiteral("域名用户"),
                     QStringLiteral("域名密码")),
         QStringLiteral("mykey123")},
        {QStringLiteral("123456"),
         QStringLiteral("短编号"),
         QStringLiteral("shop.example.net"),
         QStringLiteral("年份超出范围"),
         {QStringLiteral("1999-12-31"), QStringLiteral("2030-6-15"), QStringLiteral("2005-2-28"),
          QStringLiteral("2031-2-28")},
         credentials(QStringLiteral("u"), QStringLiteral("p"), QStringLiteral("du"), QStringLiteral("dp")),
         QString()},
        {QStringLiteral("20120101000000"),
         QStringLiteral("无日期"),
         QStringLiteral("www.nodate.cn"),
         QStringLiteral("空日期"),
         {QString(), QStringLiteral("2013-1-1"), QStringLiteral("2012-1-1"), QString()},
         credentials(QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")),
         QString()}};
}
