// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/cdtools/CDFixture.h"

#include "batchtools/BatchToolWindow.h"
#include "commands/ToolWindows.h"
#include "foundation/mdlFunctions.h"
#include "mainwindow/cPopupMenu.h"

#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QTimer>

namespace {

// The ripper's hand-over as the launcher sees it: a grid of the main grid's columns, the drive
// list and its "Open" button.
class RecordingRipper : public ToolWindow {
public:
    RecordingRipper()
    {
        grid.setParent(&window);
        BatchToolWindow::InitGrid(&grid);
        devices.setParent(&window);
        open.setParent(&window);
    }
    QWidget* Window() override { return &window; }
    void ShowModal() override
    {
        ++shown;
        pollingWhileShown = frmMain->tmrCDs->isActive();
    }
    void lblFilesToConvert(const QString& caption) override { count = caption; }
    void StatusPanelText(const QString& key, const QString& text) override { panels[key] = text; }
    void txtUndeForlder(const QString& text) override { subFolder = text; }
    void g_ltmrItemSecsTotal(long seconds) override { secondsTotal = seconds; }
    cGrid* Grid() override { return &grid; }
    QComboBox* cboDevices() override { return &devices; }
    QWidget* cmdOpenCD() override { return &open; }

    QDialog window;
    cGrid grid;
    QComboBox devices;
    QPushButton open;
    int shown = 0;
    bool pollingWhileShown = true;
    QString count;
    QMap<QString, QString> panels;
    QString subFolder;
    long secondsTotal = -1;
};

class RipperLauncher : public CDFixture {
protected:
    void SetUp() override
    {
        CDFixture::SetUp();
        ToolWindows::Register(QStringLiteral("Audio CD Ripper"), [this] { return &ripper; });
    }
    void TearDown() override
    {
        ToolWindows::Register(QStringLiteral("Audio CD Ripper"), {});
        CDFixture::TearDown();
    }
    // Start-up registers the real ripper window; the launcher is watched through the recorder.
    FrmMain* loadMain()
    {
        FrmMain* f = CDFixture::loadMain();
        ToolWindows::Register(QStringLiteral("Audio CD Ripper"), [this] { return &ripper; });
        return f;
    }
    QStringList prompts() const
    {
        QStringList texts;
        for (const auto& r : box.shown)
            texts << r.prompt;
        return texts;
    }
    static void mark(cGrid* g, long row, bool on)
    {
        g->SetCell(row, g->ColumnIndex(ItemRow::COL_INC), std::nullopt, 0x40020, on ? ItemRow::kMarked : ItemRow::kUnmarked);
    }

    RecordingRipper ripper;
};

TEST_F(RipperLauncher, EveryTrackGoesOverWithItsMarkAndTheDriveIsLocked)
{
    // Eight tracks of 1 to 8 seconds; E: is the node, D: another drive.
    QList<discimages::Track> tracks;
    for (int i = 1; i <= 8; ++i)
        tracks << discimages::Track{true, 75 * i};
    const QString other = discimages::WriteBinCue(dir.path(), QStringLiteral("other"), {{true, 75}});
    const QString eight = discimages::WriteBinCue(dir.path(), QStringLiteral("eight"), tracks);
    setDrives({other, eight});
    FrmMain* f = loadMain();
    click(f, driveNode(1));
    ASSERT_EQ(f->cGrid1->Rows(), 8);
    for (long r = 1; r <= 8; ++r)
        mark(f->cGrid1, r, r == 2 || r == 5);
    ripper.devices.addItems({QStringLiteral("D: other.cue"), QStringLiteral("E: eight.cue"), QStringLiteral("e: lower")});

    f->RunCommand(QStringLiteral("Audio CD Ripper"));
    EXPECT_TRUE(box.shown.isEmpty()) << prompts().join(QLatin1Char('|')).toStdString();
    ASSERT_EQ(ripper.shown, 1);
    EXPECT_FALSE(ripper.pollingWhileShown);
    EXPECT_TRUE(f->tmrCDs->isActive());  // back on: a drive node is selected
    EXPECT_EQ(ripper.count, QStringLiteral("2 items to convert."));
    EXPECT_EQ(ripper.secondsTotal, 7);
    EXPECT_EQ(ripper.panels.value(QStringLiteral("Total Size")), QStringLiteral("Total Time: 0:00:07"));
    EXPECT_EQ(ripper.subFolder, MakeSafeName(QStringLiteral("E:")));
    ASSERT_EQ(ripper.grid.Rows(), 8);
    EXPECT_EQ(column(&ripper.grid, COL_FILE).last(), QStringLiteral("E:/Track08.cda"));
    for (long r = 1; r <= 8; ++r)
        EXPECT_EQ(icon(&ripper.grid, r, ItemRow::COL_INC), r == 2 || r == 5 ? 1 : 0) << r;
    EXPECT_EQ(ripper.devices.currentIndex(), 1);
    EXPECT_FALSE(ripper.devices.isEnabled());
    EXPECT_FALSE(ripper.open.isEnabled());
}

TEST_F(RipperLauncher, ADriveTheListDoesNotHoldLeavesTheChoiceToTheUser)
{
    const QString cue = discimages::WriteBinCue(dir.path(), QStringLiteral("one"), {{true, 75}});
    setDrives({cue});
    FrmMain* f = loadMain();
    click(f, driveNode(0));
    ripper.devices.addItems({QStringLiteral("F: elsewhere"), QStringLiteral("G: too")});
    f->RunCommand(QStringLiteral("Audio CD Ripper"));
    ASSERT_EQ(ripper.shown, 1);
    EXPECT_EQ(ripper.devices.currentIndex(), 0);
    EXPECT_TRUE(ripper.devices.isEnabled());
    EXPECT_TRUE(ripper.open.isEnabled());
}

TEST_F(RipperLauncher, TheChecksSendTheUserToADriveFirst)
{
    const QString cue = discimages::WriteBinCue(dir.path(), QStringLiteral("one"), {{true, 75}, {true, 75}});
    setDrives({cue});
    FrmMain* f = loadMain();
    const QString spaces40(40, u' ');

    // A list: the drive message, the drives root opened and its first drive listed.
    f->RunCommand(QStringLiteral("Audio CD Ripper"));
    EXPECT_EQ(prompts(), QStringList{QStringLiteral("Select the the Audio CD device to rip from.") + spaces40});
    EXPECT_EQ(f->cTreeView1->SelectedNode(), driveNode(0));
    EXPECT_TRUE(g_nodeMainCDs->isExpanded());
    EXPECT_EQ(f->cGrid1->Rows(), 2);
    EXPECT_EQ(ripper.shown, 0);

    // Nothing marked.
    box.shown.clear();
    mark(f->cGrid1, 1, false);
    mark(f->cGrid1, 2, false);
    f->RunCommand(QStringLiteral("Audio CD Ripper"));
    EXPECT_EQ(prompts(), QStringList{QStringLiteral("Mark the items to rip.") + QString(29, u' ')});
    EXPECT_EQ(ripper.shown, 0);

    // A root: its own message, then its first child.
    box.shown.clear();
    f->cTreeView1->SelectNode(g_nodeMainItems);
    f->RunCommand(QStringLiteral("Audio CD Ripper"));
    EXPECT_EQ(prompts(), QStringList{QStringLiteral("Select the Items List of the CD.") + spaces40});
    EXPECT_EQ(f->cTreeView1->SelectedNode(), g_nodeMainItems->child(0));
    EXPECT_EQ(ripper.shown, 0);
}

}  // namespace
