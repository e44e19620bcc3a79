// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// Paths that name something other than a regular file (a FIFO without a writer, a device, a
// socket, a folder), made in a test's folder under audio names, and a way to run a call that
// could block on one of them with a deadline: a test that meets a blocking open fails within
// seconds instead of hanging the suite.

#include <QDir>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace specialfiles {

struct Special {
    const char* kind;   // the words the refusal uses: "a FIFO", "a device", ...
    QString path;
};

// A FIFO, a device (a link to /dev/zero), a socket and a folder named `<stem>-<kind>.<ext>` in
// `folder`. The socket stays bound while this lives.
class SpecialFiles {
public:
    SpecialFiles(const QString& folder, const QString& stem = QStringLiteral("x"), const QString& ext = QStringLiteral("wav"))
    {
        auto name = [&](const char* kind) { return QDir(folder).filePath(stem + u'-' + QLatin1String(kind) + u'.' + ext); };
        fifo = name("fifo");
        EXPECT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0) << std::strerror(errno);
        const QString device = name("device");
        EXPECT_EQ(::symlink("/dev/zero", QFile::encodeName(device).constData()), 0) << std::strerror(errno);
        const QString socketPath = name("socket");
        m_socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray native = QFile::encodeName(socketPath);
        EXPECT_LT(size_t(native.size()), sizeof address.sun_path) << "the test folder's path is too long for a socket";
        std::strncpy(address.sun_path, native.constData(), sizeof address.sun_path - 1);
        EXPECT_EQ(::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << std::strerror(errno);
        const QString folderPath = name("folder");
        EXPECT_TRUE(QDir().mkpath(folderPath));
        all = {{"a FIFO", fifo}, {"a device", device}, {"a socket", socketPath}, {"a folder", folderPath}};
    }
    ~SpecialFiles()
    {
        if (m_socket >= 0)
            ::close(m_socket);
    }
    SpecialFiles(const SpecialFiles&) = delete;
    SpecialFiles& operator=(const SpecialFiles&) = delete;

    QString fifo;
    std::vector<Special> all;

private:
    int m_socket = -1;
};

// Runs `call` on a thread of its own and waits for it up to `seconds`. When it has not returned
// by then (it waits on a FIFO), opening the FIFO's writing end sets it free, so the test fails
// (false) and goes on rather than hanging.
inline bool finishesInTime(const std::function<void()>& call, const QString& fifo, int seconds = 5)
{
    struct Shared {
        std::mutex lock;
        std::condition_variable changed;
        bool done = false;
    };
    auto shared = std::make_shared<Shared>();
    std::thread worker([call, shared] {
        call();
        std::lock_guard<std::mutex> hold(shared->lock);
        shared->done = true;
        shared->changed.notify_all();
    });
    bool inTime;
    {
        std::unique_lock<std::mutex> hold(shared->lock);
        inTime = shared->changed.wait_for(hold, std::chrono::seconds(seconds), [&] { return shared->done; });
    }
    while (!inTime) {
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0)
            ::close(fd);
        std::unique_lock<std::mutex> hold(shared->lock);
        if (shared->changed.wait_for(hold, std::chrono::milliseconds(100), [&] { return shared->done; }))
            break;
    }
    worker.join();
    return inTime;
}

// The links a writer meets at its output's name: one to a regular file (written through, the
// link stays) and two that lead elsewhere (nowhere, a FIFO), where nothing may be made or written.
struct LinkCase {
    const char* link;
    const char* leadsTo;  // in the folder made by makeLinkTargets
    bool through;
};
inline constexpr LinkCase kLinkCases[] = {
    {"to-file.wav", "file.wav", true},
    {"dangling.wav", "never.wav", false},
    {"to-pipe.wav", "pipe", false},
};

// `folder` with "file.wav" holding `old` and a FIFO "pipe": what the links of kLinkCases lead to.
inline void makeLinkTargets(const QString& folder, const QByteArray& old)
{
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile file(folder + QStringLiteral("/file.wav"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
    file.close();
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder + QStringLiteral("/pipe")).constData(), 0644), 0);
}

}  // namespace specialfiles
