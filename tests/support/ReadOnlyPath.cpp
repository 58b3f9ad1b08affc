#include "ReadOnlyPath.h"

#include <QFile>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool setImmutable(const QString &path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

} // namespace

ReadOnlyPath::ReadOnlyPath(const QString &path) : m_path(path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return;
    m_mode = info.st_mode & 07777;
    if (::chmod(QFile::encodeName(path).constData(), m_mode & ~0222) != 0)
        return;
    if (::geteuid() == 0) {
        m_immutable = setImmutable(path, true);
        m_active = m_immutable;
    } else {
        m_active = true;
    }
}

ReadOnlyPath::~ReadOnlyPath()
{
    if (m_immutable)
        setImmutable(m_path, false);
    if (m_mode)
        ::chmod(QFile::encodeName(m_path).constData(), m_mode);
}
