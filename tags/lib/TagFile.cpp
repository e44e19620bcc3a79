// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tags/lib/TagFile.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

NumberedError TagFileError(int e, const QString& source)
{
    switch (e) {
    case ENOENT:
        return NumberedError(53, QStringLiteral("File not found"), source);
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return NumberedError(70, QStringLiteral("Permission denied"), source);
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return NumberedError(76, QStringLiteral("Path not found"), source);
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return NumberedError(61, QStringLiteral("Disk full"), source);
    case EIO:
        return NumberedError(57, QStringLiteral("Device I/O error"), source);
    case EMFILE:
    case ENFILE:
        return NumberedError(67, QStringLiteral("Too many files"), source);
    default:
        return NumberedError(75, QStringLiteral("Path/File access error"), source);
    }
}

NumberedError RuntimeError(long number, const QString& source)
{
    switch (number) {
    case kErrInvalidCall:
        return NumberedError(number, QStringLiteral("Invalid procedure call or argument"), source);
    case kErrSubscriptOutOfRange:
        return NumberedError(number, QStringLiteral("Subscript out of range"), source);
    default:
        return NumberedError(number, QStringLiteral("Application-defined or object-defined error"), source);
    }
}

QString TagErrorSource(const char* className)
{
    QString base;
    if (QCoreApplication::instance())
        base = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (base.isEmpty())
        base = QStringLiteral("quillmere");
    return base + QLatin1Char('.') + QLatin1String(className);
}

NumberedError WithSource(const NumberedError& error, const QString& source)
{
    return NumberedError(error.number(), error.description(), source);
}

TagFile::~TagFile()
{
    close();
}

void TagFile::open(const QString& path, Mode mode)
{
    close();
    const QByteArray native = path.toLocal8Bit();
    if (native.isEmpty())
        throw TagFileError(ENOENT);
    const int flags = mode == Mode::Read ? O_RDONLY : O_RDWR;
    // Non-blocking only for the open itself, so that a pipe named like an MP3 cannot hang us.
    const int fd = ::open(native.constData(), flags | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw TagFileError(errno);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int e = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        throw TagFileError(e);
    }
    m_fd = fd;
}

void TagFile::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

int64_t TagFile::size() const
{
    struct stat st {};
    if (::fstat(m_fd, &st) != 0)
        throw TagFileError(errno);
    return st.st_size;
}

QByteArray TagFile::readAt(int64_t offset, int64_t count) const
{
    const int64_t length = size();
    if (offset < 0 || count <= 0 || offset >= length)
        return {};
    count = std::min(count, length - offset);
    QByteArray out(static_cast<qsizetype>(count), Qt::Uninitialized);
    int64_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(m_fd, out.data() + done, static_cast<size_t>(count - done), offset + done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw TagFileError(errno);
        }
        if (n == 0)
            break;
        done += n;
    }
    out.truncate(static_cast<qsizetype>(done));
    return out;
}

void TagFile::writeAt(int64_t offset, const QByteArray& data)
{
    int64_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::pwrite(m_fd, data.constData() + done, static_cast<size_t>(data.size() - done), offset + done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw TagFileError(errno);
        }
        if (n == 0)
            throw TagFileError(ENOSPC);
        done += n;
    }
}

void TagFile::truncate(int64_t length)
{
    if (::ftruncate(m_fd, length) != 0)
        throw TagFileError(errno);
}

void TagFile::sync()
{
    if (::fsync(m_fd) != 0)
        throw TagFileError(errno);
}
