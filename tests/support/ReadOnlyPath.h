#pragma once

#include <QString>

// Makes a file or folder read-only for the length of a test, the way a user would,
// and for a test running as root (which ignores permission bits) also immutable.
class ReadOnlyPath
{
public:
    explicit ReadOnlyPath(const QString &path);
    ~ReadOnlyPath();
    ReadOnlyPath(const ReadOnlyPath &) = delete;
    ReadOnlyPath &operator=(const ReadOnlyPath &) = delete;

    // False when the path could not be made read-only here; the test then skips.
    bool active() const { return m_active; }

private:
    QString m_path;
    unsigned m_mode = 0;
    bool m_immutable = false;
    bool m_active = false;
};
