// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cAudioBurner.h"
#include "components/cd/Burning.h"
#include "tests/components_cd/BurnFixtures.h"
#include "tests/support/DiscImages.h"
#include "tests/support/ReferenceAudio.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using fixtures::Pcm;

namespace {

// Every event of the component, in order, as short words.
struct Events {
    explicit Events(cAudioBurner& b)
    {
        QObject::connect(&b, &cAudioBurner::CachingTrack, &context, [this] { log << QStringLiteral("Caching"); });
        QObject::connect(&b, &cAudioBurner::WritingTrack, &context, [this] { log << QStringLiteral("Writing"); });
        QObject::connect(&b, &cAudioBurner::Progress, &context, [this](int p, int t) {
            if (onProgress)
                onProgress(p, t);
            if (log.isEmpty() || log.last() != QStringLiteral("Progress %1").arg(t))
                log << QStringLiteral("Progress %1").arg(t);
            lastPercent = p;
        });
        QObject::connect(&b, &cAudioBurner::StepProgress, &context, [this](int p, int) {
            steps << p;
            EXPECT_GE(lastPercent, 0) << "StepProgress before Progress";
        });
        QObject::connect(&b, &cAudioBurner::ClosingTrack, &context, [this](int t) { log << QStringLiteral("ClosingTrack %1").arg(t); });
        QObject::connect(&b, &cAudioBurner::ClosingSession, &context, [this] { log << QStringLiteral("ClosingSession"); });
        QObject::connect(&b, &cAudioBurner::Finished, &context, [this] { log << QStringLiteral("Finished"), ++ends; });
        QObject::connect(&b, &cAudioBurner::Error, &context, [this](long c, const QString& t) {
            log << QStringLiteral("Error");
            code = c, text = t, ++ends;
        });
    }
    bool waitEnd() { return burnfixtures::waitUntil([this] { return ends > 0; }); }

    QObject context;
    QStringList log;
    QList<int> steps;
    int lastPercent = -1;
    int ends = 0;
    long code = 0;
    QString text;
    std::function<void(int, int)> onProgress;
};

class AudioBurnerTest : public testing::Test {
protected:
    void TearDown() override { qputenv("QUILLMERE_DRIVES", ""); }
    QString path(const QString& name) const { return dir.filePath(name); }
    void useDrives(const QStringList& entries) { qputenv("QUILLMERE_DRIVES", entries.join(QLatin1Char(':')).toUtf8()); }
    QStringList imageFiles() const
    {
        return QDir(dir.path()).entryList({QStringLiteral("*.cue"), QStringLiteral("*.bin"), QStringLiteral(".*part*")},
                                          QDir::Files | QDir::Hidden);
    }
    // Three sources: CD-format WAV, 22.05 kHz mono 8-bit WAV, and an MP3 of our own encoder.
    QStringList threeSources()
    {
        const Pcm cd{44100, 2, 16}, small{22050, 1, 8};
        fixtures::writeFile(path(QStringLiteral("cd.wav")), fixtures::wavBytes(cd, fixtures::pattern(cd, 44100 + 123, 1)));
        fixtures::writeFile(path(QStringLiteral("small.wav")), fixtures::wavBytes(small, fixtures::sine(small, 33075)));
        burnfixtures::writeMp3(path(QStringLiteral("tone.mp3")), fixtures::sine(cd, 55125));
        return {path(QStringLiteral("cd.wav")), path(QStringLiteral("small.wav")), path(QStringLiteral("tone.mp3"))};
    }

    QTemporaryDir dir;
    std::unique_ptr<cAudioBurner> burner = CreateAudioBurner();
};

TEST_F(AudioBurnerTest, BurnsThreeSourcesToACueDriveThatRipsBackSampleForSample)
{
    const QStringList sources = threeSources();
    const QString cue = path(QStringLiteral("disc.cue"));
    useDrives({cue});
    ASSERT_EQ(burner->DriveCount(), 1);
    EXPECT_EQ(burner->DriveName(1), QStringLiteral("D: disc.cue"));
    EXPECT_EQ(burner->DiscState(QStringLiteral("D")), QString());
    EXPECT_EQ(burner->DiscCapacity(QStringLiteral("D")), 737280000L);
    EXPECT_EQ(burner->DiscSize(QStringLiteral("D")), 703L);
    EXPECT_EQ(burner->SpeedCount(QStringLiteral("D")), 0);

    for (const QString& s : sources)
        ASSERT_TRUE(burner->AddTrack(s)) << s.toStdString();
    ASSERT_EQ(burner->TrackCount(), 3);
    Events ev(*burner);
    burner->BurnMode(true);
    QString letter = QStringLiteral("D");
    EXPECT_EQ(burner->Burn(letter, 65535), 0);
    burner->ClearTracks();  // the running burn keeps its own list
    ASSERT_TRUE(ev.waitEnd());
    ASSERT_EQ(ev.log.last(), QStringLiteral("Finished")) << ev.text.toStdString();
    EXPECT_EQ(ev.ends, 1);
    const QStringList expected{
        "Caching", "Writing", "Progress 1", "ClosingTrack 1", "Caching", "Writing", "Progress 2", "ClosingTrack 2",
        "Caching", "Writing", "Progress 3", "ClosingTrack 3", "ClosingSession", "Finished"};
    EXPECT_EQ(ev.log, expected);
    EXPECT_EQ(ev.steps.last(), 100);
    EXPECT_TRUE(std::is_sorted(ev.steps.begin(), ev.steps.end()));

    // The ripper's side sees an audio disc of three tracks holding exactly the decoded sources.
    EXPECT_EQ(imageFiles(), (QStringList{QStringLiteral("disc.bin"), QStringLiteral("disc.cue")}));
    ASSERT_TRUE(QFile::exists(cue));
    const Pcm cd{44100, 2, 16};
    const QList<QByteArray> want{fixtures::pattern(cd, 44100 + 123, 1), burnfixtures::decodeForCd(sources.at(1)),
                                 burnfixtures::decodeForCd(sources.at(2))};
    for (int t = 1; t <= 3; ++t) {
        const QByteArray ripped = burnfixtures::ripTrack(QStringLiteral("D:"), t);
        ASSERT_FALSE(want.at(t - 1).isEmpty());
        EXPECT_EQ(ripped.size() % 2352, 0);
        EXPECT_TRUE(ripped == burnfixtures::padToSector(want.at(t - 1))) << "track " << t << ": " << ripped.size() << " bytes";
    }
    EXPECT_EQ(burner->DiscState(QStringLiteral("D")), QStringLiteral("The disc is not empty."));
    EXPECT_EQ(burner->DiscCapacity(QStringLiteral("D")), 0);
}

// A 48 kHz source and an MP3 burned, then ripped back: each track holds exactly as many frames
// as sox and lame make of the source (then silence to the sector) and the same samples to within
// a few steps of rounding.
TEST_F(AudioBurnerTest, ResampledAndDecodedTracksMatchIndependentDecoders)
{
    const Pcm high{48000, 2, 16}, cd{44100, 2, 16};
    const QString wav48 = path(QStringLiteral("high.wav"));
    const QString mp3 = path(QStringLiteral("tone.mp3"));
    fixtures::writeFile(wav48, fixtures::wavBytes(high, fixtures::sine(high, 52001, 1000.0)));
    burnfixtures::writeMp3(mp3, fixtures::sine(cd, 55125, 600.0));
    useDrives({path(QStringLiteral("disc.cue"))});
    ASSERT_TRUE(burner->AddTrack(wav48));
    ASSERT_TRUE(burner->AddTrack(mp3));
    Events ev(*burner);
    burner->BurnMode(false);
    QString letter = QStringLiteral("D");
    ASSERT_EQ(burner->Burn(letter, 65535), 0) << ev.text.toStdString();

    const QString scratch = path(QStringLiteral("ref"));
    QDir().mkpath(scratch);
    const QStringList sources{wav48, mp3};
    for (int t = 1; t <= 2; ++t) {
        SCOPED_TRACE(sources.at(t - 1).toStdString());
        // lame's decoder drops the encoder's delay and padding by the LAME tag.
        const QString decoded = QDir(scratch).filePath(QStringLiteral("reference%1.wav").arg(t));
        const refaudio::Samples reference = t == 1 ? refaudio::soxConversion(wav48, decoded, 44100, 2, 16)
                                                   : refaudio::lameDecode(mp3, decoded);
        ASSERT_EQ(reference.rate, 44100);
        ASSERT_EQ(reference.channels, 2);
        ASSERT_EQ(reference.bits, 16);
        ASSERT_GT(reference.frames(), 0);
        const QByteArray ripped = burnfixtures::ripTrack(QStringLiteral("D:"), t);
        const refaudio::Samples back = refaudio::fromPcm16(ripped, 44100, 2);
        // Whole sectors of 588 frames: as many as the reference holds, then silence.
        ASSERT_EQ(back.frames(), (reference.frames() + 587) / 588 * 588);
        const qsizetype referenceBytes = qsizetype(reference.frames()) * 4;
        EXPECT_TRUE(ripped.mid(referenceBytes) == QByteArray(ripped.size() - referenceBytes, '\0'));
        // Two resamplers part ways only within their filters' reach of either end (64 frames is
        // 1.5 ms); a frame or a channel off anywhere differs by a thousand steps and more.
        const int64_t edge = 64, compared = reference.frames() - 2 * edge;
        ASSERT_GT(compared, 0);
        EXPECT_LE(refaudio::compare(back, edge, reference, edge, compared).largest, 2);
    }
}

TEST_F(AudioBurnerTest, BurnModeFalseReturnsAfterTheEventsWithTheResult)
{
    const QStringList sources = threeSources();
    useDrives({path(QStringLiteral("disc.cue"))});
    ASSERT_TRUE(burner->AddTrack(sources.at(0)));
    Events ev(*burner);
    burner->BurnMode(false);
    QString letter = QStringLiteral("D:");
    EXPECT_EQ(burner->Burn(letter, 1764), 0);
    EXPECT_EQ(ev.log.last(), QStringLiteral("Finished"));
    EXPECT_EQ(ev.ends, 1);

    // A second burn to the written image fails within the call and says why.
    const QByteArray before = fixtures::readFile(path(QStringLiteral("disc.bin")));
    Events again(*burner);
    EXPECT_EQ(burner->Burn(letter, 65535), cd::errCannotWrite);
    EXPECT_EQ(again.log, QStringList{QStringLiteral("Error")});
    EXPECT_TRUE(again.text.contains(QStringLiteral("not empty"))) << again.text.toStdString();
    EXPECT_TRUE(fixtures::readFile(path(QStringLiteral("disc.bin"))) == before);
}

TEST_F(AudioBurnerTest, AbortFromAProgressHandlerLeavesNoImageAndRaisesNothing)
{
    const Pcm cd{44100, 2, 16};
    // Long enough that the burn is still running when the first report arrives.
    fixtures::writeFile(path(QStringLiteral("long.wav")), fixtures::wavBytes(cd, fixtures::pattern(cd, 44100 * 120, 3)));
    useDrives({path(QStringLiteral("disc.cue"))});
    ASSERT_TRUE(burner->AddTrack(path(QStringLiteral("long.wav"))));
    Events ev(*burner);
    bool aborted = false;
    ev.onProgress = [&](int, int) {
        if (!aborted) {
            aborted = true;
            burner->Abort();
        }
    };
    QString letter = QStringLiteral("D");
    burner->Burn(letter, 65535);
    burnfixtures::waitUntil([&] { return aborted; });
    const QStringList atAbort = ev.log;
    burnfixtures::waitUntil([] { return false; }, 500);
    EXPECT_TRUE(aborted);
    EXPECT_EQ(ev.log, atAbort);
    EXPECT_EQ(ev.ends, 0);
    EXPECT_EQ(imageFiles(), QStringList());

    // The component burns again afterwards.
    ASSERT_TRUE(burner->AddTrack(path(QStringLiteral("long.wav"))));
    Events next(*burner);
    burner->Burn(letter, 65535);
    ASSERT_TRUE(next.waitEnd());
    EXPECT_EQ(next.log.last(), QStringLiteral("Finished")) << next.text.toStdString();
}

TEST_F(AudioBurnerTest, RefusesWithOneErrorAndWritesNothing)
{
    const QStringList sources = threeSources();
    const QString written = discimages::WriteBinCue(dir.path(), QStringLiteral("written"), {{true, 75}});
    const QByteArray writtenBin = fixtures::readFile(path(QStringLiteral("written.bin")));
    useDrives({path(QStringLiteral("blank.cue")), path(QStringLiteral("data.iso")), written});
    ASSERT_EQ(burner->DriveCount(), 3);
    EXPECT_EQ(burner->DiscState(QStringLiteral("E")), QStringLiteral("This drive writes data discs only."));
    EXPECT_EQ(burner->DiscState(QStringLiteral("F")), QStringLiteral("The disc is not empty."));

    struct Case {
        const char* name;
        QString letter;
        bool withTracks;
        long code;
    };
    const Case cases[] = {
        {"audio to a data image", QStringLiteral("E"), true, cd::errWrongKind},
        {"a written image", QStringLiteral("F"), true, cd::errCannotWrite},
        {"no writer letter", QString(), true, cd::errNoWriter},
        {"a letter of no writer", QStringLiteral("Q"), true, cd::errNoWriter},
        {"no tracks", QStringLiteral("D"), false, cd::errNothingToBurn},
    };
    for (const Case& c : cases) {
        burner->ClearTracks();
        if (c.withTracks) {
            ASSERT_TRUE(burner->AddTrack(sources.at(0)));
        }
        Events ev(*burner);
        QString letter = c.letter;
        burner->Burn(letter, 65535);
        ASSERT_TRUE(ev.waitEnd()) << c.name;
        EXPECT_EQ(ev.log, QStringList{QStringLiteral("Error")}) << c.name;
        EXPECT_EQ(ev.code, c.code) << c.name << ": " << ev.text.toStdString();
    }
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("blank.cue"))));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("data.iso"))));
    EXPECT_TRUE(fixtures::readFile(path(QStringLiteral("written.bin"))) == writtenBin);
    EXPECT_EQ(imageFiles(), (QStringList{QStringLiteral("written.bin"), QStringLiteral("written.cue")}));
}

TEST_F(AudioBurnerTest, ASecondBurnWhileOneRunsIsRefusedAndTheFirstGoesOn)
{
    const QStringList sources = threeSources();
    useDrives({path(QStringLiteral("disc.cue"))});
    ASSERT_TRUE(burner->AddTrack(sources.at(0)));
    Events ev(*burner);
    QString letter = QStringLiteral("D");
    burner->Burn(letter, 65535);
    burner->Burn(letter, 65535);
    ASSERT_TRUE(burnfixtures::waitUntil([&] { return ev.ends == 2; }));
    EXPECT_EQ(ev.code, cd::errBusy);
    EXPECT_EQ(ev.log.filter(QStringLiteral("Finished")).size(), 1);
    EXPECT_EQ(ev.log.filter(QStringLiteral("Error")).size(), 1);
}

TEST_F(AudioBurnerTest, AcceptsOnlyFilesTheEngineReadsAsAudioAndRefusesAListThatDoesNotFit)
{
    const QStringList sources = threeSources();
    fixtures::writeFile(path(QStringLiteral("notes.txt")), "not audio at all, only words\n");
    EXPECT_FALSE(burner->AddTrack(path(QStringLiteral("missing.wav"))));
    EXPECT_FALSE(burner->AddTrack(path(QStringLiteral("notes.txt"))));
    EXPECT_EQ(burner->TrackCount(), 0);

    // A track ripped from an audio image drive is a source like a file.
    const QString source = discimages::WriteBinCue(dir.path(), QStringLiteral("source"), {{true, 150}});
    useDrives({path(QStringLiteral("disc.cue")), source});
    ASSERT_TRUE(burner->AddTrack(QStringLiteral("E:/Track01.cda")));

    // 28 tracks of 174 s make 81.2 minutes: the list is refused before anything is written.
    burner->ClearTracks();
    const Pcm cd{44100, 2, 16};
    const QString big = path(QStringLiteral("big.wav"));
    fixtures::writeFile(big, fixtures::wavBytes(cd, fixtures::pattern(cd, 44100LL * 174, 4)));
    for (int i = 0; i < 28; ++i)
        ASSERT_TRUE(burner->AddTrack(big));
    Events ev(*burner);
    QString letter = QStringLiteral("D");
    burner->Burn(letter, 65535);
    ASSERT_TRUE(ev.waitEnd());
    EXPECT_EQ(ev.log, QStringList{QStringLiteral("Error")});
    EXPECT_EQ(ev.code, cd::errDoesNotFit) << ev.text.toStdString();
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("disc.cue"))));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("disc.bin"))));
}

TEST_F(AudioBurnerTest, ARealWriterPathEndsInLibburnsRefusalOfAudioOnAFileDrive)
{
    // A path that is no device node goes to libburn as a "stdio:" drive, which takes no audio.
    const QString target = path(QStringLiteral("writer.img"));
    useDrives({target});
    ASSERT_EQ(burner->DriveCount(), 1);
    const QStringList sources = threeSources();
    ASSERT_TRUE(burner->AddTrack(sources.at(0)));
    Events ev(*burner);
    QString letter = QStringLiteral("D");
    burner->Burn(letter, 65535);
    ASSERT_TRUE(ev.waitEnd(/*generous: libburn's checks*/));
    EXPECT_EQ(ev.log.filter(QStringLiteral("Error")).size(), 1);
    EXPECT_EQ(ev.log.filter(QStringLiteral("Finished")).size(), 0);
    EXPECT_EQ(ev.code, cd::errCannotWrite);
    EXPECT_TRUE(ev.text.contains(QStringLiteral("refuses the burn: "))) << ev.text.toStdString();
    // libburn's own reason follows, as it words it.
    EXPECT_TRUE(ev.text.contains(QStringLiteral("audio track prohibited"))) << ev.text.toStdString();
    EXPECT_FALSE(ev.text.endsWith(QLatin1Char(',')));
    EXPECT_EQ(QFileInfo(target).size(), 0);
}

TEST(IsoVolumeIdTest, CapitalsAndUnderscoresAtMost32)
{
    EXPECT_EQ(cd::IsoVolumeId(QStringLiteral("My Music")), QStringLiteral("MY_MUSIC"));
    EXPECT_EQ(cd::IsoVolumeId(QStringLiteral("Café-2024")), QStringLiteral("CAF__2024"));
    EXPECT_EQ(cd::IsoVolumeId(QString(40, u'a')), QString(32, u'A'));
}

}  // namespace

namespace {

TEST_F(AudioBurnerTest, AMissingDeviceNodeIsNoWriterAndNothingIsCreatedForIt)
{
    useDrives({QStringLiteral("/dev/quillmere-no-such-drive"), path(QStringLiteral("disc.cue"))});
    ASSERT_EQ(burner->DriveCount(), 1);
    EXPECT_EQ(burner->DriveName(1), QStringLiteral("E: disc.cue"));
    EXPECT_EQ(burner->DiscState(QStringLiteral("D")), QStringLiteral("No such drive."));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/dev/quillmere-no-such-drive")));
}

}  // namespace
