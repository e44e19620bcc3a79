// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// WAV files for the sound tests, written byte by byte, and readers of what the pipe sink
// captured (44100 Hz, s16 little-endian stereo).

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

#include "tests/support/PulseServer.h"

#include <cstdint>
#include <vector>

namespace soundfx {

inline QByteArray wavHeader(int rate, int channels, int bits, qint64 dataBytes)
{
    QByteArray h("RIFF");
    const auto u32 = [&h](quint32 v) { char b[4]; qToLittleEndian<quint32>(v, b); h.append(b, 4); };
    const auto u16 = [&h](quint16 v) { char b[2]; qToLittleEndian<quint16>(v, b); h.append(b, 2); };
    u32(static_cast<quint32>(36 + dataBytes));
    h.append("WAVEfmt ");
    u32(16); u16(1); u16(static_cast<quint16>(channels)); u32(static_cast<quint32>(rate));
    u32(static_cast<quint32>(rate * channels * bits / 8)); u16(static_cast<quint16>(channels * bits / 8));
    u16(static_cast<quint16>(bits));
    h.append("data");
    u32(static_cast<quint32>(dataBytes));
    return h;
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Stereo 16-bit frames that tell their own number: left the low 16 bits, right 0x4000 plus the
// high bits, so no frame is silence.
inline QByteArray countingPcm(qint64 frames)
{
    QByteArray pcm(static_cast<qsizetype>(frames * 4), '\0');
    for (qint64 n = 0; n < frames; ++n) {
        qToLittleEndian<quint16>(static_cast<quint16>(n & 0xffff), pcm.data() + n * 4);
        qToLittleEndian<quint16>(static_cast<quint16>(0x4000 | (n >> 16)), pcm.data() + n * 4 + 2);
    }
    return pcm;
}

// Noise without a silent frame.
inline QByteArray noisePcm(qint64 frames, uint32_t seed)
{
    QByteArray pcm(static_cast<qsizetype>(frames * 4), '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (qint64 i = 0; i < frames * 2; ++i) {
        x = x * 1664525u + 1013904223u;
        qint16 v = static_cast<qint16>((x >> 16) & 0x3fff) - 0x2000;
        if (v == 0)
            v = 1;
        qToLittleEndian<qint16>(v, pcm.data() + i * 2);
    }
    return pcm;
}

inline bool silentFrame(const QByteArray& pcm, qint64 frame)
{
    return qFromLittleEndian<quint32>(pcm.constData() + frame * 4) == 0;
}

// Index of the first frame that is not silence, or -1.
inline qint64 firstSound(const QByteArray& pcm)
{
    for (qint64 f = 0; f < pcm.size() / 4; ++f)
        if (!silentFrame(pcm, f))
            return f;
    return -1;
}

// The frame numbers of the counting fixture as heard, silence left out.
inline std::vector<qint64> heardNumbers(const QByteArray& pcm)
{
    std::vector<qint64> out;
    for (qint64 f = 0; f < pcm.size() / 4; ++f) {
        if (silentFrame(pcm, f))
            continue;
        const quint16 lo = qFromLittleEndian<quint16>(pcm.constData() + f * 4);
        const quint16 hi = qFromLittleEndian<quint16>(pcm.constData() + f * 4 + 2);
        out.push_back((static_cast<qint64>(hi & 0x3fff) << 16) | lo);
    }
    return out;
}

// The numbered frames the pipe sink has played, once `count` of them have arrived or half a
// second has passed. A playback's end event follows the output taking the last frame, but the
// pipe's reader can lag tens of milliseconds behind it on a busy machine; an end raised before
// the sound was played would be further ahead than that.
inline std::vector<qint64> heardAfterEnd(const PulseServer& server, size_t count)
{
    std::vector<qint64> heard;
    PulseServer::waitUntil([&] {
        heard = heardNumbers(server.captured());
        return heard.size() >= count;
    }, 500);
    return heard;
}

}  // namespace soundfx
