#include "export/BackgroundWriter.h"

#include "export/ExportError.h"

#include <QFileDevice>

#include <fcntl.h>

namespace {

constexpr std::size_t MostQueued = 3;
constexpr qint64 WriteBackSize = 2 * 1024 * 1024;

// Has the disk start writing what the file holds so far, without waiting for it: the sync
// that ends a save then finds most of a large export written instead of all of it to do.
void startWriteBack(QIODevice *device)
{
#ifdef Q_OS_LINUX
    const auto *file = qobject_cast<QFileDevice *>(device);
    if (file && file->handle() >= 0)
        ::sync_file_range(file->handle(), 0, 0, SYNC_FILE_RANGE_WRITE);
#else
    Q_UNUSED(device);
#endif
}

} // namespace

BackgroundWriter::BackgroundWriter(QIODevice *device) : m_device(device), m_thread([this] { run(); }) {}

BackgroundWriter::~BackgroundWriter()
{
    stop();
}

QByteArray BackgroundWriter::swap(QByteArray &&bytes)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_queue.size() < MostQueued || !m_error.isEmpty(); });
    throwOnError();
    m_queue.push_back(std::move(bytes));
    QByteArray next;
    if (!m_spare.empty()) {
        next = std::move(m_spare.front());
        m_spare.pop_front();
    }
    m_changed.notify_all();
    return next;
}

void BackgroundWriter::finish()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return (m_queue.empty() && !m_writing) || !m_error.isEmpty(); });
    throwOnError();
}

void BackgroundWriter::throwOnError() const
{
    if (!m_error.isEmpty())
        throw ExportError("write failed: " + m_error.toStdString());
}

void BackgroundWriter::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void BackgroundWriter::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return !m_queue.empty() || m_stopping; });
        if (m_queue.empty() || !m_error.isEmpty())
            return;
        QByteArray bytes = std::move(m_queue.front());
        m_queue.pop_front();
        m_writing = true;
        lock.unlock();
        const bool written = m_device->write(bytes.constData(), bytes.size()) == bytes.size();
        m_unsynced += bytes.size();
        if (written && m_unsynced >= WriteBackSize) {
            startWriteBack(m_device);
            m_unsynced = 0;
        }
        bytes.resize(0);
        lock.lock();
        m_writing = false;
        if (!written)
            m_error = m_device->errorString();
        m_spare.push_back(std::move(bytes));
        m_changed.notify_all();
    }
}
