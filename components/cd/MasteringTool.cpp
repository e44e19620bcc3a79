// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cd/MasteringTool.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace cd {

namespace {

QString systemError(int code) { return QString::fromLocal8Bit(std::strerror(code)); }

// A file of memory for what a child writes, closed on exec of anything else.
int memoryFile(const char* name) { return ::memfd_create(name, MFD_CLOEXEC); }

QByteArray readAll(int fd)
{
    QByteArray all;
    if (fd < 0 || ::lseek(fd, 0, SEEK_SET) < 0)
        return all;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        all.append(buffer, n);
    }
    return all;
}

// The last lines the tool wrote, for an error.
QString lastLines(int fd)
{
    QStringList lines;
    for (const QByteArray& line : readAll(fd).split('\n')) {
        const QString t = QString::fromLocal8Bit(line).trimmed();
        if (!t.isEmpty())
            lines << t;
    }
    return lines.mid(std::max<qsizetype>(0, lines.size() - 3)).join(QLatin1Char(' '));
}

bool spawn(const QStringList& args, int out, int err, pid_t* pid, QString* error)
{
    std::vector<QByteArray> bytes;
    bytes.push_back(QFile::encodeName(MasteringTool::Program()));
    for (const QString& a : args)
        bytes.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out, 1);
    posix_spawn_file_actions_adddup2(&actions, err, 2);
    // Drives and images this process holds open are no business of the tool's.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    const int r = ::posix_spawnp(pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (r != 0) {
        *error = QStringLiteral("The disc-mastering tool %1 cannot be started: %2.").arg(MasteringTool::Program(), systemError(r));
        *pid = -1;
        return false;
    }
    return true;
}

// Waits for the child; true when it exited 0, else why not.
bool reap(pid_t pid, int messages, QString* error)
{
    int status = 0;
    pid_t r;
    do
        r = ::waitpid(pid, &status, 0);
    while (r < 0 && errno == EINTR);
    if (r == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    QString how;
    if (r != pid)
        how = systemError(errno);
    else if (WIFSIGNALED(status))
        how = QStringLiteral("it was ended by signal %1").arg(WTERMSIG(status));
    else
        how = QStringLiteral("it ended with status %1").arg(WEXITSTATUS(status));
    const QString said = lastLines(messages);
    *error = QStringLiteral("The disc-mastering tool %1 failed (%2)%3").arg(MasteringTool::Program(), how,
                                                                            said.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + said);
    return false;
}

}  // namespace

QString MasteringTool::Program() { return QStringLiteral("genisoimage"); }

qint64 MasteringTool::ImageBytes(const QStringList& args, QString* error)
{
    const int out = memoryFile("image-size");
    const int err = memoryFile("image-size-messages");
    qint64 bytes = -1;
    pid_t pid = -1;
    if (out < 0 || err < 0)
        *error = QStringLiteral("The disc-mastering tool cannot be started: ") + systemError(errno);
    else if (spawn(QStringList{QStringLiteral("-print-size"), QStringLiteral("-quiet")} + args, out, err, &pid, error) &&
             reap(pid, err, error)) {
        bool ok = false;
        const qint64 sectors = QString::fromLatin1(readAll(out)).trimmed().toLongLong(&ok);
        if (ok && sectors > 0)
            bytes = sectors * 2048;
        else
            *error = QStringLiteral("The disc-mastering tool %1 did not tell the size of the image.").arg(Program());
    }
    if (out >= 0)
        ::close(out);
    if (err >= 0)
        ::close(err);
    return bytes;
}

bool MasteringTool::Start(const QStringList& args, QString* error)
{
    int pipe[2];
    m_messages = memoryFile("image-messages");
    if (m_messages < 0 || ::pipe2(pipe, O_CLOEXEC) != 0) {
        *error = QStringLiteral("The disc-mastering tool cannot be started: ") + systemError(errno);
        return false;
    }
    const bool started = spawn(QStringList{QStringLiteral("-quiet")} + args, pipe[1], m_messages, &m_pid, error);
    ::close(pipe[1]);
    m_image = pipe[0];
    return started;
}

int MasteringTool::Read(unsigned char* buffer, int size)
{
    int got = 0;
    while (got < size) {
        const ssize_t n = ::read(m_image, buffer + got, size_t(size - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += int(n);
    }
    return got;
}

bool MasteringTool::Finish(QString* error)
{
    if (m_image >= 0) {
        ::close(m_image);
        m_image = -1;
    }
    if (m_pid < 0)
        return true;
    const bool ok = reap(m_pid, m_messages, error);
    m_pid = -1;
    return ok;
}

void MasteringTool::Kill()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        QString ignored;
        reap(m_pid, -1, &ignored);
        m_pid = -1;
    }
    if (m_image >= 0) {
        ::close(m_image);
        m_image = -1;
    }
}

MasteringTool::~MasteringTool()
{
    Kill();
    if (m_messages >= 0)
        ::close(m_messages);
}

}  // namespace cd
