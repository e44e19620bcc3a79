// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The ripper window opened by the "Audio CD Ripper" command on a drive node: its load, the disc
// check, the task over the real ripper on disc images (bit-exact files) and over a scripted one
// (questions, abort, errors, end-of-task actions), and the program started through Main.
#include "tests/cdtools/CDFixture.h"

#include "batchtools/cProgressBar.h"
#include "cdtools/FrmCDRipper.h"
#include "commands/ToolWindows.h"
#include "components/cAudioCDRipper.h"
#include "foundation/FrmTurnOff.h"
#include "foundation/mdlFunctions.h"
#include "foundation/mdlMain.h"
#include "mainwindow/cStatusBar.h"
#include "mainwindow/cSysTray.h"
#include "platform/Clock.h"
#include "settings/OutputFormatOptions.h"
#include "settings/controls/LinkLabel.h"
#include "settings/controls/cTabControl.h"
#include "tests/cdtools/FakeRipSession.h"
#include "tests/components/WavFixtures.h"
#include "tests/support/FakePower.h"
#include "tests/support/ModalWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include <ostream>

#include <unistd.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

using discimages::Track;

const QString kTitle = QStringLiteral("Quillmere 1.2");

class RipperWindow : public CDFixture {
protected:
    void SetUp() override
    {
        CDFixture::SetUp();
        m_formats = OutputFormatOptions;
        OutputFormatOptions.cboSamplesWAV = 44100;
        OutputFormatOptions.cboBitrateWAV = 16;
        OutputFormatOptions.cboChannelsWAV = 1;
        ProgramOptions.txtTagTrack = QStringLiteral("[TRACK_NUM]");
        ProgramOptions.txtTagAlbum = QStringLiteral("Live [YEAR]");
        outFolder = dir.filePath(QStringLiteral("Out"));
        QDir().mkpath(outFolder);
    }
    void TearDown() override
    {
        OutputFormatOptions = m_formats;
        CDFixture::TearDown();
    }

    // Twelve audio tracks of a little over two seconds each, every one a different length.
    QList<Track> twelveTracks() const
    {
        QList<Track> tracks;
        for (int t = 1; t <= 12; ++t)
            tracks << Track{true, 150 + 15 * t};
        return tracks;
    }

    // The main window on `drives`, the drive node `node` listed with only `marked` ticked, and
    // the ripper opened on it by the command, taken out of its modal show but left loaded.
    FrmCDRipper* openOn(const QStringList& drives, int node, const QList<long>& marked)
    {
        setDrives(drives);
        FrmMain* f = loadMain();
        QObject::connect(f->cSysTray1, &cSysTray::BalloonShown, f->cSysTray1,
                         [this](const QString& text, const QString& title) { balloons << text + QLatin1Char('|') + title; });
        click(f, driveNode(node));
        for (long r = 1; r <= f->cGrid1->Rows(); ++r)
            mark(f->cGrid1, r, marked.contains(r));
        QTimer::singleShot(0, [] {
            if (FrmCDRipper* w = g_frmCDRipper.loaded())
                w->hide();
        });
        f->RunCommand(QStringLiteral("Audio CD Ripper"));
        FrmCDRipper* w = g_frmCDRipper.loaded();
        if (w) {
            w->txtToPath->setEditText(outFolder + QLatin1Char('/'));
            selectFormat(w, "WAV");
        }
        return w;
    }

    static void selectFormat(FrmCDRipper* w, const char* code)
    {
        w->cboTargetFormat->setCurrentIndex(w->cboTargetFormat->findText(QLatin1String(code), Qt::MatchStartsWith));
    }
    static void mark(cGrid* g, long row, bool on)
    {
        g->SetCell(row, g->ColumnIndex(ItemRow::COL_INC), std::nullopt, 0x40020, on ? ItemRow::kMarked : ItemRow::kUnmarked);
    }
    static void setCell(FrmCDRipper* w, long row, const QString& key, const QString& text)
    {
        w->cGrid1->SetCell(row, w->cGrid1->ColumnIndex(key), text);
    }

    FakeRipSession* fake(FrmCDRipper* w)
    {
        auto owned = std::make_unique<FakeRipSession>();
        FakeRipSession* raw = owned.get();
        w->UseRipper(std::move(owned));
        raw->calls.clear();
        return raw;
    }

    static bool waitIdleWindow(FrmCDRipper* w, int ms = 60000)
    {
        return QTest::qWaitFor([w] { return w->cmdConvert->isEnabled(); }, ms);
    }

    // The log's messages without their times ("14:05:09:message").
    static QStringList logLines(FrmCDRipper* w)
    {
        QStringList out;
        for (QString line : w->txtLog->toPlainText().split(QLatin1Char('\n'))) {
            line.remove(QLatin1Char('\r'));
            int cut = -1;
            for (int i = 0; i < 3 && (cut = line.indexOf(QLatin1Char(':'), cut + 1)) >= 0;)
                ++i;
            out << (cut < 0 ? line : line.mid(cut + 1));
        }
        while (!out.isEmpty() && out.last().isEmpty())
            out.removeLast();
        return out;
    }

    // The sample data of the image's sectors for track `t` (from 1), `skip` and `count` sectors.
    QByteArray trackBytes(const QList<Track>& tracks, int t, int skip = 0, int count = -1) const
    {
        const int first = discimages::FirstSectors(tracks).at(t - 1);
        return discimages::AudioSectors(first + skip, count < 0 ? tracks.at(t - 1).sectors - skip : count);
    }

    QString outFolder;
    QStringList balloons;

private:
    OutputFormatOptionsData m_formats;
};

TEST_F(RipperWindow, LoadsWithItsOwnTextsAndTheDriveOfTheNode)
{
    const QString iso = discimages::WriteIso(dir.path(), QStringLiteral("data"), 150);
    const QString cue = discimages::WriteBinCue(dir.path(), QStringLiteral("twelve"), twelveTracks());
    FrmCDRipper* w = openOn({iso, cue}, 1, {3, 7});
    ASSERT_NE(w, nullptr);

    EXPECT_EQ(w->windowTitle(), QStringLiteral("Audio CD Ripper"));
    EXPECT_EQ(w->lblTitle->text(), QStringLiteral("Audio CD Ripper"));
    EXPECT_EQ(w->cmdConvert->text(), QStringLiteral("Rip"));
    ASSERT_EQ(w->cTabControl1->TabCount(), 3);
    EXPECT_EQ(w->cTabControl1->tabBar()->tabText(0), QStringLiteral("Ripper Options    "));
    EXPECT_TRUE(w->TabSettings->isVisibleTo(w));
    EXPECT_EQ(w->Label1->text(), QStringLiteral("Audio CD:"));
    EXPECT_EQ(w->cmdOpenCD->text(), QStringLiteral("Open"));
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Ready."));
    EXPECT_EQ(w->lblTimeLeft->text(), QStringLiteral("Time Left: 00:00:00"));
    EXPECT_EQ(w->chkPlaySound->text(), QStringLiteral("Play a sound"));
    EXPECT_EQ(w->chkNoticeApp->text(), QStringLiteral("Execute external program"));
    EXPECT_EQ(w->chkOpenDestFolder->text(), QStringLiteral("Open the destination folder"));
    EXPECT_EQ(w->chkTurnOffComputer->text(), QStringLiteral("Turn off computer"));
    EXPECT_EQ(w->chkOverWrite->text(), QStringLiteral("Overwrite existing files"));
    EXPECT_EQ(w->chkOpenCDdrive->text(), QStringLiteral("Eject the CD door"));
    EXPECT_FALSE(w->chkOverWrite->isChecked());
    EXPECT_FALSE(w->chkOpenCDdrive->isChecked());
    EXPECT_EQ(w->chkOpenCDdrive->parentWidget(), w->TabEvents);

    // The command's hand-over: every track with its mark, the node's drive chosen and locked.
    EXPECT_EQ(w->lblFilesToConvert->text(), QStringLiteral("2 items to convert."));
    EXPECT_EQ(w->g_ltmrItemSecsTotal, 2 + 3);  // tracks 3 and 7 are 195 and 255 sectors
    EXPECT_EQ(w->txtUndeForlder->text(), MakeSafeName(QStringLiteral("E:")));
    ASSERT_EQ(w->cGrid1->Rows(), 12);
    for (long r = 1; r <= 12; ++r)
        EXPECT_EQ(icon(w->cGrid1, r, ItemRow::COL_INC), r == 3 || r == 7 ? 1 : 0) << r;
    EXPECT_EQ(cell(w->cGrid1, 12, COL_FILE), QStringLiteral("E:/Track12.cda"));
    EXPECT_EQ(w->cGrid1->model().ImageList(), &frmMain->imgGrid);
    ASSERT_EQ(w->cboDevices->count(), 2);
    EXPECT_EQ(w->cboDevices->itemText(0), QStringLiteral("D: data.iso"));
    EXPECT_EQ(w->cboDevices->itemText(1), QStringLiteral("E: twelve.cue"));
    EXPECT_EQ(w->cboDevices->currentIndex(), 1);
    EXPECT_FALSE(w->cboDevices->isEnabled());
    EXPECT_FALSE(w->cmdOpenCD->isEnabled());
    EXPECT_EQ(w->lblCDStatus->text(), QStringLiteral("OK: 12 CDA tracks"));
    EXPECT_EQ(w->lblCDStatus->palette().color(QPalette::WindowText), QColor(0, 0, 0));

    // The estimate's counters start at 0; the converter windows' templates, the second chosen.
    EXPECT_EQ(w->m_lTimerTicks, 0);
    EXPECT_EQ(w->m_lFinishedSecs, 0);
    EXPECT_EQ(w->Timer1->interval(), 1000);
    EXPECT_EQ(w->cboFileName->count(), 6);
    EXPECT_EQ(w->cboFileName->currentText(), QStringLiteral("[file_name].[source_extension].[dest_extension]"));
    EXPECT_TRUE(w->lblSetAsDefaultFileName->isEnabled());
    EXPECT_FALSE(w->txtUndeForlder->isEnabled());

    // Closing lets go of the drive.
    w->cmdExit_Click();
    EXPECT_FALSE(g_frmCDRipper.isLoaded());
}

TEST_F(RipperWindow, TheDiscCheckNamesTheFirstTestThatFails)
{
    const QString cue = discimages::WriteBinCue(dir.path(), QStringLiteral("one"), {{true, 75}});
    FrmCDRipper* w = openOn({cue}, 0, {1});
    ASSERT_NE(w, nullptr);
    auto owned = std::make_unique<FakeRipSession>();
    FakeRipSession* r = owned.get();
    r->drives = {{QStringLiteral("D: fine"), true, true, 5},
                 {QStringLiteral("E: locked"), false, true, 5},
                 {QStringLiteral("F: data"), true, false, 1},
                 {QStringLiteral("G: blank"), true, true, 0}};
    w->UseRipper(std::move(owned));
    // The load's choice of the first entry checked its disc.
    EXPECT_EQ(w->lblCDStatus->text(), QStringLiteral("OK: 5 CDA tracks"));

    struct Case {
        int entry;
        const char* text;
        QColor color;
    } cases[] = {
        {1, "Cannot select 'E:/' as an Audio CD.", QColor(255, 0, 0)},
        {2, "'F:/' is not an Audio CD.", QColor(255, 0, 0)},
        {3, "'G:/' has no CDA tracks.", QColor(255, 0, 0)},
        {0, "OK: 5 CDA tracks", QColor(0, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        w->cboDevices->setCurrentIndex(c.entry);
        EXPECT_EQ(w->lblCDStatus->text(), QLatin1String(c.text));
        EXPECT_EQ(w->lblCDStatus->palette().color(QPalette::WindowText), c.color);
        // The check only informs.
        EXPECT_TRUE(w->cmdConvert->isEnabled());
    }

    // "Open" opens the tray of the drive checked last and checks nothing afterwards.
    w->cboDevices->setCurrentIndex(2);
    r->calls.clear();
    w->cmdOpenCD_Click();
    EXPECT_EQ(r->calls, QStringList{QStringLiteral("OpenTray 2")});
    EXPECT_EQ(w->lblCDStatus->text(), QStringLiteral("'F:/' is not an Audio CD."));

    // No drive at all: the list stays empty, and a task asks the ripper for drive -1, which it
    // refuses with an Error the task logs and passes over.
    setDrives({});
    w->UseRipper(CreateAudioCDRipper());
    EXPECT_EQ(w->cboDevices->count(), 0);
    EXPECT_EQ(w->lblCDStatus->text(), QStringLiteral("Ready."));
    w->cmdConvert_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->lblCurrentTrack->text() == QLatin1String("1 of 1 tracks failed; see the log."); }, 10000));
    const QStringList log = logLines(w);
    ASSERT_EQ(log.size(), 5);
    EXPECT_EQ(log.at(2), QStringLiteral("Start to rip: Track01.cda..."));
    EXPECT_EQ(log.at(3), QStringLiteral("Error: No CD drive is selected: track 1 was not ripped.(2)"));
    EXPECT_EQ(log.at(4), QStringLiteral("1 of 1 tracks failed; see the log."));
    EXPECT_EQ(w->m_bJobError, -1);
}

TEST_F(RipperWindow, RipsTheMarkedTracksOfATwelveTrackDiscBitExact)
{
    const QList<Track> tracks = twelveTracks();
    const QString cue = discimages::WriteBinCue(dir.path(), QStringLiteral("twelve"), tracks);
    FrmCDRipper* w = openOn({cue}, 0, {3, 7});
    ASSERT_NE(w, nullptr);
    w->cboFileName->setCurrentIndex(0);  // "[file_name].[dest_extension]"
    // Track 3 from its second second for one second; track 7 whole.
    setCell(w, 3, COL_RANGE_ALL, QStringLiteral("0"));
    setCell(w, 3, COL_RANGE_START_TIME, QStringLiteral("1"));
    setCell(w, 3, COL_RANGE_LENGTH_TIME, QStringLiteral("1"));
    QStringList filesLabels;
    QObject::connect(w->cAudioCDRipper1.get(), &cAudioCDRipper::Progress, w, [&] {
        if (!filesLabels.contains(w->lblFilesToConvert->text()))
            filesLabels << w->lblFilesToConvert->text();
    });

    w->cmdConvert_Click();
    EXPECT_FALSE(w->cmdConvert->isEnabled());
    EXPECT_TRUE(w->TabLog->isVisibleTo(w));
    EXPECT_EQ(w->prgTotal->Max(), 1200);
    ASSERT_TRUE(waitIdleWindow(w));
    QTest::qWait(50);

    EXPECT_EQ(logLines(w), (QStringList{QStringLiteral("Preparing to rip: 12 tracks."), QStringLiteral("Destination format: WAV"),
                                        QStringLiteral("Start to rip: Track03.cda..."), QStringLiteral("Done."),
                                        QStringLiteral("Start to rip: Track07.cda..."), QStringLiteral("Done.")}));
    EXPECT_EQ(filesLabels, (QStringList{QStringLiteral("Files: 3/12"), QStringLiteral("Files: 7/12")}));
    EXPECT_EQ(w->lblFilesToConvert->text(), QStringLiteral("Files: 7/12"));
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Done."));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Done."));
    EXPECT_EQ(w->prgTotal->Value(), 1200);
    EXPECT_EQ(w->prgCurrnet->Value(), 100);
    EXPECT_FALSE(w->Timer1->isActive());
    EXPECT_EQ(balloons, QStringList{QStringLiteral("Done.|") + kTitle});
    EXPECT_EQ(w->m_lFinishedSecs, 1 + 3);  // the range, then track 7's "Time"

    EXPECT_EQ(fixtures::folderEntries(outFolder), (QStringList{QStringLiteral("Track03.wav"), QStringLiteral("Track07.wav")}));
    const auto three = fixtures::parseWavFile(outFolder + QStringLiteral("/Track03.wav"));
    const auto seven = fixtures::parseWavFile(outFolder + QStringLiteral("/Track07.wav"));
    ASSERT_TRUE(three && seven);
    EXPECT_EQ(three->pcm, (fixtures::Pcm{44100, 2, 16}));
    EXPECT_EQ(seven->pcm, (fixtures::Pcm{44100, 2, 16}));
    EXPECT_TRUE(three->data == trackBytes(tracks, 3, 75, 75)) << three->data.size();
    EXPECT_TRUE(seven->data == trackBytes(tracks, 7)) << seven->data.size();
    // The last tags handed over are track 7's own number.
    EXPECT_EQ(w->cAudioCDRipper1->TagTrack(), QStringLiteral("7"));
}

// A run whose rows all fail, or some of them, says so where a good run says "Done.". The
// destination lies under an ordinary file, so no one (root included) can write there.
TEST_F(RipperWindow, FailedRowsAreCountedAtTheEndNotCalledDone)
{
    const QList<Track> tracks{{true, 160}, {true, 170}, {true, 180}};
    const QString cue = discimages::WriteBinCue(dir.path(), QStringLiteral("three"), tracks);
    const QString blocker = dir.filePath(QStringLiteral("not-a-folder"));
    ASSERT_TRUE(fixtures::writeFile(blocker, "x"));
    FrmCDRipper* w = openOn({cue}, 0, {1, 2, 3});
    ASSERT_NE(w, nullptr);
    w->cboFileName->setCurrentIndex(0);
    w->txtToPath->setEditText(blocker + QStringLiteral("/Out/"));

    w->cmdConvert_Click();
    ASSERT_TRUE(waitIdleWindow(w));
    QTest::qWait(50);
    const QString ending = QStringLiteral("3 of 3 tracks failed; see the log.");
    EXPECT_EQ(w->lblCurrentTrack->text(), ending);
    EXPECT_EQ(w->windowTitle(), ending);
    EXPECT_EQ(balloons, QStringList{ending + QLatin1Char('|') + kTitle});
    EXPECT_EQ(logLines(w).filter(QStringLiteral("Error: ")).size(), 3) << logLines(w).join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(logLines(w).last(), ending);
    EXPECT_EQ(w->prgCurrnet->Value(), 0);

    // One row of three failing: the same ending with its own count; the good rows are written.
    w->txtToPath->setEditText(outFolder + QLatin1Char('/'));
    ASSERT_TRUE(QDir().mkpath(outFolder + QStringLiteral("/Track02.wav")));  // a folder where the file goes
    balloons.clear();
    w->cmdConvert_Click();
    ASSERT_TRUE(waitIdleWindow(w));
    QTest::qWait(50);
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("1 of 3 tracks failed; see the log."));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("1 of 3 tracks failed; see the log."));
    EXPECT_TRUE(QFileInfo(outFolder + QStringLiteral("/Track01.wav")).isFile());
    EXPECT_TRUE(QFileInfo(outFolder + QStringLiteral("/Track03.wav")).isFile());
}

// Overwriting allowed or not, a row whose file is the disc's own (a link to the data file or the
// cue sheet, a hard link) fails with a reason and leaves the disc whole; the other rows go on.
TEST_F(RipperWindow, ARowWhoseFileIsTheDiscItselfFailsAndTheDiscStays)
{
    const QList<Track> tracks{{true, 160}, {true, 170}, {true, 180}, {true, 190}};
    const QString cue = discimages::WriteBinCue(dir.path(), QStringLiteral("four"), tracks);
    const QString bin = dir.filePath(QStringLiteral("four.bin"));
    const QByteArray binBefore = fixtures::readFile(bin), cueBefore = fixtures::readFile(cue);
    ASSERT_TRUE(QFile::link(bin, outFolder + QStringLiteral("/Track01.wav")));
    ASSERT_EQ(::link(QFile::encodeName(bin).constData(), QFile::encodeName(outFolder + QStringLiteral("/Track02.wav")).constData()), 0);
    ASSERT_TRUE(QFile::link(cue, outFolder + QStringLiteral("/Track03.wav")));
    FrmCDRipper* w = openOn({cue}, 0, {1, 2, 3, 4});
    ASSERT_NE(w, nullptr);
    w->cboFileName->setCurrentIndex(0);  // "[file_name].[dest_extension]"
    w->chkOverWrite->setChecked(true);

    w->cmdConvert_Click();
    ASSERT_TRUE(waitIdleWindow(w));
    QTest::qWait(50);
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("3 of 4 tracks failed; see the log."));
    const QStringList errors = logLines(w).filter(QStringLiteral("Error: "));
    ASSERT_EQ(errors.size(), 3) << logLines(w).join(QLatin1Char('\n')).toStdString();
    for (const QString& e : errors)
        EXPECT_TRUE(e.contains(QStringLiteral("of the disc in the drive 'D: four.cue'"))) << e.toStdString();
    EXPECT_TRUE(errors.at(2).contains(QStringLiteral("is the file '%1'").arg(cue))) << errors.at(2).toStdString();
    EXPECT_TRUE(fixtures::readFile(bin) == binBefore);
    EXPECT_TRUE(fixtures::readFile(cue) == cueBefore);
    EXPECT_TRUE(QFileInfo(outFolder + QStringLiteral("/Track01.wav")).isSymLink());
    const auto four = fixtures::parseWavFile(outFolder + QStringLiteral("/Track04.wav"));
    ASSERT_TRUE(four);
    EXPECT_TRUE(four->data == trackBytes(tracks, 4));
}

TEST_F(RipperWindow, AnExistingFileIsOverwrittenSkippedOrEndsTheTask)
{
    const QString cue = discimages::WriteBinCue(dir.path(), QStringLiteral("twelve"), twelveTracks());
    FrmCDRipper* w = openOn({cue}, 0, {3, 7});
    ASSERT_NE(w, nullptr);
    w->cboFileName->setCurrentIndex(0);
    const QString existing = outFolder + QStringLiteral("/Track03.wav");
    ASSERT_TRUE(fixtures::writeFile(existing, "kept"));
    const QString question = QStringLiteral("The file: '") + existing + QStringLiteral("' already exists.\r\n\r\nOverwrite it?");

    struct Case {
        int answer;      // 0: the box is ticked, nothing is asked
        QList<long> ripped;
        QStringList log;  // after "Destination format: WAV"
        const char* ending;
    } cases[] = {
        {platform::vbYes, {3, 7},
         {"Start to rip: Track03.cda...", "File already exists.", "Overwrite it...", "Done.", "Start to rip: Track07.cda...", "Done."},
         "Done."},
        {platform::vbNo, {7},
         {"Start to rip: Track03.cda...", "File already exists.", "Start to rip: Track07.cda...", "Done."},
         "Done."},
        {platform::vbCancel, {}, {"Start to rip: Track03.cda...", "File already exists.", "Aborted."}, "Aborted."},
        {0, {3, 7}, {"Start to rip: Track03.cda...", "Done.", "Start to rip: Track07.cda...", "Done."}, "Done."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        FakeRipSession* r = fake(w);
        w->txtLog->clear();
        balloons.clear();
        box.shown.clear();
        w->chkOverWrite->setChecked(c.answer == 0);
        if (c.answer != 0)
            box.answer(c.answer);
        w->cmdConvert_Click();
        ASSERT_TRUE(waitIdleWindow(w, 5000));
        QTest::qWait(20);

        QList<long> ripped;
        for (const FakeRipSession::Job& j : r->rips)
            ripped << j.track;
        EXPECT_EQ(ripped, c.ripped);
        if (!r->rips.isEmpty()) {
            EXPECT_EQ(r->rips.first().output, c.ripped.first() == 3 ? existing : outFolder + QStringLiteral("/Track07.wav"));
        }
        EXPECT_EQ(logLines(w).mid(2), c.log);
        EXPECT_EQ(w->lblCurrentTrack->text(), QLatin1String(c.ending));
        EXPECT_EQ(w->windowTitle(), QLatin1String(c.ending));
        EXPECT_EQ(balloons, QStringList{QLatin1String(c.ending) + QLatin1Char('|') + kTitle});
        ASSERT_EQ(box.shown.size(), c.answer == 0 ? 0 : 1);
        if (c.answer != 0) {
            EXPECT_EQ(box.shown.at(0).prompt, question);
            EXPECT_EQ(box.shown.at(0).style, platform::vbInformation | platform::vbYesNoCancel);
        }
    }
    EXPECT_EQ(fixtures::readFile(existing), QByteArray("kept"));  // the scripted ripper writes nothing
}

TEST_F(RipperWindow, AbortEndsTheTaskAndEndActionsRunWithTheDoorBeforeTheCountDown)
{
    // A template that names files by the item: its "/" must not make a folder.
    ASSERT_TRUE(fixtures::writeFile(FileNameFormatsPath(), "[file_name].[dest_extension]\r\n[123] - [item_name].[dest_extension]\r\n"));
    const QString cue = discimages::WriteBinCue(dir.path(), QStringLiteral("twelve"), twelveTracks());
    FrmCDRipper* w = openOn({cue}, 0, {3, 7});
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->cboFileName->currentIndex(), 1);
    setCell(w, 7, ItemRow::COL_ITEM_NAME, QStringLiteral("AC/DC Live"));
    setCell(w, 3, COL_RANGE_ALL, QStringLiteral("0"));
    setCell(w, 3, COL_RANGE_START_TIME, QStringLiteral("1"));
    setCell(w, 3, COL_RANGE_LENGTH_TIME, QStringLiteral("1"));
    selectFormat(w, "MP3");
    FakeRipSession* r = fake(w);

    // Abort while track 3 is ripped: the balloon at once, the rest when the ripper has stopped.
    r->script = {FakeRipSession::hold()};
    w->chkOpenCDdrive->setChecked(true);
    w->cmdConvert_Click();
    r->progress(50);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Converting... [ 50% / 20.8333333333333% ]"));
    EXPECT_EQ(w->lblFilesToConvert->text(), QStringLiteral("Files: 3/12"));
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Track03.cda"));
    w->close();  // refused while ripping
    EXPECT_TRUE(g_frmCDRipper.isLoaded());
    box.answer(platform::vbYes);
    w->cmdAbort_Click();
    EXPECT_EQ(balloons, QStringList{QStringLiteral("Aborted.|") + kTitle});
    EXPECT_FALSE(w->Timer1->isActive());
    ASSERT_TRUE(waitIdleWindow(w, 5000));
    QTest::qWait(20);
    EXPECT_EQ(logLines(w).last(), QStringLiteral("Aborted."));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Aborted."));
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Aborted."));
    EXPECT_EQ(r->rips.size(), 1);  // not resumed
    EXPECT_FALSE(r->calls.contains(QStringLiteral("OpenTray 0")));  // no end-of-task actions
    EXPECT_EQ(balloons.size(), 1);
    ASSERT_EQ(r->rips.size(), 1);
    EXPECT_EQ(r->rips[0].rangeStart, 1);
    EXPECT_EQ(r->rips[0].rangeLength, 1);
    EXPECT_EQ(r->rips[0].format, 3);
    EXPECT_EQ(r->rips[0].output, outFolder + QStringLiteral("/3 - Track03.cda.mp3"));

    // Track 3 fails, track 7 is ripped: the ending counts the failure, the actions run in their
    // order, the door before the count-down, which the error keeps from coming.
    FakePower power;
    QStringList order;
    w->chkTurnOffComputer->setChecked(true);
    r->calls.clear();
    r->rips.clear();
    r->script = {FakeRipSession::error(2, QStringLiteral("Cannot read track 3")), FakeRipSession::done()};
    w->cmdConvert_Click();
    const QString ending = QStringLiteral("1 of 2 tracks failed; see the log.");
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->cmdConvert->isEnabled() && w->lblCurrentTrack->text() == ending; }, 5000));
    QTest::qWait(20);
    const QStringList log = logLines(w);
    EXPECT_TRUE(log.contains(QStringLiteral("Error: Cannot read track 3(2)")));
    EXPECT_EQ(log.last(), ending);
    EXPECT_EQ(w->windowTitle(), ending);
    EXPECT_EQ(w->m_bJobError, -1);
    ASSERT_EQ(r->rips.size(), 2);
    EXPECT_EQ(r->rips[1].track, 7);
    EXPECT_EQ(r->rips[1].rangeStart, -1);  // a whole track after a ranged one
    EXPECT_EQ(r->rips[1].output, outFolder + QStringLiteral("/7 - AC-DC Live.mp3"));
    EXPECT_EQ(r->rips[0].tagTrack, QStringLiteral("3"));
    EXPECT_EQ(r->rips[1].tagTrack, QStringLiteral("7"));
    EXPECT_EQ(r->rips[1].tagAlbum, QStringLiteral("Live ") + QString::number(QDate::currentDate().year()));
    EXPECT_EQ(r->calls.filter(QStringLiteral("OpenTray")), QStringList{QStringLiteral("OpenTray 0")});
    EXPECT_FALSE(g_frmTurnOff.isLoaded());
    EXPECT_EQ(power.powerOffCalls, 0);

    // Both ripped: the door opens, then the count-down starts.
    r->calls.clear();
    bool doorBeforeCountDown = false;
    QTimer countDown;
    QObject::connect(&countDown, &QTimer::timeout, [&] {
        if (FrmTurnOff* t = g_frmTurnOff.loaded()) {
            doorBeforeCountDown = r->calls.contains(QStringLiteral("OpenTray 0"));
            t->cmdCancel_Click();
            order << QStringLiteral("countdown");
        }
    });
    countDown.start(10);
    w->cmdConvert_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return order.contains(QStringLiteral("countdown")); }, 5000));
    EXPECT_TRUE(doorBeforeCountDown);
    EXPECT_EQ(power.powerOffCalls, 0);
    EXPECT_TRUE(platform::powerOffForbidden());
}

// Start-up with the CD tools in the profile, as start-up itself runs.
class CDStartupWindows final : public StartupWindows {
public:
    void LoadOptions() override
    {
        m_real.LoadOptions();
        g_lAppIncCDRipper = 1;
    }
    void LoadAudioProp() override { m_real.LoadAudioProp(); }
    void LoadMain() override { m_real.LoadMain(); }
    void ShowMain() override {}
    void ShowMainInTray() override {}
    void ShowMainMinimised() override {}
    void RunStartupSwitches(const QString& commandLine) override { m_real.RunStartupSwitches(commandLine); }

private:
    MainStartupWindows m_real;
};

TEST_F(RipperWindow, AStartedProgramRipsFromTheDriveNode)
{
    const QList<Track> tracks{{true, 100}, {true, 180}, {false, 150}};
    const QString other = discimages::WriteBinCue(dir.path(), QStringLiteral("other"), {{true, 75}});
    const QString mixed = discimages::WriteBinCue(dir.path(), QStringLiteral("mixed"), tracks);
    setDrives({other, mixed});
    ToolWindows::Register(QStringLiteral("Audio CD Ripper"), {});
    platform::setClockService(nullptr);  // the splash fades by the tick count
    CDStartupWindows windows;
    ASSERT_TRUE(Main(windows, {QStringLiteral("-addaudiocd")}));
    ASSERT_TRUE(ToolWindows::IsRegistered(QStringLiteral("Audio CD Ripper")));
    FrmMain* f = frmMain.get();
    waitIdle(f);
    // Start-up read the output formats from the settings; CD quality for the comparison.
    OutputFormatOptions.cboSamplesWAV = 44100;
    OutputFormatOptions.cboBitrateWAV = 16;
    OutputFormatOptions.cboChannelsWAV = 1;
    click(f, driveNode(1));
    ASSERT_EQ(f->cGrid1->Rows(), 3);
    mark(f->cGrid1, 1, false);  // track 2 only; the data track comes unmarked

    QString seenDrive, seenStatus, finalState;
    bool lockedDrive = false, lockedOpen = false;
    // Acts once the modal window is up, as its user would.
    modal::ActWhenShown(
        g_frmCDRipper,
        [&](FrmCDRipper* w) {
            seenDrive = w->cboDevices->currentText();
            seenStatus = w->lblCDStatus->text();
            lockedDrive = !w->cboDevices->isEnabled();
            lockedOpen = !w->cmdOpenCD->isEnabled();
            w->txtToPath->setEditText(outFolder);
            selectFormat(w, "WAV");
            w->cboFileName->setCurrentIndex(4);  // "[123].[dest_extension]"
            w->cmdConvert_Click();
            EXPECT_TRUE(QTest::qWaitFor([&] { return w->cmdConvert->isEnabled(); }, 30000));
            finalState = w->lblCurrentTrack->text();
            w->cmdExit_Click();
        },
        [&] { f->RunCommand(QStringLiteral("Audio CD Ripper")); }, 60000);
    EXPECT_EQ(seenDrive, QStringLiteral("E: mixed.cue"));
    EXPECT_EQ(seenStatus, QStringLiteral("OK: 3 CDA tracks"));
    EXPECT_TRUE(lockedDrive);
    EXPECT_TRUE(lockedOpen);
    EXPECT_EQ(finalState, QStringLiteral("Done."));
    EXPECT_FALSE(g_frmCDRipper.isLoaded());
    EXPECT_EQ(fixtures::folderEntries(outFolder), QStringList{QStringLiteral("2.wav")});
    const auto out = fixtures::parseWavFile(outFolder + QStringLiteral("/2.wav"));
    ASSERT_TRUE(out);
    EXPECT_EQ(out->pcm, (fixtures::Pcm{44100, 2, 16}));
    EXPECT_TRUE(out->data == trackBytes(tracks, 2)) << out->data.size();
    EXPECT_TRUE(f->tmrCDs->isActive());  // polling again once the ripper has closed
}

}  // namespace
