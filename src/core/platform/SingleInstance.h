#pragma once

#include <QString>

// One running copy per user: an exclusive flock on a lock file in the runtime
// folder. The kernel drops the lock when the process dies, so a killed copy
// never blocks the next start.
class SingleInstance
{
public:
    explicit SingleInstance(const QString &name);
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // False when another process already holds the name.
    bool acquired() const { return m_fd >= 0 || m_unguarded; }

private:
    int m_fd = -1;
    bool m_unguarded = false;
};
