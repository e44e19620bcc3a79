// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// WAV files that hold MP3 frames (format tag 0x55) and no "fact" chunk, as the compressed-WAV
// codecs write them: their length is known only as the data divided by the byte rate of their
// fmt chunk. The frames come from the engine's own MP3 writer; the damaged variants are made
// from them byte by byte.

#include "components/AudioJob.h"
#include "components/engine/AudioEngine.h"
#include "tests/components/WavFixtures.h"
#include "tests/support/WavBytes.h"

#include <QTemporaryDir>

namespace compressedwavs {

// The bytes of a 128 kbit/s MP3 of `frames` frames of a tone, 44.1 kHz stereo; empty when the
// encoder fails.
inline QByteArray mp3Tone(int64_t frames)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tone.mp3"));
    components::OutputSettings settings;  // the components' first MP3 settings: 128 kbit/s
    settings.destinationFormat = engine::dfMP3;
    const engine::OutputSpec spec = settings.spec();
    QString error;
    {
        std::unique_ptr<engine::AudioWriter> writer = engine::AudioWriter::create(spec, path, {}, &error);
        const fixtures::Pcm pcm{44100, 2, 16};
        const QByteArray samples = fixtures::sine(pcm, frames, 441.0);
        if (!writer || !writer->write(reinterpret_cast<const uint8_t*>(samples.constData()), frames, &error) ||
            !writer->finish(&error))
            return {};
    }
    return fixtures::readFile(path);
}

// MP3 data in a WAV of format 0x55 without "fact": 44.1 kHz stereo at `byteRate` bytes a second.
inline QByteArray mp3InWav(const QByteArray& mp3, uint32_t byteRate = 16000)
{
    using wavbytes::le;
    // MPEGLAYER3WAVEFORMAT: the common fields, then ID, flags, block size, frames per block, delay.
    const QByteArray fmt = le(0x55, 2) + le(2, 2) + le(44100, 4) + le(byteRate, 4) + le(1, 2) + le(0, 2) + le(12, 2) +
                           le(1, 2) + le(2, 4) + le(418, 2) + le(1, 2) + le(1393, 2);
    return wavbytes::riff(wavbytes::chunk("fmt ", fmt) + wavbytes::chunk("data", mp3));
}

// The same bytes with their second half zeroed: the frames there are gone, the size stays.
inline QByteArray zeroSecondHalf(QByteArray mp3)
{
    const qsizetype half = mp3.size() / 2;
    mp3.replace(half, mp3.size() - half, QByteArray(mp3.size() - half, '\0'));
    return mp3;
}

}  // namespace compressedwavs
