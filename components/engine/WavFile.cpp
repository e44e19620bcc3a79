// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/engine/WavFile.h"

#include "components/engine/OutputFile.h"
#include "components/engine/PcmConverter.h"
#include "components/engine/SampleConverter.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include <unistd.h>

namespace engine {

namespace {

constexpr int kTagPcm = 1;
constexpr int kTagALaw = 6;
constexpr int kTagMuLaw = 7;
constexpr int kTagExtensible = 0xFFFE;
constexpr int64_t kChunkCopyFrames = 1 << 16;

std::atomic<int64_t> g_rf64Threshold{0xFFFFFFFFLL};

uint32_t le32(const char* p)
{
    const auto* u = reinterpret_cast<const uint8_t*>(p);
    return uint32_t(u[0]) | uint32_t(u[1]) << 8 | uint32_t(u[2]) << 16 | uint32_t(u[3]) << 24;
}
uint16_t le16(const char* p)
{
    const auto* u = reinterpret_cast<const uint8_t*>(p);
    return uint16_t(u[0] | u[1] << 8);
}
uint64_t le64(const char* p) { return uint64_t(le32(p)) | uint64_t(le32(p + 4)) << 32; }

void put32(char* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = char(v >> (8 * i));
}
void put16(char* p, uint16_t v)
{
    p[0] = char(v);
    p[1] = char(v >> 8);
}
void put64(char* p, uint64_t v)
{
    put32(p, uint32_t(v));
    put32(p + 4, uint32_t(v >> 32));
}

// INFO texts are written as UTF-8; older files carry Latin-1, which is what a failed UTF-8
// decode falls back to.
QString infoText(const QByteArray& raw)
{
    QByteArray bytes = raw;
    const int nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    auto decoder = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        text = QString::fromLatin1(bytes);
    return text.trimmed();
}

struct InfoId {
    const char* id;
    QString AudioTags::*field;
};
const InfoId kInfoIds[] = {
    {"INAM", &AudioTags::title},   {"IART", &AudioTags::artist}, {"IPRD", &AudioTags::album},
    {"ICRD", &AudioTags::year},    {"ICMT", &AudioTags::comment}, {"IGNR", &AudioTags::genre},
    {"ITRK", &AudioTags::track},
};

void parseInfo(const QByteArray& list, AudioTags* tags)
{
    // list holds "INFO" followed by sub-chunks.
    int pos = 4;
    while (pos + 8 <= list.size()) {
        const QByteArray id = list.mid(pos, 4);
        const uint32_t size = le32(list.constData() + pos + 4);
        if (size > uint32_t(list.size() - pos - 8))
            break;
        const QByteArray value = list.mid(pos + 8, int(size));
        for (const InfoId& info : kInfoIds)
            if (id == info.id)
                tags->*info.field = infoText(value);
        if (id == "IPRT" && tags->track.isEmpty())
            tags->track = infoText(value);
        pos += 8 + int(size) + int(size & 1);
    }
}

// Chunk ids are four printable ASCII characters.
bool isChunkId(const char* id)
{
    for (int i = 0; i < 4; ++i)
        if (uint8_t(id[i]) < 0x20 || uint8_t(id[i]) > 0x7E)
            return false;
    return true;
}

}  // namespace

QString fileText(const QString& path) { return QDir::toNativeSeparators(path); }

QString unsupportedRateText(const QString& path, int64_t rate)
{
    return QStringLiteral("The file '%1' has a sample rate of %2 Hz; rates from %3 to %4 Hz can be read.")
        .arg(fileText(path), QString::number(rate), QString::number(kMinSampleRate), QString::number(kMaxSampleRate));
}

QString unsupportedChannelsText(const QString& path, int64_t channels)
{
    return QStringLiteral("The file '%1' has %2 channels; files of 1 to 8, 16 or 24 channels can be read.")
        .arg(fileText(path), QString::number(channels));
}

void setRf64ThresholdForTesting(int64_t bytes) { g_rf64Threshold = bytes; }

WavParse parseWav(PositionedFile& file, WavLayout* layout)
{
    // Headers, tags and all sit in the first few kilobytes of nearly every WAV file.
    file.readHead(4096);
    char head[12];
    if (file.readAt(0, head, 12) != 12)
        return WavParse::NotWav;
    const bool riff = memcmp(head, "RIFF", 4) == 0;
    const bool rf64 = memcmp(head, "RF64", 4) == 0 || memcmp(head, "BW64", 4) == 0;
    if ((!riff && !rf64) || memcmp(head + 8, "WAVE", 4) != 0)
        return WavParse::NotWav;

    *layout = WavLayout();
    layout->rf64 = rf64;
    const int64_t fileSize = file.size();
    uint64_t ds64Data = 0, ds64Samples = 0, factSamples = 0;
    bool haveFmt = false, haveData = false;
    int64_t pos = 12;
    while (pos + 8 <= fileSize) {
        char hdr[8];
        if (file.readAt(pos, hdr, 8) != 8)
            break;
        uint64_t size = le32(hdr + 4);
        const int64_t body = pos + 8;
        if (memcmp(hdr, "ds64", 4) == 0 && size >= 16) {
            char ds[24];
            const int64_t got = file.readAt(body, ds, size >= 24 ? 24 : 16);
            if (got < 16)
                return WavParse::Truncated;
            ds64Data = le64(ds + 8);
            if (got == 24)
                ds64Samples = le64(ds + 16);
        } else if (memcmp(hdr, "fact", 4) == 0 && size >= 4) {
            char count[4];
            if (file.readAt(body, count, 4) == 4)
                factSamples = le32(count);
        } else if (memcmp(hdr, "fmt ", 4) == 0) {
            if (size < 16)
                return WavParse::Damaged;
            char fmt[64];
            const int64_t fmtSize = file.readAt(body, fmt, int64_t(std::min<uint64_t>(size, 64)));
            if (fmtSize < 16)
                return WavParse::Truncated;
            int tag = le16(fmt);
            const int channels = le16(fmt + 2);
            layout->fmtRate = le32(fmt + 4);
            if (layout->fmtRate < uint32_t(kMinSampleRate) || layout->fmtRate > uint32_t(kMaxSampleRate))
                return WavParse::UnsupportedRate;
            const int rate = int(layout->fmtRate);
            layout->fmtChannels = channels;
            if (!isReadableChannelCount(channels))
                return WavParse::UnsupportedChannels;
            layout->blockAlign = le16(fmt + 12);
            const int bits = le16(fmt + 14);
            if (tag == kTagExtensible && fmtSize >= 40)
                tag = le16(fmt + 24);  // first two bytes of the sub-format GUID
            layout->formatTag = tag;
            layout->pcm = PcmFormat{rate, channels, bits};
            layout->integerPcm = tag == kTagPcm && channels >= 1 && rate > 0 &&
                                 (bits == 8 || bits == 16 || bits == 24 || bits == 32);
            // Some writers get the block alignment wrong; the samples are laid out by the
            // channels and bits, which is how they are read (and probed) here.
            if (layout->integerPcm)
                layout->blockAlign = layout->pcm.bytesPerFrame();
            haveFmt = true;
        } else if (memcmp(hdr, "data", 4) == 0) {
            if (rf64 && size == 0xFFFFFFFFu)
                size = ds64Data;
            layout->dataOffset = body;
            const int64_t available = fileSize - body;
            // A writer that never came back to fill in the size leaves 0 or all ones: the data
            // then runs to the end of the file. Any other size beyond the end means lost data.
            if (size == 0xFFFFFFFFu || (size == 0 && available > 0))
                size = uint64_t(available);
            else if (size > uint64_t(available))  // unsigned: an RF64 size may pass 2^63
                return WavParse::Truncated;
            layout->dataBytes = int64_t(size);
            haveData = true;
        } else if (memcmp(hdr, "LIST", 4) == 0 && size >= 4 && size < (1u << 20)) {
            const QByteArray list = file.readAt(body, int64_t(size));
            if (list.startsWith("INFO"))
                parseInfo(list, &layout->tags);
        }
        const int64_t next = body + int64_t(size) + int64_t(size & 1);
        // A writer that left out the pad byte after an odd-sized chunk puts the next chunk one
        // byte early; read from the padded offset, it would be garbage. Once the format and the
        // samples are known nothing is lost by stopping there; before, the audio would be.
        if ((size & 1) && next + 8 <= fileSize) {
            char id[4];
            char early[4];
            if (file.readAt(next, id, 4) == 4 && !isChunkId(id) && file.readAt(next - 1, early, 4) == 4 &&
                isChunkId(early)) {
                if (haveFmt && haveData)
                    break;
                layout->unpaddedChunk = QByteArray(hdr, 4);
                return WavParse::MissingPad;
            }
        }
        pos = next;
    }
    if (!haveFmt || !haveData)
        return haveFmt || pos > fileSize ? WavParse::Truncated : WavParse::Damaged;
    if (layout->blockAlign > 0)
        layout->dataBytes -= layout->dataBytes % layout->blockAlign;
    // An RF64 file keeps a count too large for "fact" in its ds64 chunk, and all ones in "fact".
    layout->sampleCount = int64_t(std::min<uint64_t>(
        rf64 && ds64Samples > 0 && (factSamples == 0 || factSamples == 0xFFFFFFFFu) ? ds64Samples : factSamples,
        uint64_t(INT64_MAX)));
    return WavParse::Ok;
}

SourceInfo pcmWavInfo(const WavLayout& layout)
{
    SourceInfo info;
    info.format = layout.pcm;
    info.totalFrames = layout.dataBytes / layout.pcm.bytesPerFrame();
    info.lengthExact = true;
    const int rate = layout.pcm.sampleRate;
    info.durationMs = info.totalFrames / rate * 1000 + info.totalFrames % rate * 1000 / rate;
    info.codecName = layout.pcm.bitsPerSample == 8 ? QStringLiteral("pcm_u8")
                                                   : QStringLiteral("pcm_s%1le").arg(layout.pcm.bitsPerSample);
    info.bitrate = int(std::min<int64_t>(int64_t(layout.pcm.sampleRate) * layout.pcm.bytesPerFrame() * 8, INT32_MAX));
    info.isPlainPcmWav = true;
    info.pcmDataOffset = layout.dataOffset;
    info.pcmDataBytes = layout.dataBytes;
    info.tags = layout.tags;
    return info;
}

QByteArray buildInfoChunk(const AudioTags& tags)
{
    QByteArray body("INFO");
    for (const InfoId& info : kInfoIds) {
        const QByteArray value = (tags.*info.field).toUtf8();
        if (value.isEmpty())
            continue;
        QByteArray sub(info.id);
        const uint32_t size = uint32_t(value.size() + 1);  // text plus its terminating zero
        char sz[4];
        put32(sz, size);
        sub.append(sz, 4);
        sub.append(value);
        sub.append('\0');
        if (size & 1)
            sub.append('\0');
        body.append(sub);
    }
    if (body.size() == 4)
        return {};
    QByteArray chunk("LIST");
    char sz[4];
    put32(sz, uint32_t(body.size()));
    chunk.append(sz, 4);
    chunk.append(body);
    return chunk;
}

namespace {

// Reads integer PCM straight from the data chunk: a plain copy when the caller wants the
// file's own format, through the converter otherwise.
class PcmWavReader final : public AudioReader {
public:
    PcmWavReader(const QString& path, const WavLayout& layout) : m_path(path), m_layout(layout)
    {
        m_info = pcmWavInfo(layout);
        m_out = layout.pcm;
    }

    // Takes over fd, the descriptor the chunk list was read from.
    bool open(int fd, QString* error)
    {
        if (!m_file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            if (error)
                *error = QStringLiteral("Cannot open the file '%1': %2").arg(fileText(m_path), m_file.errorString());
            return false;
        }
        QString detail;
        if (!m_converter.configure(m_layout.pcm, m_out, &detail))
            return false;
        return m_file.seek(m_layout.dataOffset);
    }

    const SourceInfo& info() const override { return m_info; }
    int plainPcmDescriptor() const override { return m_file.handle(); }

    bool setOutputFormat(const PcmFormat& format, QString* error) override
    {
        QString detail;
        if (!isDeliverable(format)) {
            if (error)
                *error = QStringLiteral("Cannot convert the file '%1': %2 Hz, %3 channels, %4 bits is not a PCM format.")
                             .arg(fileText(m_path))
                             .arg(format.sampleRate)
                             .arg(format.channels)
                             .arg(format.bitsPerSample);
            return false;
        }
        if (!m_converter.configure(m_layout.pcm, format, &detail)) {
            if (error)
                *error = QStringLiteral("Cannot convert the file '%1': %2").arg(fileText(m_path), detail);
            return false;
        }
        m_out = format;
        return seekToFrame(0, error);
    }

    bool seekToFrame(int64_t frame, QString* error) override
    {
        const PcmFormat& src = m_layout.pcm;
        int64_t srcFrame = src.sampleRate == m_out.sampleRate
                               ? frame
                               : int64_t((__int128)frame * src.sampleRate / m_out.sampleRate);
        srcFrame = std::clamp<int64_t>(srcFrame, 0, m_info.totalFrames);
        m_srcPos = srcFrame;
        m_pending.clear();
        m_pendingPos = 0;
        m_flushed = false;
        m_converter.reset();
        if (!m_file.seek(m_layout.dataOffset + srcFrame * src.bytesPerFrame())) {
            if (error)
                *error = QStringLiteral("Cannot read the file '%1': %2").arg(fileText(m_path), m_file.errorString());
            return false;
        }
        return true;
    }

    int64_t read(uint8_t* buffer, int64_t maxFrames, QString* error) override
    {
        const int outBpf = m_out.bytesPerFrame();
        const int srcBpf = m_layout.pcm.bytesPerFrame();
        if (m_converter.isIdentity()) {
            const int64_t frames = std::min(maxFrames, m_info.totalFrames - m_srcPos);
            if (frames <= 0)
                return 0;
            const int64_t got = m_file.read(reinterpret_cast<char*>(buffer), frames * srcBpf);
            if (got < frames * srcBpf)
                return readFailure(error);
            m_srcPos += frames;
            return frames;
        }
        int64_t delivered = 0;
        while (delivered < maxFrames) {
            if (m_pendingPos < m_pending.size()) {
                const int64_t avail = int64_t(m_pending.size() - m_pendingPos) / outBpf;
                const int64_t n = std::min(avail, maxFrames - delivered);
                memcpy(buffer + delivered * outBpf, m_pending.data() + m_pendingPos, size_t(n * outBpf));
                m_pendingPos += size_t(n * outBpf);
                delivered += n;
                continue;
            }
            m_pending.clear();
            m_pendingPos = 0;
            const int64_t frames = std::min<int64_t>(kChunkCopyFrames, m_info.totalFrames - m_srcPos);
            QString detail;
            if (frames > 0) {
                m_raw.resize(size_t(frames * srcBpf));
                if (m_file.read(reinterpret_cast<char*>(m_raw.data()), frames * srcBpf) < frames * srcBpf)
                    return readFailure(error);
                m_srcPos += frames;
                const uint8_t* planes[1] = {m_raw.data()};
                if (!m_converter.convert(planes, int(frames), m_pending, &detail))
                    return convertFailure(error, detail);
            } else if (!m_flushed) {
                m_flushed = true;
                if (!m_converter.flush(m_pending, &detail))
                    return convertFailure(error, detail);
                if (m_pending.empty())
                    break;
            } else {
                break;
            }
        }
        return delivered;
    }

private:
    int64_t readFailure(QString* error)
    {
        if (error)
            *error = QStringLiteral("Cannot read the file '%1': it ends before its sample data does.")
                         .arg(fileText(m_path));
        return -1;
    }
    int64_t convertFailure(QString* error, const QString& detail)
    {
        if (error)
            *error = QStringLiteral("Cannot convert the file '%1': %2").arg(fileText(m_path), detail);
        return -1;
    }

    QString m_path;
    QFile m_file;
    WavLayout m_layout;
    SourceInfo m_info;
    PcmFormat m_out;
    PcmConverter m_converter;
    int64_t m_srcPos = 0;
    bool m_flushed = false;
    std::vector<uint8_t> m_raw;
    std::vector<uint8_t> m_pending;
    size_t m_pendingPos = 0;
};

// Header: RIFF, JUNK (room for a ds64 chunk should the file outgrow 4 GiB), fmt, LIST INFO,
// data. The sizes are filled in by finish().
class WavWriter final : public AudioWriter {
public:
    WavWriter(const PcmFormat& format, const QString& path, WavCoding coding = WavCoding::Pcm)
        : m_format(format), m_coding(coding), m_file(path)
    {
    }

    bool open(const AudioTags& tags, QString* error)
    {
        if (!m_file.open()) {
            if (error)
                *error = QStringLiteral("Cannot write the file '%1': %2").arg(fileText(m_file.fileName()), m_file.errorString());
            return false;
        }
        QByteArray header;
        header.append("RIFF\0\0\0\0WAVE", 12);
        char junk[8 + 28] = {'J', 'U', 'N', 'K'};
        put32(junk + 4, 28);
        header.append(junk, sizeof junk);
        if (m_coding == WavCoding::Pcm) {
            char fmt[8 + 16] = {'f', 'm', 't', ' '};
            put32(fmt + 4, 16);
            put16(fmt + 8, kTagPcm);
            put16(fmt + 10, uint16_t(m_format.channels));
            put32(fmt + 12, uint32_t(m_format.sampleRate));
            put32(fmt + 16, uint32_t(m_format.sampleRate * m_format.bytesPerFrame()));
            put16(fmt + 20, uint16_t(m_format.bytesPerFrame()));
            put16(fmt + 22, uint16_t(m_format.bitsPerSample));
            header.append(fmt, sizeof fmt);
        } else {
            // A compressed format: an 18-byte fmt with no extra bytes, then the sample count.
            char fmt[8 + 18] = {'f', 'm', 't', ' '};
            put32(fmt + 4, 18);
            put16(fmt + 8, m_coding == WavCoding::ALaw ? kTagALaw : kTagMuLaw);
            put16(fmt + 10, uint16_t(m_format.channels));
            put32(fmt + 12, uint32_t(m_format.sampleRate));
            put32(fmt + 16, uint32_t(m_format.sampleRate * m_format.channels));
            put16(fmt + 20, uint16_t(m_format.channels));
            put16(fmt + 22, 8);
            put16(fmt + 24, 0);
            header.append(fmt, sizeof fmt);
            m_factOffset = header.size() + 8;
            header.append("fact\4\0\0\0\0\0\0\0", 12);
        }
        header.append(buildInfoChunk(tags));
        header.append("data\0\0\0\0", 8);
        m_dataOffset = header.size();
        if (m_file.write(header) != header.size())
            return writeFailure(error);
        return true;
    }

    PcmFormat inputFormat() const override { return m_format; }

    bool write(const uint8_t* buffer, int64_t frames, QString* error) override
    {
        if (m_coding != WavCoding::Pcm)
            return writeCoded(buffer, frames, error);
        const int64_t bytes = frames * m_format.bytesPerFrame();
        if (bytes <= 0)
            return true;
        if (m_file.write(reinterpret_cast<const char*>(buffer), bytes) != bytes)
            return writeFailure(error);
        m_dataBytes += bytes;
        return true;
    }

    int64_t copyFromFile(int fd, int64_t offset, int64_t bytes, QString* error) override
    {
        if (m_coding != WavCoding::Pcm)
            return kCopyUnsupported;
        const int64_t n = m_file.copyFrom(fd, offset, bytes);
        if (n == OutputFile::kCopyUnsupported)
            return kCopyUnsupported;
        if (n < 0) {
            writeFailure(error);
            return -1;
        }
        m_dataBytes += n;
        return n;
    }

    bool finish(QString* error) override
    {
        if (m_dataBytes & 1) {
            if (m_file.write("\0", 1) != 1)
                return writeFailure(error);
        }
        if (m_factOffset > 0) {
            // Coded samples are one byte each: the frames are the bytes over the channels.
            char count[4];
            put32(count, uint32_t(std::min<int64_t>(m_dataBytes / m_format.channels, 0xFFFFFFFFLL)));
            if (!patch(m_factOffset, count, 4))
                return writeFailure(error);
            if (!m_file.seek(m_dataOffset + m_dataBytes + (m_dataBytes & 1)))
                return writeFailure(error);
        }
        const int64_t fileSize = m_dataOffset + m_dataBytes + (m_dataBytes & 1);
        const int64_t riffSize = fileSize - 8;
        const bool rf64 = riffSize > g_rf64Threshold.load() || m_dataBytes > 0xFFFFFFFFLL;
        char buf[36];
        if (rf64) {
            if (!patch(0, "RF64", 4) || !patch(4, "\xff\xff\xff\xff", 4))
                return writeFailure(error);
            memcpy(buf, "ds64", 4);
            put32(buf + 4, 28);
            put64(buf + 8, uint64_t(riffSize));
            put64(buf + 16, uint64_t(m_dataBytes));
            put64(buf + 24, uint64_t(m_dataBytes / storedBytesPerFrame()));
            put32(buf + 32, 0);
            if (!patch(12, buf, 36) || !patch(m_dataOffset - 4, "\xff\xff\xff\xff", 4))
                return writeFailure(error);
        } else {
            put32(buf, uint32_t(riffSize));
            if (!patch(4, buf, 4))
                return writeFailure(error);
            put32(buf, uint32_t(m_dataBytes));
            if (!patch(m_dataOffset - 4, buf, 4))
                return writeFailure(error);
        }
        if (!m_file.flush())
            return writeFailure(error);
        m_file.close();
        if (m_file.failed())
            return writeFailure(error);
        return true;
    }

private:
    int storedBytesPerFrame() const { return m_coding == WavCoding::Pcm ? m_format.bytesPerFrame() : m_format.channels; }

    bool writeCoded(const uint8_t* buffer, int64_t frames, QString* error)
    {
        const int64_t samples = frames * m_format.channels;
        if (samples <= 0)
            return true;
        m_coded.resize(size_t(samples));
        const bool aLaw = m_coding == WavCoding::ALaw;
        for (int64_t i = 0; i < samples; ++i) {
            const auto s = int16_t(uint16_t(buffer[2 * i]) | uint16_t(buffer[2 * i + 1]) << 8);
            m_coded[size_t(i)] = aLaw ? LinearToALaw(s) : LinearToMuLaw(s);
        }
        if (m_file.write(reinterpret_cast<const char*>(m_coded.data()), samples) != samples)
            return writeFailure(error);
        m_dataBytes += samples;
        return true;
    }

    bool patch(int64_t offset, const char* bytes, int length)
    {
        return m_file.seek(offset) && m_file.write(bytes, length) == length;
    }
    bool writeFailure(QString* error)
    {
        if (error)
            *error = QStringLiteral("Cannot write the file '%1': %2").arg(fileText(m_file.fileName()), m_file.errorString());
        return false;
    }

    PcmFormat m_format;
    WavCoding m_coding;
    OutputFile m_file;
    int64_t m_dataOffset = 0;
    int64_t m_dataBytes = 0;
    int64_t m_factOffset = 0;  // where the "fact" count goes; 0 for PCM
    std::vector<uint8_t> m_coded;
};

}  // namespace

std::unique_ptr<AudioReader> openPcmWavReader(const QString& path, const WavLayout& layout, int fd, QString* error)
{
    auto reader = std::make_unique<PcmWavReader>(path, layout);
    if (!reader->open(fd, error))
        return nullptr;
    return reader;
}

uint8_t LinearToALaw(int16_t sample)
{
    // 13 significant bits; negative samples take their ones' complement, so -1 codes as 0.
    int magnitude = sample >> 3;
    const bool negative = magnitude < 0;
    if (negative)
        magnitude = ~magnitude;
    int segment = 0;
    while (segment < 8 && magnitude >= (32 << segment))
        ++segment;
    uint8_t code = 0x7F;  // beyond the last segment: the largest step
    if (segment < 8)
        code = uint8_t(segment << 4 | ((magnitude >> (segment < 2 ? 1 : segment)) & 0x0F));
    // Even bits inverted, and the sign bit set for positive samples.
    return uint8_t(code ^ (negative ? 0x55 : 0xD5));
}

uint8_t LinearToMuLaw(int16_t sample)
{
    // 14 significant bits, biased by 33 so that each segment starts at a power of two.
    int magnitude = sample >> 2;
    const bool negative = magnitude < 0;
    if (negative)
        magnitude = -magnitude;
    magnitude = std::min(magnitude, 8159) + 33;
    int segment = 0;
    while (segment < 8 && magnitude >= (64 << segment))
        ++segment;
    uint8_t code = 0x7F;
    if (segment < 8)
        code = uint8_t(segment << 4 | ((magnitude >> (segment + 1)) & 0x0F));
    return uint8_t(~code & (negative ? 0x7F : 0xFF));
}

std::unique_ptr<AudioWriter> createWavWriter(const PcmFormat& format, const QString& path, const AudioTags& tags,
                                             QString* error, WavCoding coding)
{
    if (coding != WavCoding::Pcm && (format.bitsPerSample != 16 || format.channels < 1 || format.channels > 8 ||
                                     format.sampleRate < 1000 || format.sampleRate > 768000)) {
        if (error)
            *error = QStringLiteral("Cannot write the file '%1': unsupported G.711 format (%2 Hz, %3 channels).")
                         .arg(fileText(path))
                         .arg(format.sampleRate)
                         .arg(format.channels);
        return nullptr;
    }
    const bool validBits = format.bitsPerSample == 8 || format.bitsPerSample == 16 || format.bitsPerSample == 24 ||
                           format.bitsPerSample == 32;
    if (!validBits || format.channels < 1 || format.channels > 8 || format.sampleRate < 1000 ||
        format.sampleRate > 768000) {
        if (error)
            *error = QStringLiteral("Cannot write the file '%1': unsupported WAV format (%2 Hz, %3 channels, %4 bits).")
                         .arg(fileText(path))
                         .arg(format.sampleRate)
                         .arg(format.channels)
                         .arg(format.bitsPerSample);
        return nullptr;
    }
    auto writer = std::make_unique<WavWriter>(format, path, coding);
    if (!writer->open(tags, error))
        return nullptr;
    return writer;
}

}  // namespace engine
