// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "settings/OutputFormatOptions.h"

#include <gtest/gtest.h>

#include <QtEndian>

namespace {

// The options as the audio-format window's built-in defaults leave them.
OutputFormatOptionsData defaults()
{
    OutputFormatOptionsData o;
    o.cboSamplesWAV = 44100;
    o.cboBitrateWAV = 16;
    o.cboChannelsWAV = 1;
    o.cboMP3Bitrate = 128;
    o.cboMP3Quality = 5;
    o.cboMP3Samplerate = 44100;
    o.chkMP3Original = -1;
    o.chkMP3Copyright = -1;
    o.chkMP3VBRTag = -1;
    o.cboMP3VBRQuality = 5;
    o.cboMP3MinBitrate = 9;
    o.cboMP3MaxBitrate = 11;
    o.cboMP3ABRBitrate = 96;
    return o;
}

int32_t i32(const QByteArray& b, int at) { return qFromLittleEndian<qint32>(b.constData() + at); }
int16_t i16(const QByteArray& b, int at) { return qFromLittleEndian<qint16>(b.constData() + at); }

TEST(Mp3Record, VbrMethodFollowsTagThenAbr)
{
    struct Case { int16_t vbrTag, abr; int32_t method; int16_t writeTag; };
    const Case cases[] = {
        {0, 0, 0, 0},
        {-1, 0, 4, -1},
        {0, -1, 3, 0},
        {-1, -1, 3, -1},  // ABR wins over the VBR method, the tag flag stays
    };
    for (const Case& c : cases) {
        OutputFormatOptionsData o = defaults();
        o.chkMP3VBRTag = c.vbrTag;
        o.chkMP3ABR = c.abr;
        const auto r = BuildMp3FormatRecord(o);
        EXPECT_EQ(r.VBRMethod, c.method) << c.vbrTag << "/" << c.abr;
        EXPECT_EQ(r.WriteVBRTag, c.writeTag) << c.vbrTag << "/" << c.abr;
    }
}

TEST(Mp3Record, DefaultsLayoutAndBytes)
{
    const QByteArray b = BuildMp3FormatRecord(defaults()).toBytes();
    ASSERT_EQ(b.size(), 56);
    EXPECT_EQ(i32(b, 0), 96);     // ABR kbit/s
    EXPECT_EQ(i32(b, 4), 128);    // CBR kbit/s
    EXPECT_EQ(i16(b, 8), -1);     // copyright
    EXPECT_EQ(i16(b, 10), 0);     // error protection
    EXPECT_EQ(i32(b, 12), 0);     // stereo
    EXPECT_EQ(i16(b, 16), -1);    // original
    EXPECT_EQ(i16(b, 18), 0);     // padding
    EXPECT_EQ(i32(b, 20), 44100);
    EXPECT_EQ(i32(b, 24), 5);
    EXPECT_EQ(i32(b, 32), 4);     // VBR with tag
    EXPECT_EQ(i32(b, 40), 9);     // min 96 kbit/s travels as its position
    EXPECT_EQ(i32(b, 44), 11);    // max 128 kbit/s likewise
    EXPECT_EQ(i32(b, 48), 5);
    EXPECT_EQ(i16(b, 52), -1);
    EXPECT_EQ(i16(b, 54), 0);
}

TEST(Mp3Record, BitrateListPositions)
{
    const QStringList list = Mp3BitrateEntries();
    ASSERT_EQ(list.size(), 19);
    EXPECT_EQ(list.first(), QStringLiteral("8 "));
    const struct { const char* entry; int position; int kbps; } cases[] = {
        {"8 ", 0, 8}, {"96", 9, 96}, {"128", 11, 128}, {"320", 18, 320}};
    for (const auto& c : cases) {
        EXPECT_EQ(list.indexOf(QString::fromLatin1(c.entry)), c.position) << c.entry;
        EXPECT_EQ(EntryNumber(QString::fromLatin1(c.entry)), c.kbps) << c.entry;
    }
}

TEST(OggRecord, ModeSelectsWhichValueTravels)
{
    OutputFormatOptionsData o;
    o.cboOggBitNom = 196;
    o.sldOGG = 73;
    o.optOggBit = -1;
    EXPECT_EQ(BuildOggFormatRecord(o), (engine::OggFormatRecord{2, 196, 0}));
    o.optOggBit = 0;
    o.ptnQualityOGG = -1;
    EXPECT_EQ(BuildOggFormatRecord(o), (engine::OggFormatRecord{0, 0, 73}));
    o.ptnQualityOGG = 0;  // neither option selected: quality mode
    EXPECT_EQ(BuildOggFormatRecord(o), (engine::OggFormatRecord{0, 0, 73}));
    EXPECT_EQ(BuildOggFormatRecord(o).toBytes().size(), 12);
}

TEST(WavRecord, ChannelsArePositionPlusOne)
{
    OutputFormatOptionsData o = defaults();
    const struct { int32_t position; int16_t channels; } cases[] = {{0, 1}, {1, 2}};
    for (const auto& c : cases) {
        o.cboChannelsWAV = c.position;
        const QByteArray b = BuildWavFormatRecord(o).toBytes();
        ASSERT_EQ(b.size(), 8);
        EXPECT_EQ(i32(b, 0), 44100);
        EXPECT_EQ(i16(b, 4), c.channels);
        EXPECT_EQ(i16(b, 6), 16);
    }
}

TEST(WmaRecord, CarriesPositions)
{
    OutputFormatOptionsData o;
    o.cboWMACodecs = 1;
    o.cboWMAFormat = 3;
    const QByteArray b = BuildWmaFormatRecord(o).toBytes();
    ASSERT_EQ(b.size(), 8);
    EXPECT_EQ(i32(b, 0), 1);
    EXPECT_EQ(i32(b, 4), 3);
}

TEST(DestinationFormat, CodeFromFirstThreeLetters)
{
    const struct { const char* text; int code; } cases[] = {
        {"WAV - Waveform Audio Format (*.wav)", 1}, {"ACM - Waveform ACM Codecs (*.wav)", 2},
        {"MP3 - MPEG-1 Audio Layer 3 (*.mp3)", 3},  {"WMA - Windows Media Audio files (*.wma)", 4},
        {"ogg - lower case", 5},                     {"APE", 6},
        {"FLAC", 1},                                 {"MP", 1},
        {"", 1}};
    for (const auto& c : cases)
        EXPECT_EQ(DestinationFormatOf(QString::fromLatin1(c.text)), c.code) << c.text;
    EXPECT_EQ(DestinationFormatLogText(2), QStringLiteral("Destination format: ACM WAV"));
}

TEST(FormatSettings, TableHoldsEachValueOnceInSectionOrder)
{
    const auto& t = FormatSettings();
    EXPECT_EQ(t.size(), 28u);
    QStringList names;
    int lastSection = 0;
    for (const auto& s : t) {
        const int section = FormatSections().indexOf(QString::fromLatin1(s.section));
        ASSERT_GE(section, lastSection) << s.name;
        lastSection = section;
        names.append(QString::fromLatin1(s.name));
    }
    names.removeDuplicates();
    EXPECT_EQ(names.size(), 28);
}

}  // namespace
