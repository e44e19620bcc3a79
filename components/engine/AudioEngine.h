// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// The audio engine under the converter and join components: a reader that probes and decodes
// any input to PCM, and writers that encode PCM to each target format with its tags. Plain
// classes, no threads of their own, no Qt signals; the components drive them from a worker
// thread. No FFmpeg, LAME or Vorbis header appears here.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

namespace engine {

// Interleaved little-endian PCM: 8-bit unsigned, 16/24/32-bit signed integers.
struct PcmFormat {
    int sampleRate = 44100;
    int channels = 2;
    int bitsPerSample = 16;
    int bytesPerFrame() const { return channels * ((bitsPerSample + 7) / 8); }
    bool operator==(const PcmFormat&) const = default;
};

// The sample rates sources are read at: the range the writers accept. A header that claims more
// would have a conversion resample for minutes into gigabytes.
constexpr int kMinSampleRate = 1000;
constexpr int kMaxSampleRate = 768000;
// The channel counts sources are read with: those with a standard speaker layout, which the
// sample converter needs to fold a source to the outputs' mono or stereo. A source with any
// other count is refused when it is opened, not midway through a job.
constexpr bool isReadableChannelCount(int64_t channels)
{
    return (channels >= 1 && channels <= 8) || channels == 16 || channels == 24;
}

struct AudioTags {
    QString title, artist, album, year, comment, genre, track;
    bool operator==(const AudioTags&) const = default;
};

struct SourceInfo {
    PcmFormat format;          // the source's own rate, channels and bits (bits of the decoded
                               // samples; 16 for lossy sources)
    int64_t totalFrames = 0;   // exact where the container tells it (gapless MP3 included)
    bool lengthExact = false;  // totalFrames is what decoding yields, not an estimate
    // For an estimated totalFrames: by how much a complete decode may fall short, from how the
    // reader came to the figure: a share of it in percent, and a number of frames (a few of a
    // constant-rate codec's own frames); both 0 when the figure vouches for nothing.
    int estimateSlackPercent = 0;
    int64_t estimateSlackFrames = 0;
    bool vouchesForLength() const { return lengthExact || estimateSlackPercent > 0 || estimateSlackFrames > 0; }
    int64_t durationMs = 0;
    QString codecName;         // e.g. "pcm_s16le", "mp3", "vorbis"
    int bitrate = 0;           // bits per second, 0 when unknown
    bool isPlainPcmWav = false;  // RIFF/RF64 WAVE with integer PCM: sample data can be copied
    int64_t pcmDataOffset = 0;   // where that sample data starts in the file
    int64_t pcmDataBytes = 0;    // its length in bytes (whole frames)
    AudioTags tags;
};

// Reads one input file. Opening probes without decoding the whole file.
class AudioReader {
public:
    virtual ~AudioReader() = default;
    // nullptr with a user-facing reason (naming the file) when the file cannot be read as audio.
    static std::unique_ptr<AudioReader> open(const QString& path, QString* error);

    virtual const SourceInfo& info() const = 0;
    // The PCM format read() delivers (resampled and converted as needed). Call before reading.
    virtual bool setOutputFormat(const PcmFormat& format, QString* error) = 0;
    // Positions the next read at this frame of the output format (sample-exact).
    virtual bool seekToFrame(int64_t frame, QString* error) = 0;
    // Up to maxFrames frames into buffer; returns the frames delivered, 0 at the end, -1 on error.
    virtual int64_t read(uint8_t* buffer, int64_t maxFrames, QString* error) = 0;
    // For plain PCM WAV sources: the reader's open file, whose sample bytes at
    // info().pcmDataOffset can be copied as they are (positioned reads only); -1 for others.
    virtual int plainPcmDescriptor() const { return -1; }
};

// What AudioReader::open would report for the file (format, length, tags), found without
// setting up any decoding: WAV from its chunk list, MP3 from its frame headers, others through
// the codec module's reader. False with a user-facing reason when the file cannot be read as
// audio. Thread-safe.
bool probeAudioSource(const QString& path, SourceInfo* info, QString* error);

// Whether a decode delivered the audio the source's stated length promises. The decode began
// `first` frames into the source and delivered `decoded` frames, both at `rate`; `wanted` frames
// were asked for from there (-1: to the end). Empty when it got as far as that range or the
// stated length reach, less what a decoder may drop and, for an estimated length, what the
// estimate may be off by; otherwise the refusal, which names the file. Every job and burn
// checks its sources through this one test.
QString shortDecodeError(const QString& path, const SourceInfo& info, int rate, int64_t first, int64_t wanted,
                         int64_t decoded);

// Destination-type codes.
enum DestinationFormat : int { dfWAV = 1, dfACM = 2, dfMP3 = 3, dfWMA = 4, dfOGG = 5, dfAPE = 6 };

// What a writer is asked to produce: the destination code and that format's settings, as the
// components received them (records in their fixed little-endian layout; names for ACM).
struct OutputSpec {
    int destinationFormat = dfWAV;
    QByteArray record;   // WavFormatRecord / Mp3FormatRecord / WmaFormatRecord / OggFormatRecord
    QString acmTagName;  // ACM: the tag (codec) name and the format name as the lists give them
    QString acmFormatName;
    int apeLevel = 0;
    // The first source's format. OGG keeps its rate and channels (the record names neither).
    PcmFormat sourceFormat;
};

// Writes one output file. The caller gives it a temporary path and renames it into place.
class AudioWriter {
public:
    virtual ~AudioWriter() = default;
    static std::unique_ptr<AudioWriter> create(const OutputSpec& spec, const QString& path, const AudioTags& tags,
                                               QString* error);
    // The PCM format write() expects (the target's rate and channels; the bits the encoder takes).
    virtual PcmFormat inputFormat() const = 0;
    virtual bool write(const uint8_t* buffer, int64_t frames, QString* error) = 0;
    // For writers that store samples unchanged: appends up to `bytes` bytes of input-format
    // samples read from the open file `fd` at `offset`, copied by the kernel without passing
    // through this process. Returns the bytes appended (0: the source ends there), -1 with
    // *error on failure, or kCopyUnsupported, having written nothing, where the kernel cannot
    // copy between these files (another file system): the caller then reads and writes.
    static constexpr int64_t kCopyUnsupported = -2;
    virtual int64_t copyFromFile(int fd, int64_t offset, int64_t bytes, QString* error) { return kCopyUnsupported; }
    // Flushes the encoder, writes trailers and tags and closes the file.
    virtual bool finish(QString* error) = 0;
};

// The compressed-WAV codec table: tag names, their formats, and which tags a source converts to.
struct AcmFormatInfo {
    QString name;  // display text of the format, unique within its tag
    PcmFormat pcm; // the rate/channels (and bits for PCM) it encodes
};
QStringList AcmTagNames(bool onlyConvertibleFrom = false, const PcmFormat& source = {});
QList<AcmFormatInfo> AcmFormats(const QString& tagName);

// The WMA encoders and their formats, by position.
QStringList WmaCodecNames();
QStringList WmaFormatNames(int codec);

}  // namespace engine
