// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The duplicator window: its source checks, its writer panel, the task's states and ends, and
// its closing, over image drives and scripted components.
#include "tests/cdtools_duplicator/DuplicatorFixture.h"

#include "batchtools/cProgressBar.h"
#include "cdtools/BurnerDrivePanel.h"
#include "settings/controls/cTabControl.h"
#include "tests/cdtools_burner/FakeAudioBurner.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>

namespace {

QColor textColour(QLabel* l) { return l->palette().color(QPalette::WindowText); }

class FrmAudioCDDuplicatorTest : public DuplicatorTest {};

TEST_F(FrmAudioCDDuplicatorTest, LoadsItsPagesAndTheTemporaryFolder)
{
    setDrives({});
    FrmAudioCDDuplicator* w = open();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Audio CD Duplicator"));
    EXPECT_EQ(w->cmdConvert->text(), QStringLiteral("Duplicate"));
    EXPECT_EQ(w->cTabControl1->tabBar()->tabText(0), QStringLiteral("Duplicator Options    "));
    EXPECT_EQ(w->cTabControl1->tabBar()->tabText(2), QStringLiteral("Log             "));
    EXPECT_EQ(w->txtToPath->currentText(), platform::programFolder() + QStringLiteral("/duptmp/"));
    EXPECT_FALSE(w->txtToPath->isVisibleTo(w));
    EXPECT_FALSE(w->cboTargetFormat->isVisibleTo(w));
    EXPECT_TRUE(w->cboDevices->isVisibleTo(w));
    EXPECT_EQ(w->chkOpenCDdrive->text(), QStringLiteral("Eject the CD door"));
    EXPECT_TRUE(w->chkOpenCDdrive->isChecked());
    EXPECT_FALSE(w->chkOnTheFly->isVisibleTo(w));
    EXPECT_FALSE(w->chkOnTheFly->isChecked());
    EXPECT_FALSE(w->DoOnFly());
    EXPECT_FALSE(w->lblTimeLeft->isVisibleTo(w));
    EXPECT_FALSE(w->lblState->isVisibleTo(w));
    EXPECT_TRUE(w->tmrState->isActive());
    EXPECT_EQ(w->tmrState->interval(), 3000);
}

TEST_F(FrmAudioCDDuplicatorTest, TheSourceCheckFollowsTheDiscOnEveryTick)
{
    const QString cue = discimages::WriteBinCue(dir.path(), QStringLiteral("disc"), {{true, 75}, {true, 30}});
    const QString iso = discimages::WriteIso(dir.path(), QStringLiteral("data"), 20);
    setDrives({cue, iso});
    FrmAudioCDDuplicator* w = open();
    ASSERT_EQ(w->cboDevices->count(), 2);
    EXPECT_EQ(w->lblCDStatus->text(), QStringLiteral("OK: 2 CDA tracks"));
    EXPECT_EQ(textColour(w->lblCDStatus), QColor(0, 0, 0));
    EXPECT_EQ(w->cGrid1->Rows(), 2);
    EXPECT_EQ(w->cGrid1->CurrentRow(), 1);

    // The disc taken out: one tick empties the grid, turns the status red, disables Duplicate.
    const QString away = cue + QStringLiteral(".away");
    ASSERT_TRUE(QFile::rename(cue, away));
    w->tmrState_Timer();
    EXPECT_EQ(w->cGrid1->Rows(), 0);
    EXPECT_EQ(w->lblCDStatus->text(), QStringLiteral("'D:/' is not an Audio CD."));
    EXPECT_EQ(w->lblFilesToConvert->text(), w->lblCDStatus->text());
    EXPECT_EQ(textColour(w->lblCDStatus), QColor(255, 0, 0));
    EXPECT_FALSE(w->cmdConvert->isEnabled());
    // Put back, the next tick enables it again.
    ASSERT_TRUE(QFile::rename(away, cue));
    w->tmrState_Timer();
    EXPECT_EQ(w->lblCDStatus->text(), QStringLiteral("OK: 2 CDA tracks"));
    EXPECT_EQ(textColour(w->lblCDStatus), QColor(0, 0, 0));
    EXPECT_TRUE(w->cmdConvert->isEnabled());
    EXPECT_EQ(cell(w->cGrid1, 2, COL_FILE), QStringLiteral("D:/Track02.cda"));

    // A data disc.
    w->cboDevices->setCurrentIndex(1);
    w->cboDevices_Click();
    EXPECT_EQ(w->lblCDStatus->text(), QStringLiteral("'E:/' is not an Audio CD."));
    EXPECT_EQ(w->cGrid1->Rows(), 0);
    EXPECT_FALSE(w->cmdConvert->isEnabled());

    // Without a usable disc Exit still closes the window.
    w->cmdExit_Click();
    EXPECT_FALSE(g_frmAudioCDDuplicator.isLoaded());
}

TEST_F(FrmAudioCDDuplicatorTest, NoReadingDeviceCannotBeSelected)
{
    setDrives({});
    FrmAudioCDDuplicator* w = open();
    EXPECT_EQ(w->cboDevices->count(), 0);
    EXPECT_EQ(w->lblCDStatus->text(), QStringLiteral("Ready."));  // no check at load
    w->tmrState_Timer();
    EXPECT_EQ(w->lblCDStatus->text(), QStringLiteral("Cannot select '/' as an Audio CD."));
    EXPECT_EQ(textColour(w->lblCDStatus), QColor(255, 0, 0));
    EXPECT_FALSE(w->cmdConvert->isEnabled());
    w->close();
    EXPECT_FALSE(g_frmAudioCDDuplicator.isLoaded());
}

TEST_F(FrmAudioCDDuplicatorTest, TrackRowsAreNamedWithAtLeastTwoDigits)
{
    setDrives({});
    ScriptRipper* r = nullptr;
    ScriptBurner* b = nullptr;
    FrmAudioCDDuplicator* w = openScripted(r, b, 100);
    EXPECT_EQ(w->lblCDStatus->text(), QStringLiteral("OK: 100 CDA tracks"));
    ASSERT_EQ(w->cGrid1->Rows(), 100);
    const std::pair<long, const char*> rows[] = {{1, "Track01.cda"}, {9, "Track09.cda"}, {10, "Track10.cda"}, {100, "Track100.cda"}};
    for (const auto& [row, name] : rows) {
        EXPECT_EQ(cell(w->cGrid1, row, QStringLiteral("Item Name")), QLatin1String(name));
        EXPECT_EQ(cell(w->cGrid1, row, COL_FILE), QStringLiteral("D:/") + QLatin1String(name));
        EXPECT_EQ(cell(w->cGrid1, row, QStringLiteral("Inc")), QString());
    }
    EXPECT_EQ(w->cGrid1->CurrentRow(), 1);
}

TEST_F(FrmAudioCDDuplicatorTest, ADiscGoneWhileListedShowsOneBoxWithTheChecksStopped)
{
    setDrives({});
    ScriptRipper* r = nullptr;
    ScriptBurner* b = nullptr;
    FrmAudioCDDuplicator* w = openScripted(r, b, 3);
    ASSERT_TRUE(w->tmrState->isActive());
    bool pollingWhileShown = true;
    acting.onShow = [&](const platform::MessageBoxRequest&) { pollingWhileShown = w->tmrState->isActive(); };
    // Two counts for the check, one for the listing, then one per row: the second row finds
    // the disc gone.
    r->vanishIn(4);
    w->tmrState_Timer();
    ASSERT_EQ(acting.shown.size(), 1);
    EXPECT_EQ(acting.shown[0].prompt, QStringLiteral("There is no CD in the drive."));
    EXPECT_FALSE(pollingWhileShown);
    EXPECT_TRUE(w->tmrState->isActive());
    EXPECT_EQ(w->lblCDStatus->text(), QStringLiteral("Insert an Audio CD to the CD drive."));
    EXPECT_EQ(w->cGrid1->Rows(), 1);
}

TEST_F(FrmAudioCDDuplicatorTest, TheWriterPanelShowsSpeedsCapacityAndState)
{
    setDrives({});
    FrmAudioCDDuplicator* w = open();
    auto owned = std::make_unique<FakeAudioBurner>();
    FakeAudioBurner* b = owned.get();
    b->drives = {{QStringLiteral("E: Writer"), {7056, 1764}, 703, 80L * 60 * 153535, {}},
                 {QStringLiteral("F: Other"), {5645}, 12, 0, QStringLiteral("The disc is not empty.")},
                 {QStringLiteral("G: Slow"), {}, 0, 0, {}}};
    w->UseComponents(nullptr, std::move(owned));
    EXPECT_EQ(w->DrivePanel->Label1->text(), QStringLiteral("Destination Audio CD:"));
    ASSERT_EQ(w->cboDrv->count(), 3);
    EXPECT_EQ(w->cboDrv->currentText(), QStringLiteral("E: Writer"));

    QStringList speeds;
    for (int i = 0; i < w->cboSpeed->count(); ++i)
        speeds << w->cboSpeed->itemText(i);
    EXPECT_EQ(speeds, (QStringList{QStringLiteral("7056 KB/s (40x)"), QStringLiteral("1764 KB/s (10x)"), QStringLiteral("Max.")}));
    EXPECT_EQ(w->cboSpeed->currentText(), QStringLiteral("Max."));
    EXPECT_EQ(w->cboSpeed->currentData().toLongLong(), 65535);
    EXPECT_EQ(w->cboSpeed->itemData(0).toLongLong(), 7056);
    EXPECT_EQ(w->lblDiskSize->text(), QStringLiteral("703"));
    EXPECT_EQ(w->lblDiskCapacity->text(), QStringLiteral("80 Min"));
    EXPECT_EQ(w->lblState->text(), QStringLiteral("OK - Ready to be burn."));
    EXPECT_EQ(textColour(w->lblState), QColor(0, 128, 0));
    EXPECT_FALSE(w->lblState->font().bold());

    struct Case {
        int entry;
        QStringList speeds;
        const char* state;
        bool ready;
    } cases[] = {
        {1, {QStringLiteral("5645 KB/s (32x)"), QStringLiteral("Max.")}, "The disc is not empty.", false},
        {2, {QStringLiteral("Max.")}, "OK - Ready to be burn.", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        w->cboDrv->setCurrentIndex(c.entry);
        w->cboDrv_Click();
        QStringList got;
        for (int i = 0; i < w->cboSpeed->count(); ++i)
            got << w->cboSpeed->itemText(i);
        EXPECT_EQ(got, c.speeds);
        EXPECT_EQ(w->cboSpeed->currentText(), QStringLiteral("Max."));
        EXPECT_EQ(w->lblState->text(), QLatin1String(c.state));
        EXPECT_EQ(textColour(w->lblState), c.ready ? QColor(0, 128, 0) : QColor(255, 0, 0));
        EXPECT_EQ(w->lblState->font().bold(), !c.ready);
    }

    // The tray buttons act on the chosen writer; "Close CD" closes its tray.
    w->cboDrv->setCurrentIndex(0);
    w->cboDrv_Click();
    b->calls.clear();
    w->cmdOpenDestCD->click();
    w->cmdClose->click();
    EXPECT_EQ(b->calls, (QStringList{QStringLiteral("OpenTray E"), QStringLiteral("CloseTray E")}));
}

TEST_F(FrmAudioCDDuplicatorTest, ATaskRefusesClosingAndASecondStartUntilItsEndHasBeenShown)
{
    setDrives({});
    ScriptRipper* r = nullptr;
    ScriptBurner* b = nullptr;
    FrmAudioCDDuplicator* w = openScripted(r, b, 4);
    r->hold = true;
    w->cmdConvert_Click();
    ASSERT_TRUE(w->TaskRunning());
    EXPECT_EQ(r->wav.SampleRate, 44100);
    EXPECT_EQ(r->wav.Channels, 2);
    EXPECT_EQ(r->wav.BitsPerSample, 16);
    EXPECT_EQ(r->DestinationFormat(), 1);
    EXPECT_EQ(r->DeviceIndex(), 0);
    EXPECT_EQ(w->cTabControl1->SelectedKey(), QStringLiteral("Log"));
    EXPECT_FALSE(w->tmrState->isActive());
    for (QWidget* c : std::initializer_list<QWidget*>{w->cmdExit, w->cmdConvert, w->cboDevices, w->cmdOpenCD, w->cmdCloseCD, w->cboDrv,
                                                      w->cboSpeed, w->cmdOpenDestCD, w->cmdClose})
        EXPECT_FALSE(c->isEnabled()) << c->objectName().toStdString();
    EXPECT_TRUE(w->cmdAbort->isEnabled());

    // Progress of track 2 of 4 at 50 percent.
    r->release();
    ASSERT_TRUE(waitFor([r] { return r->calls.last().startsWith(QStringLiteral("Rip 2")); }, 5000));
    Q_EMIT r->Progress(0);
    EXPECT_EQ(w->lblFilesToConvert->text(), QStringLiteral("Files: 2/4"));
    Q_EMIT r->Progress(50);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Converting... [ 50% / 37.5% ]"));
    EXPECT_EQ(w->prgCurrnet->Value(), 50);

    // The close box refuses, so does a second start.
    w->close();
    w->cmdExit_Click();
    EXPECT_TRUE(g_frmAudioCDDuplicator.isLoaded());
    const int rips = int(r->calls.size());
    w->cmdConvert->setEnabled(true);
    w->cmdConvert_Click();
    EXPECT_EQ(r->calls.size(), rips);

    // The writer's Finished gives the controls back while the burn call is still on the stack:
    // the window must not go, nor start again, until the burn has returned and "Done." shown.
    bool stayed = false, startedAgain = true;
    b->onBurn = [&] {
        Q_EMIT b->WritingTrack();
        Q_EMIT b->Progress(40, 2);
        EXPECT_EQ(w->lblFilesToConvert->text(), QStringLiteral("Files: 2/4"));
        Q_EMIT b->Finished();
        EXPECT_TRUE(w->cmdConvert->isEnabled());
        EXPECT_TRUE(w->cmdExit->isEnabled());
        const int before = int(logLines(w).size());
        w->cmdExit_Click();
        w->cmdConvert_Click();
        stayed = g_frmAudioCDDuplicator.isLoaded();
        startedAgain = logLines(w).size() != before;
        return 0L;
    };
    // The components go with the window: what they saw is taken while "Done." is shown.
    QStringList burned, burnerCalls;
    acting.onShow = [&](const platform::MessageBoxRequest&) {
        burned = b->burned;
        burnerCalls = b->calls;
    };
    r->hold = false;
    r->release();
    ASSERT_TRUE(waitFor([] { return !g_frmAudioCDDuplicator.isLoaded(); }, 10000));
    EXPECT_TRUE(stayed);
    EXPECT_FALSE(startedAgain);
    EXPECT_EQ(burned, (QStringList{tempFolder() + QStringLiteral("1.wav"), tempFolder() + QStringLiteral("2.wav"),
                                      tempFolder() + QStringLiteral("3.wav"), tempFolder() + QStringLiteral("4.wav")}));
    EXPECT_TRUE(burnerCalls.contains(QStringLiteral("Burn E 65535 waiting")));
    ASSERT_EQ(acting.shown.size(), 1);
    EXPECT_EQ(acting.shown[0].prompt, QStringLiteral("Done.") + QString(19, u' '));
}

TEST_F(FrmAudioCDDuplicatorTest, ThePromptRepeatsUntilTheWriterHoldsAnEmptyDisc)
{
    setDrives({});
    ScriptRipper* r = nullptr;
    ScriptBurner* b = nullptr;
    FrmAudioCDDuplicator* w = openScripted(r, b, 2);
    b->state = QStringLiteral("The disc is not empty.");
    int prompts = 0;
    QStringList ripperCalls, burnerCalls;
    acting.onShow = [&](const platform::MessageBoxRequest& req) {
        if (req.prompt.startsWith(QStringLiteral("Insert")) && ++prompts == 3)
            b->state.clear();  // a blank disc at last
        ripperCalls = r->calls;
        burnerCalls = b->calls;
    };
    b->calls.clear();
    w->cmdConvert_Click();
    ASSERT_TRUE(waitFor([] { return !g_frmAudioCDDuplicator.isLoaded(); }, 10000));
    EXPECT_EQ(prompts, 3);
    // The ripper lets go before every look at the writer; the tray opens for every prompt.
    EXPECT_EQ(ripperCalls.filter(QStringLiteral("Shutdown")).size(), 4);
    EXPECT_EQ(burnerCalls.filter(QStringLiteral("OpenTray E")).size(), 4);  // three prompts, then the new disc out
    EXPECT_EQ(burnerCalls.filter(QStringLiteral("Burn ")).size(), 1);
}

TEST_F(FrmAudioCDDuplicatorTest, OnlyACompleteCopyEndsWithDoneEveryOtherEndKeepsTheWindow)
{
    struct Case {
        const char* name;
        std::function<void(ScriptRipper*, ScriptBurner*, FrmAudioCDDuplicator*)> setup;
        DuplicationTask::Outcome outcome;
        const char* lastLog;
        int filesKept;
    };
    const Case cases[] = {
        {"writer error",
         [](ScriptRipper*, ScriptBurner* b, FrmAudioCDDuplicator*) {
             b->onBurn = [b] {
                 Q_EMIT b->Error(3, QStringLiteral("The write failed."));
                 return 3L;
             };
         },
         DuplicationTask::Outcome::WriterError, "Error:The write failed.(3)", 3},
        {"nothing to burn",
         [](ScriptRipper*, ScriptBurner* b, FrmAudioCDDuplicator*) {
             for (int i = 1; i <= 3; ++i)
                 b->refused.insert(tempFolder() + QStringLiteral("%1.wav").arg(i));
         },
         DuplicationTask::Outcome::NothingToBurn, "Nothing to burn.", 3},
        {"aborted burn",
         [this](ScriptRipper*, ScriptBurner* b, FrmAudioCDDuplicator* w) {
             b->onBurn = [this, w] {
                 acting.answer(platform::vbYes);
                 w->cmdAbort_Click();
                 return -1L;
             };
         },
         DuplicationTask::Outcome::BurnAborted, "Aborted.", 3},
        // A copy that lacks a track goes nowhere: the other two stay ripped until the window closes.
        {"failed track", [](ScriptRipper* r, ScriptBurner*, FrmAudioCDDuplicator*) { r->failing.insert(2); },
         DuplicationTask::Outcome::TracksFailed, "1 of 3 tracks failed: nothing was burned; see the log.", 2},
    };
    setDrives({});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptRipper* r = nullptr;
        ScriptBurner* b = nullptr;
        FrmAudioCDDuplicator* w = openScripted(r, b, 3);
        acting.shown.clear();
        balloons.clear();
        bool burned = false;
        if (c.outcome == DuplicationTask::Outcome::TracksFailed)
            b->onBurn = [b, &burned] {
                burned = true;
                Q_EMIT b->Finished();
                return 0L;
            };
        c.setup(r, b, w);
        w->cmdConvert_Click();
        ASSERT_TRUE(waitFor([w] { return idle(w); }, 10000));
        ASSERT_TRUE(g_frmAudioCDDuplicator.isLoaded());
        EXPECT_EQ(w->Task->LastOutcome(), c.outcome);
        EXPECT_EQ(logLines(w).last(), QLatin1String(c.lastLog));
        // Caption and status end on what happened, never on the rips' "Done.".
        EXPECT_EQ(w->lblCurrentTrack->text(), QLatin1String(c.lastLog));
        EXPECT_EQ(w->windowTitle(), QLatin1String(c.lastLog));
        EXPECT_FALSE(balloons.contains(QStringLiteral("Done.")));
        for (const platform::MessageBoxRequest& m : acting.shown)
            EXPECT_FALSE(m.prompt.startsWith(QStringLiteral("Done.")));
        for (QWidget* ctl : std::initializer_list<QWidget*>{w->cmdExit, w->cmdConvert, w->cboDevices, w->cboDrv})
            EXPECT_TRUE(ctl->isEnabled()) << ctl->objectName().toStdString();
        EXPECT_TRUE(w->tmrState->isActive());
        EXPECT_EQ(tempFiles().size(), c.filesKept);
        EXPECT_FALSE(burned);
        w->cmdExit_Click();
        EXPECT_FALSE(g_frmAudioCDDuplicator.isLoaded());
        EXPECT_TRUE(tempFiles().isEmpty());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(FrmAudioCDDuplicatorTest, TheEndActionsRunInsideFinishedInOrder)
{
    setDrives({});
    ScriptRipper* r = nullptr;
    ScriptBurner* b = nullptr;
    FrmAudioCDDuplicator* w = openScripted(r, b, 1);
    w->chkOpenCDdrive->setChecked(true);
    w->chkTurnOffComputer->setChecked(true);
    w->chkOpenDestFolder->setChecked(true);  // never read here
    bool countdown = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (FrmTurnOff* t = g_frmTurnOff.loaded()) {
            countdown = true;
            t->cmdCancel_Click();
        }
    });
    watch.start(10);
    QStringList ripperCallsAtFinish;
    b->onBurn = [&] {
        Q_EMIT b->Finished();
        ripperCallsAtFinish = r->calls;
        return 0L;
    };
    w->cmdConvert_Click();
    ASSERT_TRUE(waitFor([] { return !g_frmAudioCDDuplicator.isLoaded(); }, 10000));
    EXPECT_EQ(ripperCallsAtFinish.last(), QStringLiteral("OpenTray"));  // the source tray
    EXPECT_TRUE(countdown);
}

TEST_F(FrmAudioCDDuplicatorTest, TheHiddenOnTheFlyBoxBurnsTheSourceTracksDirectly)
{
    setDrives({});
    ScriptRipper* r = nullptr;
    ScriptBurner* b = nullptr;
    FrmAudioCDDuplicator* w = openScripted(r, b, 2);
    w->chkOnTheFly->setChecked(true);
    EXPECT_TRUE(w->DoOnFly());
    w->cmdConvert_Click();
    EXPECT_FALSE(w->TaskRunning());
    EXPECT_TRUE(r->calls.filter(QStringLiteral("Rip")).isEmpty());
    EXPECT_EQ(b->burned, (QStringList{QStringLiteral("D:/Track01.cda"), QStringLiteral("D:/Track02.cda")}));
    EXPECT_FALSE(b->calls.contains(QStringLiteral("ClearTracks")));  // kept on this road
    EXPECT_TRUE(g_frmAudioCDDuplicator.isLoaded());
    EXPECT_TRUE(acting.shown.isEmpty());
    EXPECT_TRUE(w->cmdConvert->isEnabled());
}

TEST_F(FrmAudioCDDuplicatorTest, AbortWhileIdleAsksNothing)
{
    setDrives({});
    ScriptRipper* r = nullptr;
    ScriptBurner* b = nullptr;
    FrmAudioCDDuplicator* w = openScripted(r, b, 2);
    w->cmdAbort_Click();
    EXPECT_TRUE(acting.shown.isEmpty());
    EXPECT_FALSE(r->calls.contains(QStringLiteral("Abort")));
    // Answered No during a rip, nothing changes.
    r->hold = true;
    w->cmdConvert_Click();
    acting.answer(platform::vbNo);
    w->cmdAbort_Click();
    EXPECT_EQ(acting.shown.size(), 1);
    EXPECT_FALSE(r->calls.contains(QStringLiteral("Abort")));
    EXPECT_TRUE(w->TaskRunning());
    EXPECT_TRUE(balloons.isEmpty());
}

TEST_F(FrmAudioCDDuplicatorTest, ClosingEmptiesTheTemporaryFolderButLeavesHiddenFilesAndFolders)
{
    setDrives({});
    FrmAudioCDDuplicator* w = open();
    const QDir tmp(tempFolder());
    ASSERT_TRUE(QDir().mkpath(tmp.filePath(QStringLiteral("sub"))));
    for (const char* name : {"1.wav", "notes.txt", ".hidden", "sub/inner.wav"}) {
        QFile f(tmp.filePath(QLatin1String(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
    }
    w->cmdExit_Click();
    EXPECT_FALSE(g_frmAudioCDDuplicator.isLoaded());
    EXPECT_EQ(tmp.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
              (QStringList{QStringLiteral(".hidden"), QStringLiteral("sub")}));
    EXPECT_TRUE(QFileInfo::exists(tmp.filePath(QStringLiteral("sub/inner.wav"))));
}

}  // namespace
