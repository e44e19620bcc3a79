// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/components/WavFixtures.h"
#include "tests/components_cd/BurnFixtures.h"
#include "tests/components_cd/CddbServer.h"
#include "tests/support/DiscImages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <unistd.h>

#include <gtest/gtest.h>

namespace {

using burnfixtures::DriverRun;

class CdDriverTest : public testing::Test {
protected:
    void SetUp() override
    {
        cue = discimages::WriteBinCue(dir.path(), QStringLiteral("mixed"), tracks);
        iso = discimages::WriteIso(dir.path(), QStringLiteral("files"), 40);
    }

    DriverRun driver(const QStringList& args, const QString& cddbServer = QStringLiteral("127.0.0.1:1")) const
    {
        return burnfixtures::cdDriver({cue, iso}, args, cddbServer);
    }

    QTemporaryDir dir;
    // Tracks at 150 and 375 counted from the lead-in, a data track after them.
    const QList<discimages::Track> tracks{{true, 225}, {true, 300}, {false, 60}};
    QString cue, iso;
};

TEST_F(CdDriverTest, ListsDrivesAndTablesOfContents)
{
    DriverRun r = driver({QStringLiteral("drives")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("D: mixed.cue\taudio image\t3\nE: files.iso\tdata image\t1\n"));

    r = driver({QStringLiteral("toc"), QStringLiteral("d:")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("1\taudio\t0\t225\n2\taudio\t225\t300\n3\tdata\t525\t60\n"));

    QFile::remove(iso);
    r = driver({QStringLiteral("toc"), QStringLiteral("E")});
    EXPECT_NE(r.status, 0);
    EXPECT_TRUE(r.err.contains(QStringLiteral("E: files.iso"))) << r.err.toStdString();
}

TEST_F(CdDriverTest, RipsARangeExactlyAndReportsFailures)
{
    const QString out = dir.filePath(QStringLiteral("range.wav"));
    DriverRun r = driver({QStringLiteral("rip"), QStringLiteral("D:"), QStringLiteral("2"), out, QStringLiteral("wav:44100:2:16"),
                    QStringLiteral("1"), QStringLiteral("2")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const auto wav = fixtures::parseWavFile(out);
    ASSERT_TRUE(wav);
    EXPECT_TRUE(wav->data == discimages::AudioSectors(225 + 75, 150));

    r = driver({QStringLiteral("rip"), QStringLiteral("D:"), QStringLiteral("3"), dir.filePath(QStringLiteral("data.wav")),
                QStringLiteral("wav:44100:2:16")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("data track"))) << r.err.toStdString();
    r = driver({QStringLiteral("rip"), QStringLiteral("D:"), QStringLiteral("1"), out, QStringLiteral("flac")});
    EXPECT_EQ(r.status, 2);
}

TEST_F(CdDriverTest, LooksUpTheServerOfTheVariable)
{
    cddbfixture::CddbServer server(cddbfixture::CddbServer::Match);
    DriverRun r = driver({QStringLiteral("lookup"), QStringLiteral("D:")}, QStringLiteral("127.0.0.1:%1").arg(server.port()));
    // The disc has a third (data) track here, so its ID differs from the entry's; the server
    // answers by its script all the same.
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("artist=Les Artistes\nalbum=Été Album\n1\tLes Artistes\tPremière chanson\n")))
        << r.out.toStdString();

    r = driver({QStringLiteral("lookup"), QStringLiteral("D:")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("127.0.0.1:1"))) << r.err.toStdString();

    // A variable without its port is named as the error; the look-up goes nowhere.
    r = driver({QStringLiteral("lookup"), QStringLiteral("D:")}, QStringLiteral("127.0.0.1:"));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("QUILLMERE_CDDB_SERVER is set to \"127.0.0.1:\""))) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
}

// A rip's output that is a file of a listed disc image, however it is spelt, is refused before
// anything is written, as a conversion refuses an output that is one of its inputs; the images
// stay byte for byte. A fresh name beside them is ripped as ever.
TEST_F(CdDriverTest, ARipNeverWritesOverADiscImageOfTheDrives)
{
    const QString bin = dir.filePath(QStringLiteral("mixed.bin"));
    const QByteArray binBefore = fixtures::readFile(bin), cueBefore = fixtures::readFile(cue), isoBefore = fixtures::readFile(iso);
    ASSERT_FALSE(binBefore.isEmpty());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    ASSERT_TRUE(QFile::link(bin, dir.filePath(QStringLiteral("bin-link.wav"))));
    ASSERT_TRUE(QFile::link(cue, dir.filePath(QStringLiteral("cue-link.wav"))));
    ASSERT_EQ(::link(QFile::encodeName(bin).constData(), QFile::encodeName(dir.filePath(QStringLiteral("bin-hard.wav"))).constData()), 0);
    const struct {
        const char* what;
        QString output;
        QString file;   // the image file it is
        QString drive;
    } cases[] = {
        {"the data file", bin, bin, QStringLiteral("D: mixed.cue")},
        {"the cue sheet", cue, cue, QStringLiteral("D: mixed.cue")},
        {"the data file through ..", dir.filePath(QStringLiteral("sub/../mixed.bin")), bin, QStringLiteral("D: mixed.cue")},
        {"a symbolic link to the data file", dir.filePath(QStringLiteral("bin-link.wav")), bin, QStringLiteral("D: mixed.cue")},
        {"a symbolic link to the cue sheet", dir.filePath(QStringLiteral("cue-link.wav")), cue, QStringLiteral("D: mixed.cue")},
        {"a hard link to the data file", dir.filePath(QStringLiteral("bin-hard.wav")), bin, QStringLiteral("D: mixed.cue")},
        {"another drive's data image", iso, iso, QStringLiteral("E: files.iso")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const DriverRun r = driver({QStringLiteral("rip"), QStringLiteral("D"), QStringLiteral("1"), c.output, QStringLiteral("wav:44100:2:16")});
        EXPECT_EQ(r.status, 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("is the file '%1' of the disc in the drive '%2'").arg(c.file, c.drive)))
            << r.err.toStdString();
        EXPECT_TRUE(fixtures::readFile(bin) == binBefore);
        EXPECT_TRUE(fixtures::readFile(cue) == cueBefore);
        EXPECT_TRUE(fixtures::readFile(iso) == isoBefore);
        EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("bin-link.wav"))).isSymLink());
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name),
              (QStringList{QStringLiteral("bin-hard.wav"), QStringLiteral("bin-link.wav"), QStringLiteral("cue-link.wav"),
                           QStringLiteral("files.iso"), QStringLiteral("mixed.bin"), QStringLiteral("mixed.cue")}));

    const QString fresh = dir.filePath(QStringLiteral("sub/track1.wav"));
    const DriverRun r = driver({QStringLiteral("rip"), QStringLiteral("D"), QStringLiteral("1"), fresh, QStringLiteral("wav:44100:2:16")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    const auto wav = fixtures::parseWavFile(fresh);
    ASSERT_TRUE(wav);
    EXPECT_TRUE(wav->data == discimages::AudioSectors(0, 225));
}

}  // namespace
