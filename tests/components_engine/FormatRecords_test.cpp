// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/engine/FormatRecords.h"

#include <gtest/gtest.h>

using namespace engine;

namespace {

QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

}  // namespace

TEST(FormatRecords, WavLayoutIsLittleEndianAtFixedOffsets)
{
    WavFormatRecord r;
    r.SampleRate = 44100;
    r.Channels = 2;
    r.BitsPerSample = 16;
    EXPECT_EQ(r.toBytes(), hex("44ac0000" "0200" "1000"));
    EXPECT_EQ(WavFormatRecord::fromBytes(r.toBytes()), r);
}

TEST(FormatRecords, Mp3LayoutPlacesEveryFieldAndZeroesPadding)
{
    Mp3FormatRecord r;
    r.ABRBitrate = 96;
    r.Bitrate = 128;
    r.Copyright = -1;
    r.ErrorProtection = 0;
    r.Mode = 5;
    r.Original = -1;
    r.SampleRate = 48000;
    r.Quality = 7;
    r.StrictISO = -1;
    r.VBRMethod = 3;
    r.VBRForceMin = -1;
    r.VBRMinBitrate = 9;
    r.VBRMaxBitrate = 18;
    r.VBRQuality = 2;
    r.WriteVBRTag = -1;
    const QByteArray expected = hex("60000000" "80000000" "ffff" "0000" "05000000" "ffff" "0000"
                                    "80bb0000" "07000000" "ffff" "0000" "03000000" "ffff" "0000"
                                    "09000000" "12000000" "02000000" "ffff" "0000");
    ASSERT_EQ(expected.size(), 56);
    EXPECT_EQ(r.toBytes(), expected);
    EXPECT_EQ(Mp3FormatRecord::fromBytes(expected), r);
}

TEST(FormatRecords, WmaAndOggLayouts)
{
    WmaFormatRecord w;
    w.CodecIndex = 1;
    w.FormatIndex = 0x01020304;
    EXPECT_EQ(w.toBytes(), hex("01000000" "04030201"));
    EXPECT_EQ(WmaFormatRecord::fromBytes(w.toBytes()), w);

    OggFormatRecord o;
    o.Mode = 2;
    o.NominalBitrate = 196;
    o.Quality = 0;
    EXPECT_EQ(o.toBytes(), hex("02000000" "c4000000" "00000000"));
    EXPECT_EQ(OggFormatRecord::fromBytes(o.toBytes()), o);
}

TEST(FormatRecords, NegativeValuesSurviveTheRoundTrip)
{
    WavFormatRecord r;
    r.SampleRate = -2;
    r.Channels = -1;
    EXPECT_EQ(r.toBytes(), hex("feffffff" "ffff" "0000"));
    EXPECT_EQ(WavFormatRecord::fromBytes(r.toBytes())->SampleRate, -2);
}

TEST(FormatRecords, ShortInputIsRefused)
{
    EXPECT_FALSE(WavFormatRecord::fromBytes(QByteArray(7, '\0')));
    EXPECT_FALSE(Mp3FormatRecord::fromBytes(QByteArray(55, '\0')));
    EXPECT_FALSE(WmaFormatRecord::fromBytes(QByteArray(4, '\0')));
    EXPECT_FALSE(OggFormatRecord::fromBytes(QByteArray(11, '\0')));
}
