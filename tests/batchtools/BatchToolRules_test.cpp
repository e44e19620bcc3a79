// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "batchtools/BatchToolRules.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace BatchTool;

namespace {

TEST(BatchToolRules, UnderFolderAndOutputFolder)
{
    EXPECT_EQ(GetUnderFolder(true, QStringLiteral("My-List")), QStringLiteral("My-List/"));
    EXPECT_EQ(GetUnderFolder(true, QString()), QString());
    EXPECT_EQ(GetUnderFolder(false, QStringLiteral("My-List")), QString());

    struct Case {
        const char* destination;
        const char* under;
        const char* folder;
    };
    const Case cases[] = {
        {"/home/u/Out/", "", "/home/u/Out/"},
        // Typed without the final "/": the name must not run into the folder's own name.
        {"/home/u/Out", "", "/home/u/Out/"},
        {"/home/u/Out", "List/", "/home/u/Out/List/"},
        {"/", "List/", "/List/"},
        {"", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OutputFolder(QLatin1String(c.destination), QLatin1String(c.under)), QLatin1String(c.folder))
            << c.destination;
}

TEST(BatchToolRules, JoinedFileNames)
{
    const QString wav = QStringLiteral("WAV - Waveform Audio Format (*.wav)");
    const QString acm = QStringLiteral("ACM - Waveform ACM Codecs (*.wav)");
    const QString mp3 = QStringLiteral("MP3 - MPEG-1 Audio Layer 3 (*.mp3)");
    const QDateTime at(QDate(2010, 11, 10), QTime(14, 5, 9));
    struct Case {
        QString nameTemplate;
        QString format;
        QString dateFormat;
        QString expected;
    };
    const Case cases[] = {
        {QStringLiteral("Joined_File-[date]-[time].[dest_extension]"), wav, QStringLiteral("MM/dd/yyyy"),
         QStringLiteral("Joined_File-11-10-2010-14-05-09.wav")},
        // The template's own extension is "[dest_extension]", which the next step replaces.
        {QStringLiteral("Joined.[source_extension].[dest_extension]"), wav, QStringLiteral("MM/dd/yyyy"),
         QStringLiteral("Joined.wav.wav")},
        {QStringLiteral("a.[dest_extension]"), acm, QStringLiteral("dd.MM.yyyy"), QStringLiteral("a.acm")},
        {QStringLiteral("a.[dest_extension]"), mp3, QStringLiteral("dd.MM.yyyy"), QStringLiteral("a.mp3")},
        // No " -" in the format text: the placeholder stays.
        {QStringLiteral("a.[dest_extension]"), QStringLiteral("WAV"), QStringLiteral("dd.MM.yyyy"),
         QStringLiteral("a.[dest_extension]")},
        {QStringLiteral("[date]_[DATE]_[Time]"), wav, QStringLiteral("dd.MM.yyyy"), QStringLiteral("10.11.2010_[DATE]_[Time]")},
        {QStringLiteral("Mix.MP3-[source_extension]"), wav, QStringLiteral("dd.MM.yyyy"),
         QStringLiteral("Mix.MP3-mp3-[source_extension]")},
        {QStringLiteral("plain"), wav, QStringLiteral("dd.MM.yyyy"), QStringLiteral("plain")},
        {QStringLiteral("x[source_extension]"), wav, QStringLiteral("dd.MM.yyyy"), QStringLiteral("x")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExpandJoinedFileName(c.nameTemplate, c.format, at, c.dateFormat), c.expected)
            << c.nameTemplate.toStdString();
}

TEST(BatchToolRules, RowRanges)
{
    struct Case {
        const char* all;
        const char* start;
        const char* length;
        long expectedStart;
        long expectedLength;
    };
    const Case cases[] = {
        {"1", "12", "30", -1, -1},
        {"0", "12", "30", 12, 30},
        {"", "12", "30", 12, 30},
        {"0", "0", "5", 0, 5},
        // A cell that is no whole number gives -1, never a value of another row.
        {"0", "abc", "30", -1, 30},
        {"0", "12", "", 12, -1},
        {"0", "1.5", "2,5", -1, -1},
        {" 1", "12", "30", 12, 30},
    };
    for (const Case& c : cases) {
        const RowRange r = RangeOfRow(QLatin1String(c.all), QLatin1String(c.start), QLatin1String(c.length));
        EXPECT_EQ(r.start, c.expectedStart) << c.all << "|" << c.start << "|" << c.length;
        EXPECT_EQ(r.length, c.expectedLength) << c.all << "|" << c.start << "|" << c.length;
    }
}

TEST(BatchToolRules, LinkStatesAndChecks)
{
    EXPECT_FALSE(DestinationLinkEnabled(0));
    EXPECT_TRUE(DestinationLinkEnabled(1));
    EXPECT_TRUE(DestinationLinkEnabled(15));
    EXPECT_FALSE(DefaultLinkEnabled(QStringLiteral("MP3 - x"), QStringLiteral("MP3 - x")));
    EXPECT_TRUE(DefaultLinkEnabled(QStringLiteral("MP3 - x"), QStringLiteral("mp3 - x")));
    EXPECT_TRUE(DefaultLinkEnabled(QStringLiteral("WAV - x"), QString()));
    EXPECT_FALSE(DefaultLinkEnabled(QString(), QString()));
    EXPECT_EQ(OptionToCheckValue(true), 1);
    EXPECT_EQ(OptionToCheckValue(false), 0);
}

TEST(BatchToolRules, EndActionOrderAndGating)
{
    using A = EndAction;
    struct Case {
        bool sound, folder, notice, turnOff, error;
        std::vector<A> expected;
    };
    const Case cases[] = {
        {true, true, true, true, false, {A::PlaySound, A::OpenFolder, A::NoticeApp, A::TurnOff}},
        {true, true, true, true, true, {A::PlaySound, A::OpenFolder, A::NoticeApp}},
        {false, false, false, true, false, {A::TurnOff}},
        {false, false, false, true, true, {}},
        {false, true, false, false, false, {A::OpenFolder}},
        {false, false, false, false, false, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EndActions(c.sound, c.folder, c.notice, c.turnOff, c.error), c.expected);
}

TEST(BatchToolRules, ExistingOutputIncludesHiddenFilesAndEveryLinkButNotFolders)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("a.wav"));
    const QString hidden = dir.filePath(QStringLiteral(".a.wav"));
    QFile(plain).open(QIODevice::WriteOnly);
    QFile(hidden).open(QIODevice::WriteOnly);
    QDir(dir.path()).mkdir(QStringLiteral("b.wav"));
    QFile::link(dir.filePath(QStringLiteral("nowhere/x.wav")), dir.filePath(QStringLiteral("dangling.wav")));
    QFile::link(plain, dir.filePath(QStringLiteral("to-file.wav")));
    QFile::link(dir.filePath(QStringLiteral("b.wav")), dir.filePath(QStringLiteral("to-folder.wav")));
    EXPECT_TRUE(OutputFileExists(plain));
    EXPECT_TRUE(OutputFileExists(hidden));
    for (const char* link : {"dangling.wav", "to-file.wav", "to-folder.wav"})
        EXPECT_TRUE(OutputFileExists(dir.filePath(QLatin1String(link)))) << link;
    EXPECT_FALSE(OutputFileExists(dir.filePath(QStringLiteral("b.wav"))));
    EXPECT_FALSE(OutputFileExists(dir.filePath(QStringLiteral("c.wav"))));
}

// Records the hand-over as a component sees it.
struct RecordingComponent {
    long code = 0;
    QStringList calls;
    engine::WavFormatRecord wav{};
    engine::Mp3FormatRecord mp3{};
    engine::OggFormatRecord ogg{};
    long ape = -1;
    void DestinationFormat(long c) { code = c; }
    void SetWavFormat(const engine::WavFormatRecord& r) { calls << QStringLiteral("wav"); wav = r; }
    void SetAcmFormat(const QString& t, const QString& f) { calls << QStringLiteral("acm:") + t + QLatin1Char('|') + f; }
    void SetMp3Format(const engine::Mp3FormatRecord& r) { calls << QStringLiteral("mp3"); mp3 = r; }
    void SetWmaFormat(const engine::WmaFormatRecord&) { calls << QStringLiteral("wma"); }
    void SetOggFormat(const engine::OggFormatRecord& r) { calls << QStringLiteral("ogg"); ogg = r; }
    void SetApeLevel(long l) { calls << QStringLiteral("ape"); ape = l; }
};

TEST(BatchToolRules, DestinationHandOverByFormatText)
{
    OutputFormatOptionsData o;
    o.cboSamplesWAV = 44100;
    o.cboBitrateWAV = 16;
    o.cboChannelsWAV = 1;
    o.cboTags = QStringLiteral("PCM");
    o.cboFormats = QStringLiteral("8 kHz");
    o.chkMP3VBRTag = -1;
    o.chkMP3ABR = -1;
    o.cboMP3MinBitrate = 0;
    o.cboMP3MaxBitrate = 18;
    o.optOggBit = -1;
    o.cboOggBitNom = 128;
    o.sldOGG = 50;
    o.cboAPELevel = 3;
    struct Case {
        const char* text;
        long code;
        const char* call;
        const char* log;
    };
    const Case cases[] = {
        {"WAV - Waveform Audio Format (*.wav)", 1, "wav", "Destination format: WAV"},
        {"ACM - Waveform ACM Codecs (*.wav)", 2, "acm:PCM|8 kHz", "Destination format: ACM WAV"},
        {"mp3 in lower case", 3, "mp3", "Destination format: MP3"},
        {"WMA - Windows Media Audio files (*.wma)", 4, "wma", "Destination format: WMA"},
        {"OGG - Ogg Media Format (*.ogg)", 5, "ogg", "Destination format: OGG"},
        {"APE - Monkey 's Audio (*.ape)", 6, "ape", "Destination format: APE"},
        {"", 1, "wav", "Destination format: WAV"},
        {"FLAC", 1, "wav", "Destination format: WAV"},
    };
    for (const Case& c : cases) {
        RecordingComponent rc;
        EXPECT_EQ(HandOverDestination(rc, QLatin1String(c.text), o), QLatin1String(c.log)) << c.text;
        EXPECT_EQ(rc.code, c.code) << c.text;
        EXPECT_EQ(rc.calls, QStringList{QLatin1String(c.call)}) << c.text;
        if (rc.calls.first() == QLatin1String("wav")) {
            EXPECT_EQ(rc.wav.SampleRate, 44100);
            EXPECT_EQ(rc.wav.Channels, 2);
            EXPECT_EQ(rc.wav.BitsPerSample, 16);
        } else if (c.code == 3) {
            EXPECT_EQ(rc.mp3.VBRMethod, 3);
            EXPECT_EQ(rc.mp3.WriteVBRTag, -1);
            EXPECT_EQ(rc.mp3.VBRMaxBitrate, 18);
        } else if (c.code == 5) {
            EXPECT_EQ(rc.ogg.Mode, 2);
            EXPECT_EQ(rc.ogg.NominalBitrate, 128);
            EXPECT_EQ(rc.ogg.Quality, 0);
        } else if (c.code == 6) {
            EXPECT_EQ(rc.ape, 3);
        }
    }
}

}  // namespace
