// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// What the ACM conversion tests check their outputs with: the G.711 coding computed here, the
// WAV header's format tag and "fact" count read here, and sox as a reader of its own.

#include "tests/components/WavFixtures.h"

#include <QProcess>
#include <QString>

#include <optional>

namespace acmcheck {

// G.711 A-law of one 16-bit sample, as the standard's reference coder does it.
inline uint8_t alaw(int16_t sample)
{
    static const int segEnd[8] = {0x1F, 0x3F, 0x7F, 0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF};
    int v = sample >> 3;
    int mask = 0xD5;
    if (v < 0) {
        mask = 0x55;
        v = -v - 1;
    }
    int seg = 0;
    while (seg < 8 && v > segEnd[seg])
        ++seg;
    if (seg >= 8)
        return uint8_t(0x7F ^ mask);
    int a = seg << 4;
    a |= seg < 2 ? (v >> 1) & 0x0F : (v >> seg) & 0x0F;
    return uint8_t(a ^ mask);
}

// G.711 µ-law of one 16-bit sample.
inline uint8_t ulaw(int16_t sample)
{
    static const int segEnd[8] = {0x3F, 0x7F, 0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF, 0x1FFF};
    int v = sample >> 2;
    int mask = 0xFF;
    if (v < 0) {
        v = -v;
        mask = 0x7F;
    }
    if (v > 8159)
        v = 8159;
    v += 0x84 >> 2;
    int seg = 0;
    while (seg < 8 && v > segEnd[seg])
        ++seg;
    if (seg >= 8)
        return uint8_t(0x7F ^ mask);
    return uint8_t(((seg << 4) | ((v >> (seg + 1)) & 0x0F)) ^ mask);
}

// The byte-by-byte G.711 coding of 16-bit little-endian samples.
inline QByteArray g711(const QByteArray& pcm16, bool aLaw)
{
    QByteArray out;
    out.reserve(pcm16.size() / 2);
    for (qsizetype i = 0; i + 1 < pcm16.size(); i += 2) {
        const auto s = int16_t(uint16_t(uint8_t(pcm16[i])) | uint16_t(uint8_t(pcm16[i + 1])) << 8);
        out.append(char(aLaw ? alaw(s) : ulaw(s)));
    }
    return out;
}

// A chunk of a RIFF WAVE file by its id, or nothing.
inline std::optional<QByteArray> chunk(const QByteArray& file, const char* id)
{
    for (qsizetype pos = 12; pos + 8 <= file.size();) {
        const uint32_t size = fixtures::get32(file, pos + 4);
        if (file.mid(pos, 4) == id)
            return file.mid(pos + 8, qsizetype(size));
        pos += 8 + qsizetype(size) + qsizetype(size & 1);
    }
    return std::nullopt;
}

inline int formatTag(const QByteArray& file)
{
    const auto fmt = chunk(file, "fmt ");
    return fmt && fmt->size() >= 2 ? fixtures::get16(*fmt, 0) : -1;
}

inline int64_t factCount(const QByteArray& file)
{
    const auto fact = chunk(file, "fact");
    return fact && fact->size() >= 4 ? int64_t(fixtures::get32(*fact, 0)) : -1;
}

// What sox says of a file: its encoding's name, rate, channels and length in samples per
// channel; an empty encoding when sox cannot read the file.
struct SoxInfo {
    QString encoding;
    int rate = 0;
    int channels = 0;
    int64_t samples = -1;
};
inline SoxInfo soxInfo(const QString& path)
{
    auto ask = [&](const char* what) {
        QProcess p;
        p.start(QStringLiteral("sox"), {QStringLiteral("--i"), QLatin1String(what), path});
        if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
            return QString();
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    };
    SoxInfo i;
    i.encoding = ask("-e");
    i.rate = ask("-r").toInt();
    i.channels = ask("-c").toInt();
    bool ok = false;
    i.samples = ask("-s").toLongLong(&ok);
    if (!ok)
        i.samples = -1;
    return i;
}

// The samples sox decodes from a file, as 16-bit signed; empty when it cannot.
inline QByteArray soxDecode(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("sox"), {path, QStringLiteral("-t"), QStringLiteral("s16"), QStringLiteral("-")});
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return p.readAllStandardOutput();
}

}  // namespace acmcheck
