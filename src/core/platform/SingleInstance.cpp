#include "platform/SingleInstance.h"

#include "platform/WorkFolder.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

SingleInstance::SingleInstance(const QString &name)
{
    // Only in a folder of the user's own: a lock file anyone else can reach could be
    // held by them to keep the program from ever starting.
    const QString folder = WorkFolder::path();
    const QByteArray lockPath = QFile::encodeName(QDir(folder).filePath(name));
    const int fd =
        folder.isEmpty() ? -1 : ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        // No lock file can be had: better to run unguarded than never to start.
        m_unguarded = true;
        return;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    m_fd = fd;
}

SingleInstance::~SingleInstance()
{
    if (m_fd >= 0)
        ::close(m_fd);
}
