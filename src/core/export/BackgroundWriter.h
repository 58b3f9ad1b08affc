#pragma once

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

class QIODevice;

// Writes pieces of an export to a file on a thread of its own, so that the copying into
// the system's cache and the disk's writing overlap with the making of the next pieces.
// Only this thread touches the device until finish() returns.
class BackgroundWriter
{
public:
    explicit BackgroundWriter(QIODevice *device);
    ~BackgroundWriter();
    BackgroundWriter(const BackgroundWriter &) = delete;
    BackgroundWriter &operator=(const BackgroundWriter &) = delete;

    // Queues bytes for writing and hands back an empty buffer to fill next (one written
    // before, so its memory is reused); waits while enough is queued already. Both throw
    // ExportError once a write has failed; finish() waits until everything is written.
    QByteArray swap(QByteArray &&bytes);
    void finish();

private:
    void run();
    void stop();
    void throwOnError() const; // with the lock held

    QIODevice *m_device;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<QByteArray> m_queue;
    std::deque<QByteArray> m_spare;
    bool m_writing = false;
    bool m_stopping = false;
    QString m_error; // the first write that failed; nothing is written after it
    qint64 m_unsynced = 0;
    std::thread m_thread;
};
