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
    if (folder.isEmpty())
        folder = QDir::tempPath();
    const QByteArray lockPath = QFile::encodeName(QDir(folder).filePath(name));
    const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return; // no lock file possible: behave as a second copy would never be detected
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
