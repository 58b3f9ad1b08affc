#include "store/Compaction.h"

#include "platform/FileIo.h"
#include "store/Connection.h"
#include "store/RegisterFile.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char LiveName[] = "db.mdb";
const char FreshName[] = "newdb.mdb";
const char BackupName[] = "tempdb.mdb";

[[noreturn]] void fail(const QString &what)
{
    throw StoreError(what);
}

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

// A private connection for one step, closed and removed when the step is over.
class StepConnection
{
public:
    explicit StepConnection(const QString &path)
        : m_name(QStringLiteral("corvane-compact-") + QUuid::createUuid().toString())
    {
        bool opened = false;
        QString error;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
            db.setDatabaseName(path);
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
            opened = db.open();
            error = db.lastError().text();
        }
        if (!opened) {
            QSqlDatabase::removeDatabase(m_name);
            fail(error);
        }
    }
    ~StepConnection()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    StepConnection(const StepConnection &) = delete;
    StepConnection &operator=(const StepConnection &) = delete;

    // Runs one statement and returns the first column of its first row, if any.
    QString run(const QString &sql, const QVariant &value = QVariant()) const
    {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        if (!query.prepare(sql))
            fail(query.lastError().text());
        if (value.isValid())
            query.addBindValue(value);
        if (!query.exec())
            fail(query.lastError().text());
        return query.next() ? query.value(0).toString() : QString();
    }

private:
    QString m_name;
};

// Keeps other writers off db.mdb from the backup until the new file is in place.
// It also holds a descriptor of the live file for the backup copy: closing any
// descriptor of a file drops every lock the process holds on it, so that descriptor
// is closed only after the lock's own connection is gone.
class WriteLock
{
public:
    explicit WriteLock(const QString &live) : m_connection(std::make_unique<StepConnection>(live))
    {
        m_connection->run(QStringLiteral("BEGIN IMMEDIATE"));
        // A copy would carry the zeros read for the missing tail into a file that looks whole.
        if (isCutShort(live))
            fail(QStringLiteral("db.mdb is shorter than its header records"));
        m_live = ::open(nativePath(live).constData(), O_RDONLY | O_CLOEXEC);
        if (m_live < 0)
            fail(QStringLiteral("db.mdb cannot be read"));
    }
    ~WriteLock()
    {
        m_connection.reset(); // a transaction that changed nothing simply ends
        if (m_live >= 0)
            ::close(m_live);
    }
    WriteLock(const WriteLock &) = delete;
    WriteLock &operator=(const WriteLock &) = delete;

    int liveDescriptor() const { return m_live; }
    int siteCount() const
    {
        return m_connection->run(QStringLiteral("select count(*) from t_webinfo")).toInt();
    }

private:
    std::unique_ptr<StepConnection> m_connection;
    int m_live = -1;
};

void removeIfPresent(const QString &path)
{
    if (QFileInfo::exists(path) && !QFile::remove(path))
        fail(QStringLiteral("cannot remove ") + path);
}

void syncDescriptor(int fd, const QString &what)
{
    if (::fsync(fd) != 0)
        fail(QStringLiteral("cannot flush ") + what);
}

void copyToBackup(int liveFd, const QString &backup)
{
    const int out = ::open(nativePath(backup).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (out < 0)
        fail(QStringLiteral("cannot create ") + backup);
    // A copy cut short (a full disk) must not stay to pass for a backup.
    bool complete = false;
    const auto closeOut = qScopeGuard([&] {
        ::close(out);
        if (!complete)
            ::unlink(nativePath(backup).constData());
    });
    if (::fchmod(out, 0600) != 0 || ::lseek(liveFd, 0, SEEK_SET) != 0)
        fail(QStringLiteral("cannot prepare ") + backup);
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(liveFd, buffer.data(), size_t(buffer.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            fail(QStringLiteral("cannot read db.mdb"));
        if (got == 0)
            break;
        if (!FileIo::writeAll(out, buffer.constData(), got))
            fail(QStringLiteral("cannot write ") + backup);
    }
    syncDescriptor(out, backup);
    complete = true;
}

void writeCompactedCopy(const QString &live, const QString &fresh)
{
    // VACUUM INTO would create the copy with the default mode, open to everyone the umask
    // lets in until it is restricted; it fills an empty owner-only file just as well.
    const int fd = ::open(nativePath(fresh).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        fail(QStringLiteral("cannot create ") + fresh);
    const bool restricted = ::fchmod(fd, 0600) == 0;
    ::close(fd);
    if (!restricted)
        fail(QStringLiteral("cannot restrict ") + fresh);
    StepConnection source(live);
    // VACUUM INTO would flush its output several times over, as the source's synchronous
    // setting asks; CopyOnDisk flushes it once instead, while it is being checked.
    source.run(QStringLiteral("PRAGMA synchronous = OFF"));
    source.run(QStringLiteral("VACUUM INTO ?"), fresh);
}

// The copy is used only when SQLite finds it sound and it holds every site.
//
// VACUUM INTO writes the copy as a fresh b-tree, but it transfers db.mdb's table rows and
// index entries into it byte for byte, without decoding them. What the writing of the copy
// can break is therefore its structure: pages, cells, overflow chains, free pages, record
// formats, strict column types, NOT NULL. quick_check walks all of that on every page of
// every table and index. What integrity_check adds (every index entry looked up against its
// row, uniqueness) and the CHECK rules on the dates judge db.mdb's own content, which the
// copy carries over unchanged: a copy that fails them is no worse than the register it
// replaces, and checking them took longer than writing the copy.
void checkCopy(const QString &fresh, int expectedSites)
{
    StepConnection copy(fresh);
    copy.run(QStringLiteral("PRAGMA ignore_check_constraints = ON"));
    const QString verdict = copy.run(QStringLiteral("PRAGMA quick_check"));
    if (verdict != QLatin1String("ok"))
        fail(QStringLiteral("the compacted copy is damaged: ") + verdict);
    if (copy.run(QStringLiteral("select count(*) from t_webinfo")).toInt() != expectedSites)
        fail(QStringLiteral("the compacted copy lacks sites"));
}

// db.mdb itself is never written: a kill at any moment leaves it whole, and the rename
// replaces it at once. A byte copy beside it is therefore taken only when the compaction
// fails, for the user who looks for one then; the write lock is still held, so it is the
// register exactly as the compaction found it. Not getting one does not hide why it failed.
void keepBackup(int liveFd, const QString &backup)
{
    try {
        copyToBackup(liveFd, backup);
    } catch (const std::exception &) {
    }
}

// The copy must be on disk before it is renamed. Its writing out starts at once, so the
// disk works while the check reads the copy from memory; complete() waits for the rest.
class CopyOnDisk
{
public:
    explicit CopyOnDisk(const QString &fresh)
        : m_fresh(fresh), m_fd(::open(nativePath(fresh).constData(), O_RDWR | O_CLOEXEC))
    {
        if (m_fd < 0)
            fail(QStringLiteral("cannot open ") + fresh);
        if (::fchmod(m_fd, 0600) != 0) {
            ::close(m_fd);
            fail(QStringLiteral("cannot restrict ") + fresh);
        }
#ifdef __linux__
        ::sync_file_range(m_fd, 0, 0, SYNC_FILE_RANGE_WRITE); // only a head start: complete() flushes
#endif
    }
    ~CopyOnDisk()
    {
        ::close(m_fd);
    }
    CopyOnDisk(const CopyOnDisk &) = delete;
    CopyOnDisk &operator=(const CopyOnDisk &) = delete;

    void complete() const
    {
        syncDescriptor(m_fd, m_fresh);
    }

private:
    QString m_fresh;
    int m_fd;
};

// VACUUM skips, with no more than a warning, a table the user may not vacuum: whether the user
// may is asked first. The database's owner may vacuum its tables too.
bool mayVacuum(const QSqlDatabase &db)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral(
            "select pg_has_role(d.datdba, 'USAGE') or bool_and(pg_has_role(c.relowner, 'USAGE')) "
            "from pg_class c, pg_database d where c.oid in ('t_webinfo'::regclass, 't_set'::regclass) "
            "and d.datname = current_database() group by d.datdba")) ||
        !query.next())
        fail(query.lastError().text());
    return query.value(0).toBool();
}

Compaction::Outcome vacuumServerRegister(Connection *shared)
{
    const QSqlDatabase db = shared->database();
    if (!mayVacuum(db))
        return Compaction::Outcome::LeftToServer;
    QSqlQuery vacuum(db);
    if (!vacuum.exec(QStringLiteral("VACUUM (ANALYZE) t_webinfo, t_set")))
        fail(vacuum.lastError().text());
    return Compaction::Outcome::Compacted;
}

void requireReplaceableRegister(const QString &live)
{
    const QFileInfo info(live);
    if (!info.isFile() || !isSqliteFile(live))
        fail(QStringLiteral("db.mdb is missing or no register"));
    // The user made the register read-only; replacing it would undo that.
    if (!(info.permissions() & QFileDevice::WriteOwner))
        fail(QStringLiteral("db.mdb is read-only"));
}

} // namespace

namespace Compaction {

Outcome compactRegister(Connection *shared, const QString &folder)
{
    return compactRegisterFile(shared, QDir(folder).filePath(QLatin1String(LiveName)));
}

Outcome compactRegisterFile(Connection *shared, const QString &registerPath)
{
    if (shared->isServer())
        return vacuumServerRegister(shared);
    shared->close();
    // Where the register is a link, it is compacted where it lives: the copy and the
    // backup sit beside it and the rename replaces it, so the link keeps naming it.
    const QString live = registerLocation(registerPath);
    const QDir dir = QFileInfo(live).absoluteDir();
    const QString fresh = dir.filePath(QLatin1String(FreshName));
    const QString backup = dir.filePath(QLatin1String(BackupName));
    requireReplaceableRegister(live);

    bool placed = false;
    const auto dropCopy = qScopeGuard([&] {
        if (!placed) {
            QFile::remove(fresh);
            QFile::remove(fresh + QLatin1String("-journal"));
        }
    });
    {
        WriteLock lock(live);
        removeIfPresent(fresh);
        removeIfPresent(fresh + QLatin1String("-journal"));
        try {
            writeCompactedCopy(live, fresh);
            const CopyOnDisk copy(fresh);
            checkCopy(fresh, lock.siteCount());
            copy.complete();
        } catch (const std::exception &) {
            keepBackup(lock.liveDescriptor(), backup);
            throw;
        }
        if (std::rename(nativePath(fresh).constData(), nativePath(live).constData()) != 0)
            fail(QStringLiteral("cannot put the compacted copy in place"));
        placed = true;
        FileIo::syncFolder(dir.path());
    }
    QFile::remove(backup); // left by an earlier run that failed
    return Outcome::Compacted;
}

} // namespace Compaction
