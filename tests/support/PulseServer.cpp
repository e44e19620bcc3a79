// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/support/PulseServer.h"

#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
PulseServer* g_server = nullptr;
// The server goes with the application object, before the process's static objects.
void endServer()
{
    delete g_server;
    g_server = nullptr;
}
}  // namespace

PulseServer* PulseServer::Shared(QString* error)
{
    static QString failure;
    if (!g_server && failure.isEmpty()) {
        auto* s = new PulseServer;
        if (s->start(&failure)) {
            g_server = s;
            qAddPostRoutine(endServer);
        } else {
            delete s;
        }
    }
    if (!g_server && error)
        *error = failure;
    return g_server;
}

bool PulseServer::waitUntil(const std::function<bool()>& done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QTest::qWait(5);
    return done();
}

bool PulseServer::start(QString* error)
{
    const QString exe = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
    if (exe.isEmpty()) {
        *error = QStringLiteral("pulseaudio is needed for the sound tests (tools/debian-packages.txt)");
        return false;
    }
    m_dir = testenv::root() + QStringLiteral("/pulse");
    QDir().mkpath(m_dir);
    const QString socket = m_dir + QStringLiteral("/native");
    m_fifo = m_dir + QStringLiteral("/capture.fifo");
    m_sourceFifo = m_dir + QStringLiteral("/source.fifo");
    if (::mkfifo(QFile::encodeName(m_fifo).constData(), 0600) != 0 && errno != EEXIST) {
        *error = QStringLiteral("cannot make the capture FIFO");
        return false;
    }
    // The FIFO is open for reading before the server writes into it, so nothing is lost.
    const int fd = ::open(QFile::encodeName(m_fifo).constData(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) {
        *error = QStringLiteral("cannot open the capture FIFO");
        return false;
    }
    m_reader = std::thread([this, fd] {
        char buf[65536];
        while (!m_stop.load()) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0) {
                std::lock_guard lock(m_mutex);
                m_capture.append(buf, n);
            } else if (n == 0) {
                ::usleep(5000);  // no writer at the moment
            }
        }
        ::close(fd);
    });

    QFile config(m_dir + QStringLiteral("/default.pa"));
    if (!config.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write the server configuration");
        return false;
    }
    config.write(QStringLiteral("load-module module-native-protocol-unix auth-anonymous=1 socket=%1\n"
                                "load-module module-pipe-sink sink_name=%2 file=%3 format=s16le rate=%4 channels=%5 "
                                "use_system_clock_for_timing=yes\n"
                                "load-module module-null-sink sink_name=%6\n"
                                "load-module module-pipe-source source_name=%7 file=%8 format=s16le rate=%4 "
                                "channels=%5\n"
                                "set-default-sink %2\n"
                                "set-default-source %7\n")
                     .arg(socket, QLatin1String(kPipeSink), m_fifo)
                     .arg(kRate)
                     .arg(kChannels)
                     .arg(QLatin1String(kNullSink), QLatin1String(kPipeSource), m_sourceFifo)
                     .toUtf8());
    config.close();
    if (!launch(error))
        return false;
    qputenv("PULSE_SERVER", (QStringLiteral("unix:") + m_dir + QStringLiteral("/native")).toUtf8());
    return true;
}

bool PulseServer::launch(QString* error)
{
    const QString exe = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
    const QString socket = m_dir + QStringLiteral("/native");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_dir);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir);
    env.remove(QStringLiteral("PULSE_SERVER"));
    m_server.setProcessEnvironment(env);
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // The server goes with the test, however the test ends: one left running after a crash
    // holds the test's output open, and the runner then waits for it until its time-out
    // instead of reporting the crash.
    m_server.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_server.start(exe, {QStringLiteral("-n"), QStringLiteral("-F"), m_dir + QStringLiteral("/default.pa"),
                         QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                         QStringLiteral("--disable-shm=yes"), QStringLiteral("--use-pid-file=no"),
                         QStringLiteral("--log-target=stderr"), QStringLiteral("--log-level=error")});
    if (!m_server.waitForStarted(5000)) {
        *error = QStringLiteral("the sound server did not start");
        return false;
    }
    // A killed server leaves its socket behind; the new one makes it anew.
    if (!waitUntil([&socket] { return QFile::exists(socket); }, 5000)) {
        *error = QStringLiteral("the sound server made no socket");
        return false;
    }
    // The socket is there before the server has finished its start-up; the sound library gives
    // up on a server that does not answer its first connection, for the rest of the process.
    const QString address = QStringLiteral("unix:") + socket;
    const auto answers = [&address] {
        QProcess info;
        info.setProgram(QStringLiteral("pactl"));
        info.setArguments({QStringLiteral("--server=") + address, QStringLiteral("info")});
        info.setStandardOutputFile(QProcess::nullDevice());
        info.setStandardErrorFile(QProcess::nullDevice());
        info.start();
        return info.waitForFinished(5000) && info.exitStatus() == QProcess::NormalExit && info.exitCode() == 0;
    };
    if (!waitUntil(answers, 20000)) {
        *error = QStringLiteral("the sound server does not answer");
        return false;
    }
    return true;
}

bool PulseServer::restart(QString* error)
{
    kill();
    // The pipe source makes its FIFO itself and refuses one that is there already.
    QFile::remove(m_sourceFifo);
    QString why;
    const bool ok = launch(&why);
    if (!ok && error)
        *error = why;
    return ok;
}

void PulseServer::feedSource(const QByteArray& pcm)
{
    if (m_feeder.joinable())
        m_feeder.join();
    m_feeding = true;
    const QByteArray path = QFile::encodeName(m_sourceFifo);
    m_feeder = std::thread([this, pcm, path] {
        // A server gone meanwhile must fail the write, not end the test process.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        // The server holds the FIFO open, so this open does not wait for a reader.
        const int fd = ::open(path.constData(), O_WRONLY);
        if (fd >= 0) {
            qint64 done = 0;
            while (done < pcm.size() && !m_stop.load()) {
                const ssize_t n = ::write(fd, pcm.constData() + done, static_cast<size_t>(std::min<qint64>(pcm.size() - done, 4096)));
                if (n <= 0)
                    break;
                done += n;
            }
            ::close(fd);
        }
        m_feeding = false;
    });
}

bool PulseServer::waitFed(int ms)
{
    return waitUntil([this] { return !m_feeding.load(); }, ms);
}

PulseServer::~PulseServer()
{
    kill();
    m_stop = true;
    if (m_feeder.joinable())
        m_feeder.join();
    if (m_reader.joinable())
        m_reader.join();
}

void PulseServer::kill()
{
    if (m_server.state() != QProcess::NotRunning) {
        m_server.kill();
        m_server.waitForFinished(3000);
    }
}

QByteArray PulseServer::captured() const
{
    std::lock_guard lock(m_mutex);
    return m_capture;
}

void PulseServer::clearCapture()
{
    std::lock_guard lock(m_mutex);
    m_capture.clear();
}
