// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cd/CueSheet.h"
#include "tests/components/WavFixtures.h"
#include "tests/components_cd/BurnFixtures.h"
#include "tests/components_cd/CddbServer.h"
#include "tests/support/DiscImages.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr int kSector = 2352;

using burnfixtures::cdDriver;
using burnfixtures::DriverRun;

std::optional<int64_t> sized(int64_t bytes) { return bytes; }

// A sheet over a data file of 150 sectors; the parser sees no file system.
bool parse(const QByteArray& text, cd::CueSheet* sheet, QString* why, int64_t bytes = 150 * kSector)
{
    return cd::ParseCueSheet(text, [bytes](const QString&) { return sized(bytes); }, sheet, why);
}

TEST(CueSheet, RefusesSheetsTheDataFileCannotDeliverAndSaysWhy)
{
    QByteArray hundred = "FILE \"a.bin\" BINARY\n";
    for (int i = 1; i <= 100; ++i)
        hundred += QStringLiteral(" TRACK %1 AUDIO\n  INDEX 01 00:00:%2\n").arg(i, 2, 10, QLatin1Char('0')).arg(0).toLatin1();
    const struct {
        const char* what;
        QByteArray text;
        QStringList reason;  // words the reason must hold
    } cases[] = {
        {"later tracks past the end",
         "FILE \"a.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n TRACK 02 AUDIO\n  INDEX 01 00:03:00\n"
         " TRACK 03 AUDIO\n  INDEX 01 00:04:00\n",
         {"track 2", "00:03:00", "end of its data file 'a.bin'"}},
        {"an index far past the end",
         "FILE \"a.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n TRACK 02 AUDIO\n  INDEX 01 19:50:22\n",
         {"track 2", "19:50:22", "a.bin"}},
        {"a track at the very end", "FILE \"a.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:02:00\n", {"track 1", "end"}},
        {"tracks out of order",
         "FILE \"a.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:01:00\n TRACK 02 AUDIO\n  INDEX 01 00:00:10\n",
         {"track 2", "not after track 1"}},
        {"a parent folder", "FILE \"../a.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n", {"'../a.bin'", "outside"}},
        {"an absolute path", "FILE \"/tmp/a.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n", {"'/tmp/a.bin'", "absolute"}},
        {"a WAVE file", "FILE \"a.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n", {"'a.wav'", "WAVE", "BINARY"}},
        {"100 tracks", hundred, {"more than 99 tracks"}},
        {"a second file",
         "FILE \"a.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\nFILE \"b.bin\" BINARY\n TRACK 02 AUDIO\n  INDEX 01 00:00:00\n",
         {"line 4", "'b.bin'"}},
        {"no INDEX 01", "FILE \"a.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 00 00:00:00\n", {"track 1", "INDEX 01"}},
        {"2048-byte sectors", "FILE \"a.bin\" BINARY\n TRACK 01 MODE1/2048\n  INDEX 01 00:00:00\n", {"MODE1/2048"}},
        {"a bad time", "FILE \"a.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:60:00\n", {"line 3", "mm:ss:ff"}},
    };
    for (const auto& c : cases) {
        QString why;
        EXPECT_FALSE(parse(c.text, nullptr, &why)) << c.what;
        for (const QString& word : c.reason)
            EXPECT_TRUE(why.contains(word)) << c.what << ": " << why.toStdString();
    }
    QString why;
    EXPECT_FALSE(cd::ParseCueSheet("FILE \"a.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n",
                                   [](const QString&) { return std::optional<int64_t>(); }, nullptr, &why));
    EXPECT_EQ(why, QStringLiteral("its data file 'a.bin' is missing."));
    EXPECT_FALSE(parse("FILE \"a.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n", nullptr, &why, 0));
    EXPECT_EQ(why, QStringLiteral("its data file 'a.bin' is empty."));
}

// The burner writes the image's name as it is, quotes and all.
TEST(CueSheet, ADataFileNameMayHoldQuotes)
{
    cd::CueSheet sheet;
    QString why;
    ASSERT_TRUE(parse("FILE \"it's \"live\".bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n", &sheet, &why, 150 * kSector))
        << why.toStdString();
    EXPECT_EQ(sheet.dataFile, QStringLiteral("it's \"live\".bin"));
    ASSERT_EQ(sheet.tracks.size(), 1);
}

TEST(CueSheet, GapsMoveLaterTracksAndAreSilenceOnTheDisc)
{
    // 150 file sectors, the last one cut short: track 1 from 0, track 2's INDEX 00 at 40 and
    // INDEX 01 at 50 with a 2-second PREGAP before it and a 30-sector POSTGAP after it, track 3 at
    // 100 (after both gaps).
    cd::CueSheet sheet;
    QString why;
    ASSERT_TRUE(parse("\xEF\xBB\xBFREM a comment\r\nFILE \"Some Album.bin\" BINARY\r\n  TRACK 01 AUDIO\r\n    INDEX 01 00:00:00\r\n"
                      "  track 02 audio\r\n    PREGAP 00:02:00\r\n    INDEX 00 00:00:40\r\n    INDEX 01 00:00:50\r\n"
                      "    POSTGAP 00:00:30\r\n  TRACK 03 MODE1/2352\r\n    INDEX 01 00:01:25\r\n",
                      &sheet, &why, 150 * kSector - 1000))
        << why.toStdString();
    EXPECT_EQ(sheet.dataFile, QStringLiteral("Some Album.bin"));
    ASSERT_EQ(sheet.tracks.size(), 3);
    EXPECT_EQ(sheet.tracks[0].firstSector, 0);
    EXPECT_EQ(sheet.tracks[0].sectors, 200);  // its 40 sectors of data, the pregap and INDEX 00
    EXPECT_EQ(sheet.tracks[1].firstSector, 200);
    EXPECT_EQ(sheet.tracks[1].sectors, 80);   // 50 sectors of data and the postgap
    EXPECT_EQ(sheet.tracks[2].firstSector, 280);
    EXPECT_FALSE(sheet.tracks[2].audio);
    EXPECT_EQ(sheet.leadOut, 330);
    ASSERT_EQ(sheet.segments.size(), 3);
    EXPECT_EQ(sheet.segments[0].discSector, 0);
    EXPECT_EQ(sheet.segments[0].count, 40);
    EXPECT_EQ(sheet.segments[1].discSector, 190);
    EXPECT_EQ(sheet.segments[1].fileSector, 40);
    EXPECT_EQ(sheet.segments[1].count, 60);
    EXPECT_EQ(sheet.segments[2].discSector, 280);
    EXPECT_EQ(sheet.segments[2].fileSector, 100);
    EXPECT_EQ(sheet.segments[2].count, 50);
}

class CueImageDriverTest : public testing::Test {
protected:
    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }
    QTemporaryDir dir;
};

TEST_F(CueImageDriverTest, ReadsTheDataFileTheSheetNames)
{
    ASSERT_TRUE(fixtures::writeFile(path(QStringLiteral("Some Album.bin")), discimages::AudioSectors(0, 150)));
    ASSERT_TRUE(fixtures::writeFile(path(QStringLiteral("album.cue")),
                                    "FILE \"Some Album.bin\" BINARY\r\n  TRACK 01 AUDIO\r\n    INDEX 01 00:00:00\r\n"
                                    "  TRACK 02 AUDIO\r\n    INDEX 01 00:01:00\r\n"));
    const QStringList drives{path(QStringLiteral("album.cue"))};
    DriverRun r = cdDriver(drives, {QStringLiteral("toc"), QStringLiteral("D")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("1\taudio\t0\t75\n2\taudio\t75\t75\n"));
    const QString out = path(QStringLiteral("t2.wav"));
    r = cdDriver(drives, {QStringLiteral("rip"), QStringLiteral("D"), QStringLiteral("2"), out, QStringLiteral("wav:44100:2:16")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const auto wav = fixtures::parseWavFile(out);
    ASSERT_TRUE(wav);
    EXPECT_TRUE(wav->data == discimages::AudioSectors(75, 75));

    // A link that stays inside the folder is read like the file it leads to.
    ASSERT_TRUE(QFile::link(QStringLiteral("Some Album.bin"), path(QStringLiteral("alias.bin"))));
    ASSERT_TRUE(fixtures::writeFile(path(QStringLiteral("alias.cue")), "FILE \"alias.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"));
    r = cdDriver({path(QStringLiteral("alias.cue"))}, {QStringLiteral("toc"), QStringLiteral("D")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("1\taudio\t0\t150\n"));
}

TEST_F(CueImageDriverTest, RefusesBrokenImagesWhenListedNamingTheSheetAndTheFault)
{
    ASSERT_TRUE(fixtures::writeFile(path(QStringLiteral("a.bin")), discimages::AudioSectors(0, 150)));
    ASSERT_TRUE(fixtures::writeFile(path(QStringLiteral("a.wav")), QByteArray(1000, '\0')));
    // A link in the sheet's folder whose data lies elsewhere is outside as much as "../a.bin".
    QTemporaryDir elsewhere;
    ASSERT_TRUE(fixtures::writeFile(QDir(elsewhere.path()).filePath(QStringLiteral("far.bin")), discimages::AudioSectors(0, 150)));
    ASSERT_TRUE(QFile::link(QDir(elsewhere.path()).filePath(QStringLiteral("far.bin")), path(QStringLiteral("near.bin"))));
    const struct {
        const char* name;
        QByteArray text;
        QString reason;
    } cases[] = {
        {"past.cue",
         "FILE \"a.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n TRACK 02 AUDIO\n  INDEX 01 00:03:00\n"
         " TRACK 03 AUDIO\n  INDEX 01 00:04:00\n",
         QStringLiteral("track 2 starts at 00:03:00, at or past the end of its data file 'a.bin' (00:02:00).")},
        {"missing.cue", "FILE \"gone.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n",
         QStringLiteral("its data file 'gone.bin' is missing.")},
        {"parent.cue", "FILE \"../a.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n",
         QStringLiteral("the data file '../a.bin' lies outside the cue sheet's folder.")},
        {"wave.cue", "FILE \"a.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n",
         QStringLiteral("the data file 'a.wav' is of the type WAVE")},
        {"linked.cue", "FILE \"near.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n",
         QStringLiteral("the data file 'near.bin' lies outside the cue sheet's folder.")},
    };
    for (const auto& c : cases) {
        const QString cue = path(QString::fromLatin1(c.name));
        ASSERT_TRUE(fixtures::writeFile(cue, c.text));
        const QString drive = QStringLiteral("D: ") + QString::fromLatin1(c.name);
        const QString head = QStringLiteral("The disc in the drive '%1' cannot be read from the cue sheet '%2': ").arg(drive, cue);
        DriverRun r = cdDriver({cue}, {QStringLiteral("drives")});
        // The listing gives the reason toc gives.
        EXPECT_TRUE(r.out.startsWith(drive + QStringLiteral("\taudio image\t0\t") + head + c.reason)) << c.name << ": " << r.out.toStdString();
        const QString listed = r.out.section(QLatin1Char('\t'), 3).trimmed();
        r = cdDriver({cue}, {QStringLiteral("toc"), QStringLiteral("D")});
        EXPECT_EQ(r.status, 1) << c.name;
        EXPECT_EQ(r.out, QString()) << c.name;
        EXPECT_TRUE(r.err.startsWith(head + c.reason)) << c.name << ": " << r.err.toStdString();
        EXPECT_EQ(r.err.trimmed(), listed) << c.name;
        const QString out = path(QStringLiteral("out.wav"));
        r = cdDriver({cue}, {QStringLiteral("rip"), QStringLiteral("D"), QStringLiteral("2"), out, QStringLiteral("wav:44100:2:16")});
        EXPECT_EQ(r.status, 1) << c.name << ": " << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.reason)) << c.name << ": " << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(out)) << c.name;
    }
}

TEST_F(CueImageDriverTest, ALastSectorCutShortIsReadPaddedWithSilence)
{
    QByteArray bin = discimages::AudioSectors(0, 150);
    bin.chop(1000);
    ASSERT_TRUE(fixtures::writeFile(path(QStringLiteral("cut.bin")), bin));
    ASSERT_TRUE(fixtures::writeFile(path(QStringLiteral("cut.cue")), "FILE \"cut.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"));
    const QStringList drives{path(QStringLiteral("cut.cue"))};
    DriverRun r = cdDriver(drives, {QStringLiteral("toc"), QStringLiteral("D")});
    EXPECT_EQ(r.out, QStringLiteral("1\taudio\t0\t150\n")) << r.err.toStdString();
    const QString out = path(QStringLiteral("cut.wav"));
    r = cdDriver(drives, {QStringLiteral("rip"), QStringLiteral("D"), QStringLiteral("1"), out, QStringLiteral("wav:44100:2:16")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const auto wav = fixtures::parseWavFile(out);
    ASSERT_TRUE(wav);
    EXPECT_TRUE(wav->data == bin + QByteArray(1000, '\0'));
}

TEST_F(CueImageDriverTest, APregapMovesTheTracksAfterIt)
{
    // Track 2 has two seconds of silence before it that the data file does not hold.
    ASSERT_TRUE(fixtures::writeFile(path(QStringLiteral("gap.bin")), discimages::AudioSectors(0, 300)));
    ASSERT_TRUE(fixtures::writeFile(path(QStringLiteral("gap.cue")),
                                    "FILE \"gap.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n TRACK 02 AUDIO\n  PREGAP 00:02:00\n"
                                    "  INDEX 01 00:02:00\n"));
    const QStringList drives{path(QStringLiteral("gap.cue"))};
    DriverRun r = cdDriver(drives, {QStringLiteral("toc"), QStringLiteral("D")});
    EXPECT_EQ(r.out, QStringLiteral("1\taudio\t0\t300\n2\taudio\t300\t150\n")) << r.err.toStdString();

    const QString out = path(QStringLiteral("t1.wav"));
    r = cdDriver(drives, {QStringLiteral("rip"), QStringLiteral("D"), QStringLiteral("1"), out, QStringLiteral("wav:44100:2:16")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const auto wav = fixtures::parseWavFile(out);
    ASSERT_TRUE(wav);
    EXPECT_TRUE(wav->data == discimages::AudioSectors(0, 150) + QByteArray(150 * kSector, '\0'));

    cddbfixture::CddbServer server(cddbfixture::CddbServer::NoMatch);
    cdDriver(drives, {QStringLiteral("lookup"), QStringLiteral("D")}, QStringLiteral("127.0.0.1:%1").arg(server.port()));
    // The pregap belongs to track 1: 300 sectors, then track 2's 150.
    QStringList queries;
    for (const QString& line : server.lines())
        if (line.startsWith(QLatin1String("cddb query")))
            queries << line.simplified();
    EXPECT_EQ(queries, QStringList{cddbfixture::standardQuery({300, 150})});
}

}  // namespace
