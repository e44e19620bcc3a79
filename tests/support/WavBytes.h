// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// Byte-level helpers for tests that compare saved WAV data with what they put in.

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

}  // namespace wavbytes
