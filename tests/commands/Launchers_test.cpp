// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/commands/CommandsFixture.h"

#include "foundation/mdlFileSystem.h"
#include "foundation/mdlFunctions.h"
#include "mainwindow/cToolbar.h"

namespace {

class LaunchersTest : public CommandsFixture {
protected:
    const QString kOffTools[9] = {QStringLiteral("MP3 CD Maker"),   QStringLiteral("WMA CD Maker"),
                                  QStringLiteral("Audio CD Duplicator"), QStringLiteral("Audio CD Ripper"),
                                  QStringLiteral("Audio Splitter"),  QStringLiteral("Audio CD Maker"),
                                  QStringLiteral("Audio Analyser"),  QStringLiteral("Audio Recorder"),
                                  QStringLiteral("Text To Speech")};
    static QString spaces(int n) { return QString(n, u' '); }
};

}  // namespace

TEST_F(LaunchersTest, ToolsThisBuildLeavesOutOnlyStopThePreview)
{
    makeList(QStringLiteral("Songs"), makeWavs(2), {QStringLiteral("1"), QStringLiteral("1")});
    FrmMain* f = openMain();
    for (const QString& key : kOffTools) {
        SCOPED_TRACE(key.toStdString());
        EXPECT_FALSE(ToolWindows::InProfile(key));
        // No menu item and no button carries the key.
        EXPECT_EQ(f->m_cMenu->MenuIndexOfKey(key), 0);
        EXPECT_EQ(f->tlbrRecorder->ButtonIndex(key), 0);
        EXPECT_EQ(f->tlbrTop->ButtonIndex(key), 0);
        preview.playing = true;
        const int stops = preview.stops;
        f->RunCommand(key);
        EXPECT_EQ(preview.stops - stops, 1);
    }
    EXPECT_EQ(preview.refreshes, 0);
    EXPECT_TRUE(box.shown.isEmpty());
}

TEST_F(LaunchersTest, ChecksComeBeforeTheNotInThisVersionMessage)
{
    const QString songs = makeList(QStringLiteral("Songs"), makeWavs(3), {QStringLiteral("1")});
    const QString empty = makeList(QStringLiteral("Empty"), {});
    FrmMain* f = openMain();

    // A root node: the message, then its first list opens.
    f->cTreeView1->setCurrentItem(g_nodeMainItems);
    f->RunCommand(QStringLiteral("Audio Joiner"));
    ASSERT_EQ(prompts(), QStringList{QStringLiteral("Select the Items List.") + spaces(40)});
    EXPECT_EQ(cTreeView::Key(f->cTreeView1->SelectedNode()), cTreeView::Key(g_nodeMainItems->child(0)));
    waitIdle(f);

    // An empty list: "Add Files" runs instead.
    openList(f, empty);
    box.shown.clear();
    f->RunCommand(QStringLiteral("Audio Converter"));
    EXPECT_EQ(dialogs.requests.size(), 1);
    EXPECT_TRUE(box.shown.isEmpty());

    openList(f, songs);
    struct Case {
        const char* key;
        QString message;
    };
    const Case one[] = {
        {"Audio Joiner", QStringLiteral("Nothing to join.") + spaces(55) + QStringLiteral("\r\n\r\n")},
        {"Audio Converter", QStringLiteral("The Audio Converter is not part of this version.")},
        {"ACM Converter", QStringLiteral("The ACM Converter is not part of this version.")},
    };
    for (const Case& c : one) {
        box.shown.clear();
        f->RunCommand(QLatin1String(c.key));
        EXPECT_EQ(prompts(), QStringList{c.message}) << c.key;
        EXPECT_EQ(f->cursor().shape(), Qt::ArrowCursor);
    }
    f->MarkAllItems(false);
    const Case none[] = {
        {"Audio Joiner", QStringLiteral("Mark the items to join.") + spaces(29)},
        {"Audio Converter", QStringLiteral("Mark the items to convert.") + spaces(29)},
        {"ACM Converter", QStringLiteral("Mark the items to convert.") + spaces(29)},
    };
    for (const Case& c : none) {
        box.shown.clear();
        f->RunCommand(QLatin1String(c.key));
        EXPECT_EQ(prompts(), QStringList{c.message}) << c.key;
    }
    f->MarkAllItems(true);
    box.shown.clear();
    f->RunCommand(QStringLiteral("Audio Joiner"));
    EXPECT_EQ(prompts(), QStringList{QStringLiteral("The Audio Joiner is not part of this version.")});
    EXPECT_EQ(box.shown.first().style & 0x40, platform::vbInformation);
    // Only the nested "Add Files" ended with a refresh; no launcher did.
    EXPECT_EQ(preview.refreshes, 1);
}

TEST_F(LaunchersTest, JoinerConverterAndAcmConverterGetTheMarkedRows)
{
    const QStringList files = makeWavs(4);
    const QString list = makeList(QStringLiteral("Live at the Hall"), files,
                                  {QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("1")});
    // The same file twice: the ACM combo keeps duplicates.
    FrmMain* f = openMain();
    openList(f, list);
    ASSERT_EQ(f->cGrid1->Rows(), 4);
    f->cGrid1->Cell(4, f->cGrid1->ColumnIndex(COL_FILE)).Text(files[0]);
    f->cGrid1->CurrentRow(2);
    f->tmrCDs->start();

    const long seconds = f->GetTotalTime(true).toLong();
    const QString size = f->GetTotalSize(true);
    struct Case {
        const char* key;
        QString count;
        long secondsHanded;
    };
    const Case cases[] = {
        {"Audio Joiner", QStringLiteral("3 items to join."), -1},
        {"Audio Converter", QStringLiteral("3 items to convert."), seconds},
        {"ACM Converter", QStringLiteral("3 items to convert."), seconds},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        RecordingTool tool;
        ToolWindows::Register(QLatin1String(c.key), [&] { return &tool; });
        const int refreshes = preview.refreshes;
        f->RunCommand(QLatin1String(c.key));
        EXPECT_EQ(tool.shown, 1);
        EXPECT_EQ(tool.count, c.count);
        EXPECT_EQ(tool.panels.value(QStringLiteral("Total Size")), QStringLiteral("Total Time: ") + FormatSecondsHMS(int32_t(seconds)));
        EXPECT_EQ(tool.panels.value(QStringLiteral("Total Time")), QStringLiteral("Total Size: ") + size);
        EXPECT_EQ(tool.subFolder, QStringLiteral("Live-at-the-Hall"));
        EXPECT_EQ(tool.subFolder, MakeSafeName(QStringLiteral("Live at the Hall")));
        EXPECT_EQ(tool.secondsTotal, c.secondsHanded);
        EXPECT_EQ(column(&tool.grid, COL_FILE), (QStringList{files[0], files[2], files[0]}));
        EXPECT_EQ(column(&tool.grid, ItemRow::COL_ITEM_NAME),
                  (QStringList{QStringLiteral("take1.wav"), QStringLiteral("take3.wav"), QStringLiteral("take4.wav")}));
        EXPECT_FALSE(tool.pollingWhileShown);
        EXPECT_FALSE(tool.hourglassWhileShown);
        // A list node: the polling stays off afterwards; the pointer is the default.
        EXPECT_FALSE(f->tmrCDs->isActive());
        EXPECT_EQ(f->cursor().shape(), Qt::ArrowCursor);
        EXPECT_EQ(preview.refreshes - refreshes, 1);
        if (QLatin1String(c.key) == QLatin1String("ACM Converter")) {
            EXPECT_EQ(tool.comboEntries,
                      (QStringList{QStringLiteral("All ACM Codecs"), files[0], files[1], files[2], files[0]}));
            EXPECT_EQ(tool.comboText, files[1]);
        } else {
            EXPECT_TRUE(tool.comboEntries.isEmpty());
        }
        ToolWindows::Register(QLatin1String(c.key), {});
    }
    EXPECT_TRUE(box.shown.isEmpty());
}

TEST_F(LaunchersTest, OneMarkedItemIsEnoughForTheConverter)
{
    const QString list = makeList(QStringLiteral("Songs"), makeWavs(2), {QStringLiteral("0"), QStringLiteral("1")});
    FrmMain* f = openMain();
    openList(f, list);
    RecordingTool tool;
    ToolWindows::Register(QStringLiteral("Audio Converter"), [&] { return &tool; });
    f->RunCommand(QStringLiteral("Audio Converter"));
    EXPECT_EQ(tool.count, QStringLiteral("1 items to convert."));
    EXPECT_EQ(tool.grid.Rows(), 1);
}

TEST_F(LaunchersTest, SplitterGetsTheSelectedRowEvenWhenUnmarked)
{
    g_lAppIncSplit = 1;
    const QStringList files = makeWavs(3);
    const QString list = makeList(QStringLiteral("Songs"), files, {QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("1")});
    FrmMain* f = openMain();
    openList(f, list);
    ASSERT_NE(f->m_cMenu->MenuIndexOfKey(QStringLiteral("Audio Splitter")), 0);
    f->cGrid1->CurrentRow(2);
    RecordingTool tool;
    ToolWindows::Register(QStringLiteral("Audio Splitter"), [&] { return &tool; });
    f->RunCommand(QStringLiteral("Audio Splitter"));
    ASSERT_EQ(tool.shown, 1);
    EXPECT_EQ(tool.count, QStringLiteral("Split: take2.wav"));
    EXPECT_EQ(tool.panels.value(QStringLiteral("Total Size")), QStringLiteral("Total Time: ") + cell(f->cGrid1, 2, ItemRow::COL_TIME));
    EXPECT_EQ(tool.panels.value(QStringLiteral("Total Time")),
              QStringLiteral("Total Size: ") + FormatFileSize(cell(f->cGrid1, 2, COL_BYTES_SIZE).toDouble()));
    EXPECT_EQ(tool.fileToSplit, files[1]);
    ASSERT_EQ(tool.grid.Rows(), 1);
    for (long c = 2; c <= f->cGrid1->Columns(); ++c)
        EXPECT_EQ(tool.grid.Cell(1, c).Text(), f->cGrid1->Cell(2, c).Text()) << c;
    EXPECT_EQ(tool.secondsTotal, -1);
}

TEST_F(LaunchersTest, PollingComesBackAfterTheWindowOnlyForADriveNode)
{
    const QString list = makeList(QStringLiteral("Songs"), makeWavs(2), {QStringLiteral("1"), QStringLiteral("1")});
    FrmMain* f = openMain();
    openList(f, list);
    RecordingTool tool;
    // While the window is open the user's selection moves to a drive node.
    auto* drive = new QTreeWidgetItem(f->cTreeView1);
    cTreeView::SetKey(drive, QStringLiteral("##CDD:"));
    drive->setText(0, QStringLiteral("D:"));
    tool.onShow = [&] { f->cTreeView1->setCurrentItem(drive); };
    ASSERT_TRUE(FrmMain::IsCDNode(cTreeView::Key(drive))) << cTreeView::Key(drive).toStdString();
    ToolWindows::Register(QStringLiteral("Audio Joiner"), [&] { return &tool; });
    f->RunCommand(QStringLiteral("Audio Joiner"));
    EXPECT_EQ(tool.shown, 1);
    EXPECT_FALSE(tool.pollingWhileShown);
    EXPECT_TRUE(f->tmrCDs->isActive());
    f->tmrCDs->stop();
}
