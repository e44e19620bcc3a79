// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The duplicator with the real ripper and writer, from a disc image to a disc image.
#include "tests/cdtools_duplicator/DuplicatorFixture.h"

#include "batchtools/cProgressBar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <cstdlib>

#include <signal.h>
#include <unistd.h>

namespace {

using discimages::Track;

class DuplicatorImagesTest : public DuplicatorTest {
protected:
    // Four audio tracks of unequal lengths.
    const QList<Track> fourTracks{{true, 75}, {true, 113}, {true, 40}, {true, 150}};

    // Every track of `copy` holds exactly the samples of the source track it came from.
    static void expectSameTracks(const QString& copyLetter, const QString& sourceLetter, const QList<int>& sourceTracks)
    {
        const Toc copy = toc(copyLetter);
        ASSERT_EQ(copy.starts.size(), sourceTracks.size());
        for (int i = 0; i < sourceTracks.size(); ++i) {
            SCOPED_TRACE(i + 1);
            const QByteArray original = burnfixtures::ripTrack(sourceLetter, sourceTracks[i]);
            ASSERT_FALSE(original.isEmpty());
            EXPECT_TRUE(burnfixtures::ripTrack(copyLetter, i + 1) == original);
        }
    }
};

TEST_F(DuplicatorImagesTest, CopiesEveryTrackBitExactThenSaysDoneAndUnloads)
{
    const QString source = discimages::WriteBinCue(dir.path(), QStringLiteral("source"), fourTracks);
    const QString copy = QDir(dir.path()).filePath(QStringLiteral("copy.cue"));
    setDrives({source, copy});
    FrmAudioCDDuplicator* w = open();
    EXPECT_EQ(w->lblCDStatus->text(), QStringLiteral("OK: 4 CDA tracks"));
    EXPECT_EQ(w->lblFilesToConvert->text(), QStringLiteral("OK: 4 CDA tracks"));
    EXPECT_EQ(column(w->cGrid1, QStringLiteral("Item Name")),
              (QStringList{QStringLiteral("Track01.cda"), QStringLiteral("Track02.cda"), QStringLiteral("Track03.cda"),
                           QStringLiteral("Track04.cda")}));
    EXPECT_EQ(cell(w->cGrid1, 4, COL_FILE), QStringLiteral("D:/Track04.cda"));
    EXPECT_TRUE(w->cmdConvert->isEnabled());
    chooseWriter(w, QStringLiteral("E:"));
    ASSERT_EQ(w->cboDrv->currentText(), QStringLiteral("E: copy.cue"));
    EXPECT_EQ(w->lblState->text(), QStringLiteral("OK - Ready to be burn."));

    QStringList seenLog, seenFiles, ripped;
    acting.onShow = [&](const platform::MessageBoxRequest& r) {
        if (r.prompt.startsWith(QStringLiteral("Done."))) {
            seenLog = logLines(w);
            seenFiles = tempFiles();
            ripped = w->Task->m_colRippedFiles;
        }
    };
    QStringList inBurn;
    QObject::connect(w->cAudioBurner1.get(), &cAudioBurner::CachingTrack, w, [&] {
        if (inBurn.isEmpty())
            inBurn = tempFiles();
    });
    w->cmdConvert_Click();
    ASSERT_TRUE(waitFor([] { return !g_frmAudioCDDuplicator.isLoaded(); }));

    EXPECT_EQ(inBurn, (QStringList{QStringLiteral("1.wav"), QStringLiteral("2.wav"), QStringLiteral("3.wav"), QStringLiteral("4.wav")}));
    EXPECT_EQ(ripped.size(), 4);
    EXPECT_EQ(ripped.value(3), tempFolder() + QStringLiteral("4.wav"));
    ASSERT_EQ(acting.shown.size(), 1);
    EXPECT_EQ(acting.shown[0].prompt, QStringLiteral("Done.") + QString(19, u' '));
    EXPECT_EQ(balloons, QStringList{QStringLiteral("Done.")});
    EXPECT_TRUE(seenFiles.isEmpty());
    EXPECT_TRUE(tempFiles().isEmpty());

    // The log, in order: the ripping of each track, then the writer's stages.
    QStringList expectedStart{QStringLiteral("Preparing to copy: 4 tracks."), QStringLiteral("Destination format: PCM WAV 44100 16 Stereo.")};
    for (int t = 1; t <= 4; ++t)
        expectedStart << QStringLiteral("Start to rip: Track0%1.cda...").arg(t) << QStringLiteral("Done.");
    EXPECT_EQ(seenLog.mid(0, expectedStart.size()), expectedStart);
    EXPECT_TRUE(seenLog.contains(QStringLiteral("Writing track...")));
    EXPECT_TRUE(seenLog.contains(QStringLiteral("Closing session, please wait...")));
    EXPECT_EQ(seenLog.value(seenLog.size() - 1), QStringLiteral("Finished."));

    // The copy: the same track starts and lengths, every track the same samples.
    const Toc original = toc(QStringLiteral("D:")), written = toc(QStringLiteral("E:"));
    EXPECT_EQ(written.starts, original.starts);
    EXPECT_EQ(written.lengths, original.lengths);
    expectSameTracks(QStringLiteral("E:"), QStringLiteral("D:"), {1, 2, 3, 4});
}

// The temporary folder is emptied at the start, after the burn and at the closing; a listed
// drive's disc image kept there (the source itself here) is a disc, never a temporary file.
TEST_F(DuplicatorImagesTest, ADiscImageInTheTemporaryFolderIsNeverErased)
{
    ASSERT_TRUE(QDir().mkpath(tempFolder()));
    const QString source = discimages::WriteBinCue(tempFolder(), QStringLiteral("source"), fourTracks);
    const QByteArray bin = fixtures::readFile(tempFolder() + QStringLiteral("source.bin"));
    const QByteArray sheet = fixtures::readFile(source);
    setDrives({source, QDir(dir.path()).filePath(QStringLiteral("copy.cue"))});
    FrmAudioCDDuplicator* w = open();
    chooseWriter(w, QStringLiteral("E:"));
    w->cmdConvert_Click();
    ASSERT_TRUE(waitFor([] { return !g_frmAudioCDDuplicator.isLoaded(); }));

    EXPECT_EQ(tempFiles(), (QStringList{QStringLiteral("source.bin"), QStringLiteral("source.cue")}));
    EXPECT_TRUE(fixtures::readFile(tempFolder() + QStringLiteral("source.bin")) == bin);
    EXPECT_TRUE(fixtures::readFile(source) == sheet);
    expectSameTracks(QStringLiteral("E:"), QStringLiteral("D:"), {1, 2, 3, 4});
}

TEST_F(DuplicatorImagesTest, OneDriveAsksForAnEmptyDiscAndWritesTheCopyThere)
{
    const QString cue = discimages::WriteBinCue(dir.path(), QStringLiteral("disc"), fourTracks);
    setDrives({cue});
    FrmAudioCDDuplicator* w = open();
    ASSERT_EQ(w->cboDrv->currentText(), QStringLiteral("D: disc.cue"));
    ASSERT_TRUE(w->cmdConvert->isEnabled());

    // The user takes the original out and puts a blank disc in.
    const QString keptCue = QDir(dir.path()).filePath(QStringLiteral("original.cue"));
    const QString keptBin = QDir(dir.path()).filePath(QStringLiteral("original.bin"));
    int prompts = 0;
    QString captionAtPrompt, statusAtPrompt;
    acting.onShow = [&](const platform::MessageBoxRequest& r) {
        if (r.prompt.startsWith(QStringLiteral("Insert"))) {
            ++prompts;
            captionAtPrompt = w->windowTitle();
            statusAtPrompt = w->lblCurrentTrack->text();
            ASSERT_TRUE(QFile::rename(cue, keptCue));
            ASSERT_TRUE(QFile::rename(QDir(dir.path()).filePath(QStringLiteral("disc.bin")), keptBin));
        }
    };
    w->cmdConvert_Click();
    ASSERT_TRUE(waitFor([] { return !g_frmAudioCDDuplicator.isLoaded(); }));

    EXPECT_EQ(prompts, 1);
    // While it asks for a disc the window says it waits for one, not the rips' "Done.".
    EXPECT_EQ(captionAtPrompt, QStringLiteral("Waiting for an empty disc in drive D."));
    EXPECT_EQ(statusAtPrompt, captionAtPrompt);
    ASSERT_GE(acting.shown.size(), 2);
    EXPECT_EQ(acting.shown[0].prompt, QStringLiteral("Insert an empty media to drive D then click on 'OK'.\r\n\r\n"
                                                     "Click on cancel in order to cancel the burn proccess."));
    EXPECT_EQ(acting.shown[0].style, platform::vbOKCancel | platform::vbInformation);
    EXPECT_EQ(acting.shown.last().prompt, QStringLiteral("Done.") + QString(19, u' '));
    // What the drive holds now is the copy, sample for sample the original disc.
    const Toc written = toc(QStringLiteral("D:"));
    ASSERT_EQ(written.starts, discimages::FirstSectors(fourTracks));
    for (int t = 0; t < fourTracks.size(); ++t) {
        SCOPED_TRACE(t + 1);
        EXPECT_TRUE(burnfixtures::ripTrack(QStringLiteral("D:"), t + 1) ==
                    discimages::AudioSectors(written.starts[t], fourTracks[t].sectors));
    }
    QFile originalBin(keptBin), copyBin(QDir(dir.path()).filePath(QStringLiteral("disc.bin")));
    ASSERT_TRUE(originalBin.open(QIODevice::ReadOnly));
    ASSERT_TRUE(copyBin.open(QIODevice::ReadOnly));
    EXPECT_TRUE(originalBin.readAll() == copyBin.readAll());
}

TEST_F(DuplicatorImagesTest, CancelAtThePromptBurnsNothingAndKeepsTheFilesUntilClosing)
{
    const QString source = discimages::WriteBinCue(dir.path(), QStringLiteral("source"), fourTracks);
    const QString full = discimages::WriteBinCue(dir.path(), QStringLiteral("full"), {{true, 30}});
    setDrives({source, full});
    QFile fullBin(QDir(dir.path()).filePath(QStringLiteral("full.bin")));
    ASSERT_TRUE(fullBin.open(QIODevice::ReadOnly));
    const QByteArray before = fullBin.readAll();
    fullBin.close();
    FrmAudioCDDuplicator* w = open();
    chooseWriter(w, QStringLiteral("E:"));
    acting.answer(platform::vbCancel);
    w->cmdConvert_Click();
    ASSERT_TRUE(waitFor([w] { return idle(w); }));

    ASSERT_TRUE(g_frmAudioCDDuplicator.isLoaded());
    ASSERT_EQ(acting.shown.size(), 1);
    EXPECT_TRUE(acting.shown[0].prompt.startsWith(QStringLiteral("Insert an empty media to drive E then")));
    EXPECT_EQ(w->Task->LastOutcome(), DuplicationTask::Outcome::Cancelled);
    EXPECT_TRUE(balloons.isEmpty());
    EXPECT_EQ(logLines(w).last(), QStringLiteral("Cancelled: nothing was burned."));
    for (QWidget* c : std::initializer_list<QWidget*>{w->cmdExit, w->cmdConvert, w->cboDevices, w->cboDrv, w->cmdClose})
        EXPECT_TRUE(c->isEnabled()) << c->objectName().toStdString();
    EXPECT_TRUE(w->tmrState->isActive());
    EXPECT_EQ(tempFiles(), (QStringList{QStringLiteral("1.wav"), QStringLiteral("2.wav"), QStringLiteral("3.wav"), QStringLiteral("4.wav")}));
    ASSERT_TRUE(fullBin.open(QIODevice::ReadOnly));
    EXPECT_TRUE(fullBin.readAll() == before);
    fullBin.close();

    w->cmdExit_Click();
    EXPECT_FALSE(g_frmAudioCDDuplicator.isLoaded());
    EXPECT_TRUE(tempFiles().isEmpty());
    EXPECT_TRUE(QFileInfo(tempFolder()).isDir());
}

// A run cancelled at the prompt keeps its files until the window closes; the next run, of
// another disc whose third track is data, must burn none of them.
TEST_F(DuplicatorImagesTest, ASecondRunBurnsOnlyWhatItRippedItself)
{
    const QString first = discimages::WriteBinCue(dir.path(), QStringLiteral("first"), {{true, 75}, {true, 60}, {true, 90}});
    const QString second =
        discimages::WriteBinCue(dir.path(), QStringLiteral("second"), {{true, 50}, {true, 65}, {false, 30}, {true, 80}});
    const QString full = discimages::WriteBinCue(dir.path(), QStringLiteral("full"), {{true, 30}});
    setDrives({first, second, full, QDir(dir.path()).filePath(QStringLiteral("copy.cue"))});
    FrmAudioCDDuplicator* w = open();
    chooseWriter(w, QStringLiteral("F:"));
    acting.answer(platform::vbCancel);
    w->cmdConvert_Click();
    ASSERT_TRUE(waitFor([w] { return idle(w); }));
    ASSERT_EQ(w->Task->LastOutcome(), DuplicationTask::Outcome::Cancelled);
    ASSERT_EQ(tempFiles(), (QStringList{QStringLiteral("1.wav"), QStringLiteral("2.wav"), QStringLiteral("3.wav")}));
    // The end says what happened, not the "Done." of the last rip.
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Cancelled: nothing was burned."));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Cancelled: nothing was burned."));

    w->cboDevices->setCurrentIndex(1);
    w->cboDevices_Click();
    ASSERT_EQ(w->cGrid1->Rows(), 4);
    chooseWriter(w, QStringLiteral("G:"));
    acting.shown.clear();
    QStringList inBurn;
    QObject::connect(w->cAudioBurner1.get(), &cAudioBurner::CachingTrack, w, [&] {
        if (inBurn.isEmpty())
            inBurn = tempFiles();
    });
    w->cmdConvert_Click();
    ASSERT_TRUE(waitFor([w] { return idle(w); }));
    ASSERT_TRUE(g_frmAudioCDDuplicator.isLoaded());
    EXPECT_EQ(w->Task->LastOutcome(), DuplicationTask::Outcome::TracksFailed);
    // A copy without its data track is no copy: nothing reaches the writer.
    EXPECT_TRUE(inBurn.isEmpty()) << inBurn.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(tempFiles(), (QStringList{QStringLiteral("1.wav"), QStringLiteral("2.wav"), QStringLiteral("4.wav")}));
    EXPECT_FALSE(QFileInfo::exists(QDir(dir.path()).filePath(QStringLiteral("copy.cue"))));
    EXPECT_FALSE(QFileInfo::exists(QDir(dir.path()).filePath(QStringLiteral("copy.bin"))));
    const QString ending = QStringLiteral("1 of 4 tracks failed: nothing was burned; see the log.");
    EXPECT_EQ(logLines(w).last(), ending);
    EXPECT_EQ(w->lblCurrentTrack->text(), ending);
    EXPECT_EQ(w->windowTitle(), ending);
}

TEST_F(DuplicatorImagesTest, ADataTrackIsLoggedNothingIsBurnedAndNoTurnOffIsOffered)
{
    const QList<Track> mixed{{true, 75}, {false, 30}, {true, 60}};
    const QString source = discimages::WriteBinCue(dir.path(), QStringLiteral("mixed"), mixed);
    setDrives({source, QDir(dir.path()).filePath(QStringLiteral("copy.cue"))});
    FrmAudioCDDuplicator* w = open();
    ASSERT_EQ(w->cGrid1->Rows(), 3);
    chooseWriter(w, QStringLiteral("E:"));
    w->chkTurnOffComputer->setChecked(true);
    bool turnOffShown = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (FrmTurnOff* t = g_frmTurnOff.loaded()) {
            turnOffShown = true;
            t->cmdCancel_Click();
        }
    });
    watch.start(10);
    QStringList inBurn;
    QObject::connect(w->cAudioBurner1.get(), &cAudioBurner::CachingTrack, w, [&] {
        if (inBurn.isEmpty())
            inBurn = tempFiles();
    });
    w->cmdConvert_Click();
    ASSERT_TRUE(waitFor([w] { return idle(w); }));

    ASSERT_TRUE(g_frmAudioCDDuplicator.isLoaded());
    const QStringList log = logLines(w);
    const int failed = int(log.indexOf(QStringLiteral("Start to rip: Track02.cda...")));
    ASSERT_GE(failed, 0);
    EXPECT_TRUE(log.value(failed + 1).startsWith(QStringLiteral("Error: "))) << log.value(failed + 1).toStdString();
    EXPECT_TRUE(log.value(failed + 1).endsWith(QStringLiteral("(2)")));
    EXPECT_FALSE(log.contains(QStringLiteral("Finished.")));
    EXPECT_EQ(log.last(), QStringLiteral("1 of 3 tracks failed: nothing was burned; see the log."));
    EXPECT_EQ(w->windowTitle(), log.last());
    EXPECT_EQ(w->Task->LastOutcome(), DuplicationTask::Outcome::TracksFailed);
    // The failed rip left no file behind, and a copy without it left no image on the writer.
    EXPECT_TRUE(inBurn.isEmpty()) << inBurn.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(tempFiles(), (QStringList{QStringLiteral("1.wav"), QStringLiteral("3.wav")}));
    EXPECT_FALSE(turnOffShown);
    EXPECT_TRUE(acting.shown.isEmpty());
    EXPECT_TRUE(balloons.isEmpty());
    EXPECT_TRUE(w->cmdExit->isEnabled());
    EXPECT_TRUE(w->tmrState->isActive());
    EXPECT_FALSE(QFileInfo::exists(QDir(dir.path()).filePath(QStringLiteral("copy.cue"))));
    EXPECT_FALSE(QFileInfo::exists(QDir(dir.path()).filePath(QStringLiteral("copy.bin"))));
}

TEST_F(DuplicatorImagesTest, AbortDuringARipStopsTheChainAndASecondRunStartsAtTrackOne)
{
    // A long first track, so the abort comes while it is being ripped.
    const QString source = discimages::WriteBinCue(dir.path(), QStringLiteral("source"), {{true, 75 * 60}, {true, 40}});
    setDrives({source, QDir(dir.path()).filePath(QStringLiteral("copy.cue"))});
    FrmAudioCDDuplicator* w = open();
    chooseWriter(w, QStringLiteral("E:"));
    acting.answer(platform::vbYes);
    w->cmdConvert_Click();
    EXPECT_FALSE(w->tmrState->isActive());
    w->cmdAbort_Click();
    ASSERT_TRUE(waitFor([w] { return idle(w); }));

    ASSERT_TRUE(g_frmAudioCDDuplicator.isLoaded());
    EXPECT_EQ(acting.shown.value(0).prompt, QStringLiteral("Abort operation?") + QString(38, u' '));
    EXPECT_EQ(balloons, QStringList{QStringLiteral("Aborted.")});
    EXPECT_EQ(logLines(w).last(), QStringLiteral("Aborted."));
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Aborted."));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Aborted."));
    EXPECT_EQ(w->Task->LastOutcome(), DuplicationTask::Outcome::RipAborted);
    EXPECT_TRUE(w->cmdConvert->isEnabled());
    EXPECT_TRUE(w->cmdExit->isEnabled());
    EXPECT_TRUE(w->tmrState->isActive());
    EXPECT_TRUE(tempFiles().isEmpty());  // the track being ripped left nothing
    EXPECT_TRUE(toc(QStringLiteral("E:")).starts.isEmpty());

    // Again, to the end: track 1 first, two files in the list.
    QStringList ripped;
    acting.onShow = [&](const platform::MessageBoxRequest& r) {
        if (r.prompt.startsWith(QStringLiteral("Done.")))
            ripped = w->Task->m_colRippedFiles;
    };
    w->cmdConvert_Click();
    ASSERT_TRUE(waitFor([] { return !g_frmAudioCDDuplicator.isLoaded(); }, 120000));
    EXPECT_EQ(ripped, (QStringList{tempFolder() + QStringLiteral("1.wav"), tempFolder() + QStringLiteral("2.wav")}));
    expectSameTracks(QStringLiteral("E:"), QStringLiteral("D:"), {1, 2});
}

TEST_F(DuplicatorImagesTest, AbortDuringTheBurnLeavesNoImageAndKeepsTheRippedFiles)
{
    const QString source = discimages::WriteBinCue(dir.path(), QStringLiteral("source"), fourTracks);
    setDrives({source, QDir(dir.path()).filePath(QStringLiteral("copy.cue"))});
    FrmAudioCDDuplicator* w = open();
    chooseWriter(w, QStringLiteral("E:"));
    bool asked = false;
    QObject::connect(w->cAudioBurner1.get(), &cAudioBurner::WritingTrack, w, [&] {
        if (asked)
            return;
        asked = true;
        acting.answer(platform::vbYes);
        w->cmdAbort_Click();
    });
    w->cmdConvert_Click();
    ASSERT_TRUE(waitFor([w] { return idle(w); }));

    ASSERT_TRUE(asked);
    ASSERT_TRUE(g_frmAudioCDDuplicator.isLoaded());
    EXPECT_EQ(w->Task->LastOutcome(), DuplicationTask::Outcome::BurnAborted);
    EXPECT_EQ(logLines(w).last(), QStringLiteral("Aborted."));
    EXPECT_FALSE(logLines(w).contains(QStringLiteral("Finished.")));
    EXPECT_EQ(balloons, QStringList{QStringLiteral("Aborted.")});
    EXPECT_EQ(acting.shown.size(), 1);  // the question only, no "Done."
    EXPECT_TRUE(w->cmdConvert->isEnabled());
    EXPECT_TRUE(w->tmrState->isActive());
    // No image, no part file; the ripped files wait for the closing.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
              (QStringList{QStringLiteral("source.bin"), QStringLiteral("source.cue")}));
    EXPECT_EQ(tempFiles().size(), 4);
    w->close();
    EXPECT_TRUE(tempFiles().isEmpty());
}

// A program ended by a signal during a duplication takes the tracks it ripped with it, as it
// takes a part file. The window runs in a child of this test (gtest re-runs the test there),
// which is killed while the writer's disc prompt is up, every track ripped by then; the child
// finds the images and the folder this process made through the environment.
TEST_F(DuplicatorImagesTest, ASignalDuringTheDuplicationLeavesNoRippedTrack)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const bool child = !qEnvironmentVariableIsEmpty("QM_DUPLICATION_FOLDER");
    QTemporaryDir own;
    const QDir shared(child ? qEnvironmentVariable("QM_DUPLICATION_FOLDER") : own.path());
    const QString temp = shared.filePath(QStringLiteral("duptmp")) + QLatin1Char('/');
    if (!child) {
        discimages::WriteBinCue(shared.path(), QStringLiteral("source"), fourTracks);
        discimages::WriteBinCue(shared.path(), QStringLiteral("full"), {{true, 30}});  // no blank disc: the prompt comes
    }
    setDrives({shared.filePath(QStringLiteral("source.cue")), shared.filePath(QStringLiteral("full.cue"))});
    FrmAudioCDDuplicator* w = open();
    chooseWriter(w, QStringLiteral("E:"));
    w->txtToPath->setEditText(temp);

    qputenv("QM_DUPLICATION_FOLDER", shared.path().toUtf8());
    EXPECT_EXIT(
        {
            acting.onShow = [&](const platform::MessageBoxRequest& r) {
                if (!r.prompt.startsWith(QStringLiteral("Insert an empty media")))
                    return;
                if (QDir(temp).entryList({QStringLiteral("*.wav")}, QDir::Files).size() != 4)
                    std::_Exit(3);  // nothing ripped: nothing would be proved
                ::kill(::getpid(), SIGTERM);
                QTest::qWait(30000);
                std::_Exit(0);
            };
            w->cmdConvert_Click();
            QTest::qWait(60000);
            std::_Exit(4);
        },
        testing::KilledBySignal(SIGTERM), "");
    qunsetenv("QM_DUPLICATION_FOLDER");
    EXPECT_EQ(QDir(temp).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot), QStringList());
    EXPECT_TRUE(QFileInfo(temp).isDir());
}

}  // namespace
