// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// What the frame headers of an MP3 file say: the first frame's format, the Xing/Info frame's
// frame and byte counts with the encoder delay and padding of a LAME extension (which make
// gapless decoding exact), and from those the number of samples a decoder delivers. Read in
// one pass over the file's head and tail; the frames are walked one by one only when the info
// frame does not settle the length. Private to the engine.

#include "components/engine/AudioEngine.h"
#include "components/engine/PositionedFile.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace engine {

// The decoder's own delay, which the LAME tag's encoder delay does not include.
constexpr int kMp3DecoderDelay = 529;

struct Mp3LengthInfo {
    bool hasFrameCount = false;
    int64_t frames = 0;          // audio frames after the info frame
    bool hasByteCount = false;
    int64_t bytes = 0;           // the stream's size the encoder wrote down
    int samplesPerFrame = 1152;
    int sampleRate = 0;
    bool hasGapless = false;
    int encoderDelay = 0;
    int encoderPadding = 0;
    // Samples a gapless decoder delivers; 0 when the tag gives no frame count.
    int64_t exactSamples() const
    {
        if (!hasFrameCount)
            return 0;
        const int64_t total = frames * samplesPerFrame - (hasGapless ? encoderDelay + encoderPadding : 0);
        return total > 0 ? total : 0;
    }
};

struct Mp3Stream {
    // The first of two frames in a row after any ID3v2 tags (-1: none), and where the audio
    // stops (before an ID3v1 tag).
    int64_t firstFrame = -1;
    int64_t end = 0;
    int sampleRate = 0;       // of the first frame
    int channels = 0;
    int bitrate = 0;          // kbit/s of the first frame
    bool hasInfoFrame = false;
    Mp3LengthInfo info;
    // The length as the reader delivers it: known from the info frame or the frame count.
    bool lengthKnown = false;
    int64_t samples = 0;
    int startSkip = 0;         // samples the decoder drops before the first delivered one
    int samplesPerFrame = 1152;
    // An ID3v2 tag at the start, or an ID3v1, APE or appended ID3v2 tag at the end.
    bool hasTags = false;
    // The length came from walking the frames (no info frame, or one the file falls short of).
    bool framesWalked = false;
};

// Reads everything above from an open file. False when no frame is found (the length may
// still be known from an info frame then).
bool readMp3Stream(PositionedFile& file, Mp3Stream* stream);

// What a reader of the file reports, tags aside, from what readMp3Stream found: false when the
// headers leave the length unknown or the file starts as another container would. The bitrate
// is the info frame's bytes over its length, else the first frame's.
bool mp3SourceInfo(const PositionedFile& file, const Mp3Stream& stream, SourceInfo* info);

// The one bitrate (kbit/s) the MP3 frames of a stream between `from` and `end` are coded at,
// with their sample rate, so that its length follows from its size; kbps 0 when the stream
// varies (frames of other bitrates, or the info tag of a variable-rate encoder) or holds no
// frame within its first bytes. Frames after damage are not looked at.
struct Mp3ConstantRate {
    int kbps = 0;
    int sampleRate = 0;
    int samplesPerFrame = 0;
};
Mp3ConstantRate mp3ConstantRate(const PositionedFile& file, int64_t from, int64_t end);

// Byte offsets of the audio frames (the info frame left out), found from the frame headers.
std::vector<int64_t> indexMp3Frames(const QString& path);

}  // namespace engine
