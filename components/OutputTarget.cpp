// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/OutputTarget.h"

#include "components/engine/DiscTrackHook.h"
#include "foundation/NativeNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSocketNotifier>

#include <dirent.h>
#include <fcntl.h>
#include <semaphore.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <thread>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <ctime>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace components {

namespace {

QString quoted(const QString& path)
{
    return QLatin1Char('\'') + path + QLatin1Char('\'');
}

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

// Part files of running jobs, kept where a signal handler can read them: fixed slots of plain
// bytes, published by an atomic flag once the name is complete.
constexpr int kSlots = 64;
struct LiveSlot {
    std::atomic<bool> taken{false};
    std::atomic<bool> ready{false};
    char path[PATH_MAX] = {};
    // A recording's part file: finished and renamed to `target` instead of removed.
    std::atomic<bool> keep{false};
    std::atomic<bool> writing{false};
    // Its owner writes what it holds and puts the file in place itself (drainOnSignal).
    std::atomic<bool> drains{false};
    int fd = -1;
    int block = 1;
    unsigned char header[44] = {};
    bool replaces = false;
    mode_t mode = 0;
    gid_t gid = 0;
    char target[PATH_MAX] = {};
};
LiveSlot g_live[kSlots];
std::atomic<bool> g_ending{false};

void putLe32(unsigned char* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// Async-signal-safe: what is on the file stays, with the sizes of its whole frames.
void finishKeptPart(LiveSlot& slot)
{
    // A write running on another thread ends first (one system call; bounded in case the
    // signal interrupted that very write on this thread).
    for (int i = 0; i < 500 && slot.writing.load(); ++i) {
        const timespec pause{0, 1000000};
        ::nanosleep(&pause, nullptr);
    }
    struct stat st {};
    if (::fstat(slot.fd, &st) != 0)
        return;
    const int64_t block = slot.block > 0 ? slot.block : 1;
    const int64_t limit = (int64_t(UINT32_MAX) - 44) / block * block;
    int64_t data = st.st_size > 44 ? (st.st_size - 44) / block * block : 0;
    if (data > limit)
        data = limit;
    if (::ftruncate(slot.fd, 44 + data + (data & 1)) != 0 && (data & 1)) {
        data -= block;
        if (::ftruncate(slot.fd, 44 + data + (data & 1)) != 0)
            return;
    }
    unsigned char header[44];
    std::memcpy(header, slot.header, sizeof header);
    putLe32(header + 4, static_cast<uint32_t>(data + 36 + (data & 1)));
    putLe32(header + 40, static_cast<uint32_t>(data));
    if (::pwrite(slot.fd, header, sizeof header, 0) != static_cast<ssize_t>(sizeof header))
        return;
    if (slot.replaces) {
        if (::fchown(slot.fd, uid_t(-1), slot.gid) != 0) {
            // Not a member of that group: the file keeps the user's own.
        }
        ::fchmod(slot.fd, slot.mode & 07777);
    }
    ::rename(slot.path, slot.target);
}

// Files and folders of running tasks that a signal removes after the part files (RemovedOnSignal).
// A duplication holds one per track of a disc, 99 at most, and a folder.
constexpr int kTaskSlots = 128;
struct TaskSlot {
    std::atomic<bool> taken{false};
    std::atomic<bool> ready{false};
    bool folder = false;
    bool filesOf = false;  // the ordinary files in the folder `path`, not the folder
    char path[PATH_MAX] = {};
};
TaskSlot g_task[kTaskSlots];

// Async-signal-safe: unlinks the regular files directly in `folder` (no links, no folders),
// read with the system call itself, which takes no lock and allocates nothing.
void unlinkFilesIn(const char* folder)
{
    const int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    alignas(8) char buffer[8192];
    for (;;) {
        const long got = ::syscall(SYS_getdents64, fd, buffer, sizeof buffer);
        if (got <= 0)
            break;
        for (long at = 0; at < got;) {
            const auto* entry = reinterpret_cast<const struct dirent64*>(buffer + at);
            at += entry->d_reclen;
            unsigned char type = entry->d_type;
            if (type == DT_UNKNOWN) {
                struct stat st {};
                if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
                    type = DT_REG;
            }
            if (type == DT_REG)
                ::unlinkat(fd, entry->d_name, 0);
        }
    }
    ::close(fd);
}

// SIGHUP is how a closed terminal ends its jobs: as much a kill as SIGTERM. SIGPIPE is how a
// tool whose output is read by a reader that has gone (`| head -1`) ends.
constexpr int kSignalCount = 4;
struct sigaction g_previous[kSignalCount];
constexpr int kSignals[kSignalCount] = {SIGTERM, SIGINT, SIGHUP, SIGPIPE};

// A recording's owner drains it on its own thread before the process ends: the signal handler
// only wakes that thread (through the pipe) and a watchdog that ends the process should the
// drain not come to an end.
int g_drainPipe[2] = {-1, -1};
sem_t g_watchdogWake;
std::atomic<int> g_pendingSignal{0};
std::atomic<bool> g_ended{false};
constexpr int kDrainMilliseconds = 3000;

// Async-signal-safe, and run once: part files finished or removed, then whatever the signal did
// before: end the process, or run the handler that was there.
void endProcess(int sig)
{
    if (g_ended.exchange(true))
        return;
    g_ending.store(true);
    for (LiveSlot& slot : g_live)
        if (slot.ready.load(std::memory_order_acquire) && slot.keep.load()) {
            // Put in place, or (when that failed) left for the user rather than removed.
            finishKeptPart(slot);
            slot.ready.store(false);
        }
    for (LiveSlot& slot : g_live)
        if (slot.ready.load(std::memory_order_acquire))
            ::unlink(slot.path);
    for (TaskSlot& slot : g_task)
        if (slot.ready.load(std::memory_order_acquire) && !slot.folder && !slot.filesOf)
            ::unlink(slot.path);
    for (TaskSlot& slot : g_task)
        if (slot.ready.load(std::memory_order_acquire) && slot.filesOf)
            unlinkFilesIn(slot.path);
    for (TaskSlot& slot : g_task)
        if (slot.ready.load(std::memory_order_acquire) && slot.folder)
            ::rmdir(slot.path);
    for (int i = 0; i < kSignalCount; ++i) {
        if (kSignals[i] != sig)
            continue;
        const struct sigaction& old = g_previous[i];
        if (old.sa_flags & SA_SIGINFO) {
            if (old.sa_sigaction)
                old.sa_sigaction(sig, nullptr, nullptr);
            return;
        }
        if (old.sa_handler != SIG_DFL && old.sa_handler != SIG_IGN) {
            old.sa_handler(sig);
            return;
        }
        ::sigaction(sig, &old, nullptr);
        ::raise(sig);
    }
}

void onSignal(int sig)
{
    bool drains = false;
    for (LiveSlot& slot : g_live)
        if (slot.ready.load(std::memory_order_acquire) && slot.drains.load())
            drains = true;
    int none = 0;
    if (drains && g_drainPipe[1] >= 0 && g_pendingSignal.compare_exchange_strong(none, sig)) {
        const char wake = 1;
        if (::write(g_drainPipe[1], &wake, 1) == 1) {
            ::sem_post(&g_watchdogWake);
            return;
        }
    }
    // No drain, a second signal, or no way to wake the drain: at once.
    endProcess(sig);
}

// The drains of the part files being written, by slot; run on the thread that registered them.
std::mutex g_drainMutex;
std::map<int, std::function<void()>> g_drains;

class DrainNotifier final : public QObject {
public:
    DrainNotifier() : m_notifier(g_drainPipe[0], QSocketNotifier::Read)
    {
        connect(&m_notifier, &QSocketNotifier::activated, this, [] {
            char wake;
            while (::read(g_drainPipe[0], &wake, 1) == 1) {
            }
            std::map<int, std::function<void()>> drains;
            {
                std::lock_guard lock(g_drainMutex);
                drains = g_drains;
            }
            for (auto& [slot, drain] : drains)
                drain();
            endProcess(g_pendingSignal.load());
        });
    }

private:
    QSocketNotifier m_notifier;
};

// Made on the first drainOnSignal, on its thread.
void startDrains()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (::pipe2(g_drainPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
            g_drainPipe[0] = g_drainPipe[1] = -1;
            return;
        }
        ::sem_init(&g_watchdogWake, 0, 0);
        new DrainNotifier;  // lives as long as the process
        std::thread([] {
            while (::sem_wait(&g_watchdogWake) != 0) {
            }
            for (int waited = 0; waited < kDrainMilliseconds && !g_ended.load(); waited += 10) {
                const timespec pause{0, 10000000};
                ::nanosleep(&pause, nullptr);
            }
            endProcess(g_pendingSignal.load());
        }).detach();
    });
}

// Installed with the first part file, so that the program and every tool running jobs get it.
// A signal the process ignores stays ignored: the job then goes on and cleans up itself.
void installSignalHandlers()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (int i = 0; i < kSignalCount; ++i) {
            struct sigaction current {};
            if (::sigaction(kSignals[i], nullptr, &current) != 0)
                continue;
            if (!(current.sa_flags & SA_SIGINFO) && current.sa_handler == SIG_IGN)
                continue;
            g_previous[i] = current;
            struct sigaction mine {};
            mine.sa_handler = onSignal;
            sigemptyset(&mine.sa_mask);
            for (int s : kSignals)
                sigaddset(&mine.sa_mask, s);
            mine.sa_flags = SA_RESTART;
            ::sigaction(kSignals[i], &mine, nullptr);
        }
    });
}

int registerPart(const QByteArray& path)
{
    if (path.size() >= PATH_MAX)
        return -1;
    installSignalHandlers();
    for (int i = 0; i < kSlots; ++i) {
        bool expected = false;
        if (g_live[i].taken.compare_exchange_strong(expected, true)) {
            std::memcpy(g_live[i].path, path.constData(), size_t(path.size()) + 1);
            g_live[i].ready.store(true, std::memory_order_release);
            return i;
        }
    }
    return -1;
}

void unregisterPart(int slot)
{
    if (slot < 0)
        return;
    g_live[slot].ready.store(false, std::memory_order_release);
    g_live[slot].keep.store(false);
    g_live[slot].writing.store(false);
    if (g_live[slot].drains.exchange(false)) {
        std::lock_guard lock(g_drainMutex);
        g_drains.erase(slot);
    }
    g_live[slot].taken.store(false, std::memory_order_release);
}

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("not a regular file");
}

// The longest name, in bytes, that the folder takes.
long longestName(const QString& folder)
{
    const long n = ::pathconf(encoded(folder).constData(), _PC_NAME_MAX);
    return n > 0 ? n : long(NAME_MAX);
}

// The part-file name for `tag`: the one that shows its target's name where the folder takes a
// name that long, else the short one.
QString partFileNameFor(const QString& targetFileName, const QString& tag, bool shortName, bool recording = false)
{
    if (recording)
        return shortName ? ShortRecordingPartFileName(targetFileName, tag) : RecordingPartFileName(targetFileName, tag);
    return shortName ? ShortPartFileName(targetFileName, tag) : PartFileName(targetFileName, tag);
}

const QString kRecordingMarker = QStringLiteral("recording-");

// A 64-bit tag in hex is at most this long.
constexpr int kLongestTag = 16;

// Removes part files of this target that no job holds: a job keeps a lock on its own while it
// runs, in this process or another, so an unlocked one was left by a job that was killed. One
// changed in the last minute is left alone: a job locks its part file just after making it, and
// short part-file names are shared by every target of an extension in the folder.
void removeStalePartFiles(const QString& target, bool shortName)
{
    constexpr time_t kFreshSeconds = 60;
    const time_t now = ::time(nullptr);
    const QFileInfo info(target);
    const QString marker = QStringLiteral("/");  // the one character no file name holds
    const QString sample = partFileNameFor(info.fileName(), marker, shortName);
    const qsizetype at = sample.lastIndexOf(marker);
    const QString pattern = QRegularExpression::anchoredPattern(QRegularExpression::escape(sample.left(at)) +
                                                                QStringLiteral("[0-9a-f]+") +
                                                                QRegularExpression::escape(sample.mid(at + marker.size())));
    const QRegularExpression re(pattern);
    const QDir dir(info.absolutePath());
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        // A recording's is never stale: it is put in place by the recorder, not removed.
        if (!re.match(name).hasMatch() || IsRecordingPartFileName(name))
            continue;
        const QByteArray path = encoded(dir.filePath(name));
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && now - st.st_mtime >= kFreshSeconds &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.constData());
        ::close(fd);
    }
}

}  // namespace

RemovedOnSignal::RemovedOnSignal(const QString& path, bool folder) : RemovedOnSignal(path, folder ? Kind::Folder : Kind::File) {}

RemovedOnSignal::RemovedOnSignal(const QString& path, Kind kind)
{
    const bool folder = kind == Kind::Folder;
    const QByteArray name = encoded(QFileInfo(path).absoluteFilePath());
    if (name.size() >= PATH_MAX)
        return;
    installSignalHandlers();
    for (int i = 0; i < kTaskSlots; ++i) {
        bool expected = false;
        if (g_task[i].taken.compare_exchange_strong(expected, true)) {
            g_task[i].folder = folder;
            g_task[i].filesOf = kind == Kind::FilesOfFolder;
            std::memcpy(g_task[i].path, name.constData(), size_t(name.size()) + 1);
            g_task[i].ready.store(true, std::memory_order_release);
            m_slot = i;
            return;
        }
    }
}

RemovedOnSignal::~RemovedOnSignal()
{
    if (m_slot < 0)
        return;
    g_task[m_slot].ready.store(false, std::memory_order_release);
    g_task[m_slot].taken.store(false, std::memory_order_release);
}

QString ShortPartFileName(const QString& targetFileName, const QString& tag)
{
    const QString suffix = QFileInfo(targetFileName).suffix();
    QString name = QStringLiteral(".part-") + tag;
    // The writers may go by the extension; one that is itself a long name is left out.
    if (!suffix.isEmpty() && encoded(suffix).size() <= 16)
        name += QLatin1Char('.') + suffix;
    return name;
}

QString RecordingPartFileName(const QString& targetFileName, const QString& tag)
{
    const QFileInfo info(targetFileName);
    const QString suffix = info.suffix();
    QString name = QLatin1Char('.') + info.completeBaseName() + QLatin1Char('.') + kRecordingMarker + tag;
    if (!suffix.isEmpty())
        name += QLatin1Char('.') + suffix;
    return name;
}

QString ShortRecordingPartFileName(const QString& targetFileName, const QString& tag)
{
    const QString suffix = QFileInfo(targetFileName).suffix();
    QString name = QLatin1Char('.') + kRecordingMarker + tag;
    if (!suffix.isEmpty() && encoded(suffix).size() <= 16)
        name += QLatin1Char('.') + suffix;
    return name;
}

bool IsRecordingPartFileName(const QString& name, QString* targetFileName)
{
    static const QRegularExpression full(QStringLiteral("^\\.(.*)\\.recording-[0-9a-f]+(\\.[^.]*)?$"),
                                         QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression brief(QStringLiteral("^\\.recording-[0-9a-f]+(\\.[^.]*)?$"),
                                          QRegularExpression::DotMatchesEverythingOption);
    if (const QRegularExpressionMatch m = brief.match(name); m.hasMatch()) {
        if (targetFileName)
            targetFileName->clear();
        return true;
    }
    const QRegularExpressionMatch m = full.match(name);
    if (!m.hasMatch())
        return false;
    if (targetFileName)
        *targetFileName = m.captured(1) + m.captured(2);
    return true;
}

QString WriteError(const QString& output, const QString& detail)
{
    if (detail.contains(output))
        return detail;
    QString text = QStringLiteral("Cannot write the file ") + quoted(output);
    if (!detail.isEmpty())
        text += QStringLiteral(": ") + detail;
    return text;
}

QString PartFileName(const QString& targetFileName, const QString& tag)
{
    const QFileInfo info(targetFileName);
    const QString suffix = info.suffix();
    QString name = QLatin1Char('.') + info.completeBaseName() + QStringLiteral(".part-") + tag;
    if (!suffix.isEmpty())
        name += QLatin1Char('.') + suffix;
    return name;
}

bool OutputTarget::resolve(const QString& output, QString* error)
{
    auto refuse = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("The output file ") + quoted(output) + QStringLiteral(" ") + why;
        return false;
    };
    const QString path = QDir::cleanPath(QFileInfo(output).absoluteFilePath());
    // Written, such a name would make a file under another name than the one asked for.
    if (IsUnnamablePath(output) || IsUnnamablePath(path))
        return refuse(QStringLiteral("has a name that is not valid UTF-8: the program cannot write under that name."));
    struct stat st {};
    m_exists = false;
    m_file = path;
    if (::lstat(encoded(path).constData(), &st) != 0)
        return true;
    if (S_ISLNK(st.st_mode)) {
        // A link to a file is written through: the file it leads to gets the output (written
        // beside it and renamed over it), and the link stays. A link that leads nowhere, or to
        // a folder, device or pipe, is replaced itself: nothing is made or written where it
        // points.
        struct stat led {};
        if (::stat(encoded(path).constData(), &led) == 0 && S_ISREG(led.st_mode)) {
            const QString target = QFileInfo(path).canonicalFilePath();
            if (target.isEmpty())
                return refuse(QStringLiteral("is a symbolic link that cannot be followed."));
            if (IsUnnamablePath(target))
                return refuse(QStringLiteral("leads to a file whose name is not valid UTF-8: the program cannot write under that name."));
            m_file = target;
            m_exists = true;
            m_old = led;
        }
    } else {
        if (!S_ISREG(st.st_mode))
            return refuse(QStringLiteral("is ") + kindOf(st.st_mode) + QStringLiteral(": it is not replaced."));
        m_exists = true;
        m_old = st;
    }
    // No output replaces the file of a disc a drive holds: that would leave no disc at all.
    if (m_exists)
        for (const engine::DiscImageFile& disc : engine::ListDiscImageFiles()) {
            struct stat image {};
            if (::stat(encoded(disc.path).constData(), &image) == 0 && image.st_dev == m_old.st_dev &&
                image.st_ino == m_old.st_ino)
                return refuse(QStringLiteral("is the file ") + quoted(disc.path) + QStringLiteral(" of the disc in the drive ") +
                              quoted(disc.driveName) + QStringLiteral(": a disc is never written over."));
        }
    return true;
}

bool OutputTarget::createPartFile(QString* error) { return createPart(false, error); }

bool OutputTarget::createRecordingPartFile(QString* error) { return createPart(true, error); }

bool OutputTarget::createPart(bool recording, QString* error)
{
    const QFileInfo info(m_file);
    // Any name the folder takes must be writable: where the part-file name that shows the
    // target's would be too long, a short one takes its place.
    bool shortName =
        encoded(partFileNameFor(info.fileName(), QString(kLongestTag, QLatin1Char('f')), false, recording)).size() >
        longestName(info.absolutePath());
    removeStalePartFiles(m_file, shortName);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString tag = QString::number(QRandomGenerator::global()->generate64(), 16);
        const QString part =
            QDir(info.absolutePath()).filePath(partFileNameFor(info.fileName(), tag, shortName, recording));
        const QByteArray name = encoded(part);
        // Known to the signal handler before it exists, so that no signal can come between its
        // creation and its registration and leave it behind.
        const int slot = registerPart(name);
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            const int cause = errno;
            unregisterPart(slot);
            errno = cause;
            if (errno == EEXIST)
                continue;
            // A file system that takes fewer bytes than it says.
            if (errno == ENAMETOOLONG && !shortName) {
                shortName = true;
                removeStalePartFiles(m_file, shortName);
                continue;
            }
            if (error)
                *error = systemError(errno);
            return false;
        }
        ::flock(fd, LOCK_EX | LOCK_NB);
        m_lockFd = fd;
        m_part = part;
        m_slot = slot;
        return true;
    }
    if (error)
        *error = systemError(EEXIST);
    return false;
}

bool OutputTarget::commit(QString* error)
{
    const QByteArray part = encoded(m_part);
    if (m_exists) {
        // The group first: changing it may clear set-id bits that the mode then puts back.
        if (::chown(part.constData(), uid_t(-1), m_old.st_gid) != 0) {
            // Not a member of that group: the file keeps the user's own.
        }
        ::chmod(part.constData(), m_old.st_mode & 07777);
    }
    // rename(2) replaces the file in one step: it is never missing or half-written.
    if (std::rename(part.constData(), encoded(m_file).constData()) != 0) {
        if (error)
            *error = systemError(errno);
        return false;
    }
    m_part.clear();
    release();
    return true;
}

bool OutputTarget::commitNew(QString* error)
{
    const QByteArray part = encoded(m_part), target = encoded(m_file);
    if (::renameat2(AT_FDCWD, part.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) != 0) {
        // File systems without the flag: the check and the rename are then two steps.
        int cause = errno;
        struct stat st {};
        if (cause == EINVAL || cause == ENOSYS)
            cause = ::lstat(target.constData(), &st) == 0                     ? EEXIST
                    : std::rename(part.constData(), target.constData()) != 0 ? errno
                                                                             : 0;
        if (cause != 0) {
            if (error)
                *error = systemError(cause);
            return false;
        }
    }
    m_part.clear();
    release();
    return true;
}

void OutputTarget::keepWavOnSignal(const QByteArray& header, int blockAlign)
{
    if (m_slot < 0 || m_lockFd < 0 || header.size() != 44)
        return;
    const QByteArray target = encoded(m_file);
    if (target.size() >= PATH_MAX)
        return;
    LiveSlot& slot = g_live[m_slot];
    slot.fd = m_lockFd;
    slot.block = blockAlign;
    std::memcpy(slot.header, header.constData(), 44);
    slot.replaces = m_exists;
    slot.mode = m_old.st_mode;
    slot.gid = m_old.st_gid;
    std::memcpy(slot.target, target.constData(), size_t(target.size()) + 1);
    slot.keep.store(true);
}

void OutputTarget::drainOnSignal(std::function<void()> drain)
{
    if (m_slot < 0 || !g_live[m_slot].keep.load())
        return;
    startDrains();
    if (g_drainPipe[1] < 0)
        return;
    {
        std::lock_guard lock(g_drainMutex);
        g_drains[m_slot] = std::move(drain);
    }
    g_live[m_slot].drains.store(true);
}

bool OutputTarget::beginWrite()
{
    if (m_slot < 0)
        return true;
    g_live[m_slot].writing.store(true);
    if (g_ending.load()) {
        g_live[m_slot].writing.store(false);
        return false;
    }
    return true;
}

void OutputTarget::endWrite()
{
    if (m_slot >= 0)
        g_live[m_slot].writing.store(false);
}

void OutputTarget::discard()
{
    if (!m_part.isEmpty())
        ::unlink(encoded(m_part).constData());
    m_part.clear();
    release();
}

void OutputTarget::release()
{
    unregisterPart(m_slot);
    m_slot = -1;
    if (m_lockFd >= 0)
        ::close(m_lockFd);
    m_lockFd = -1;
}

OutputTarget::~OutputTarget()
{
    discard();
}

}  // namespace components
