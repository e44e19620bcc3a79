// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// Byte-level helpers for tests that compare saved WAV data with what they put in, or that build
// WAV files (well-formed or hostile) a byte at a time.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

#include <cstdint>
#include <optional>

namespace wavbytes {

// The bytes of the data chunk of a RIFF WAVE file, or nothing.
inline std::optional<QByteArray> dataChunk(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray b = f.readAll();
    if (b.size() < 12 || !b.startsWith("RIFF") || b.mid(8, 4) != "WAVE")
        return std::nullopt;
    qsizetype at = 12;
    while (at + 8 <= b.size()) {
        const quint32 size = qFromLittleEndian<quint32>(b.constData() + at + 4);
        if (b.mid(at, 4) == "data")
            return b.mid(at + 8, size);
        at += 8 + size + (size & 1);
    }
    return std::nullopt;
}

// Samples that differ from frame to frame in every byte, so an offset or a swap shows.
inline QByteArray noise(qint64 bytes, uint32_t seed)
{
    QByteArray d(static_cast<qsizetype>(bytes), '\0');
    uint32_t x = seed * 2654435761u + 7;
    for (auto& c : d) {
        x = x * 1664525u + 1013904223u;
        c = static_cast<char>(x >> 24);
    }
    return d;
}

// `v` as `bytes` little-endian bytes.
inline QByteArray le(uint64_t v, int bytes)
{
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out.append(char(v >> (8 * i)));
    return out;
}

// A RIFF chunk; `pad` false leaves out the pad byte an odd body needs, as broken writers do.
inline QByteArray chunk(const char* id, const QByteArray& body, bool pad = true)
{
    QByteArray c = QByteArray(id, 4) + le(uint64_t(body.size()), 4) + body;
    if (pad && (body.size() & 1))
        c.append('\0');
    return c;
}

// The body of a plain "fmt " chunk (no extension).
inline QByteArray fmtBody(int tag, int channels, uint32_t rate, int bits)
{
    const int block = channels * bits / 8;
    return le(uint64_t(tag), 2) + le(uint64_t(channels), 2) + le(rate, 4) + le(uint64_t(rate) * uint64_t(block), 4) +
           le(uint64_t(block), 2) + le(uint64_t(bits), 2);
}

inline QByteArray riff(const QByteArray& chunks)
{
    return "RIFF" + le(uint64_t(chunks.size() + 4), 4) + "WAVE" + chunks;
}

// An RF64 file (44.1 kHz stereo 16-bit) whose ds64 gives the data chunk `dataSize` bytes, and
// whose data chunk holds `held`.
inline QByteArray rf64(uint64_t dataSize, int held)
{
    const QByteArray ds64 = le(0xFFFFFFFF, 8) + le(dataSize, 8) + le(0, 8) + le(0, 4);
    const QByteArray bytes = "RF64" + le(0xFFFFFFFF, 4) + "WAVE" + chunk("ds64", ds64) +
                             chunk("fmt ", fmtBody(1, 2, 44100, 16)) + "data" + le(0xFFFFFFFF, 4);
    return bytes + QByteArray(held, '\x11');
}

}  // namespace wavbytes
