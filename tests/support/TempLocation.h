#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Points the shared temp location (TMPDIR) elsewhere for the lifetime of the object.
class TempLocation
{
public:
    explicit TempLocation(const QString &path) : m_old(qgetenv("TMPDIR"))
    {
        qputenv("TMPDIR", QFile::encodeName(path));
    }
    ~TempLocation()
    {
        if (m_old.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", m_old);
    }
    TempLocation(const TempLocation &) = delete;
    TempLocation &operator=(const TempLocation &) = delete;

private:
    QByteArray m_old;
};
