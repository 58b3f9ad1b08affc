#pragma once

#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QString>

#include <memory>

class CredentialSeal;
class Query;

// The one shared connection to the register: db.mdb (an SQLite file), or a database on a
// PostgreSQL server. It opens itself when a query needs it and never creates a missing
// register file; an empty server database gets the register's tables.
class Connection : public QObject
{
    Q_OBJECT
public:
    explicit Connection(QObject *parent = nullptr);
    ~Connection() override;

    // "Provider=...;Data Source=<path>;Persist Security Info=False"; only Data Source is used.
    void setConnectionString(const QString &text);
    QString connectionString() const { return m_connectionString; }
    QString databasePath() const;
    // A register on a PostgreSQL server, named by libpq's key=value options ("host=... dbname=...");
    // while one is set it is used instead of the connection string's file. An empty text goes
    // back to the file. Closes the connection.
    void setServer(const QString &conninfo);
    QString server() const { return m_server; }
    bool isServer() const { return !m_server.isEmpty(); }

    // Makes a register of an earlier kind a register before it is opened, and returns the notice
    // to show (empty when there was nothing to do). The program converts earlier installations'
    // Jet registers this way; the store itself knows nothing of them.
    using Preparation = QString (*)(const QString &path);
    void setPreparation(Preparation preparation) { m_preparation = preparation; }
    // Opens the register read-only whatever its file mode (on a server: a read-only session), for
    // readers that must never change it (the due list that runs beside the program).
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

    // Throws StoreError when the file is missing, not a register, or cannot be opened, and
    // whatever the preparation throws (the conversion's JetConversionError, whose message()
    // is the line for the user). On a server: StoreError with libpq's reason when the server
    // cannot be reached, and with the tables in the way when the database is no register.
    void open();
    // The notice that a Jet register was converted and where the original is kept;
    // empty when there was none or it was already taken. The main window shows it once.
    QString takeConversionNotice();
    void close();
    bool isOpen() const;
    // Opens when closed; returns the open database.
    QSqlDatabase database();

    // Whether the register keeps its credentials sealed (it has key slots); read at every opening.
    bool isProtected();
    // Told by the one switching protection on or off within this run.
    void setProtected(bool isProtected) { m_protected = isProtected; }
    // The seal of a protected register, once a password has opened it: queries seal and open the
    // credentials with it. Without it, a protected register's credentials can be neither read nor
    // written. Kept across closing and opening again.
    void setSeal(std::shared_ptr<const CredentialSeal> seal) { m_seal = std::move(seal); }
    const CredentialSeal *seal() const { return m_seal.get(); }
    // The seal; throws StoreError when no password has opened the register.
    const CredentialSeal *requireSeal() const;

    // Connection string for db.mdb in the given folder.
    static QString connectionStringFor(const QString &folder);

signals:
    // The open connection was closed, and every result on it with it: the lists that showed one
    // read it again.
    void closed();
    // On a server: another desk inserted, saved or deleted a site or changed the settings. Comes
    // while the event loop runs, within moments of the other desk's commit.
    void changedElsewhere();

private:
    friend class Query;
    void openFile();
    void openServer();
    void listenForChanges(QSqlDatabase &db);
    void noticeChange(const QString &channel, QSqlDriver::NotificationSource source);
    // The database under this connection's name, with the driver the register needs.
    QSqlDatabase databaseFor(const QString &driver);

    QString m_connectionString;
    QString m_server;
    QString m_name;
    QString m_conversionNotice;
    Preparation m_preparation = nullptr;
    bool m_readOnly = false;
    bool m_protected = false;
    std::shared_ptr<const CredentialSeal> m_seal;
    // Results that closing the connection closes too.
    QList<Query *> m_queries;
};
