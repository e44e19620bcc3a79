// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/engine/OutputFile.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace engine {

bool OutputFile::fail(int code)
{
    m_error = QString::fromLocal8Bit(std::strerror(code));
    return false;
}

bool OutputFile::open()
{
    close();
    m_error.clear();
    // Emptied only when it holds something: on ext4 a truncation, even of an empty file, makes
    // the close flush everything written since, which costs a large join tens of milliseconds.
    m_fd = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0)
        return fail(errno);
    struct stat st {};
    if (::fstat(m_fd, &st) != 0 || (st.st_size > 0 && ::ftruncate(m_fd, 0) != 0)) {
        fail(errno);
        close();
        return false;
    }
    return true;
}

int64_t OutputFile::write(const char* data, int64_t size)
{
    if (m_fd < 0) {
        fail(EBADF);
        return -1;
    }
    int64_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(m_fd, data + done, size_t(size - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
            return -1;
        }
        if (n == 0) {  // nothing taken and no reason given: the device is full
            fail(ENOSPC);
            return -1;
        }
        done += n;
    }
    return done;
}

int64_t OutputFile::copyFrom(int fd, int64_t offset, int64_t bytes)
{
    if (m_fd < 0) {
        fail(EBADF);
        return -1;
    }
    if (bytes <= 0)
        return 0;
    loff_t from = offset;
    for (;;) {
        // No output offset given: the copy lands at, and moves, this file's own offset, where
        // write() goes on.
        const ssize_t n = ::copy_file_range(fd, &from, m_fd, nullptr, size_t(bytes), 0);
        if (n >= 0)
            return n;
        const int code = errno;
        if (code == EINTR)
            continue;
        if (code == EXDEV || code == EINVAL || code == ENOSYS || code == EOPNOTSUPP || code == EBADF)
            return kCopyUnsupported;
        fail(code);
        return -1;
    }
}

bool OutputFile::seek(int64_t offset)
{
    if (m_fd < 0)
        return fail(EBADF);
    return ::lseek(m_fd, off_t(offset), SEEK_SET) >= 0 || fail(errno);
}

void OutputFile::close()
{
    if (m_fd < 0)
        return;
    // Network file systems may report a failed write only here.
    if (::close(m_fd) != 0 && m_error.isEmpty())
        fail(errno);
    m_fd = -1;
}

}  // namespace engine
