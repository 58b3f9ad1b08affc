#pragma once

#include "FuzzInput.h"
#include "FuzzWorld.h"

#include "store/Connection.h"
#include "legacy/JetConversionError.h"
#include "legacy/JetImport.h"
#include "store/Query.h"
#include "store/Statements.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <sys/stat.h>

// What every conversion of a foreign db.mdb must end in: either a sound register in its
// place, owner-only, with the original kept byte for byte beside it (and the list of
// values left out, if any), or a refusal that leaves the original as it was and nothing
// else behind.
class ConversionCheck
{
public:
    explicit ConversionCheck(FuzzWorld &world) : m_world(world) {}

    // Converts input as db.mdb; returns true when a register came out.
    bool run(const QByteArray &input)
    {
        clean();
        m_world.writeFile(QStringLiteral("db.mdb"), input);
        const QString path = m_world.file(QStringLiteral("db.mdb"));
        bool converted = false;
        QString notice;
        try {
            notice = JetImport::convert(path);
            converted = true;
        } catch (const JetConversionError &) {
        }
        // Values left out are listed beside the original, and the notice says where.
        const QString list = m_world.file(QStringLiteral("db.jet.txt"));
        const bool listed = QFile::exists(list);
        FUZZ_CHECK(listed == notice.contains(QDir::toNativeSeparators(list)));
        if (converted) {
            FUZZ_CHECK(m_world.readFile(QStringLiteral("db.jet.mdb")) == input);
            FUZZ_CHECK(ownerOnly(QStringLiteral("db.jet.mdb")));
            FUZZ_CHECK(ownerOnly(QStringLiteral("db.mdb")));
            checkRegister();
        } else {
            FUZZ_CHECK(m_world.readFile(QStringLiteral("db.mdb")) == input);
            FUZZ_CHECK(!QFile::exists(m_world.file(QStringLiteral("db.jet.mdb"))));
        }
        const QStringList left = QDir(m_world.folder()).entryList(QDir::Files | QDir::Hidden);
        QStringList expected{QStringLiteral("db.mdb")};
        if (converted)
            expected = listed ? QStringList{QStringLiteral("db.jet.mdb"), QStringLiteral("db.jet.txt"),
                                            QStringLiteral("db.mdb")}
                              : QStringList{QStringLiteral("db.jet.mdb"), QStringLiteral("db.mdb")};
        FUZZ_CHECK(left == expected);
        clean();
        return converted;
    }

private:
    bool ownerOnly(const QString &name) const
    {
        struct stat info = {};
        return ::stat(QFile::encodeName(m_world.file(name)).constData(), &info) == 0 &&
               (info.st_mode & 0777) == 0600;
    }

    // The new register opens through the program's own connection and lists every site.
    void checkRegister() const
    {
        int sites = -1;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
            db.setDatabaseName(m_world.file(QStringLiteral("db.mdb")));
            FUZZ_CHECK(db.open());
            QSqlQuery query(db);
            FUZZ_CHECK(query.exec(QStringLiteral("pragma integrity_check")) && query.next());
            FUZZ_CHECK(query.value(0).toString() == QLatin1String("ok"));
            FUZZ_CHECK(query.exec(QStringLiteral("select count(*) from t_webinfo")) && query.next());
            sites = query.value(0).toInt();
            FUZZ_CHECK(query.exec(QStringLiteral("select count(*) from t_set")) && query.next());
            FUZZ_CHECK(query.value(0).toInt() >= 0);
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
        Connection connection;
        connection.setConnectionString(Connection::connectionStringFor(m_world.folder()));
        Query list(&connection);
        list.setSql(Statements::MainList);
        list.open();
        FUZZ_CHECK(list.recordCount() == sites);
    }

    void clean() const
    {
        for (const QString &name : QDir(m_world.folder()).entryList(QDir::Files | QDir::Hidden))
            QFile::remove(m_world.file(name));
    }

    FuzzWorld &m_world;
};
