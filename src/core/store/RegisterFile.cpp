#include "store/RegisterFile.h"

#include "store/StoreError.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QtEndian>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList schemaStatements()
{
    QFile file(QStringLiteral(":/store/schema.sql"));
    if (!file.open(QIODevice::ReadOnly))
        throw StoreError(QStringLiteral("schema missing"));
    QStringList statements;
    for (const QString &part : QString::fromUtf8(file.readAll()).split(QLatin1Char(';'))) {
        if (!part.trimmed().isEmpty())
            statements << part.trimmed();
    }
    return statements;
}

void runSchema(const QString &path)
{
    const QString name = QStringLiteral("create-") + QUuid::createUuid().toString();
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open()) {
            failure = db.lastError().text();
        } else {
            QSqlQuery query(db);
            for (const QString &statement : schemaStatements()) {
                if (!query.exec(statement)) {
                    failure = query.lastError().text();
                    break;
                }
            }
            query.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure.isEmpty())
        throw StoreError(failure);
}

// The file is made owner-only before SQLite sees it: SQLite would create it with the
// default mode, and whoever opened it then could read every secret written later.
void createEmptyPrivateFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        throw StoreError(QStringLiteral("cannot create ") + path + QStringLiteral(": ") +
                         QString::fromLocal8Bit(strerror(errno)));
    const bool restricted = ::fchmod(fd, 0600) == 0;
    ::close(fd);
    if (!restricted) {
        ::unlink(QFile::encodeName(path).constData());
        throw StoreError(QStringLiteral("cannot restrict ") + path);
    }
}

} // namespace

void createRegister(const QString &path)
{
    createEmptyPrivateFile(path);
    try {
        runSchema(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    } catch (...) {
        QFile::remove(path);
        throw;
    }
}

bool isSqliteFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.read(16) == QByteArray("SQLite format 3", 16);
}

bool isCutShort(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(100);
    if (header.size() < 100)
        return true;
    const auto word = [&header](int offset) { return qFromBigEndian<quint32>(header.constData() + offset); };
    const quint16 sizeField = qFromBigEndian<quint16>(header.constData() + 16);
    const qint64 pageSize = sizeField == 1 ? 65536 : sizeField;
    // SQLite refuses a file with any other page size by itself.
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0)
        return false;
    // The recorded page count is only trusted by SQLite while the change counter matches
    // the number it was written with; otherwise the size of the file decides.
    const quint32 recorded = word(28);
    const qint64 size = file.size();
    const qint64 pages = recorded != 0 && word(24) == word(92) ? recorded : (size + pageSize - 1) / pageSize;
    return size < pages * pageSize;
}

QString registerLocation(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString target = info.canonicalFilePath();
    return target.isEmpty() ? path : target;
}
