// Start as the user waits for it: from starting the process to the login window's first
// pixels on a real X server (an Xvfb of this run's own), next to a bare Qt Widgets window of
// the same size (corvane_bare_window) started and watched the same way. Both are watched
// from outside: the root window reports the map, and the window's middle row is read back
// until the program has painted it (the root is black, every window here is not).
#include "BenchKit.h"
#include "BenchSections.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <poll.h>

namespace {

const int TimeoutMs = 20000;

// An Xvfb on the first free display from :96, for this run alone.
class XServer
{
public:
    XServer()
    {
        for (int number = 96; number < 200 && m_display.isEmpty(); ++number) {
            if (QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)) ||
                QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)))
                continue;
            m_display = QStringLiteral(":%1").arg(number);
        }
        m_server.setStandardOutputFile(QProcess::nullDevice());
        m_server.setStandardErrorFile(QProcess::nullDevice());
        m_server.start(QStringLiteral("Xvfb"), {m_display, QStringLiteral("-screen"), QStringLiteral("0"),
                                                QStringLiteral("1280x900x24"), QStringLiteral("-nolisten"),
                                                QStringLiteral("tcp"), QStringLiteral("-br")});
        if (!m_server.waitForStarted())
            qFatal("Xvfb cannot be started (Debian package xvfb)");
    }
    ~XServer()
    {
        m_server.kill();
        m_server.waitForFinished();
    }
    XServer(const XServer &) = delete;
    XServer &operator=(const XServer &) = delete;

    QString display() const { return m_display; }

private:
    QString m_display;
    QProcess m_server;
};

// Watches the screen through a connection of its own.
class ScreenWatch
{
public:
    explicit ScreenWatch(const QString &display)
    {
        QElapsedTimer waited;
        waited.start();
        for (;;) {
            m_connection = xcb_connect(display.toLatin1().constData(), nullptr);
            if (!xcb_connection_has_error(m_connection))
                break;
            xcb_disconnect(m_connection);
            if (waited.elapsed() > TimeoutMs)
                qFatal("the X server on %s does not answer", qPrintable(display));
            QThread::msleep(20);
        }
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, root, XCB_CW_EVENT_MASK, &events);
        settle();
    }
    ~ScreenWatch() { xcb_disconnect(m_connection); }
    ScreenWatch(const ScreenWatch &) = delete;
    ScreenWatch &operator=(const ScreenWatch &) = delete;

    // Milliseconds from starting the process to its first window's first pixels on screen.
    double firstPixelsMs(QProcess &process, const QString &program)
    {
        QElapsedTimer timer;
        timer.start();
        process.start(program, QStringList());
        const xcb_window_t window = mappedWindow(timer);
        while (!painted(window)) {
            if (timer.elapsed() > TimeoutMs)
                qFatal("%s never painted its window", qPrintable(program));
            QThread::usleep(200);
        }
        const double ms = timer.nsecsElapsed() / 1e6;
        process.kill();
        process.waitForFinished();
        settle();
        return ms;
    }

private:
    // Waits until the server has taken every request so far, then drops what it reported.
    void settle()
    {
        free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection))
            free(event);
    }

    xcb_window_t mappedWindow(const QElapsedTimer &timer)
    {
        for (;;) {
            while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
                const auto *map = reinterpret_cast<xcb_map_notify_event_t *>(event);
                const bool mapped =
                    (event->response_type & 0x7f) == XCB_MAP_NOTIFY && !map->override_redirect;
                const xcb_window_t window = map->window;
                free(event);
                if (mapped)
                    return window;
            }
            if (timer.elapsed() > TimeoutMs)
                qFatal("no window was shown");
            pollfd ready = {xcb_get_file_descriptor(m_connection), POLLIN, 0};
            ::poll(&ready, 1, 100);
        }
    }

    bool painted(xcb_window_t window)
    {
        xcb_get_geometry_reply_t *geometry =
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr);
        if (!geometry)
            return false;
        xcb_get_image_reply_t *image =
            xcb_get_image_reply(m_connection,
                                xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0,
                                              int16_t(geometry->height / 2), geometry->width, 1, ~0u),
                                nullptr);
        free(geometry);
        if (!image)
            return false;
        const uint8_t *pixels = xcb_get_image_data(image);
        const int length = xcb_get_image_data_length(image);
        const bool drawn = std::any_of(pixels, pixels + length, [](uint8_t byte) { return byte != 0; });
        free(image);
        return drawn;
    }

    xcb_connection_t *m_connection = nullptr;
};

// A program folder as the build leaves it: the program, the register and empty carriers.
QString programFolder(const QTemporaryDir &work, const QString &registerPath)
{
    const QString folder = work.filePath(QStringLiteral("program"));
    QDir().mkpath(folder);
    const QString program = folder + QStringLiteral("/corvane");
    if (!QFile::copy(QStringLiteral(CORVANE_PROGRAM), program) ||
        !QFile::copy(registerPath, folder + QStringLiteral("/db.mdb")))
        qFatal("cannot set up the program folder");
    for (const char *carrier : {"key.exe", "sk.exe"}) {
        QFile file(folder + QLatin1Char('/') + QLatin1String(carrier));
        if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(QFile::ReadOwner | QFile::WriteOwner))
            qFatal("cannot write %s", carrier);
    }
    return program;
}

QProcessEnvironment screenEnvironment(const QString &display, const QTemporaryDir &work)
{
    // A runtime folder of its own: the single-instance lock of a Corvane the user runs stays out.
    const QString runtime = work.filePath(QStringLiteral("runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    return environment;
}

} // namespace

void benchStart(BenchTable &table, const BenchRegister &bench)
{
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) {
        std::printf("start to the login window: skipped, it needs Xvfb (Debian package xvfb)\n");
        return;
    }
    QTemporaryDir work;
    const QString corvane = programFolder(work, bench.pristinePath);
    XServer server;
    ScreenWatch watch(server.display());
    QProcess process;
    process.setProcessEnvironment(screenEnvironment(server.display(), work));
    process.setWorkingDirectory(work.path());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    const QString bare = QStringLiteral(CORVANE_BARE_WINDOW);
    // One start of each first, so that both find their libraries in memory.
    watch.firstPixelsMs(process, bare);
    watch.firstPixelsMs(process, corvane);
    const auto [bareMs, startMs] =
        Bench::alternatedMedians([&] { return watch.firstPixelsMs(process, bare); },
                                 [&] { return watch.firstPixelsMs(process, corvane); });
    table.add({QStringLiteral("start to the login window (Xvfb)"), startMs, QStringLiteral("ms"),
               QStringLiteral("a bare Qt Widgets window"), bareMs, 2});
}
