// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/engine/SourceFile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace engine {

namespace {

QString shown(const QString& path) { return ShownPath(path); }

}  // namespace

FileKind fileKindOf(unsigned mode)
{
    if (S_ISREG(mode))
        return FileKind::Regular;
    if (S_ISDIR(mode))
        return FileKind::Folder;
    if (S_ISFIFO(mode))
        return FileKind::Fifo;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return FileKind::Device;
    if (S_ISSOCK(mode))
        return FileKind::Socket;
    return FileKind::Other;
}

QString fileKindWords(FileKind kind)
{
    switch (kind) {
    case FileKind::Regular:
        return QStringLiteral("a regular file");
    case FileKind::Folder:
        return QStringLiteral("a folder");
    case FileKind::Fifo:
        return QStringLiteral("a FIFO");
    case FileKind::Device:
        return QStringLiteral("a device");
    case FileKind::Socket:
        return QStringLiteral("a socket");
    case FileKind::Other:
        break;
    }
    return QStringLiteral("a file of an unknown kind");
}

QString notRegularFileText(const QString& path, FileKind kind)
{
    return QStringLiteral("'%1' is not a regular file (%2).").arg(shown(path), fileKindWords(kind));
}

SourceOpen openSourceFile(const QString& path, bool allowFolder)
{
    SourceOpen result;
    QByteArray native;
    if (path.isEmpty()) {
        result.error = ENOENT;
        return result;
    }
    if (!NativePathOf(path, &native)) {
        result.error = EILSEQ;
        return result;
    }
    // O_NONBLOCK: a FIFO without a writer opens at once instead of waiting for one; O_NOCTTY:
    // a terminal never becomes the program's own.
    int fd;
    do
        fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        result.error = errno;
        // A socket cannot be opened at all (ENXIO): say what it is, as for the others.
        struct stat st {};
        if (::stat(native.constData(), &st) == 0 && fileKindOf(st.st_mode) != FileKind::Regular &&
            !(allowFolder && S_ISDIR(st.st_mode))) {
            result.error = 0;
            result.kind = fileKindOf(st.st_mode);
        }
        return result;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        result.error = errno;
        ::close(fd);
        return result;
    }
    result.kind = fileKindOf(st.st_mode);
    if (result.kind != FileKind::Regular && !(allowFolder && result.kind == FileKind::Folder)) {
        ::close(fd);
        return result;
    }
    // Reads of the file itself block as usual (a file on a slow disk is no FIFO).
    if (result.kind == FileKind::Regular && ::fcntl(fd, F_SETFL, 0) != 0) {
        result.error = errno;
        ::close(fd);
        return result;
    }
    result.fd = fd;
    result.size = result.kind == FileKind::Regular ? int64_t(st.st_size) : 0;
    return result;
}

QString sourceOpenErrorText(const QString& path, const SourceOpen& opened)
{
    if (opened.error == 0 && opened.kind != FileKind::Regular)
        return notRegularFileText(path, opened.kind);
    if (opened.error == EILSEQ || ((opened.error == ENOENT || opened.error == ENOTDIR) && IsUnnamablePath(path)))
        return UnnamablePathText(path);
    if (path.isEmpty() || opened.error == ENOENT)
        return QStringLiteral("The file '%1' does not exist.").arg(shown(path));
    return QStringLiteral("Cannot open the file '%1': %2").arg(shown(path), QString::fromLocal8Bit(strerror(opened.error)));
}

bool holdsBytesDespiteSizeZero(int fd)
{
    char byte = 0;
    ssize_t got;
    do
        got = ::pread(fd, &byte, 1, 0);
    while (got < 0 && errno == EINTR);
    return got > 0;
}

QString sizeZeroWithBytesText(const QString& path)
{
    return QStringLiteral("The file '%1' gives a size of 0 bytes yet holds data (a file the system makes up as it is "
                          "read): it is not audio.")
        .arg(shown(path));
}

}  // namespace engine
