#pragma once

#include <QString>

class Connection;

// Where the register is: an SQLite file, or a PostgreSQL server named by a libpq connection
// string. A server's string is kept in libpq's key=value form whatever form it was typed in;
// its password, when one was typed, serves this run only and is never shown nor remembered
// (libpq's ~/.pgpass or service file keeps it).
class RegisterAddress
{
public:
    enum class Kind { None, File, Server };

    // None: nothing chosen, so the register folder's db.mdb.
    RegisterAddress() = default;
    // The path is made absolute (a symbolic link is kept as it is).
    static RegisterAddress file(const QString &path);
    // The register folder's own db.mdb, which nothing chosen stands for.
    static RegisterAddress inFolder(const QString &folder);
    // What the user typed: a postgresql:// or postgres:// URI, or key=value words such as
    // "host=... dbname=..." or "service=corvane", names a server; anything else is a file's path.
    // Text that cannot be used gives None, with the reason in the program's words in refusal.
    static RegisterAddress fromText(const QString &typed, QString &refusal);
    // Why the file cannot be a register; empty when it can.
    static QString refusalOfFile(const QString &path);

    Kind kind() const { return m_kind; }
    bool isNone() const { return m_kind == Kind::None; }
    bool isServer() const { return m_kind == Kind::Server; }
    // The file's absolute path; empty for a server.
    QString path() const { return m_kind == Kind::File ? m_text : QString(); }
    // The server's connection string with everything typed, password included.
    QString connectionString() const { return m_kind == Kind::Server ? m_text : QString(); }
    // The path, or the server's connection string without any password or other secret: for the
    // window title, the settings window, and what is remembered.
    QString shownText() const;
    // A server's connection string held a password or another secret.
    bool hadSecret() const { return m_kind == Kind::Server && m_text != m_shown; }

    // Points the connection at this register (a file or a server); None changes nothing.
    void applyTo(Connection &connection) const;

    bool operator==(const RegisterAddress &other) const
    {
        return m_kind == other.m_kind && m_text == other.m_text;
    }
    bool operator!=(const RegisterAddress &other) const { return !(*this == other); }

private:
    Kind m_kind = Kind::None;
    QString m_text;  // the path, or the whole connection string
    QString m_shown; // a server's connection string without its secrets
};
