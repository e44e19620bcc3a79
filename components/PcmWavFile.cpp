// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/PcmWavFile.h"

#include <QtEndian>

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

bool PcmWavFile::open(const QString& path, const engine::PcmFormat& format, QString* error)
{
    close();
    m_format = format;
    m_dataBytes = 0;
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate) || m_file.write(header(format, 0)) != kHeaderBytes) {
        if (error)
            *error = QStringLiteral("Cannot write the file '%1': %2").arg(path, m_file.errorString());
        m_file.close();
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
    if (m_file.write(data, bytes) != bytes) {
        if (error)
            *error = QStringLiteral("Cannot write the file '%1': %2").arg(m_file.fileName(), m_file.errorString());
        return false;
    }
    m_dataBytes += bytes;
    return true;
}

bool PcmWavFile::finish(qint64 keepBytes, QString* error)
{
    if (!m_file.isOpen())
        return false;
    qint64 data = m_dataBytes;
    if (keepBytes >= 0 && keepBytes < data) {
        const qint64 block = std::max(1, m_format.bytesPerFrame());
        data = keepBytes / block * block;
    }
    bool ok = m_file.flush();
    if (ok && data != m_dataBytes)
        ok = m_file.resize(kHeaderBytes + data);
    if (ok && (data & 1)) {
        ok = m_file.seek(kHeaderBytes + data) && m_file.write("\0", 1) == 1;
    }
    ok = ok && m_file.seek(0) && m_file.write(header(m_format, static_cast<quint32>(data))) == kHeaderBytes &&
         m_file.flush();
    if (!ok && error)
        *error = QStringLiteral("Cannot write the file '%1': %2").arg(m_file.fileName(), m_file.errorString());
    m_dataBytes = data;
    m_file.close();
    return ok;
}

void PcmWavFile::close()
{
    if (m_file.isOpen())
        m_file.close();
}
