// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/cdtools/CDFixture.h"

#include "components/cAudioCDRipper.h"
#include "components/cAudioConverter.h"
#include "foundation/mdlMain.h"
#include "mainwindow/cStatusBar.h"
#include "tests/cdtools/FakeRipper.h"

#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

namespace {

using discimages::Track;

class DriveNodes : public CDFixture {};

TEST_F(DriveNodes, AMixedDiscListsOneRowPerTrackWithItsDataTrackUnmarked)
{
    ProgramOptions.txtTagArtist = QStringLiteral("Default Artist");
    ProgramOptions.txtTagTrack = QStringLiteral("[TRACK_NUM]");
    // 3:20, then one second, then a data track of four seconds.
    const QString cue = discimages::WriteBinCue(dir.path(), QStringLiteral("mixed"), {{true, 200 * 75}, {true, 75}, {false, 300}});
    setDrives({cue});
    FrmMain* f = loadMain();
    ASSERT_NE(g_nodeMainCDs, nullptr);
    ASSERT_EQ(g_nodeMainCDs->childCount(), 1);
    QTreeWidgetItem* d = driveNode(0);
    EXPECT_EQ(cTreeView::Key(d), QStringLiteral("##CDD: mixed.cue"));
    EXPECT_EQ(cTreeView::Text(d), QStringLiteral("D:"));

    click(f, d);
    cGrid* g = f->cGrid1;
    ASSERT_EQ(g->Rows(), 3);
    EXPECT_EQ(column(g, ItemRow::COL_ITEM_NAME),
              (QStringList{QStringLiteral("Track01.cda"), QStringLiteral("Track02.cda"), QStringLiteral("Track03.cda")}));
    EXPECT_EQ(column(g, ItemRow::COL_TIME),
              (QStringList{QStringLiteral("00:03:20"), QStringLiteral("00:00:01"), QStringLiteral("00:00:04")}));
    EXPECT_EQ(g->Cell(1, g->ColumnIndex(COL_BYTES_SIZE)).Value().toLongLong(), 35280000);
    EXPECT_EQ(column(g, COL_FILE),
              (QStringList{QStringLiteral("D:/Track01.cda"), QStringLiteral("D:/Track02.cda"), QStringLiteral("D:/Track03.cda")}));
    EXPECT_EQ(column(g, ItemRow::COL_RANGE), QStringList(3, QStringLiteral("All")));
    EXPECT_EQ(column(g, COL_RANGE_ALL), QStringList(3, QStringLiteral("1")));
    EXPECT_EQ(column(g, COL_TAG_ARTIST), QStringList(3, QStringLiteral("Default Artist")));
    EXPECT_EQ(column(g, COL_TAG_TRACK), QStringList(3, QStringLiteral("[TRACK_NUM]")));
    const long marks[] = {icon(g, 1, ItemRow::COL_INC), icon(g, 2, ItemRow::COL_INC), icon(g, 3, ItemRow::COL_INC)};
    const long types[] = {icon(g, 1, ItemRow::COL_TYPE), icon(g, 2, ItemRow::COL_TYPE), icon(g, 3, ItemRow::COL_TYPE)};
    EXPECT_EQ((std::vector<long>(marks, marks + 3)), (std::vector<long>{1, 1, 0}));
    EXPECT_EQ((std::vector<long>(types, types + 3)), (std::vector<long>{3, 3, 4}));
    EXPECT_FALSE(g->Cell(1, g->ColumnIndex(ItemRow::COL_CREATED)).Text().isEmpty());

    EXPECT_FALSE(f->picEmptyMsg->isVisibleTo(f));
    EXPECT_TRUE(f->prgStatus->isHidden());
    EXPECT_EQ(g->CurrentRow(), 1);
    EXPECT_TRUE(f->tmrCDs->isActive());
    EXPECT_EQ(f->cStatusBar1->StatusPanelText(QStringLiteral("Items List Properties")),
              QStringLiteral("3 Items, ") + f->GetTotalSize(false) + QStringLiteral(", 00:03:25"));
    EXPECT_TRUE(box.shown.isEmpty());
}

TEST_F(DriveNodes, ADataDiscOrAnEmptyDriveAsksForAnAudioCD)
{
    const QString iso = discimages::WriteIso(dir.path(), QStringLiteral("data"), 600);
    const QString missing = dir.filePath(QStringLiteral("none.cue"));
    setDrives({iso, missing});
    FrmMain* f = loadMain();
    ASSERT_EQ(g_nodeMainCDs->childCount(), 2);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        f->lblAddorDrag->setText(QString());
        click(f, driveNode(i));
        EXPECT_EQ(f->cGrid1->Rows(), 0);
        EXPECT_TRUE(f->picEmptyMsg->isVisibleTo(f));
        EXPECT_EQ(f->lblAddorDrag->text(), QStringLiteral("Insert an Audio CD to the CD drive."));
        EXPECT_TRUE(f->prgStatus->isHidden());
    }
    EXPECT_TRUE(box.shown.isEmpty());
}

TEST_F(DriveNodes, PollingListsADiscThatCameAndClearsOneThatWent)
{
    // Drive D: has no disc yet; E: holds one that is never selected.
    const QString cue = dir.filePath(QStringLiteral("later.cue"));
    const QString other = discimages::WriteBinCue(dir.path(), QStringLiteral("other"), {{true, 75}});
    setDrives({cue, other});
    FrmMain* f = loadMain();
    ASSERT_EQ(g_nodeMainCDs->childCount(), 2);
    QTreeWidgetItem* d = driveNode(0);
    QTreeWidgetItem* e = driveNode(1);
    click(f, d);
    EXPECT_EQ(f->cGrid1->Rows(), 0);

    f->tmrCDs_Timer();  // still no disc: nothing changes
    EXPECT_EQ(f->cGrid1->Rows(), 0);

    // The disc goes in: the next poll lists it.
    const QString made = discimages::WriteBinCue(dir.path(), QStringLiteral("later"), {{true, 150}, {true, 75}});
    ASSERT_EQ(made, cue);
    f->tmrCDs_Timer();
    EXPECT_EQ(f->cGrid1->Rows(), 2);
    EXPECT_EQ(f->cTreeView1->SelectedNode(), d);
    EXPECT_FALSE(f->picEmptyMsg->isVisibleTo(f));

    // A look-up named both nodes; the disc goes out: the listing is cleared and the caption of
    // the drive without a disc is its letter again, the other keeps its name.
    d->setText(0, QStringLiteral("Artist - Album"));
    e->setText(0, QStringLiteral("Other - Disc"));
    f->tmrCDs_Timer();  // the disc is still there
    EXPECT_EQ(f->cGrid1->Rows(), 2);
    EXPECT_EQ(cTreeView::Text(d), QStringLiteral("Artist - Album"));
    ASSERT_TRUE(QFile::remove(cue));
    f->tmrCDs_Timer();
    EXPECT_EQ(f->cGrid1->Rows(), 0);
    EXPECT_TRUE(f->picEmptyMsg->isVisibleTo(f));
    EXPECT_EQ(cTreeView::Text(d), QStringLiteral("D:"));
    EXPECT_EQ(cTreeView::Text(e), QStringLiteral("Other - Disc"));
    EXPECT_EQ(f->cTreeView1->SelectedNode(), d);
    EXPECT_TRUE(f->tmrCDs->isActive());
    EXPECT_EQ(f->tmrCDs->interval(), 5000);

    // Polling is off once a list is selected again.
    click(f, g_nodeMainItems->child(0));
    EXPECT_FALSE(f->tmrCDs->isActive());
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

TEST_F(DriveNodes, TheAddAudioCDSwitchSelectsTheFirstDriveWithTracks)
{
    const QString empty = dir.filePath(QStringLiteral("empty.cue"));
    const QString iso = discimages::WriteIso(dir.path(), QStringLiteral("data"), 150);
    const QString audio = discimages::WriteBinCue(dir.path(), QStringLiteral("audio"), {{true, 75}, {true, 75}});
    struct Case {
        QStringList drives;
        QStringList arguments;
        QString selected;  // key of the drive node selected, empty: a list stays selected
    };
    const Case cases[] = {
        // The data disc has a track: the first drive with tracks is taken, whatever the disc.
        {{empty, iso, audio}, {QStringLiteral("-AddAudioCD")}, QStringLiteral("##CDE: data.iso")},
        {{empty, audio}, {QStringLiteral("-addaudiocd")}, QStringLiteral("##CDE: audio.cue")},
        {{empty, audio}, {QStringLiteral("-addaudiocd"), QStringLiteral("x")}, QString()},
        {{empty}, {QStringLiteral("-ADDAUDIOCD")}, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        setDrives(c.drives);
        CDStartupWindows windows;
        ASSERT_TRUE(Main(windows, c.arguments));
        ASSERT_TRUE(frmMain.isLoaded());
        waitIdle(frmMain.get());
        const QString key = cTreeView::Key(frmMain->cTreeView1->SelectedNode());
        if (c.selected.isEmpty()) {
            EXPECT_FALSE(FrmMain::IsCDNode(key)) << key.toStdString();
        } else {
            EXPECT_EQ(key, c.selected);
            EXPECT_TRUE(frmMain->tmrCDs->isActive());
        }
    }
}

TEST_F(DriveNodes, ADiscThatVanishesWhileListedKeepsItsRowsAndIsReported)
{
    const QString cue = discimages::WriteBinCue(dir.path(), QStringLiteral("fake"), {{true, 75}});
    setDrives({cue});
    FrmMain* f = loadMain();
    auto fake = std::make_unique<FakeRipper>();
    fake->seconds = {60, 70, 80, 90};
    fake->vanishAfter = 2;  // gone after the second track was read
    f->cAudioCDRipper1 = std::move(fake);
    click(f, driveNode(0));
    EXPECT_EQ(column(f->cGrid1, ItemRow::COL_ITEM_NAME), (QStringList{QStringLiteral("Track01.cda"), QStringLiteral("Track02.cda")}));
    EXPECT_TRUE(f->picEmptyMsg->isVisibleTo(f));
    EXPECT_EQ(f->lblAddorDrag->text(), QStringLiteral("Insert an Audio CD to the CD drive."));
    EXPECT_TRUE(f->prgStatus->isHidden());
    EXPECT_NE(f->cursor().shape(), Qt::WaitCursor);
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown.at(0).prompt, QStringLiteral("There is no CD in the drive."));
    EXPECT_EQ(box.shown.at(0).style, platform::vbInformation);

    // A disc that stays lists all its tracks and asks nothing.
    box.shown.clear();
    auto steady = std::make_unique<FakeRipper>();
    steady->seconds = {60, 70, 80, 90};
    f->cAudioCDRipper1 = std::move(steady);
    click(f, driveNode(0));
    EXPECT_EQ(f->cGrid1->Rows(), 4);
    EXPECT_TRUE(box.shown.isEmpty());
}

TEST_F(DriveNodes, TheRippersErrorsAreShownWithTheirNumber)
{
    FrmMain* f = loadMain();
    emit f->cAudioCDRipper1->Error(5, QStringLiteral("The drive is busy"));
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown.at(0).prompt, QStringLiteral("The drive is busy (5)"));
    EXPECT_EQ(box.shown.at(0).style, platform::vbOKOnly);
}

TEST_F(DriveNodes, TrackRowsAreReadAsFilesByTheEngine)
{
    // The preview, converter and CD makers take a drive row's file as they take any file.
    const QString cue = discimages::WriteBinCue(dir.path(), QStringLiteral("two"), {{true, 150}, {true, 75}});
    setDrives({cue});
    FrmMain* f = loadMain();
    click(f, driveNode(0));
    ASSERT_EQ(f->cGrid1->Rows(), 2);
    EXPECT_EQ(f->cAudioConverter1->OpenSource(cell(f->cGrid1, 1, COL_FILE)), 0);
    EXPECT_EQ(f->cAudioConverter1->SourceDuration(), 2000);
    EXPECT_EQ(f->cAudioConverter1->SourceSampleRate(), 44100);
    EXPECT_EQ(f->cAudioConverter1->SourceChannels(), 2);
    f->cAudioConverter1->CloseSource();
}

}  // namespace
