// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// Independent references for what the program writes: sources and conversions made by sox,
// decodes by lame and oggdec, and a sample-by-sample comparison. Sources carry a different tone
// and level on each channel, so that a swap, a wrong sign or scale, silence or a shift shows.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace refaudio {

inline bool run(const QString& program, const QStringList& args, QString* output = nullptr)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(120000))
        return false;
    const QString text = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    if (output)
        *output = text;
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The samples of an integer-PCM WAV as signed values at the file's own width, interleaved.
struct Samples {
    int rate = 0;
    int channels = 0;
    int bits = 0;
    std::vector<int32_t> values;
    int64_t frames() const { return channels ? int64_t(values.size()) / channels : 0; }
};

inline Samples readWav(const QString& path)
{
    Samples out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return out;
    const QByteArray b = f.readAll();
    const auto* u = reinterpret_cast<const uint8_t*>(b.constData());
    auto u32 = [&](qsizetype at) { return uint32_t(u[at] | u[at + 1] << 8 | u[at + 2] << 16 | uint32_t(u[at + 3]) << 24); };
    auto u16 = [&](qsizetype at) { return uint16_t(u[at] | u[at + 1] << 8); };
    for (qsizetype pos = 12; pos + 8 <= b.size();) {
        const QByteArray id = b.mid(pos, 4);
        qsizetype size = u32(pos + 4);
        if (id == "fmt ") {
            out.channels = u16(pos + 10);
            out.rate = int(u32(pos + 12));
            out.bits = u16(pos + 22);
        } else if (id == "data" && out.bits > 0) {
            size = std::min(size, b.size() - pos - 8);  // writers to a pipe leave the size open
            const int width = out.bits / 8;
            for (qsizetype at = pos + 8; at + width <= pos + 8 + size; at += width) {
                if (width == 1) {
                    out.values.push_back(int32_t(u[at]) - 128);
                } else {
                    uint32_t v = 0;
                    for (int k = 0; k < width; ++k)
                        v |= uint32_t(u[at + k]) << (8 * k);
                    const int shift = 32 - out.bits;
                    out.values.push_back(int32_t(v << shift) >> shift);
                }
            }
        }
        pos += 8 + size + (size & 1);
    }
    return out;
}

// How far two stretches of samples lie apart: the largest difference and the root mean square,
// over `frames` frames from the given frames of each.
struct Difference {
    int64_t largest = 0;
    double rms = 0;
};

inline Difference compare(const Samples& a, int64_t aFrom, const Samples& b, int64_t bFrom, int64_t frames, bool swapB = false)
{
    Difference d;
    double sum = 0;
    const int ch = a.channels;
    for (int64_t f = 0; f < frames; ++f)
        for (int c = 0; c < ch; ++c) {
            const int cb = swapB ? ch - 1 - c : c;
            const int64_t diff = int64_t(a.values[size_t((aFrom + f) * ch + c)]) - b.values[size_t((bFrom + f) * ch + cb)];
            d.largest = std::max(d.largest, std::abs(diff));
            sum += double(diff) * double(diff);
        }
    d.rms = frames > 0 ? std::sqrt(sum / double(frames * ch)) : 0;
    return d;
}

// A source made by sox in `folder`: `seconds` of a 440 Hz tone on the first channel and (in
// stereo) 1250 Hz at another level, inverted, on the second; never dithered, so every reference
// sox makes of it is exact.
inline QString soxSource(const QString& folder, const QString& name, int rate, int channels, int bits, double seconds)
{
    const QString file = QDir(folder).filePath(name);
    QStringList args{QStringLiteral("-D"), QStringLiteral("-n"), QStringLiteral("-r"), QString::number(rate),
                     QStringLiteral("-c"), QString::number(channels), QStringLiteral("-b"), QString::number(bits),
                     QStringLiteral("-e"), bits == 8 ? QStringLiteral("unsigned") : QStringLiteral("signed"),
                     file, QStringLiteral("synth"), QString::number(seconds), QStringLiteral("sine"),
                     QStringLiteral("440")};
    if (channels == 2)
        args << QStringLiteral("sine") << QStringLiteral("1250");
    args << QStringLiteral("remix") << QStringLiteral("1v0.6");
    if (channels == 2)
        args << QStringLiteral("2v-0.35");
    QString output;
    EXPECT_TRUE(run(QStringLiteral("/usr/bin/sox"), args, &output)) << output.toStdString();
    return file;
}

// Raw 16-bit little-endian interleaved samples, as a CD track holds them.
inline Samples fromPcm16(const QByteArray& pcm, int rate, int channels)
{
    Samples out;
    out.rate = rate;
    out.channels = channels;
    out.bits = 16;
    for (qsizetype at = 0; at + 1 < pcm.size(); at += 2)
        out.values.push_back(int16_t(uint16_t(uint8_t(pcm[at])) | uint16_t(uint8_t(pcm[at + 1])) << 8));
    return out;
}

// sox's conversion of `source` to the given layout, undithered, written as `file`.
inline Samples soxConversion(const QString& source, const QString& file, int rate, int channels, int bits)
{
    QString output;
    EXPECT_TRUE(run(QStringLiteral("/usr/bin/sox"),
                    {QStringLiteral("-D"), source, QStringLiteral("-r"), QString::number(rate), QStringLiteral("-c"),
                     QString::number(channels), QStringLiteral("-b"), QString::number(bits), QStringLiteral("-e"),
                     bits == 8 ? QStringLiteral("unsigned") : QStringLiteral("signed"), file},
                    &output))
        << output.toStdString();
    return readWav(file);
}

inline Samples lameDecode(const QString& mp3, const QString& file)
{
    EXPECT_TRUE(run(QStringLiteral("/usr/bin/lame"), {QStringLiteral("--quiet"), QStringLiteral("--decode"), mp3, file}));
    return readWav(file);
}

inline Samples oggDecode(const QString& ogg, const QString& file)
{
    EXPECT_TRUE(run(QStringLiteral("/usr/bin/oggdec"), {QStringLiteral("-Q"), ogg, QStringLiteral("-o"), file}));
    return readWav(file);
}

// One stretch of samples after another (same layout).
inline void append(Samples& to, const Samples& more)
{
    if (to.values.empty()) {
        to.rate = more.rate;
        to.channels = more.channels;
        to.bits = more.bits;
    }
    to.values.insert(to.values.end(), more.values.begin(), more.values.end());
}

// Writes 16-bit samples as a plain WAV for another program to read.
inline bool writeWav16(const Samples& samples, const QString& path)
{
    QByteArray data;
    for (const int32_t v : samples.values) {
        data.append(char(v & 0xFF));
        data.append(char((v >> 8) & 0xFF));
    }
    auto le = [](uint32_t v, int bytes) {
        QByteArray out;
        for (int i = 0; i < bytes; ++i)
            out.append(char(v >> (8 * i)));
        return out;
    };
    const uint32_t block = uint32_t(samples.channels * 2);
    const QByteArray fmt = le(1, 2) + le(uint32_t(samples.channels), 2) + le(uint32_t(samples.rate), 4) +
                           le(uint32_t(samples.rate) * block, 4) + le(block, 2) + le(16, 2);
    const QByteArray body = "WAVEfmt " + le(16, 4) + fmt + "data" + le(uint32_t(data.size()), 4) + data;
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write("RIFF" + le(uint32_t(body.size()), 4) + body) == body.size() + 8;
}

}  // namespace refaudio
