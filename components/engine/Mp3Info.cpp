// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/engine/Mp3Info.h"

#include <QFile>

#include <cstring>

namespace engine {

namespace {

uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

}  // namespace

namespace {

struct FrameHeader {
    int length = 0;  // bytes, padding included
    int bitrate = 0;  // kbit/s
    int samples = 0;
    int rate = 0;
};

// Parses a layer III header; false for anything else.
bool parseHeader(const uint8_t* b, FrameHeader* h)
{
    if (b[0] != 0xff || (b[1] & 0xe0) != 0xe0)
        return false;
    const int versionBits = (b[1] >> 3) & 3;
    const int layerBits = (b[1] >> 1) & 3;
    const int rateIndex = (b[2] >> 2) & 3;
    const int bitrateIndex = b[2] >> 4;
    if (versionBits == 1 || layerBits != 1 || rateIndex == 3 || bitrateIndex == 0 || bitrateIndex == 15)
        return false;
    static const int br1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const int br2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static const int rates[3] = {44100, 48000, 32000};
    const bool mpeg1 = versionBits == 3;
    const int rate = rates[rateIndex] >> (mpeg1 ? 0 : versionBits == 2 ? 1 : 2);
    h->bitrate = (mpeg1 ? br1 : br2)[bitrateIndex];
    h->samples = mpeg1 ? 1152 : 576;
    h->rate = rate;
    h->length = (mpeg1 ? 144 : 72) * h->bitrate * 1000 / rate + ((b[2] >> 1) & 1);
    return true;
}

int64_t skipId3v2(QFile& file)
{
    int64_t start = 0;
    for (;;) {
        if (!file.seek(start))
            return start;
        const QByteArray head = file.read(10);
        if (head.size() < 10 || !head.startsWith("ID3"))
            return start;
        const auto* h = reinterpret_cast<const uint8_t*>(head.constData());
        start += 10 + ((int64_t(h[6] & 0x7f) << 21) | (h[7] & 0x7f) << 14 | (h[8] & 0x7f) << 7 | (h[9] & 0x7f)) +
                 ((h[5] & 0x10) ? 10 : 0);
    }
}

}  // namespace

namespace {

// The first of two frames in a row (so that a stray sync word does not count), after any
// ID3v2 tags; -1 when there is none. end is where the audio stops (before an ID3v1 tag).
int64_t firstFrame(QFile& file, int64_t* end, FrameHeader* h)
{
    *end = file.size();
    if (*end >= 128 && file.seek(*end - 128) && file.read(3) == "TAG")
        *end -= 128;
    const int64_t start = skipId3v2(file);
    if (!file.seek(start))
        return -1;
    const QByteArray head = file.read(65536);
    const auto* hb = reinterpret_cast<const uint8_t*>(head.constData());
    FrameHeader next;
    for (int i = 0; i + 4 <= head.size(); ++i)
        if (parseHeader(hb + i, h) && (i + h->length + 4 > head.size() || parseHeader(hb + i + h->length, &next)))
            return start + i;
    return -1;
}

// Calls visit(offset, header) for each frame from `from` on until it returns false, the
// headers stop or the audio ends.
template <typename Visit>
void walkFrames(QFile& file, int64_t from, int64_t end, Visit visit)
{
    QByteArray buffer;
    int64_t bufferStart = 0;
    FrameHeader h;
    for (int64_t pos = from; pos + 4 <= end;) {
        if (pos < bufferStart || pos + 4 > bufferStart + buffer.size()) {
            if (!file.seek(pos))
                return;
            buffer = file.read(1 << 18);
            bufferStart = pos;
            if (buffer.size() < 4)
                return;
        }
        // A frame cut off by the end of the file is no frame: decoders drop it.
        if (!parseHeader(reinterpret_cast<const uint8_t*>(buffer.constData()) + (pos - bufferStart), &h) ||
            pos + h.length > end || !visit(pos, h))
            return;
        pos += h.length;
    }
}

}  // namespace

int64_t countMp3Frames(const QString& path, int* samplesPerFrame)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    int64_t end = 0;
    FrameHeader first;
    const int64_t start = firstFrame(file, &end, &first);
    if (start < 0)
        return 0;
    *samplesPerFrame = first.samples;
    // Counted header by header: an estimate from the size cannot tell a frame cut off by the
    // end of the file from a whole one, and the decoder delivers only whole ones.
    int64_t frames = 0;
    walkFrames(file, start, end, [&](int64_t, const FrameHeader&) {
        ++frames;
        return true;
    });
    return frames;
}

int64_t mp3AudioBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    int64_t end = 0;
    FrameHeader first;
    const int64_t start = firstFrame(file, &end, &first);
    return start < 0 ? 0 : end - start;
}

std::vector<int64_t> indexMp3Frames(const QString& path)
{
    std::vector<int64_t> offsets;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return offsets;
    int64_t end = 0;
    FrameHeader first;
    const int64_t start = firstFrame(file, &end, &first);
    if (start < 0)
        return offsets;
    walkFrames(file, start, end, [&](int64_t pos, const FrameHeader&) {
        offsets.push_back(pos);
        return true;
    });
    Mp3LengthInfo info;
    if (!offsets.empty() && readMp3LengthInfo(path, &info))
        offsets.erase(offsets.begin());
    return offsets;
}

bool readMp3LengthInfo(const QString& path, Mp3LengthInfo* info)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const int64_t start = skipId3v2(file);
    if (!file.seek(start))
        return false;
    const QByteArray block = file.read(16384);
    const auto* b = reinterpret_cast<const uint8_t*>(block.constData());
    const int n = block.size();
    for (int i = 0; i + 4 <= n; ++i) {
        if (b[i] != 0xff || (b[i + 1] & 0xe0) != 0xe0)
            continue;
        const int versionBits = (b[i + 1] >> 3) & 3;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
        const int layerBits = (b[i + 1] >> 1) & 3;    // 1 = layer III
        const int rateIndex = (b[i + 2] >> 2) & 3;
        const int bitrateIndex = b[i + 2] >> 4;
        if (versionBits == 1 || layerBits != 1 || rateIndex == 3 || bitrateIndex == 0 || bitrateIndex == 15)
            continue;
        static const int rates[3] = {44100, 48000, 32000};
        const bool mpeg1 = versionBits == 3;
        info->sampleRate = rates[rateIndex] >> (mpeg1 ? 0 : versionBits == 2 ? 1 : 2);
        info->samplesPerFrame = mpeg1 ? 1152 : 576;
        const bool mono = (b[i + 3] >> 6) == 3;
        const int sideInfo = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
        // The tag sits after the side information; a frame with a CRC moves it two bytes on.
        for (int offset : {4 + sideInfo, 6 + sideInfo}) {
            const int t = i + offset;
            if (t + 8 > n)
                return false;
            if (memcmp(b + t, "Xing", 4) != 0 && memcmp(b + t, "Info", 4) != 0)
                continue;
            const uint32_t flags = be32(b + t + 4);
            int p = t + 8;
            if (flags & 1) {
                if (p + 4 > n)
                    return false;
                info->hasFrameCount = true;
                info->frames = be32(b + p);
                p += 4;
            }
            if (flags & 2) {
                if (p + 4 > n)
                    return false;
                info->hasByteCount = true;
                info->bytes = be32(b + p);
                p += 4;
            }
            if (flags & 4)
                p += 100;
            if (flags & 8)
                p += 4;
            // LAME extension: 9-byte encoder name, then delay and padding 21 bytes in.
            if (p + 24 <= n && (memcmp(b + p, "LAME", 4) == 0 || memcmp(b + p, "Lavc", 4) == 0 ||
                                memcmp(b + p, "Lavf", 4) == 0)) {
                const uint8_t* d = b + p + 21;
                info->hasGapless = true;
                info->encoderDelay = (d[0] << 4) | (d[1] >> 4);
                info->encoderPadding = ((d[1] & 0x0f) << 8) | d[2];
            }
            return true;
        }
        // The other encoder's info frame: always 32 bytes after the header, frame count only.
        const int v = i + 4 + 32;
        if (v + 18 <= n && memcmp(b + v, "VBRI", 4) == 0) {
            info->hasFrameCount = true;
            info->frames = be32(b + v + 14);
            return true;
        }
        return false;  // the first frame carries no info tag
    }
    return false;
}

}  // namespace engine
