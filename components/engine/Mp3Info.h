// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// What the first frame of an MP3 file says about its length: the Xing/Info frame count and
// the encoder delay and padding of a LAME extension, which make gapless decoding exact.
// Private to the engine.

#include <QString>

#include <cstdint>
#include <vector>

namespace engine {

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

// Reads the start of the file (after an ID3v2 tag). False when no info frame is found.
bool readMp3LengthInfo(const QString& path, Mp3LengthInfo* info);

// The number of whole frames in the file (an info frame included), counted header by header
// without decoding. 0 when no frame is found.
int64_t countMp3Frames(const QString& path, int* samplesPerFrame);

// Bytes from the first frame to the end of the audio (before an ID3v1 tag).
int64_t mp3AudioBytes(const QString& path);

// Byte offsets of the audio frames (the info frame left out), found from the frame headers.
std::vector<int64_t> indexMp3Frames(const QString& path);

}  // namespace engine
