#include "store/Connection.h"

#include "secrets/CredentialSeal.h"
#include "store/KeySlotTable.h"
#include "store/Query.h"
#include "store/RegisterFile.h"
#include "store/RegisterUpgrade.h"
#include "store/ServerSchema.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUuid>

#include <unistd.h>

#include <utility>

namespace {

bool isWritable(const QString &path)
{
    const QFileDevice::Permissions anyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return (QFileInfo(path).permissions() & anyWrite) != 0 &&
           ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

// SQLite writes its journal beside the register: in a folder that cannot take it, the register
// is read as it is, never upgraded, and every write is refused cleanly.
bool isReadOnly(const QString &path)
{
    return !isWritable(path) || !isWritable(QFileInfo(path).absolutePath());
}

const QString ProgramName = QStringLiteral("corvane");

// The channel the register's triggers notify on every change of a site or of the settings.
const QString ChangesChannel = QStringLiteral("corvane_register");

// How long a statement waits for another program's write before it fails.
const QString busyMilliseconds = QStringLiteral("2000");

// A journal beside the register may hold what a killed writer left: until the first read
// rolls it back, the register may rightly end short of the size its header records. A
// register that still does is refused before anything reads a wrong value from it. The
// read does not wait: a register locked now is left to the statements that follow.
bool readsCutShort(const QSqlDatabase &db, const QString &path)
{
    if (QFileInfo::exists(registerLocation(path) + QStringLiteral("-journal"))) {
        QSqlQuery probe(db);
        probe.exec(QStringLiteral("pragma busy_timeout = 0"));
        const bool read = probe.exec(QStringLiteral("select count(*) from sqlite_master"));
        probe.exec(QStringLiteral("pragma busy_timeout = ") + busyMilliseconds);
        if (!read)
            return false;
    }
    return isCutShort(path);
}

} // namespace

Connection::Connection(QObject *parent)
    : QObject(parent), m_name(QStringLiteral("corvane-") + QUuid::createUuid().toString())
{
}

Connection::~Connection()
{
    blockSignals(true);
    close();
    QSqlDatabase::removeDatabase(m_name);
}

void Connection::setConnectionString(const QString &text)
{
    m_connectionString = text;
}

QString Connection::databasePath() const
{
    static const QRegularExpression source(QStringLiteral("Data Source=([^;]*)"),
                                           QRegularExpression::CaseInsensitiveOption);
    return source.match(m_connectionString).captured(1);
}

QString Connection::connectionStringFor(const QString &folder)
{
    QString withSeparator = QDir::cleanPath(folder);
    if (!withSeparator.endsWith(QLatin1Char('/')))
        withSeparator += QLatin1Char('/');
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + withSeparator +
           QStringLiteral("db.mdb;Persist Security Info=False");
}

void Connection::setServer(const QString &conninfo)
{
    close();
    m_server = conninfo.trimmed();
}

QSqlDatabase Connection::databaseFor(const QString &driver)
{
    if (QSqlDatabase::contains(m_name)) {
        if (QSqlDatabase::database(m_name, false).driverName() == driver)
            return QSqlDatabase::database(m_name, false);
        QSqlDatabase::removeDatabase(m_name);
    }
    return QSqlDatabase::addDatabase(driver, m_name);
}

void Connection::open()
{
    if (isOpen())
        return;
    if (isServer())
        openServer();
    else
        openFile();
    try {
        m_protected = KeySlotTable::exists(QSqlDatabase::database(m_name, false));
    } catch (...) {
        close();
        throw;
    }
}

const CredentialSeal *Connection::requireSeal() const
{
    if (!m_seal)
        throw StoreError(QStringLiteral("the register is protected and not opened with a password"));
    return m_seal.get();
}

bool Connection::isProtected()
{
    open();
    return m_protected;
}

void Connection::openServer()
{
    QSqlDatabase db = databaseFor(QStringLiteral("QPSQL"));
    // Named, so a desk can tell the program's other desks from any other client of the database; a
    // name in the register's own options wins.
    db.setConnectOptions(QStringLiteral("application_name=") + ProgramName + QLatin1Char(' ') + m_server);
    if (!db.open())
        throw StoreError(db.lastError().text());
    try {
        ServerSchema::prepare(db, !m_readOnly);
        listenForChanges(db);
        if (m_readOnly) {
            QSqlQuery readOnly(db);
            if (!readOnly.exec(QStringLiteral("set session characteristics as transaction read only")))
                throw StoreError(readOnly.lastError().text());
        }
    } catch (...) {
        db.close();
        throw;
    }
}

void Connection::listenForChanges(QSqlDatabase &db)
{
    QSqlDriver *driver = db.driver();
    if (!driver->subscribeToNotification(ChangesChannel))
        throw StoreError(driver->lastError().text());
    connect(driver, &QSqlDriver::notification, this, &Connection::noticeChange, Qt::UniqueConnection);
}

// The desk's own changes come back on the channel too: only the others' are news.
void Connection::noticeChange(const QString &channel, QSqlDriver::NotificationSource source)
{
    if (channel == ChangesChannel && source == QSqlDriver::OtherSource)
        emit changedElsewhere();
}

void Connection::openFile()
{
    const QString path = databasePath();
    // The program never creates a register: a missing or foreign file is refused as it is.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        throw StoreError(QStringLiteral("register missing: ") + path);
    // The notice waits to be taken, also over a later opening with nothing to convert.
    if (m_preparation)
        if (const QString notice = m_preparation(path); !notice.isEmpty())
            m_conversionNotice = notice;
    if (!isSqliteFile(path))
        throw StoreError(QStringLiteral("not a register: ") + path);
    QSqlDatabase db = databaseFor(QStringLiteral("QSQLITE"));
    // mode=rw / mode=ro: SQLite itself refuses to create the file, even if it vanished
    // since the check above. A file marked read-only stays so, also for root.
    const bool readOnly = m_readOnly || isReadOnly(path);
    db.setDatabaseName(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded) +
                       (readOnly ? QStringLiteral("?mode=ro") : QStringLiteral("?mode=rw")));
    // Wait briefly for another writer, then fail instead of hanging the window.
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=") + busyMilliseconds +
                         (readOnly ? QStringLiteral(";QSQLITE_OPEN_READONLY") : QString()));
    if (!db.open())
        throw StoreError(db.lastError().text());
    if (readsCutShort(db, path)) {
        db.close();
        throw StoreError(QStringLiteral("register cut short: ") + path);
    }
    if (readOnly)
        return;
    addSiteVersions(db);
    // What a change leaves behind in the file is overwritten: a protected register must not keep
    // the scrambled credentials it was switched on with in its free pages.
    QSqlQuery(db).exec(QStringLiteral("pragma secure_delete = on"));
}

void Connection::close()
{
    const bool wasOpen = isOpen();
    for (Query *query : std::as_const(m_queries))
        query->close();
    if (QSqlDatabase::contains(m_name))
        QSqlDatabase::database(m_name, false).close();
    if (wasOpen)
        emit closed();
}

QString Connection::takeConversionNotice()
{
    return std::exchange(m_conversionNotice, QString());
}

bool Connection::isOpen() const
{
    return QSqlDatabase::contains(m_name) && QSqlDatabase::database(m_name, false).isOpen();
}

QSqlDatabase Connection::database()
{
    open();
    return QSqlDatabase::database(m_name, false);
}
