// Dates arrive as text from many places: search keywords, picker values shown as they
// were loaded, stored values, cut-off dates bound to the expiry list. Whatever the
// text, it is read as exactly one date or refused, and a refused date never reaches the
// register as something else.
#include "FuzzInput.h"
#include "FuzzWorld.h"

#include "sites/KeywordSearch.h"
#include "store/Connection.h"
#include "store/DateText.h"
#include "store/Query.h"
#include "store/RegisterFile.h"
#include "store/Statements.h"
#include "store/StoreError.h"

#include <QCoreApplication>
#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <algorithm>
#include <optional>

namespace {

// The hosting and domain expiry dates of the sites in the fuzzing register, in list order.
struct SiteDates
{
    std::optional<QDate> hosting;
    std::optional<QDate> domain;
};

const QList<SiteDates> &siteDates()
{
    static const QList<SiteDates> dates = {
        {QDate(2011, 3, 7), QDate(2012, 2, 29)}, {QDate(1, 1, 1), std::nullopt},
        {std::nullopt, QDate(9999, 12, 31)},     {QDate(999, 12, 31), QDate(1000, 1, 1)},
        {QDate(2011, 3, 7), QDate(2011, 3, 6)},  {QDate(2030, 6, 15), QDate(2031, 2, 28)},
    };
    return dates;
}

struct Register
{
    FuzzWorld world;
    Connection connection;
    Query list{&connection};
    Query probe{&connection};

    Register()
    {
        createRegister(world.file(QStringLiteral("db.mdb")));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
            db.setDatabaseName(world.file(QStringLiteral("db.mdb")));
            FUZZ_CHECK(db.open());
            QSqlQuery insert(db);
            int number = 100000;
            for (const SiteDates &site : siteDates()) {
                FUZZ_CHECK(insert.prepare(QStringLiteral(
                    "insert into t_webinfo(web_id,web_endtime,web_enddomaintime) values(?,?,?)")));
                insert.addBindValue(QString::number(++number));
                insert.addBindValue(site.hosting ? QVariant(DateText::toIso(*site.hosting))
                                                 : QVariant(QMetaType(QMetaType::QString)));
                insert.addBindValue(site.domain ? QVariant(DateText::toIso(*site.domain))
                                                : QVariant(QMetaType(QMetaType::QString)));
                FUZZ_CHECK(insert.exec());
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("fill"));
        connection.setConnectionString(Connection::connectionStringFor(world.folder()));
        list.setSql(Statements::MainList);
        list.open();
        FUZZ_CHECK(list.recordCount() == siteDates().size());
    }
};

Register &store()
{
    static Register instance;
    return instance;
}

bool isAsciiSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v';
}

// A text read as a date is three runs of ASCII digits joined by "-", with blanks around
// it at most, and its numbers are the date's.
void checkParsed(const QString &text)
{
    const QDate date = DateText::parse(text);
    if (!date.isValid())
        return;
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && isAsciiSpace(text.at(from)))
        ++from;
    while (to > from && isAsciiSpace(text.at(to - 1)))
        --to;
    const QStringList parts = text.mid(from, to - from).split(u'-');
    FUZZ_CHECK(parts.size() == 3);
    for (const QString &part : parts) {
        FUZZ_CHECK(!part.isEmpty() && part.size() <= 4);
        FUZZ_CHECK(std::all_of(part.begin(), part.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }));
    }
    FUZZ_CHECK(parts.at(0).toInt() == date.year() && parts.at(1).toInt() == date.month() &&
               parts.at(2).toInt() == date.day());
    FUZZ_CHECK(DateText::parse(DateText::format(date)) == date);
    FUZZ_CHECK(DateText::fromIso(DateText::toIso(date)) == date);
    FUZZ_CHECK(DateText::fromStored(DateText::toIso(date)) == DateText::format(date));
}

// Year, month and day spelt the way a user or an older file might: leading zeros and blanks.
QString spell(FuzzInput &input, int year, int month, int day)
{
    auto part = [&input](int value, int width) {
        QString digits = QString::number(value);
        const int zeros = input.number(0, 4);
        while (digits.size() < width && digits.size() < QString::number(value).size() + zeros)
            digits.prepend(u'0');
        return digits;
    };
    const QString blanks[] = {QString(), QStringLiteral(" "), QStringLiteral("\t "), QStringLiteral("\r\n")};
    return blanks[input.byte() % 4] + part(year, 4) + u'-' + part(month, 2) + u'-' + part(day, 2) +
           blanks[input.byte() % 4];
}

struct Spelt
{
    QString text;
    QDate date; // invalid when the spelling names no real date
};

Spelt spellDate(FuzzInput &input)
{
    if (input.flag()) {
        const SiteDates &site = siteDates().at(input.number(0, int(siteDates().size()) - 1));
        const std::optional<QDate> date = input.flag() ? site.hosting : site.domain;
        if (date)
            return {spell(input, date->year(), date->month(), date->day()), *date};
    }
    const int year = input.number(1, 9999);
    const int month = input.number(0, 13);
    const int day = input.number(0, 32);
    return {spell(input, year, month, day), QDate(year, month, day)};
}

bool onOrBefore(const std::optional<QDate> &value, const QDate &limit)
{
    return value && *value <= limit;
}

// A statement the store refuses does not open.
bool opens(Query &query)
{
    try {
        query.open();
        return true;
    } catch (const StoreError &) {
        return false;
    }
}

// The cut-off reaches the register as the date it names, through a parameter and
// through the expiry list's literals alike, or the statement fails.
void checkCutOffs(FuzzInput &input)
{
    const Spelt hosting = spellDate(input);
    const Spelt domain = spellDate(input);
    Query &probe = store().probe;

    probe.setSql(Statements::CountHostingDue);
    probe.setParameter(QStringLiteral("web_endtime"), hosting.text);
    if (hosting.date.isValid()) {
        probe.open();
        const auto due = std::count_if(siteDates().begin(), siteDates().end(), [&](const SiteDates &s) {
            return onOrBefore(s.hosting, hosting.date);
        });
        FUZZ_CHECK(probe.valueAt(0, 0).toLongLong() == due);
    } else {
        FUZZ_CHECK(!opens(probe));
    }

    probe.setSql(Statements::ExpiryList);
    probe.setParameter(QStringLiteral("web_endtime"), hosting.text);
    probe.setParameter(QStringLiteral("web_enddomaintime"), domain.text);
    if (hosting.date.isValid() && domain.date.isValid()) {
        probe.open();
        const auto due = std::count_if(siteDates().begin(), siteDates().end(), [&](const SiteDates &s) {
            return onOrBefore(s.hosting, hosting.date) || onOrBefore(s.domain, domain.date);
        });
        FUZZ_CHECK(probe.recordCount() == due);
    } else {
        FUZZ_CHECK(!opens(probe));
    }
}

// A date keyword finds the first site holding that date, however it is spelt.
void checkKeyword(FuzzInput &input)
{
    const Spelt keyword = spellDate(input);
    const bool hostingColumn = input.flag();
    const KeywordSearch::Item &item = KeywordSearch::items().at(hostingColumn ? 5 : 7);
    const KeywordSearch::Result result = KeywordSearch::find(store().list, item, keyword.text);
    FUZZ_CHECK(result.usable == keyword.date.isValid());
    if (!keyword.date.isValid())
        return;
    int expected = -1;
    for (int row = 0; row < siteDates().size() && expected < 0; ++row) {
        const std::optional<QDate> &value =
            hostingColumn ? siteDates().at(row).hosting : siteDates().at(row).domain;
        if (value && *value == keyword.date)
            expected = row;
    }
    FUZZ_CHECK(result.row == expected);
}

// Any text: read as a date or refused.
void checkAnyText(const QString &text)
{
    checkParsed(text);
    const QDate stored = DateText::fromIso(text);
    const QString shown = DateText::fromStored(text);
    if (text.isEmpty())
        FUZZ_CHECK(shown.isEmpty());
    else if (stored.isValid())
        FUZZ_CHECK(shown == DateText::format(stored));
    for (const KeywordSearch::Item &item : KeywordSearch::items())
        KeywordSearch::find(store().list, item, text);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    store();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    checkAnyText(QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)));
    FuzzInput input(data, size);
    checkAnyText(input.text(40));
    checkCutOffs(input);
    checkKeyword(input);
    return 0;
}
