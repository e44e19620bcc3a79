// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// Test fixtures for the audio engine, generated at run time with the engine's own writers.

#include "components/engine/AudioEngine.h"
#include "components/engine/FormatRecords.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace fixtures {

// Deterministic, non-periodic PCM: a sine with a pseudo-random wobble, so that any shift of
// even one frame shows up as a mismatch.
inline std::vector<uint8_t> makeSignal(const engine::PcmFormat& f, int64_t frames, uint32_t seed = 1)
{
    std::vector<uint8_t> out(size_t(frames * f.bytesPerFrame()));
    uint8_t* p = out.data();
    uint32_t noise = seed;
    const int bytes = (f.bitsPerSample + 7) / 8;
    for (int64_t i = 0; i < frames; ++i) {
        for (int c = 0; c < f.channels; ++c) {
            noise = noise * 1664525u + 1013904223u;
            const double v = 0.6 * std::sin(2 * M_PI * 440.0 * (c + 1) * double(i) / f.sampleRate) +
                             0.1 * (double(noise >> 8) / double(1 << 24) - 0.5);
            const int64_t s = int64_t(v * double((int64_t(1) << (f.bitsPerSample - 1)) - 1));
            if (bytes == 1) {
                *p++ = uint8_t(s + 128);
            } else {
                for (int b = 0; b < bytes; ++b)
                    *p++ = uint8_t(uint64_t(s) >> (8 * b));
            }
        }
    }
    return out;
}

// A clean tone for lossy encoders, with a click at clickFrame (when >= 0).
inline std::vector<uint8_t> makeTone16(int rate, int channels, int64_t frames, int64_t clickFrame = -1)
{
    std::vector<uint8_t> out(size_t(frames * channels * 2));
    auto* s = reinterpret_cast<int16_t*>(out.data());
    for (int64_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            *s++ = int16_t(i == clickFrame ? 30000 : 8000 * std::sin(2 * M_PI * 1000.0 * double(i) / rate));
    return out;
}

inline engine::OutputSpec wavSpec(const engine::PcmFormat& f)
{
    engine::WavFormatRecord r;
    r.SampleRate = f.sampleRate;
    r.Channels = int16_t(f.channels);
    r.BitsPerSample = int16_t(f.bitsPerSample);
    engine::OutputSpec spec;
    spec.destinationFormat = engine::dfWAV;
    spec.record = r.toBytes();
    return spec;
}

// Encodes pcm (in the writer's input format) into path; fails the test on error.
inline void writeFile(const engine::OutputSpec& spec, const QString& path, const std::vector<uint8_t>& pcm,
                      const engine::AudioTags& tags = {})
{
    QString error;
    auto writer = engine::AudioWriter::create(spec, path, tags, &error);
    ASSERT_TRUE(writer) << error.toStdString();
    const int bpf = writer->inputFormat().bytesPerFrame();
    const int64_t frames = int64_t(pcm.size()) / bpf;
    // Odd block sizes on purpose: writers must not depend on the caller's blocking.
    for (int64_t done = 0; done < frames;) {
        const int64_t n = std::min<int64_t>(4099, frames - done);
        ASSERT_TRUE(writer->write(pcm.data() + done * bpf, n, &error)) << error.toStdString();
        done += n;
    }
    ASSERT_TRUE(writer->finish(&error)) << error.toStdString();
}

inline void writeWav(const QString& path, const engine::PcmFormat& f, const std::vector<uint8_t>& pcm,
                     const engine::AudioTags& tags = {})
{
    writeFile(wavSpec(f), path, pcm, tags);
}

// Everything the reader delivers from its current position, in blocks of `block` frames.
inline std::vector<uint8_t> readAll(engine::AudioReader& reader, const engine::PcmFormat& out, int64_t block = 3000)
{
    std::vector<uint8_t> all;
    std::vector<uint8_t> buf(size_t(block * out.bytesPerFrame()));
    QString error;
    for (;;) {
        const int64_t n = reader.read(buf.data(), block, &error);
        EXPECT_GE(n, 0) << error.toStdString();
        if (n <= 0)
            break;
        all.insert(all.end(), buf.begin(), buf.begin() + n * out.bytesPerFrame());
    }
    return all;
}

inline std::unique_ptr<engine::AudioReader> openOrFail(const QString& path)
{
    QString error;
    auto reader = engine::AudioReader::open(path, &error);
    EXPECT_TRUE(reader) << error.toStdString();
    return reader;
}

inline std::vector<uint8_t> decodeAll(const QString& path, const engine::PcmFormat& out)
{
    auto reader = openOrFail(path);
    if (!reader)
        return {};
    QString error;
    EXPECT_TRUE(reader->setOutputFormat(out, &error)) << error.toStdString();
    return readAll(*reader, out);
}

}  // namespace fixtures
