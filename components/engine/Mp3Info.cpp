// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/engine/Mp3Info.h"

#include <algorithm>
#include <cstring>

namespace engine {

namespace {

// The frame search looks at this much of the file after its ID3v2 tags, the info frame search
// at the first kInfoSearch bytes of it.
constexpr int64_t kFrameSearch = 65536;
constexpr int64_t kInfoSearch = 16384;
constexpr int64_t kWalkBlock = 1 << 18;

uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

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

// Where the audio starts after any ID3v2 tags (several may follow each other).
int64_t skipId3v2(const PositionedFile& file)
{
    int64_t start = 0;
    for (;;) {
        uint8_t h[10];
        if (file.readAt(start, h, 10) != 10 || memcmp(h, "ID3", 3) != 0)
            return start;
        start += 10 + ((int64_t(h[6] & 0x7f) << 21) | (h[7] & 0x7f) << 14 | (h[8] & 0x7f) << 7 | (h[9] & 0x7f)) +
                 ((h[5] & 0x10) ? 10 : 0);
    }
}

// The first offset in block where a frame header is followed by another (or by the block's
// end, which *open then says); -1 when there is none.
int scanFirstFrame(const QByteArray& block, FrameHeader* h, bool* open)
{
    const auto* hb = reinterpret_cast<const uint8_t*>(block.constData());
    const int n = int(block.size());
    FrameHeader next;
    for (int i = 0; i + 4 <= n; ++i) {
        if (!parseHeader(hb + i, h))
            continue;
        if (i + h->length + 4 > n) {
            *open = true;
            return i;
        }
        if (parseHeader(hb + i + h->length, &next)) {
            *open = false;
            return i;
        }
    }
    return -1;
}

// The first of two frames in a row within kFrameSearch bytes from start; head holds the file's
// bytes from start on (maybe fewer than the search covers: the rest is read only when the
// answer could depend on them).
int64_t firstFrame(const PositionedFile& file, int64_t start, const QByteArray& head, FrameHeader* h)
{
    const int64_t window = std::clamp<int64_t>(file.size() - start, 0, kFrameSearch);
    bool open = false;
    int i = scanFirstFrame(head, h, &open);
    if (head.size() < window && (i < 0 || open))
        i = scanFirstFrame(file.readAt(start, window), h, &open);
    return i < 0 ? -1 : start + i;
}

// Calls visit(offset, header) for each frame from `from` on until it returns false, the
// headers stop or the audio ends.
template <typename Visit>
void walkFrames(const PositionedFile& file, int64_t from, int64_t end, Visit visit)
{
    QByteArray buffer;
    int64_t bufferStart = 0;
    FrameHeader h;
    for (int64_t pos = from; pos + 4 <= end;) {
        if (pos < bufferStart || pos + 4 > bufferStart + buffer.size()) {
            buffer = file.readAt(pos, kWalkBlock);
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

int64_t countFrames(const PositionedFile& file, int64_t first, int64_t end)
{
    // Counted header by header: an estimate from the size cannot tell a frame cut off by the
    // end of the file from a whole one, and the decoder delivers only whole ones.
    int64_t frames = 0;
    if (first >= 0)
        walkFrames(file, first, end, [&](int64_t, const FrameHeader&) {
            ++frames;
            return true;
        });
    return frames;
}

// The info frame in the first frame after the tags: block holds the bytes from there on.
bool parseLengthInfo(const QByteArray& block, Mp3LengthInfo* info)
{
    const auto* b = reinterpret_cast<const uint8_t*>(block.constData());
    const int n = int(block.size());
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

// The container signatures of formats whose bytes may happen to hold two MP3 frame headers in
// a row: those files go to the library's own detection.
bool startsAsOtherFormat(const PositionedFile& file, int64_t at)
{
    char h[12] = {};
    if (file.readAt(at, h, 12) < 12)
        return false;
    for (const char* magic : {"OggS", "fLaC", "RIFF", "RF64", "BW64", "FORM", "MAC ", "wvpk", "TTA1", "MPCK", ".snd",
                              "#!AM", "MThd", "caff", "\x30\x26\xb2\x75"})
        if (memcmp(h, magic, 4) == 0)
            return true;
    return memcmp(h + 4, "ftyp", 4) == 0;
}

bool at(const QByteArray& tail, int64_t fromEnd, const char* text)
{
    const qsizetype pos = tail.size() - qsizetype(fromEnd);
    return pos >= 0 && QByteArrayView(tail).sliced(pos).startsWith(QByteArrayView(text));
}

}  // namespace

bool readMp3Stream(PositionedFile& file, Mp3Stream* s)
{
    *s = Mp3Stream();
    // Small tags and the first frames are in the first block of nearly every file.
    file.readHead(kInfoSearch + 4096);
    const int64_t size = file.size();
    const QByteArray tail = file.readAt(std::max<int64_t>(0, size - 256), std::min<int64_t>(size, 256));
    s->end = size;
    if (size >= 128 && at(tail, 128, "TAG"))
        s->end -= 128;
    const int64_t start = skipId3v2(file);
    s->hasTags = start > 0 || s->end != size || at(tail, 32, "APETAGEX") || at(tail, 160, "APETAGEX") ||
                 at(tail, 10, "3DI") || at(tail, 138, "3DI");

    const QByteArray head = file.readAt(start, std::min<int64_t>(kInfoSearch, std::max<int64_t>(0, size - start)));
    FrameHeader first;
    s->firstFrame = firstFrame(file, start, head, &first);
    if (s->firstFrame >= 0) {
        s->sampleRate = first.rate;
        s->bitrate = first.bitrate;
        uint8_t header[4] = {};
        if (file.readAt(s->firstFrame, header, 4) == 4)
            s->channels = (header[3] >> 6) == 3 ? 1 : 2;
    }

    Mp3LengthInfo& info = s->info;
    s->hasInfoFrame = parseLengthInfo(head, &info);
    if (s->hasInfoFrame && info.hasFrameCount) {
        s->samplesPerFrame = info.samplesPerFrame;
        // What the decoder drops at the start: the encoder's delay and its own. Without the
        // encoder's word on its delay, its own is all that is known.
        s->startSkip = (info.hasGapless ? info.encoderDelay : 0) + kMp3DecoderDelay;
        s->samples = info.hasGapless ? info.exactSamples()
                                     : std::max<int64_t>(0, info.frames * info.samplesPerFrame - kMp3DecoderDelay);
        // A file that lost its end holds fewer frames than the info frame promises: what
        // comes out is what the frames that are there hold. Files joined by appending one to
        // another hold more: the first one's info frame speaks for it alone, and the decoder
        // goes on through the others (their info frames decode as a frame of silence each).
        // The first one's delay is dropped at the start and its padding at the end, which is
        // where a decoder that reads the first tag cuts such a file too.
        const int64_t audioBytes = s->firstFrame < 0 ? 0 : s->end - s->firstFrame;
        if (!info.hasByteCount || audioBytes != info.bytes) {
            const int spf = s->firstFrame < 0 ? info.samplesPerFrame : first.samples;
            const int64_t present = countFrames(file, s->firstFrame, s->end) - 1;  // the info frame is no audio
            s->framesWalked = true;
            if (present >= 0 && present < info.frames) {
                s->samples = std::max<int64_t>(0, present * spf - s->startSkip);
            } else if (present > info.frames && spf == info.samplesPerFrame) {
                Mp3LengthInfo whole = info;
                whole.frames = present;
                s->samples = info.hasGapless ? whole.exactSamples()
                                             : std::max<int64_t>(0, present * spf - kMp3DecoderDelay);
            }
        }
        s->lengthKnown = true;
    } else if (const int64_t frames = countFrames(file, s->firstFrame, s->end); frames > 0) {
        // No info frame: the decoder's own delay is removed at the start, as decoders do.
        s->samples = std::max<int64_t>(0, frames * first.samples - kMp3DecoderDelay);
        s->samplesPerFrame = first.samples;
        s->startSkip = kMp3DecoderDelay;
        s->lengthKnown = true;
        s->framesWalked = true;
    }
    return s->firstFrame >= 0;
}

bool mp3SourceInfo(const PositionedFile& file, const Mp3Stream& mp3, SourceInfo* info)
{
    if (!mp3.lengthKnown || mp3.firstFrame < 0 || mp3.sampleRate <= 0 || mp3.channels <= 0 ||
        startsAsOtherFormat(file, 0))
        return false;
    SourceInfo result;
    result.format = PcmFormat{mp3.sampleRate, mp3.channels, 16};
    result.codecName = QStringLiteral("mp3");
    result.totalFrames = mp3.samples;
    result.lengthExact = true;
    result.durationMs = mp3.samples * 1000 / mp3.sampleRate;
    const int64_t frames = mp3.info.frames;
    result.bitrate = mp3.info.hasByteCount && mp3.info.hasFrameCount && frames > 0
                         ? int(std::min<int64_t>(mp3.info.bytes * 8 * mp3.sampleRate / (frames * mp3.info.samplesPerFrame),
                                                 INT32_MAX))
                         : mp3.bitrate * 1000;
    *info = result;
    return true;
}

Mp3ConstantRate mp3ConstantRate(const PositionedFile& file, int64_t from, int64_t end)
{
    const QByteArray head = file.readAt(from, std::clamp<int64_t>(end - from, 0, kFrameSearch));
    FrameHeader first;
    bool open = false;
    const int at = scanFirstFrame(head, &first, &open);
    if (at < 0)
        return {};
    // A variable-rate encoder's tag in the first frame: its bitrate says nothing of the others.
    const QByteArray firstFrame = head.mid(at, first.length);
    if (firstFrame.contains("Xing") || firstFrame.contains("VBRI"))
        return {};
    bool constant = true;
    walkFrames(file, from + at, end, [&](int64_t, const FrameHeader& h) {
        constant = h.bitrate == first.bitrate && h.rate == first.rate;
        return constant;
    });
    if (!constant)
        return {};
    return Mp3ConstantRate{first.bitrate, first.rate, first.samples};
}

std::vector<int64_t> indexMp3Frames(const QString& path)
{
    std::vector<int64_t> offsets;
    PositionedFile file;
    if (!file.open(path))
        return offsets;
    Mp3Stream s;
    if (!readMp3Stream(file, &s))
        return offsets;
    walkFrames(file, s.firstFrame, s.end, [&](int64_t pos, const FrameHeader&) {
        offsets.push_back(pos);
        return true;
    });
    if (!offsets.empty() && s.hasInfoFrame)
        offsets.erase(offsets.begin());
    return offsets;
}

}  // namespace engine
