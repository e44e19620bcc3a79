// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/engine/FormatRecords.h"

namespace engine {

namespace {

// Writes and reads fields at fixed offsets, little-endian whatever the host.
class Packer {
public:
    explicit Packer(int size) : m_bytes(size, '\0') {}
    void put16(int offset, int16_t v) { put(offset, uint16_t(v), 2); }
    void put32(int offset, int32_t v) { put(offset, uint32_t(v), 4); }
    QByteArray bytes() const { return m_bytes; }

private:
    void put(int offset, uint32_t v, int width)
    {
        for (int i = 0; i < width; ++i)
            m_bytes[offset + i] = char((v >> (8 * i)) & 0xff);
    }
    QByteArray m_bytes;
};

uint32_t getBytes(const QByteArray& b, int offset, int width)
{
    uint32_t v = 0;
    for (int i = 0; i < width; ++i)
        v |= uint32_t(uint8_t(b[offset + i])) << (8 * i);
    return v;
}
int16_t get16(const QByteArray& b, int offset) { return int16_t(uint16_t(getBytes(b, offset, 2))); }
int32_t get32(const QByteArray& b, int offset) { return int32_t(getBytes(b, offset, 4)); }

}  // namespace

QByteArray WavFormatRecord::toBytes() const
{
    Packer p(kSize);
    p.put32(0, SampleRate);
    p.put16(4, Channels);
    p.put16(6, BitsPerSample);
    return p.bytes();
}

std::optional<WavFormatRecord> WavFormatRecord::fromBytes(const QByteArray& b)
{
    if (b.size() < kSize)
        return std::nullopt;
    WavFormatRecord r;
    r.SampleRate = get32(b, 0);
    r.Channels = get16(b, 4);
    r.BitsPerSample = get16(b, 6);
    return r;
}

QByteArray Mp3FormatRecord::toBytes() const
{
    Packer p(kSize);
    p.put32(0, ABRBitrate);
    p.put32(4, Bitrate);
    p.put16(8, Copyright);
    p.put16(10, ErrorProtection);
    p.put32(12, Mode);
    p.put16(16, Original);
    p.put32(20, SampleRate);
    p.put32(24, Quality);
    p.put16(28, StrictISO);
    p.put32(32, VBRMethod);
    p.put16(36, VBRForceMin);
    p.put32(40, VBRMinBitrate);
    p.put32(44, VBRMaxBitrate);
    p.put32(48, VBRQuality);
    p.put16(52, WriteVBRTag);
    return p.bytes();
}

std::optional<Mp3FormatRecord> Mp3FormatRecord::fromBytes(const QByteArray& b)
{
    if (b.size() < kSize)
        return std::nullopt;
    Mp3FormatRecord r;
    r.ABRBitrate = get32(b, 0);
    r.Bitrate = get32(b, 4);
    r.Copyright = get16(b, 8);
    r.ErrorProtection = get16(b, 10);
    r.Mode = get32(b, 12);
    r.Original = get16(b, 16);
    r.SampleRate = get32(b, 20);
    r.Quality = get32(b, 24);
    r.StrictISO = get16(b, 28);
    r.VBRMethod = get32(b, 32);
    r.VBRForceMin = get16(b, 36);
    r.VBRMinBitrate = get32(b, 40);
    r.VBRMaxBitrate = get32(b, 44);
    r.VBRQuality = get32(b, 48);
    r.WriteVBRTag = get16(b, 52);
    return r;
}

QByteArray WmaFormatRecord::toBytes() const
{
    Packer p(kSize);
    p.put32(0, CodecIndex);
    p.put32(4, FormatIndex);
    return p.bytes();
}

std::optional<WmaFormatRecord> WmaFormatRecord::fromBytes(const QByteArray& b)
{
    if (b.size() < kSize)
        return std::nullopt;
    WmaFormatRecord r;
    r.CodecIndex = get32(b, 0);
    r.FormatIndex = get32(b, 4);
    return r;
}

QByteArray OggFormatRecord::toBytes() const
{
    Packer p(kSize);
    p.put32(0, Mode);
    p.put32(4, NominalBitrate);
    p.put32(8, Quality);
    return p.bytes();
}

std::optional<OggFormatRecord> OggFormatRecord::fromBytes(const QByteArray& b)
{
    if (b.size() < kSize)
        return std::nullopt;
    OggFormatRecord r;
    r.Mode = get32(b, 0);
    r.NominalBitrate = get32(b, 4);
    r.Quality = get32(b, 8);
    return r;
}

}  // namespace engine
