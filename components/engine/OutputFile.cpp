// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/engine/OutputFile.h"

#include <QFile>

#include <fcntl.h>
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
    m_fd = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return m_fd >= 0 || fail(errno);
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
