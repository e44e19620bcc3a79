// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/engine/PositionedFile.h"

#include "components/engine/SourceFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace engine {

bool PositionedFile::open(const QString& path)
{
    close();
    // Never blocks: a FIFO or device is refused through the descriptor's own kind.
    const SourceOpen opened = openSourceFile(path, true);
    m_error = opened.error;
    m_kind = opened.kind;
    if (opened.fd < 0)
        return false;
    m_fd = opened.fd;
    m_folder = opened.kind == FileKind::Folder;
    m_size = opened.size;
    return true;
}

void PositionedFile::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_folder = false;
    m_size = 0;
    m_headSize = 0;
}

void PositionedFile::readHead(int64_t bytes)
{
    bytes = std::min({bytes, m_size, kMaxHead});
    if (m_fd < 0 || bytes <= m_headSize)
        return;
    m_headSize = 0;
    const int64_t got = readAt(0, m_head, bytes);
    m_headSize = std::max<int64_t>(got, 0);
}

int64_t PositionedFile::readAt(int64_t pos, void* buffer, int64_t n) const
{
    if (m_fd < 0 || m_folder || pos < 0 || n < 0)
        return -1;
    if (pos + n <= m_headSize) {
        memcpy(buffer, m_head + pos, size_t(n));
        return n;
    }
    int64_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(m_fd, static_cast<char*>(buffer) + done, size_t(n - done), off_t(pos + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

QByteArray PositionedFile::readAt(int64_t pos, int64_t n) const
{
    if (n <= 0)
        return {};
    QByteArray data(qsizetype(n), Qt::Uninitialized);
    const int64_t got = readAt(pos, data.data(), n);
    if (got <= 0)
        return {};
    data.truncate(qsizetype(got));
    return data;
}

int PositionedFile::release()
{
    const int fd = m_fd;
    m_fd = -1;
    m_folder = false;
    m_size = 0;
    m_headSize = 0;
    return fd;
}

}  // namespace engine
