// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Reads arbitrary bytes as a WAV/RF64 file: the chunk walk, then, for integer PCM, every sample
// the reader delivers in the file's own format and converted; for compressed audio, the length
// the codec module's reader states and the decode it is held to. The walk must end, and what it
// reports must lie inside the file.
#include "fuzz/FuzzFile.h"
#include "components/engine/PositionedFile.h"
#include "components/engine/WavFile.h"

#include <fcntl.h>

#include <algorithm>
#include <vector>

namespace {

// A compressed WAV: the stated length is sane, an exact one is never passed by the decode, and
// the check of the decode against it passes a decode that delivers it and names the file when
// it refuses one.
void readCompressed(const QString& path)
{
    QString error;
    std::unique_ptr<engine::AudioReader> reader = engine::AudioReader::open(path, &error);
    if (!reader)
        return;
    const engine::SourceInfo info = reader->info();
    fuzz::check(info.totalFrames >= 0 && info.durationMs >= 0);
    fuzz::check(engine::isReadableChannelCount(info.format.channels));
    fuzz::check(info.estimateSlackPercent >= 0 && info.estimateSlackPercent <= 100);
    fuzz::check(info.estimateSlackFrames >= 0);
    fuzz::check(!info.lengthExact || (info.estimateSlackPercent == 0 && info.estimateSlackFrames == 0));
    // The file's own rate: no resampler between the decoder and the count.
    const engine::PcmFormat own{info.format.sampleRate, info.format.channels, 16};
    if (!reader->setOutputFormat(own, &error))
        return;
    std::vector<uint8_t> buffer(size_t(4096 * own.bytesPerFrame()));
    int64_t frames = 0;
    for (int64_t n; (n = reader->read(buffer.data(), 4096, &error)) > 0;)
        frames += n;
    if (info.lengthExact)
        fuzz::check(frames <= info.totalFrames);
    const QString shortfall = engine::shortDecodeError(path, info, own.sampleRate, 0, -1, frames);
    fuzz::check(shortfall.isEmpty() || shortfall.contains(path));
    fuzz::check(engine::shortDecodeError(path, info, own.sampleRate, 0, -1, std::max(frames, info.totalFrames)).isEmpty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzz::scratchFile(QStringLiteral("input.wav"));
    fuzz::writeFile(path, QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    engine::PositionedFile file;
    fuzz::check(file.open(path));
    engine::WavLayout layout;
    const engine::WavParse result = engine::parseWav(file, &layout);
    if (result != engine::WavParse::Ok)
        return 0;
    fuzz::check(layout.dataOffset >= 0 && layout.dataBytes >= 0);
    fuzz::check(layout.dataOffset + layout.dataBytes <= int64_t(size));
    fuzz::check(engine::isReadableChannelCount(layout.fmtChannels));
    fuzz::check(layout.sampleCount >= 0);
    if (!layout.integerPcm) {
        file.close();
        readCompressed(path);
        return 0;
    }
    fuzz::check(layout.pcm.sampleRate >= engine::kMinSampleRate && layout.pcm.sampleRate <= engine::kMaxSampleRate);
    const engine::SourceInfo info = engine::pcmWavInfo(layout);
    fuzz::check(info.totalFrames >= 0 && info.durationMs >= 0);
    fuzz::check(info.totalFrames * layout.pcm.bytesPerFrame() <= layout.dataBytes);

    QString error;
    auto reader = engine::openPcmWavReader(path, layout, file.release(), &error);
    if (!reader)
        return 0;
    // The file's own format, then one that goes through the converter.
    for (const engine::PcmFormat& out : {layout.pcm, engine::PcmFormat{44100, 2, 16}}) {
        if (!reader->setOutputFormat(out, &error))
            continue;
        std::vector<uint8_t> buffer(size_t(4096 * out.bytesPerFrame()));
        int64_t frames = 0;
        for (int64_t n; (n = reader->read(buffer.data(), 4096, &error)) > 0;)
            frames += n;
        if (out == layout.pcm)
            fuzz::check(frames == info.totalFrames);
    }
    return 0;
}
