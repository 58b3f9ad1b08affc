#include "platform/SingleInstance.h"

#include "platform/WorkFolder.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

SingleInstance::SingleInstance(const QString &name)
{
    QString folder = WorkFolder::path();
    QString fileName = name;
    if (folder.isEmpty()) {
        // No private folder: the shared temp folder, under a name of this user's own.
        folder = QDir::tempPath();
        fileName += QStringLiteral("-%1").arg(getuid());
    }
    const QByteArray lockPath = QFile::encodeName(QDir(folder).filePath(fileName));
    const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
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
