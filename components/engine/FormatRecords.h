// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// The output-format records the task windows hand to the converter, join and ripper
// components. Their byte layout is fixed (little-endian, natural alignment, zero padding)
// because it is the contract between separately built parts; toBytes()/fromBytes() are the
// only way a record crosses that line. Flags are 16-bit: -1 true, 0 false.

#include <QByteArray>

#include <cstdint>
#include <optional>

namespace engine {

struct WavFormatRecord {
    int32_t SampleRate = 0;
    int16_t Channels = 0;
    int16_t BitsPerSample = 0;

    static constexpr int kSize = 8;
    QByteArray toBytes() const;
    // nullopt when the bytes are shorter than the record.
    static std::optional<WavFormatRecord> fromBytes(const QByteArray& bytes);
    bool operator==(const WavFormatRecord&) const = default;
};

// VBRMethod: 0 constant bitrate, 3 average bitrate (ABRBitrate), 4 variable bitrate
// (VBRQuality). VBRMinBitrate/VBRMaxBitrate are positions in kMp3Bitrates, not kbit/s.
struct Mp3FormatRecord {
    int32_t ABRBitrate = 0;
    int32_t Bitrate = 0;
    int16_t Copyright = 0;
    int16_t ErrorProtection = 0;
    int32_t Mode = 0;
    int16_t Original = 0;
    int32_t SampleRate = 0;
    int32_t Quality = 0;
    int16_t StrictISO = 0;
    int32_t VBRMethod = 0;
    int16_t VBRForceMin = 0;
    int32_t VBRMinBitrate = 0;
    int32_t VBRMaxBitrate = 0;
    int32_t VBRQuality = 0;
    int16_t WriteVBRTag = 0;

    static constexpr int kSize = 56;
    QByteArray toBytes() const;
    static std::optional<Mp3FormatRecord> fromBytes(const QByteArray& bytes);
    bool operator==(const Mp3FormatRecord&) const = default;
};

// The 19 bitrates (kbit/s) whose positions VBRMinBitrate and VBRMaxBitrate carry.
inline constexpr int kMp3Bitrates[19] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96,
                                         112, 128, 144, 160, 176, 192, 224, 256, 320};

enum Mp3Mode : int32_t {
    mp3Stereo = 0, mp3JointStereo = 1, mp3DualChannel = 2, mp3Mono = 3, mp3NotSet = 4, mp3ForceJointStereo = 5
};
enum Mp3VbrMethod : int32_t { mp3Cbr = 0, mp3Abr = 3, mp3Vbr = 4 };

struct WmaFormatRecord {
    int32_t CodecIndex = 0;
    int32_t FormatIndex = 0;

    static constexpr int kSize = 8;
    QByteArray toBytes() const;
    static std::optional<WmaFormatRecord> fromBytes(const QByteArray& bytes);
    bool operator==(const WmaFormatRecord&) const = default;
};

// Mode 0: quality mode (Quality 0..100); Mode 2: nominal-bitrate mode (NominalBitrate kbit/s).
struct OggFormatRecord {
    int32_t Mode = 0;
    int32_t NominalBitrate = 0;
    int32_t Quality = 0;

    static constexpr int kSize = 12;
    QByteArray toBytes() const;
    static std::optional<OggFormatRecord> fromBytes(const QByteArray& bytes);
    bool operator==(const OggFormatRecord&) const = default;
};

}  // namespace engine
