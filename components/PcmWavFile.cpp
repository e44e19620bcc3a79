// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/PcmWavFile.h"

#include <QFile>
#include <QtEndian>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>

namespace {
constexpr qint64 kHeaderBytes = 44;

void put16(QByteArray& b, quint16 v)
{
    char c[2];
    qToLittleEndian(v, c);
    b.append(c, 2);
}
void put32(QByteArray& b, quint32 v)
{
    char c[4];
    qToLittleEndian(v, c);
    b.append(c, 4);
}

bool writeAll(int fd, const char* data, qint64 bytes, qint64* written)
{
    *written = 0;
    while (*written < bytes) {
        const ssize_t n = ::write(fd, data + *written, static_cast<size_t>(bytes - *written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        *written += n;
    }
    return true;
}
}  // namespace

QByteArray PcmWavFile::header(const engine::PcmFormat& f, quint32 dataBytes)
{
    QByteArray h;
    h.reserve(kHeaderBytes);
    const quint32 block = static_cast<quint32>(f.bytesPerFrame());
    h.append("RIFF", 4);
    put32(h, dataBytes + 36 + (dataBytes & 1));
    h.append("WAVEfmt ", 8);
    put32(h, 16);
    put16(h, 1);
    put16(h, static_cast<quint16>(f.channels));
    put32(h, static_cast<quint32>(f.sampleRate));
    put32(h, static_cast<quint32>(f.sampleRate) * block);
    put16(h, static_cast<quint16>(block));
    put16(h, static_cast<quint16>(f.bitsPerSample));
    h.append("data", 4);
    put32(h, dataBytes);
    return h;
}

QString PcmWavFile::failure(int code) const
{
    return QStringLiteral("Cannot write the file '%1': %2").arg(m_shown, QString::fromLocal8Bit(std::strerror(code)));
}

bool PcmWavFile::open(const QString& path, const QString& shownName, const engine::PcmFormat& format, QString* error)
{
    close();
    m_format = format;
    m_dataBytes = 0;
    m_shown = shownName.isEmpty() ? path : shownName;
    m_fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    const QByteArray h = header(format, 0);
    qint64 written = 0;
    if (m_fd < 0 || !writeAll(m_fd, h.constData(), h.size(), &written)) {
        if (error)
            *error = failure(errno);
        close();
        return false;
    }
    return true;
}

qint64 PcmWavFile::room() const
{
    const qint64 limit = std::numeric_limits<quint32>::max() - kHeaderBytes;
    const qint64 block = std::max(1, m_format.bytesPerFrame());
    return std::max<qint64>(0, (limit - m_dataBytes) / block * block);
}

bool PcmWavFile::write(const char* data, qint64 bytes, QString* error)
{
    if (bytes <= 0)
        return true;
    if (m_fd < 0) {
        if (error)
            *error = failure(EBADF);
        return false;
    }
    qint64 written = 0;
    const bool ok = writeAll(m_fd, data, bytes, &written);
    const int code = errno;
    m_dataBytes += written;
    if (!ok && error)
        *error = failure(code);
    return ok;
}

bool PcmWavFile::updateHeader(QString* error)
{
    if (m_fd < 0)
        return false;
    const qint64 block = std::max(1, m_format.bytesPerFrame());
    qint64 data = m_dataBytes / block * block;
    // An odd chunk would need its pad byte after it, which is not there yet: one frame (of one
    // byte: only 8-bit mono comes out odd) waits for the next update.
    if (data & 1)
        data -= block;
    const QByteArray h = header(m_format, static_cast<quint32>(data));
    if (::pwrite(m_fd, h.constData(), static_cast<size_t>(h.size()), 0) != h.size()) {
        if (error)
            *error = failure(errno);
        return false;
    }
    ::sync_file_range(m_fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    return true;
}

bool PcmWavFile::finish(qint64 keepBytes, QString* error)
{
    if (m_fd < 0)
        return false;
    const qint64 block = std::max(1, m_format.bytesPerFrame());
    qint64 data = m_dataBytes / block * block;
    if (keepBytes >= 0 && keepBytes < data)
        data = keepBytes / block * block;
    // Nothing may follow what the header declares: a frame cut by a full disk goes, and an odd
    // chunk gets its pad byte (or, when even that does not fit, loses its last frame).
    bool ok = ::ftruncate(m_fd, kHeaderBytes + data + (data & 1)) == 0;
    if (!ok && (data & 1)) {
        data -= block;
        ok = ::ftruncate(m_fd, kHeaderBytes + data + (data & 1)) == 0;
    }
    int code = errno;
    const QByteArray h = header(m_format, static_cast<quint32>(data));
    if (ok) {
        ok = ::pwrite(m_fd, h.constData(), static_cast<size_t>(h.size()), 0) == h.size();
        code = errno;
    }
    if (::close(m_fd) != 0 && ok) {
        ok = false;
        code = errno;
    }
    m_fd = -1;
    m_dataBytes = data;
    if (!ok && error)
        *error = failure(code);
    return ok;
}

void PcmWavFile::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}
