#include "SiteRows.h"
#include "TestFolder.h"

#include "platform/TextBytes.h"
#include "secrets/ScrambleCodec.h"
#include "sites/SiteStore.h"
#include "store/StoreError.h"

#include <QTest>

#include <memory>

namespace {

const QString Key = QStringLiteral("密钥key");
using F = SiteField;

// Typed with quotes, blanks around, Chinese, and the site number inside.
SiteRecord typedRecord(const QString &number, const QString &address, const QString &prefix = QString())
{
    SiteRecord record;
    for (const FieldEntry &entry : siteFields())
        if (entry.kind != FieldKind::Date)
            record.setText(
                entry.field,
                QStringLiteral("  %1o'brien \"%2\" 站%3  ").arg(prefix, QLatin1String(entry.column), number));
    record.setText(F::SiteNumber, QLatin1Char(' ') + number + QLatin1Char(' '));
    record.setText(F::Address, address);
    record.setText(F::AdminPassword, number);
    record.setText(F::DomainUser, prefix + QStringLiteral("x") + number);
    record.setText(F::Remark, prefix + QStringLiteral("  第一行\r\n second\rthird  "));
    record.setDate(F::HostingBought, QDate(2012, 2, 29));
    record.setDate(F::HostingExpires, QDate(2013, 12, 1));
    record.setDate(F::DomainRegistered, QDate(1999, 5, 6));
    record.setDate(F::DomainExpires, QDate(3500, 10, 10));
    return record;
}

// What the register gives back of what was typed: credentials and the remark exactly,
// every other text without the blanks around it.
void compareAsStored(const SiteRecord &loaded, const SiteRecord &typed, const QSet<SiteField> &fields)
{
    static const QSet<SiteField> asTyped{F::AdminUser,      F::AdminPassword,    F::DomainUser,
                                         F::DomainPassword, F::DatabaseName,     F::DatabaseAddress,
                                         F::DatabaseUser,   F::DatabasePassword, F::Remark};
    for (const FieldEntry &entry : siteFields()) {
        if (!fields.contains(entry.field))
            continue;
        const QString text = typed.text(entry.field);
        QVERIFY2(loaded.text(entry.field) == (asTyped.contains(entry.field) ? text : text.trimmed()),
                 entry.column);
        QVERIFY2(loaded.date(entry.field) == typed.date(entry.field), entry.column);
    }
}

QSet<SiteField> allFields()
{
    QSet<SiteField> fields;
    for (const FieldEntry &entry : siteFields())
        fields << entry.field;
    return fields;
}

} // namespace

// A site record through the register: insert, load and the four section saves.
class TestSiteRecord : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void everyFieldComesBackAsTyped();
    void loadRefusesOtherKeysAndMissingRows();
    void emptyAndUnreadableDatesAreReported();
    void sectionSaveChangesOnlyItsColumns_data();
    void sectionSaveChangesOnlyItsColumns();
    void saveKeyedByAStaleRowChangesNothing();
    void datesOutOfOrder_data();
    void datesOutOfOrder();

private:
    qint64 idOf(const QString &address) const
    {
        return m_world->scalar(QStringLiteral("select id from t_webinfo where web_address='%1'").arg(address))
            .toLongLong();
    }
    QString stored(qint64 id, const QString &column) const
    {
        return m_world
            ->scalar(
                QStringLiteral("select %1(%2) from t_webinfo where id=%3")
                    .arg(m_world->onServer() ? QStringLiteral("quote_nullable") : QStringLiteral("quote"))
                    .arg(column)
                    .arg(id))
            .toString();
    }
    QStringList snapshot(qint64 id) const
    {
        QStringList values;
        for (const QString &column : insertColumns())
            values << stored(id, column);
        return values;
    }
    QByteArray unscrambled(qint64 id, const QString &column) const
    {
        return unscrambleText(
            m_world->scalar(QStringLiteral("select %1 from t_webinfo where id=%2").arg(column).arg(id))
                .toByteArray());
    }

    std::unique_ptr<TestFolder> m_world;
    std::unique_ptr<Connection> m_connection;
    std::unique_ptr<Query> m_query;
};

void TestSiteRecord::init()
{
    m_world = std::make_unique<TestFolder>();
    m_connection = std::make_unique<Connection>();
    m_world->pointAt(*m_connection);
    m_query = std::make_unique<Query>(m_connection.get());
}

void TestSiteRecord::cleanup()
{
    m_query.reset();
    m_connection.reset();
    m_world.reset();
}

void TestSiteRecord::everyFieldComesBackAsTyped()
{
    const SiteRecord typed = typedRecord(QStringLiteral("100001"), QStringLiteral(" o'brien.cn "));
    SiteStore::insert(*m_query, typed, Key);
    QVERIFY_THROWS_EXCEPTION(StoreError, SiteStore::insert(*m_query, typed, Key));

    const LoadedSite site = SiteStore::load(*m_query, QStringLiteral("O'BRIEN.cn"), Key);
    QVERIFY(!site.otherKey);
    QVERIFY(site.missingDates.isEmpty());
    QCOMPARE(site.row.address, QStringLiteral("o'brien.cn"));
    QCOMPARE(site.row.id, m_world->scalar(QStringLiteral("select id from t_webinfo")).toLongLong());
    compareAsStored(site.record, typed, allFields());
    QVERIFY(!m_query->isOpen());

    // The stored form that earlier registers share: plain texts readable, dates ISO, and
    // each credential with the site number (and the domain user the key) appended.
    const qint64 id = site.row.id;
    QCOMPARE(stored(id, QStringLiteral("web_id")), QStringLiteral("'100001'"));
    QCOMPARE(stored(id, QStringLiteral("web_time")), QStringLiteral("'2012-02-29'"));
    QCOMPARE(unscrambled(id, QStringLiteral("web_pass")), QByteArray("100001100001"));
    QCOMPARE(unscrambled(id, QStringLiteral("web_domainuser")), TextBytes::toBytes("x100001100001" + Key));
}

void TestSiteRecord::loadRefusesOtherKeysAndMissingRows()
{
    SiteStore::insert(*m_query, typedRecord(QStringLiteral("100001"), QStringLiteral("a.cn")), Key);
    for (const QString &key : {QStringLiteral("other"), QString()}) {
        const LoadedSite site = SiteStore::load(*m_query, QStringLiteral("a.cn"), key);
        QCOMPARE(site.otherKey, !key.isEmpty());
        QCOMPARE(site.record.text(F::Name).isEmpty(), !key.isEmpty());
    }
    // No row: refused like a record under another key while a key is set, a failed load otherwise.
    QVERIFY(SiteStore::load(*m_query, QStringLiteral("nosuch.cn"), Key).otherKey);
    QVERIFY_THROWS_EXCEPTION(StoreError, SiteStore::load(*m_query, QStringLiteral("nosuch.cn"), QString()));
    QVERIFY(!m_query->isOpen());
}

void TestSiteRecord::emptyAndUnreadableDatesAreReported()
{
    SiteRecord typed = typedRecord(QStringLiteral("100001"), QStringLiteral("a.cn"));
    typed.setDate(F::DomainRegistered, QDate());
    SiteStore::insert(*m_query, typed, Key);
    QCOMPARE(stored(idOf(QStringLiteral("a.cn")), QStringLiteral("web_domaintime")), QStringLiteral("NULL"));
    // A year 0 passes the register's date check, yet is no date. The server holds no year 0.
    m_world->exec(m_world->onServer() ? QStringLiteral("update t_webinfo set web_endtime=NULL")
                                      : QStringLiteral("update t_webinfo set web_endtime='0000-01-01'"));

    const LoadedSite site = SiteStore::load(*m_query, QStringLiteral("a.cn"), Key);
    QCOMPARE(site.missingDates, QList<SiteField>({F::HostingExpires, F::DomainRegistered}));
    QVERIFY(!site.record.date(F::HostingExpires).isValid());
    QVERIFY(!site.record.date(F::DomainRegistered).isValid());
    QCOMPARE(site.record.date(F::DomainExpires), QDate(3500, 10, 10));
    QCOMPARE(site.record.text(F::Remark), typed.text(F::Remark));
}

void TestSiteRecord::sectionSaveChangesOnlyItsColumns_data()
{
    QTest::addColumn<SiteSection>("section");
    QTest::addColumn<QStringList>("columns");
    const auto row = [](const char *name, SiteSection section, const char *columns) {
        QTest::newRow(name) << section << QString::fromLatin1(columns).split(QLatin1Char(','));
    };
    row("site", SiteSection::Site,
        "web_name,web_login,web_user,web_pass,web_ip,web_domain,web_domainuser,web_domainpass,web_linkman,"
        "web_size");
    row("database", SiteSection::Database, "web_dbname,web_dbsize,web_dbip,web_dbuser,web_dbpass,web_dbtype");
    row("dates", SiteSection::Dates, "web_time,web_endtime,web_domaintime,web_enddomaintime");
    row("remark", SiteSection::Remark, "web_remark");
}

void TestSiteRecord::sectionSaveChangesOnlyItsColumns()
{
    QFETCH(SiteSection, section);
    QFETCH(QStringList, columns);
    const SiteRecord typed = typedRecord(QStringLiteral("100002"), QStringLiteral("change.cn"));
    SiteStore::insert(*m_query, typedRecord(QStringLiteral("100001"), QStringLiteral("keep.cn")), Key);
    SiteStore::insert(*m_query, typed, Key);
    const qint64 kept = idOf(QStringLiteral("keep.cn"));
    const qint64 changed = idOf(QStringLiteral("change.cn"));
    const QStringList keptBefore = snapshot(kept);
    const QStringList before = snapshot(changed);

    LoadedSite site = SiteStore::load(*m_query, QStringLiteral("change.cn"), Key);
    // Every field edited, the address too: no save writes it.
    SiteRecord edited =
        typedRecord(QStringLiteral("100002"), QStringLiteral("elsewhere.cn"), QStringLiteral("新"));
    edited.setDate(F::HostingBought, QDate(2011, 1, 31));
    edited.setDate(F::HostingExpires, QDate());
    edited.setDate(F::DomainRegistered, QDate(2000, 1, 1));
    edited.setDate(F::DomainExpires, QDate(2999, 12, 31));
    QCOMPARE(SiteStore::saveSection(*m_query, section, site.row, edited, Key), 1);

    const QStringList after = snapshot(changed);
    for (int i = 0; i < insertColumns().size(); ++i)
        QVERIFY2((before.at(i) != after.at(i)) == columns.contains(insertColumns().at(i)),
                 qPrintable(insertColumns().at(i)));
    QCOMPARE(snapshot(kept), keptBefore);

    QSet<SiteField> saved;
    for (const FieldEntry &entry : siteFields())
        if (columns.contains(QLatin1String(entry.column)))
            saved << entry.field;
    const SiteRecord reloaded = SiteStore::load(*m_query, QStringLiteral("change.cn"), Key).record;
    compareAsStored(reloaded, edited, saved);
    compareAsStored(reloaded, typed, allFields() - saved);
}

// A row deleted, given another address or saved by another desk since it was loaded.
void TestSiteRecord::saveKeyedByAStaleRowChangesNothing()
{
    SiteStore::insert(*m_query, typedRecord(QStringLiteral("100001"), QStringLiteral("there.cn")), Key);
    const SiteRow deleted = SiteStore::load(*m_query, QStringLiteral("there.cn"), Key).row;
    // The site on screen is deleted and another added at its address.
    m_world->exec(QStringLiteral("delete from t_webinfo"));
    SiteStore::insert(*m_query, typedRecord(QStringLiteral("100002"), QStringLiteral("there.cn")), Key);
    const qint64 id = idOf(QStringLiteral("there.cn"));
    const SiteRecord edited =
        typedRecord(QStringLiteral("100001"), QStringLiteral("there.cn"), QStringLiteral("新"));
    // Two desks load the site; one saves twice, each save building on its own last one.
    SiteRow saving = SiteStore::load(*m_query, QStringLiteral("there.cn"), Key).row;
    const SiteRow otherDesk = saving;
    QCOMPARE(SiteStore::saveSection(*m_query, SiteSection::Site, saving, edited, Key), 1);
    QCOMPARE(SiteStore::saveSection(*m_query, SiteSection::Remark, saving, edited, Key), 1);
    QCOMPARE(
        m_world->scalar(QStringLiteral("select version from t_webinfo where id=%1").arg(id)).toLongLong(),
        saving.version);

    const QStringList before = snapshot(id);
    for (SiteRow stale : {deleted, SiteRow{id, QStringLiteral("nowhere.cn"), saving.version}, otherDesk}) {
        const SiteRow loaded = stale;
        for (SiteSection section :
             {SiteSection::Site, SiteSection::Database, SiteSection::Dates, SiteSection::Remark})
            QCOMPARE(SiteStore::saveSection(*m_query, section, stale, edited, Key), 0);
        QCOMPARE(stale.version, loaded.version);
    }
    QCOMPARE(snapshot(id), before);
    QCOMPARE(
        m_world->scalar(QStringLiteral("select version from t_webinfo where id=%1").arg(id)).toLongLong(),
        saving.version);
}

void TestSiteRecord::datesOutOfOrder_data()
{
    QTest::addColumn<QList<QDate>>("dates"); // hosting bought, expires; domain registered, expires
    QTest::addColumn<QString>("refusal");
    const QString hosting = QStringLiteral("网站到期时间不能小网站申请日期");
    const QString domain = QStringLiteral("域名到期时间不能小域名申请日期");
    const QDate day(2011, 1, 1);
    QTest::newRow("in order over a year and a month end")
        << QList<QDate>{QDate(2010, 12, 1), day, QDate(2011, 9, 30), QDate(2011, 10, 1)} << QString();
    QTest::newRow("equal dates") << QList<QDate>{day, day, day, day} << QString();
    QTest::newRow("an empty date is before nothing") << QList<QDate>{QDate(), day, day, QDate()} << QString();
    QTest::newRow("hosting expiry a day early") << QList<QDate>{day, day.addDays(-1), day, day} << hosting;
    QTest::newRow("domain expiry a day early") << QList<QDate>{day, day, day, day.addDays(-1)} << domain;
    QTest::newRow("both early: hosting first")
        << QList<QDate>{day, day.addYears(-1), day, day.addDays(-1)} << hosting;
}

void TestSiteRecord::datesOutOfOrder()
{
    QFETCH(QList<QDate>, dates);
    QFETCH(QString, refusal);
    SiteRecord record;
    const QList<SiteField> fields{F::HostingBought, F::HostingExpires, F::DomainRegistered, F::DomainExpires};
    for (int i = 0; i < fields.size(); ++i)
        record.setDate(fields.at(i), dates.at(i));
    const std::optional<DatePair> pair = record.datesOutOfOrder();
    QCOMPARE(pair ? pair->refusal : QString(), refusal);
}

QTEST_GUILESS_MAIN(TestSiteRecord)
#include "tst_siterecord.moc"
