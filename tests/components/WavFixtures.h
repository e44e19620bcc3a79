// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// Test fixtures for the audio components: PCM WAV files written byte by byte with a known,
// position-dependent sample pattern, and an independent reader of RIFF/RF64 PCM files, so the
// components' output is checked against something other than the engine itself.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <cmath>
#include <cstdint>
#include <optional>

namespace fixtures {

struct Pcm {
    int rate = 44100;
    int channels = 2;
    int bits = 16;
    int bytesPerFrame() const { return channels * (bits / 8); }
    bool operator==(const Pcm&) const = default;
};

inline void put16(QByteArray& b, uint16_t v)
{
    b.append(char(v & 0xff));
    b.append(char(v >> 8));
}
inline void put32(QByteArray& b, uint32_t v)
{
    put16(b, uint16_t(v & 0xffff));
    put16(b, uint16_t(v >> 16));
}
inline uint32_t get32(const QByteArray& b, qsizetype at)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= uint32_t(uint8_t(b[at + i])) << (8 * i);
    return v;
}
inline uint16_t get16(const QByteArray& b, qsizetype at)
{
    return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8);
}

// Sample bytes that differ per file (seed) and per position, so a shifted or dropped frame shows.
inline QByteArray pattern(const Pcm& pcm, int64_t frames, int seed)
{
    QByteArray data;
    data.resize(qsizetype(frames * pcm.bytesPerFrame()));
    uint32_t x = 0x9E3779B9u * uint32_t(seed + 1);
    for (qsizetype i = 0; i < data.size(); ++i) {
        x = x * 1664525u + 1013904223u;
        data[i] = char(x >> 24);
    }
    return data;
}

// A quiet sine, for sources that go through a codec or a resampler.
inline QByteArray sine(const Pcm& pcm, int64_t frames, double hz = 440.0)
{
    QByteArray data;
    for (int64_t f = 0; f < frames; ++f) {
        const double v = 0.4 * std::sin(2 * 3.14159265358979 * hz * double(f) / pcm.rate);
        for (int c = 0; c < pcm.channels; ++c) {
            if (pcm.bits == 8) {
                data.append(char(uint8_t(128 + int(v * 127))));
            } else {
                const int32_t s = int32_t(v * ((1 << (pcm.bits - 1)) - 1));
                for (int k = 0; k < pcm.bits / 8; ++k)
                    data.append(char((s >> (8 * k)) & 0xff));
            }
        }
    }
    return data;
}

inline QByteArray wavBytes(const Pcm& pcm, const QByteArray& data, uint32_t claimedDataBytes = 0xFFFFFFFFu)
{
    const uint32_t dataBytes = claimedDataBytes == 0xFFFFFFFFu ? uint32_t(data.size()) : claimedDataBytes;
    QByteArray b("RIFF");
    put32(b, 36 + dataBytes + (dataBytes & 1));
    b.append("WAVEfmt ");
    put32(b, 16);
    put16(b, 1);
    put16(b, uint16_t(pcm.channels));
    put32(b, uint32_t(pcm.rate));
    put32(b, uint32_t(pcm.rate * pcm.bytesPerFrame()));
    put16(b, uint16_t(pcm.bytesPerFrame()));
    put16(b, uint16_t(pcm.bits));
    b.append("data");
    put32(b, dataBytes);
    b.append(data);
    if (data.size() & 1)
        b.append('\0');
    return b;
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct ParsedWav {
    Pcm pcm;
    bool rf64 = false;
    QByteArray data;
    QByteArray info;  // the LIST chunk's payload, when present
};

// Walks the chunks; RF64 takes the data size from ds64.
inline std::optional<ParsedWav> parseWav(const QByteArray& b)
{
    if (b.size() < 12 || (b.left(4) != "RIFF" && b.left(4) != "RF64") || b.mid(8, 4) != "WAVE")
        return std::nullopt;
    ParsedWav w;
    w.rf64 = b.left(4) == "RF64";
    uint64_t ds64Data = 0;
    bool haveFmt = false, haveData = false;
    qsizetype pos = 12;
    while (pos + 8 <= b.size()) {
        const QByteArray id = b.mid(pos, 4);
        uint64_t size = get32(b, pos + 4);
        const qsizetype body = pos + 8;
        if (id == "ds64")
            ds64Data = uint64_t(get32(b, body + 8)) | uint64_t(get32(b, body + 12)) << 32;
        if (id == "data" && w.rf64 && size == 0xFFFFFFFFu)
            size = ds64Data;
        if (id == "fmt ") {
            const int tag = get16(b, body);
            if (tag != 1 && tag != 0xFFFE)
                return std::nullopt;
            w.pcm.channels = get16(b, body + 2);
            w.pcm.rate = int(get32(b, body + 4));
            w.pcm.bits = get16(b, body + 14);
            haveFmt = true;
        } else if (id == "data") {
            if (body + qsizetype(size) > b.size())
                return std::nullopt;
            w.data = b.mid(body, qsizetype(size));
            haveData = true;
        } else if (id == "LIST") {
            w.info = b.mid(body, qsizetype(size));
        }
        pos = body + qsizetype(size) + qsizetype(size & 1);
    }
    if (!haveFmt || !haveData)
        return std::nullopt;
    return w;
}

inline std::optional<ParsedWav> parseWavFile(const QString& path)
{
    return parseWav(readFile(path));
}

// Every entry of a folder, hidden ones included, so a stray temporary file is seen.
inline QStringList folderEntries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

}  // namespace fixtures
