// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "batchtools/cProgressBar.h"
#include "cdtools/BurnerDrivePanel.h"
#include "cdtools/FrmCDBurner.h"
#include "commands/ToolWindows.h"
#include "foundation/AppSettings.h"
#include "foundation/FrmTurnOff.h"
#include "mainwindow/cStatusBar.h"
#include "mainwindow/cSysTray.h"
#include "platform/EndSound.h"
#include "settings/controls/LinkLabel.h"
#include "settings/controls/cTabControl.h"
#include "tests/cdtools_burner/FakeAudioBurner.h"
#include "tests/cdtools_burner/ShownWhole.h"
#include "tests/components_cd/BurnFixtures.h"
#include "tests/itemsgrid/ItemWindowFixture.h"
#include "tests/support/DiscImages.h"
#include "tests/support/FakePower.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>

namespace {

class RecordingSound final : public platform::EndSoundService {
public:
    explicit RecordingSound(QStringList& order) : m_order(order) { platform::setEndSoundService(this); }
    ~RecordingSound() override { platform::setEndSoundService(nullptr); }
    void play(const QString&) override { m_order << QStringLiteral("sound"); }
    void stop() override {}

private:
    QStringList& m_order;
};

class FrmCDBurnerTest : public ItemWindowTest {
protected:
    void SetUp() override
    {
        ItemWindowTest::SetUp();
        ProgramOptions.chkNoticeApp = false;
        ProgramOptions.chkOpenDestFolder = false;
        ProgramOptions.chkPlaySound = false;
        ProgramOptions.chkTurnOffComputer = false;
        RegisterCDBurnerWindow();
    }
    void TearDown() override
    {
        ItemWindowTest::TearDown();
        qputenv("QUILLMERE_DRIVES", "");
    }

    // The window over `files`, all marked, filled as the command fills it.
    FrmCDBurner* open(const QStringList& files)
    {
        makeListOf(QStringLiteral("Songs"), files);
        FrmMain* f = openMain();
        QObject::connect(f->cSysTray1, &cSysTray::BalloonShown, f->cSysTray1,
                         [this](const QString& text, const QString&) { balloons << text; });
        ToolWindow* h = ToolWindows::Load(QStringLiteral("Audio CD Maker"));
        f->CopyGridRows(*f->cGrid1, *h->Grid(), true);
        return g_frmCDBurner.get();
    }
    FakeAudioBurner* fake(FrmCDBurner* w, QList<FakeAudioBurner::Drive> drives = {{QStringLiteral("E: Writer"), {1764}, 703, 737280000, {}}})
    {
        auto owned = std::make_unique<FakeAudioBurner>();
        FakeAudioBurner* raw = owned.get();
        raw->drives = drives;
        raw->roots.insert(QStringLiteral("E"), QStringLiteral("/media/disc"));
        w->UseBurnerComponent(std::move(owned));
        raw->calls.clear();
        return raw;
    }
    QStringList threeFiles()
    {
        return {makeWav(QStringLiteral("one.wav"), fixtures::Pcm{}, 1), makeWav(QStringLiteral("two.wav"), fixtures::Pcm{}, 1),
                makeWav(QStringLiteral("three.wav"), fixtures::Pcm{}, 1)};
    }
    static QStringList logLines(FrmCDBurner* w)
    {
        QStringList out;
        for (QString line : w->txtLog->toPlainText().split(QLatin1Char('\n'))) {
            line.remove(QLatin1Char('\r'));
            const int first = int(line.indexOf(QLatin1Char(':')));
            const int second = first < 0 ? -1 : int(line.indexOf(QLatin1Char(':'), first + 1));
            const int third = second < 0 ? -1 : int(line.indexOf(QLatin1Char(':'), second + 1));
            out << (third < 0 ? line : line.mid(third + 1));
        }
        while (!out.isEmpty() && out.last().isEmpty())
            out.removeLast();
        return out;
    }

    QStringList balloons;
};

TEST_F(FrmCDBurnerTest, LoadsWithTheDrivePanelAndTheStoredTrayOption)
{
    SaveSetting(g_sAppName, QStringLiteral("General"), QStringLiteral("chkOpenCDdrive"), QStringLiteral("1"));
    const QString cue = QDir(sourceFolder).filePath(QStringLiteral("blank.cue"));
    qputenv("QUILLMERE_DRIVES", cue.toUtf8());
    FrmCDBurner* w = open(threeFiles());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Audio CD Burner"));
    EXPECT_EQ(w->cmdConvert->text(), QStringLiteral("Burn"));
    EXPECT_EQ(w->cTabControl1->tabBar()->tabText(0), QStringLiteral("Burner Options   "));
    EXPECT_EQ(w->chkNoticeApp->text(), QStringLiteral("Execute external program "));
    EXPECT_EQ(w->chkPlaySound->text(), QStringLiteral("Play a sound"));
    EXPECT_EQ(w->chkOpenCDdrive->text(), QStringLiteral("Open the CD drive"));
    EXPECT_TRUE(w->chkOpenCDdrive->isChecked());
    EXPECT_EQ(w->lblOpenDestinationDestinationFolder->text(), QStringLiteral("Browse with explorer"));
    EXPECT_FALSE(w->txtToPath->isVisibleTo(w));
    EXPECT_FALSE(w->cboTargetFormat->isVisibleTo(w));
    // The real component over an image drive: a blank 80-minute disc, no speeds.
    EXPECT_EQ(w->DrivePanel->cboDrv->currentText(), QStringLiteral("D: blank.cue"));
    EXPECT_EQ(w->DrivePanel->cboSpeed->currentText(), QStringLiteral("Max."));
    EXPECT_EQ(w->DrivePanel->lblDiskCapacity->text(), QStringLiteral("80 Min"));
    EXPECT_EQ(w->DrivePanel->lblState->text(), QStringLiteral("OK - Ready to be burn."));
    EXPECT_TRUE(w->DrivePanel->cboDrv->isVisibleTo(w));

    // Closing stores the box; with nothing stored it comes up unticked.
    w->chkOpenCDdrive->setChecked(false);
    w->close();
    EXPECT_EQ(GetSetting(g_sAppName, QStringLiteral("General"), QStringLiteral("chkOpenCDdrive")), QStringLiteral("0"));
}

TEST_F(FrmCDBurnerTest, BurnsTheRowsReportsEachEventAndRunsTheEndActionsInOrder)
{
    const QStringList files = threeFiles();
    FrmCDBurner* w = open(files);
    FakeAudioBurner* b = fake(w);
    b->refused.insert(files.at(1));
    QStringList order;
    RecordingSound sound(order);
    struct OrderShell : FakeShell {
        explicit OrderShell(QStringList& o) : m_order(o) {}
        bool open(const QString& t) override
        {
            m_order << QStringLiteral("open:") + t;
            return true;
        }
        bool startProgram(const QString& p, const QStringList&, const QString&) override
        {
            m_order << QStringLiteral("notice:") + p;
            return true;
        }
        QStringList& m_order;
    } orderShell(order);
    ProgramOptions.txtAppNotice = QStringLiteral("notify-prog");
    for (QCheckBox* c : {w->chkPlaySound, w->chkOpenDestFolder, w->chkNoticeApp, w->chkOpenCDdrive, w->chkTurnOffComputer})
        c->setChecked(true);

    w->cmdConvert_Click();
    EXPECT_FALSE(w->cmdConvert->isEnabled());
    EXPECT_TRUE(w->cmdExit->isEnabled());
    EXPECT_EQ(b->burned, (QStringList{files.at(0), files.at(2)}));
    EXPECT_EQ(b->calls, (QStringList{QStringLiteral("Burn E 65535 at once"), QStringLiteral("ClearTracks")}));
    EXPECT_EQ(w->prgTotal->Max(), 2);
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Ready."));
    EXPECT_EQ(w->cTabControl1->SelectedKey(), QStringLiteral("Log"));

    Q_EMIT b->CachingTrack();
    Q_EMIT b->WritingTrack();
    Q_EMIT b->Progress(0, 1);
    EXPECT_EQ(w->lblFilesToConvert->text(), QStringLiteral("Files: 1/3"));
    w->lblFilesToConvert->setText(QStringLiteral("unchanged"));
    Q_EMIT b->Progress(40, 1);  // the same track only moves the bars
    Q_EMIT b->StepProgress(20, 0);
    EXPECT_EQ(w->lblFilesToConvert->text(), QStringLiteral("unchanged"));
    EXPECT_EQ(w->prgCurrnet->Value(), 20);
    Q_EMIT b->ClosingTrack(1);
    Q_EMIT b->Progress(5, 2);
    EXPECT_EQ(w->lblFilesToConvert->text(), QStringLiteral("Files: 2/3"));
    EXPECT_EQ(w->prgTotal->Value(), 2);
    Q_EMIT b->ClosingSession();
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Closing session..."));

    // Exit while burning does nothing.
    w->cmdExit->click();
    EXPECT_TRUE(g_frmCDBurner.isLoaded());

    QTimer::singleShot(0, [&] {
        if (FrmTurnOff* t = g_frmTurnOff.loaded()) {
            order << QStringLiteral("countdown");
            t->cmdCancel_Click();
        }
    });
    Q_EMIT b->Finished();
    EXPECT_TRUE(w->cmdConvert->isEnabled());
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Finished."));
    EXPECT_EQ(w->prgTotal->Value(), 2);
    EXPECT_EQ(logLines(w), (QStringList{QStringLiteral("Preparing to burn: 3 tracks."), QStringLiteral("List the files to burn..."),
                                        QStringLiteral("Cannot add two.wav"), QStringLiteral("Caching track..."),
                                        QStringLiteral("Writing track..."), QStringLiteral("Closing track..."),
                                        QStringLiteral("Closing session..."), QStringLiteral("Finished.")}));
    EXPECT_EQ(order, (QStringList{QStringLiteral("sound"), QStringLiteral("open:/media/disc"), QStringLiteral("notice:notify-prog"),
                                  QStringLiteral("countdown")}));
    EXPECT_EQ(b->calls.mid(2), QStringList{QStringLiteral("OpenTray E")});
    EXPECT_TRUE(balloons.isEmpty());

    // A second burn of the same opening counts its tracks from 1 again; an Error followed by
    // Finished runs the end actions but never the count-down.
    order.clear();
    b->refused.clear();
    w->cmdConvert_Click();
    Q_EMIT b->Progress(0, 1);
    EXPECT_EQ(w->lblFilesToConvert->text(), QStringLiteral("Files: 1/3"));
    Q_EMIT b->Error(3, QStringLiteral("The disc is not empty."));
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Error:The disc is not empty.(3)"));
    EXPECT_EQ(logLines(w).last(), QStringLiteral("Error:The disc is not empty.(3)"));
    EXPECT_TRUE(w->cmdConvert->isEnabled());
    w->cmdConvert->setEnabled(false);
    Q_EMIT b->Finished();
    EXPECT_EQ(order, (QStringList{QStringLiteral("sound"), QStringLiteral("open:/media/disc"), QStringLiteral("notice:notify-prog")}));
    EXPECT_FALSE(g_frmTurnOff.isLoaded());

    // Idle again, Exit closes the window.
    w->cmdExit->click();
    EXPECT_FALSE(g_frmCDBurner.isLoaded());
}

TEST_F(FrmCDBurnerTest, EveryFileRefusedSaysNothingToBurnAndStaysIdle)
{
    const QStringList files = threeFiles();
    FrmCDBurner* w = open(files);
    FakeAudioBurner* b = fake(w);
    for (const QString& f : files)
        b->refused.insert(f);
    w->cmdConvert_Click();
    EXPECT_EQ(logLines(w).filter(QStringLiteral("Cannot add ")).size(), 3);
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown.first().prompt, QStringLiteral("Nothing to burn."));
    EXPECT_TRUE(w->cmdConvert->isEnabled());
    EXPECT_TRUE(b->calls.isEmpty());
}

TEST_F(FrmCDBurnerTest, WithoutAWriterTheBurnIsStillAskedForAndItsErrorGivesTheButtonBack)
{
    qputenv("QUILLMERE_DRIVES", "");
    FrmCDBurner* w = open(threeFiles());
    ASSERT_EQ(w->DrivePanel->cboDrv->count(), 0);
    w->cmdConvert_Click();
    EXPECT_FALSE(w->cmdConvert->isEnabled());
    ASSERT_TRUE(burnfixtures::waitUntil([&] { return w->cmdConvert->isEnabled(); }, 20000));
    EXPECT_TRUE(w->lblCurrentTrack->text().startsWith(QStringLiteral("Error:No CD writer is chosen.("))) << w->lblCurrentTrack->text().toStdString();
    EXPECT_EQ(w->m_bJobError, -1);

    // The same with a scripted component: no letter, the highest speed.
    FakeAudioBurner* b = fake(w, {});
    w->cmdConvert_Click();
    EXPECT_EQ(b->calls.first(), QStringLiteral("Burn  65535 at once"));
}

TEST_F(FrmCDBurnerTest, AbortAnsweredYesStopsTheComponentAndGivesTheButtonBackAtOnce)
{
    FrmCDBurner* w = open(threeFiles());
    FakeAudioBurner* b = fake(w);
    w->cmdAbort_Click();  // idle: nothing
    EXPECT_TRUE(box.shown.isEmpty());
    w->cmdConvert_Click();
    const QStringList logBefore = logLines(w);
    box.answer(platform::vbNo);
    w->cmdAbort_Click();
    EXPECT_FALSE(w->cmdConvert->isEnabled());
    box.answer(platform::vbYes);
    w->cmdAbort_Click();
    ASSERT_EQ(box.shown.size(), 2);
    EXPECT_EQ(box.shown.last().prompt, QStringLiteral("Abort operation?") + QString(38, u' '));
    EXPECT_EQ(b->calls.last(), QStringLiteral("Abort"));
    EXPECT_TRUE(w->cmdConvert->isEnabled());
    EXPECT_EQ(balloons, QStringList{QStringLiteral("Aborted.")});
    EXPECT_EQ(logLines(w), logBefore);
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Ready."));

    // Closing now clears the list, releases the component and stores the box.
    w->chkOpenCDdrive->setChecked(true);
    w->close();
    EXPECT_EQ(b->calls.mid(b->calls.size() - 2), (QStringList{QStringLiteral("ClearTracks"), QStringLiteral("Shutdown")}));
    EXPECT_EQ(GetSetting(g_sAppName, QStringLiteral("General"), QStringLiteral("chkOpenCDdrive")), QStringLiteral("1"));
}

TEST_F(FrmCDBurnerTest, ThreeSourcesBurnedToACueDriveRipBackSampleForSample)
{
    const fixtures::Pcm cd{44100, 2, 16}, small{22050, 1, 8};
    const QString wav = QDir(sourceFolder).filePath(QStringLiteral("cd.wav"));
    const QString mono = QDir(sourceFolder).filePath(QStringLiteral("mono.wav"));
    const QString mp3 = QDir(sourceFolder).filePath(QStringLiteral("tone.mp3"));
    fixtures::writeFile(wav, fixtures::wavBytes(cd, fixtures::pattern(cd, 30000, 5)));
    fixtures::writeFile(mono, fixtures::wavBytes(small, fixtures::sine(small, 20000)));
    burnfixtures::writeMp3(mp3, fixtures::sine(cd, 40000));
    const QString cue = QDir(sourceFolder).filePath(QStringLiteral("disc.cue"));
    qputenv("QUILLMERE_DRIVES", cue.toUtf8());
    FrmCDBurner* w = open({wav, mono, mp3});
    QStringList labels;
    QObject::connect(w->cAudioBurner1.get(), &cAudioBurner::WritingTrack, w, [&] { labels << w->lblCurrentTrack->text(); });

    w->cmdConvert_Click();
    ASSERT_TRUE(burnfixtures::waitUntil([&] { return w->cmdConvert->isEnabled(); }));
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Finished.")) << logLines(w).join(QLatin1Char('\n')).toStdString();
    QStringList want{QStringLiteral("Preparing to burn: 3 tracks."), QStringLiteral("List the files to burn...")};
    for (int t = 0; t < 3; ++t)
        want << QStringLiteral("Caching track...") << QStringLiteral("Writing track...") << QStringLiteral("Closing track...");
    want << QStringLiteral("Closing session...") << QStringLiteral("Finished.");
    EXPECT_EQ(logLines(w), want);
    EXPECT_EQ(labels, (QStringList{QStringLiteral("Writing track..."), QStringLiteral("Writing track..."), QStringLiteral("Writing track...")}));
    EXPECT_EQ(w->lblFilesToConvert->text(), QStringLiteral("Files: 3/3"));
    EXPECT_EQ(w->prgTotal->Value(), 3);

    const QList<QByteArray> sources{fixtures::pattern(cd, 30000, 5), burnfixtures::decodeForCd(mono), burnfixtures::decodeForCd(mp3)};
    for (int t = 1; t <= 3; ++t)
        EXPECT_TRUE(burnfixtures::ripTrack(QStringLiteral("D:"), t) == burnfixtures::padToSector(sources.at(t - 1))) << t;
    // The panel shows the written disc once the drive is chosen again.
    w->DrivePanel->cboDrv_Click();
    EXPECT_EQ(w->DrivePanel->lblState->text(), QStringLiteral("The disc is not empty."));
    EXPECT_TRUE(w->DrivePanel->lblState->font().bold());
}

TEST_F(FrmCDBurnerTest, AnAbortMidBurnLeavesNoImageAndNothingMoreIsReported)
{
    const fixtures::Pcm cd{44100, 2, 16};
    const QString wav = QDir(sourceFolder).filePath(QStringLiteral("long.wav"));
    fixtures::writeFile(wav, fixtures::wavBytes(cd, fixtures::pattern(cd, 44100 * 90, 6)));
    const QString cue = QDir(sourceFolder).filePath(QStringLiteral("disc.cue"));
    qputenv("QUILLMERE_DRIVES", cue.toUtf8());
    FrmCDBurner* w = open({wav});
    bool asked = false;
    QObject::connect(w->cAudioBurner1.get(), &cAudioBurner::Progress, w, [&](int, int) {
        if (!asked) {
            asked = true;
            box.answer(platform::vbYes);
            w->cmdAbort_Click();
        }
    });
    w->cmdConvert_Click();
    ASSERT_TRUE(burnfixtures::waitUntil([&] { return asked; }));
    const QStringList log = logLines(w);
    const QString label = w->lblCurrentTrack->text();
    burnfixtures::waitUntil([] { return false; }, 500);
    EXPECT_TRUE(w->cmdConvert->isEnabled());
    EXPECT_EQ(logLines(w), log);
    EXPECT_EQ(w->lblCurrentTrack->text(), label);
    EXPECT_FALSE(log.contains(QStringLiteral("Finished.")));
    EXPECT_EQ(QDir(sourceFolder).entryList({QStringLiteral("*.cue"), QStringLiteral("*.bin"), QStringLiteral(".*part*")},
                                           QDir::Files | QDir::Hidden),
              QStringList());
}

}  // namespace

namespace {

// What a folder holds, name by name, with each file's bytes.
QMap<QString, QByteArray> folderContents(const QString& folder)
{
    QMap<QString, QByteArray> out;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        out.insert(name, fixtures::readFile(QDir(folder).filePath(name)));
    return out;
}

TEST_F(FrmCDBurnerTest, AWrittenDiscOrADataDriveShowsWhyInRedAndRefusesTheBurnOnce)
{
    const QStringList files = threeFiles();
    const QString written = discimages::WriteBinCue(sourceFolder, QStringLiteral("written"), {{true, 300}});
    const QString iso = QDir(sourceFolder).filePath(QStringLiteral("data.iso"));
    struct Case {
        QString drive;
        const char* state;
        const char* says;
    };
    const Case cases[] = {
        {written, "The disc is not empty.", "is not empty"},
        {iso, "This drive writes data discs only.", "data discs only"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        qputenv("QUILLMERE_DRIVES", c.drive.toUtf8());
        const QMap<QString, QByteArray> before = folderContents(sourceFolder);
        FrmCDBurner* w = open(files);
        EXPECT_EQ(w->DrivePanel->lblState->text(), QLatin1String(c.state));
        EXPECT_EQ(w->DrivePanel->lblState->palette().color(QPalette::WindowText), QColor(0xff, 0, 0));
        EXPECT_TRUE(w->DrivePanel->lblState->font().bold());
        int errors = 0, finished = 0;
        QObject::connect(w->cAudioBurner1.get(), &cAudioBurner::Error, w, [&] { ++errors; });
        QObject::connect(w->cAudioBurner1.get(), &cAudioBurner::Finished, w, [&] { ++finished; });
        w->cmdConvert_Click();
        ASSERT_TRUE(burnfixtures::waitUntil([&] { return w->cmdConvert->isEnabled(); }));
        EXPECT_EQ(errors, 1);
        EXPECT_EQ(finished, 0);
        const QStringList log = logLines(w);
        EXPECT_EQ(log.filter(QStringLiteral("Error:")).size(), 1) << log.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(w->lblCurrentTrack->text().contains(QLatin1String(c.says))) << w->lblCurrentTrack->text().toStdString();
        EXPECT_EQ(w->m_bJobError, -1);
        EXPECT_TRUE(folderContents(sourceFolder) == before);
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        box.shown.clear();
    }
}

// A drive's state and a burn's refusal name the drive, a file and the reason: both labels show
// them whole, and choosing another drive leaves no word of the last burn behind.
TEST_F(FrmCDBurnerTest, LongStatesAndRefusalsAreShownWholeAndGoWithTheDrive)
{
    const QStringList files = threeFiles();
    const QString there = QDir(sourceFolder).filePath(QStringLiteral("a disc image of a rather long name.cue"));
    fixtures::writeFile(QDir(sourceFolder).filePath(QStringLiteral("a disc image of a rather long name.bin")), QByteArray(2352, 'B'));
    const QString blank = QDir(sourceFolder).filePath(QStringLiteral("blank.cue"));
    qputenv("QUILLMERE_DRIVES", (there + QLatin1Char(':') + blank).toUtf8());
    FrmCDBurner* w = open(files);
    w->show();
    w->repaint();  // as the user sees it
    QLabel* state = w->DrivePanel->lblState;
    ASSERT_TRUE(state->text().endsWith(QStringLiteral("already exists; the image would replace it."))) << state->text().toStdString();
    EXPECT_SHOWN_WHOLE(state);

    w->cmdConvert_Click();
    ASSERT_TRUE(burnfixtures::waitUntil([&] { return w->cmdConvert->isEnabled(); }));
    ASSERT_TRUE(w->lblCurrentTrack->text().endsWith(QStringLiteral("already exists; the image would replace it.(3)")))
        << w->lblCurrentTrack->text().toStdString();
    QCoreApplication::processEvents();
    w->repaint();
    EXPECT_SHOWN_WHOLE(w->lblCurrentTrack);

    w->DrivePanel->cboDrv->setCurrentIndex(1);
    Q_EMIT w->DrivePanel->cboDrv->activated(1);
    EXPECT_EQ(state->text(), QStringLiteral("OK - Ready to be burn."));
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Ready."));
    w->cTabControl1->SelectTab(QStringLiteral("Settings"));
    w->cTabControl1_TabClick(w->cTabControl1->TabIndex(QStringLiteral("Settings")));
    w->repaint();
    EXPECT_SHOWN_WHOLE(state);
    EXPECT_SHOWN_WHOLE(w->lblCurrentTrack);
    // Short again, the status is back in its own place beside the count.
    EXPECT_FALSE(w->lblCurrentTrack->geometry().intersects(w->lblFilesToConvert->geometry()));
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
