// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// RIFF/RF64 WAVE files: the chunk parser used for probing and for copying sample data
// without decoding, the integer-PCM reader, and the PCM writer. Private to the engine.

#include "components/engine/AudioEngine.h"
#include "components/engine/PositionedFile.h"

#include <QFile>

#include <memory>

namespace engine {

struct WavLayout {
    bool rf64 = false;
    int formatTag = 0;            // from fmt (the sub-format's tag for WAVE_FORMAT_EXTENSIBLE)
    bool integerPcm = false;      // 8/16/24/32-bit integer PCM we read ourselves
    PcmFormat pcm;                // valid when integerPcm
    int blockAlign = 0;
    int64_t dataOffset = 0;
    int64_t dataBytes = 0;        // whole blocks only
    AudioTags tags;
    uint32_t fmtRate = 0;         // the rate as the fmt chunk gives it
    int fmtChannels = 0;          // the channels as the fmt chunk gives them
    int64_t sampleCount = 0;      // frames the "fact" chunk (RF64: ds64) states; 0 when none
    QByteArray unpaddedChunk;     // MissingPad: the id of the chunk whose pad byte is missing
};

// UnsupportedRate: the fmt chunk names a sample rate outside kMinSampleRate..kMaxSampleRate
// (layout->fmtRate). UnsupportedChannels: its channel count is not one isReadableChannelCount takes
// (layout->fmtChannels). MissingPad: an odd-sized chunk is followed
// straight by the next chunk, without the pad byte that keeps chunks on even offsets.
enum class WavParse { NotWav, Ok, Truncated, Damaged, UnsupportedRate, UnsupportedChannels, MissingPad };

// Reads the chunk list of an open file. NotWav when it does not start as RIFF/RF64 WAVE.
WavParse parseWav(PositionedFile& file, WavLayout* layout);
// What a reader of an integer-PCM layout reports, without opening one.
SourceInfo pcmWavInfo(const WavLayout& layout);

// The reader of an integer-PCM layout, reading from fd (the descriptor its chunk list was read
// from), which it takes over and closes, also when it fails.
std::unique_ptr<AudioReader> openPcmWavReader(const QString& path, const WavLayout& layout, int fd, QString* error);
// How a WAV writer stores the samples it is given: as they are, or in G.711 A-law or µ-law
// (one byte a sample, from 16-bit input) with the "fact" count compressed WAVs carry.
enum class WavCoding { Pcm, ALaw, MuLaw };
std::unique_ptr<AudioWriter> createWavWriter(const PcmFormat& format, const QString& path, const AudioTags& tags,
                                             QString* error, WavCoding coding = WavCoding::Pcm);

// The G.711 code of one 16-bit sample: the standard's segment and step for the sample's
// magnitude, so every output byte is what a reference coder makes of the input.
uint8_t LinearToALaw(int16_t sample);
uint8_t LinearToMuLaw(int16_t sample);

// Files whose RIFF size would pass this many bytes become RF64. Lowered only by tests so that
// the switch can be checked without writing 4 GiB.
void setRf64ThresholdForTesting(int64_t bytes);

// The LIST INFO chunk (id, size, payload and pad) for these tags; empty when all are blank.
QByteArray buildInfoChunk(const AudioTags& tags);

// Error texts shared by the readers and writers; each names the file.
QString fileText(const QString& path);
// The refusal of a source whose sample rate lies outside kMinSampleRate..kMaxSampleRate.
QString unsupportedRateText(const QString& path, int64_t rate);
// The refusal of a source whose channel count isReadableChannelCount does not take.
QString unsupportedChannelsText(const QString& path, int64_t channels);

}  // namespace engine
