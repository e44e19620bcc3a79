// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/itemslists/ItemsListFixtures.h"

#include "foundation/mdlFunctions.h"
#include "foundation/mdlModes.h"
#include "mainwindow/ItemsListTree.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/cTreeView.h"
#include "tests/support/FakeMessageBox.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QProgressBar>

namespace {

class RecordingHost : public ItemsListHost {
public:
    QHash<QString, QString> panels;
    QStringList drives;
    QStringList listed;
    bool playing = false;
    int stops = 0;
    int polling = -1;
    int infoRefreshes = 0;

    bool PreviewIsPlaying() override { return playing; }
    void StopPreview() override
    {
        ++stops;
        playing = false;
    }
    void SetCDPolling(bool on) override { polling = on ? 1 : 0; }
    void ListCDTracks(const QString& drive) override { listed << drive; }
    void RefreshItemInfo() override { ++infoRefreshes; }
    void SetStatusPanelText(const QString& key, const QString& text) override { panels[key] = text; }
    long CDDriveCount() override { return drives.size(); }
    QString CDDriveName(long i) override { return drives.value(i); }
};

class ItemsListTreeTest : public testing::Test {
protected:
    QTemporaryDir dir;
    QString folder = dir.filePath(QStringLiteral("Main")) + QLatin1Char('/');
    FakeProbe probe;
    RecordingHost host;
    QWidget window;
    cTreeView* tree = new cTreeView(&window);
    std::unique_ptr<cGrid> grid = makeItemGrid();
    QLabel* lblListName = new QLabel(&window);
    QProgressBar* prgStatus = new QProgressBar(&window);
    QWidget* picEmptyMsg = new QWidget(&window);
    QLabel* lblAddorDrag = new QLabel(picEmptyMsg);
    std::unique_ptr<ItemsListTree> lists;

    void SetUp() override
    {
        ProgramOptions = ProgramOptionsData{};
        ProgramOptions.txtToPath = folder;
        ProgramOptions.chkCopyID3FromSource = false;
        g_lAppIncItemsLists = 1;
        g_lAppIncCDRipper = 0;
        prgStatus->setVisible(false);
        ItemsListControls c;
        c.tree = tree;
        c.grid = grid.get();
        c.lblListName = lblListName;
        c.prgStatus = prgStatus;
        c.picEmptyMsg = picEmptyMsg;
        c.lblAddorDrag = lblAddorDrag;
        lists = std::make_unique<ItemsListTree>(c, probe, host);
        lists->loader().SetSliceMilliseconds(0);
    }
    void TearDown() override
    {
        g_lAppIncItemsLists = 0;
        g_lAppIncCDRipper = 0;
        ProgramOptions = ProgramOptionsData{};
    }

    QString source(const QString& name, int bytes = 1024, long ms = 60000)
    {
        const QString p = dir.filePath(name);
        writeBytes(p, QByteArray(bytes, 'x'));
        FakeProbe::Source s;
        s.durationMs = ms;
        probe.sources.insert(p, s);
        return p;
    }
    void makeList(const QString& name, const QList<ItemsListRecord>& records)
    {
        QDir().mkpath(folder);
        ASSERT_TRUE(listfixtures::writeList(folder + name, records));
    }
    QStringList childKeys() const
    {
        QStringList keys;
        for (int i = 0; lists->g_nodeMainItems() && i < lists->g_nodeMainItems()->childCount(); ++i)
            keys << cTreeView::Key(lists->g_nodeMainItems()->child(i));
        return keys;
    }
    QTreeWidgetItem* listNode(const QString& name) { return lists->NodeByKey(folder + name); }
};

TEST(ItemsListKeys, RootsDrivesAndListsAreToldApartByTheirKeys)
{
    struct Case {
        QString key;
        bool main, cd, list;
    } cases[] = {
        {kMainItemsKeyPrefix + QStringLiteral("/home/u/Main/"), true, false, false},
        {kMainCDsKey, true, false, false},
        {QStringLiteral("##CDE: DVD writer"), false, true, false},
        {QStringLiteral("/home/u/Main/Rock.flst"), false, false, true},
        {QStringLiteral("/home/u/Main/Rock.flst.bak"), false, false, false},
        {QStringLiteral("##main"), false, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsMainNode(c.key), c.main) << c.key.toStdString();
        EXPECT_EQ(IsCDNode(c.key), c.cd) << c.key.toStdString();
        EXPECT_EQ(IsListNodeKey(c.key), c.list) << c.key.toStdString();
    }
    EXPECT_EQ(GetCDNameNode(QStringLiteral("##CDE: DVD writer")), QStringLiteral("E:"));
}

TEST_F(ItemsListTreeTest, NewListNamesFillTheFirstGap)
{
    QDir().mkpath(folder);
    EXPECT_EQ(GetNewItemsListName(folder), QStringLiteral("New Items List 1.flst"));
    writeBytes(folder + QStringLiteral("New Items List 1.flst"), {});
    writeBytes(folder + QStringLiteral("New Items List 3.flst"), {});
    EXPECT_EQ(GetNewItemsListName(folder), QStringLiteral("New Items List 2.flst"));
}

TEST_F(ItemsListTreeTest, AMissingListsFolderGetsAFirstEmptyList)
{
    ProgramOptions.txtToPath = dir.filePath(QStringLiteral("Main"));  // without the closing "/"
    lists->setTree();
    const QString first = folder + QStringLiteral("New Items List 1.flst");
    ASSERT_TRUE(QFileInfo(first).isFile());
    EXPECT_EQ(QFileInfo(first).size(), 0);
    ASSERT_NE(lists->g_nodeMainItems(), nullptr);
    EXPECT_EQ(cTreeView::Key(lists->g_nodeMainItems()), kMainItemsKeyPrefix + folder);
    EXPECT_EQ(cTreeView::Text(lists->g_nodeMainItems()), QStringLiteral("Items Lists"));
    EXPECT_EQ(childKeys(), QStringList{first});
    EXPECT_EQ(cTreeView::Text(lists->g_nodeMainItems()->child(0)), QStringLiteral("New Items List 1"));
    EXPECT_TRUE(lists->g_nodeMainItems()->isExpanded());
}

TEST_F(ItemsListTreeTest, OnlyFilesWithTheListExtensionBecomeLists)
{
    QDir().mkpath(folder);
    for (const char* name : {"notes.txt", "Rock.flst.bak", "Old.flstx"})
        writeBytes(folder + QString::fromLatin1(name), "x");
    lists->setTree();
    EXPECT_TRUE(childKeys().isEmpty());
    EXPECT_TRUE(lists->LabelEdit());
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("New Items List 1.flst")));

    // Start then makes a new list, opens it and starts editing its caption.
    ASSERT_TRUE(lists->SelectFirstItemsList());
    EXPECT_EQ(childKeys(), QStringList{folder + QStringLiteral("New Items List 1.flst")});
    EXPECT_EQ(lists->SelectedNode(), lists->g_nodeMainItems()->child(0));

    writeBytes(folder + QStringLiteral("a.b.flst"), {});
    lists->setTree();
    EXPECT_EQ(cTreeView::Text(listNode(QStringLiteral("a.b.flst"))), QStringLiteral("ab"));
}

TEST_F(ItemsListTreeTest, DriveNodesComeFromTheRipper)
{
    g_lAppIncCDRipper = 1;
    host.drives = {QStringLiteral("D: Writer"), QStringLiteral("E: Reader")};
    makeList(QStringLiteral("A.flst"), {});
    lists->setTree();
    ASSERT_NE(lists->g_nodeMainCDs(), nullptr);
    ASSERT_EQ(lists->g_nodeMainCDs()->childCount(), 2);
    QTreeWidgetItem* e = lists->g_nodeMainCDs()->child(1);
    EXPECT_EQ(cTreeView::Key(e), QStringLiteral("##CDE: Reader"));
    EXPECT_EQ(cTreeView::Text(e), QStringLiteral("E:"));

    lists->cTreeView1_NodeClick(e);
    EXPECT_EQ(host.listed, QStringList{QStringLiteral("E:")});
    EXPECT_EQ(host.polling, 1);
    EXPECT_EQ(lblListName->text(), QStringLiteral("E:"));

    // Nothing is ever written under a drive's key.
    lists->SaveGridToFile();
    lists->DoClearTheList();
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("A.flst")});
}

TEST_F(ItemsListTreeTest, SelectingAListLoadsItAndSummarisesIt)
{
    const QString a = source(QStringLiteral("a.wav"));
    const QString b = source(QStringLiteral("b.wav"));
    makeList(QStringLiteral("Two.flst"), {sampleRecord(a, QStringLiteral("a")), sampleRecord(b, QStringLiteral("b"))});
    makeList(QStringLiteral("Empty.flst"), {});
    lists->setTree();
    host.playing = true;

    lists->cTreeView1_NodeClick(listNode(QStringLiteral("Two.flst")));
    EXPECT_EQ(host.stops, 1);
    EXPECT_EQ(host.polling, 0);
    EXPECT_EQ(lblListName->text(), QStringLiteral("Two"));
    ASSERT_EQ(grid->Rows(), 2);
    EXPECT_EQ(grid->CurrentRow(), 1);
    EXPECT_TRUE(picEmptyMsg->isHidden());
    EXPECT_EQ(host.panels.value(QStringLiteral("Main")), QStringLiteral("Ready."));
    EXPECT_EQ(host.panels.value(QStringLiteral("Items List Properties")),
              QStringLiteral("2 Items, ") + FormatByteCount(2048) + QStringLiteral(", 00:02:00"));
    EXPECT_TRUE(prgStatus->isHidden());

    ProgramOptions.chkSelectTheLastItem = true;
    lists->cTreeView1_NodeClick(listNode(QStringLiteral("Two.flst")));
    EXPECT_EQ(grid->CurrentRow(), 2);

    lists->cTreeView1_NodeClick(listNode(QStringLiteral("Empty.flst")));
    EXPECT_EQ(grid->Rows(), 0);
    EXPECT_FALSE(picEmptyMsg->isHidden());
    EXPECT_EQ(lblAddorDrag->text(), QStringLiteral("Add or Drag and Drop audio items to here."));
    EXPECT_EQ(host.panels.value(QStringLiteral("Items List Properties")), QStringLiteral("0 Items, 0 KB, 00:00:00"));
}

TEST_F(ItemsListTreeTest, SelectingARootEmptiesTheGridAndSavesNothing)
{
    const QString a = source(QStringLiteral("a.wav"));
    makeList(QStringLiteral("One.flst"), {sampleRecord(a, QStringLiteral("a"))});
    lists->setTree();
    lists->cTreeView1_NodeClick(listNode(QStringLiteral("One.flst")));
    const QByteArray before = readBytes(folder + QStringLiteral("One.flst"));
    host.panels.clear();

    lists->cTreeView1_NodeClick(lists->g_nodeMainItems());
    EXPECT_EQ(grid->Rows(), 0);
    EXPECT_EQ(lblListName->text(), QStringLiteral("One"));
    EXPECT_TRUE(host.panels.isEmpty());
    lists->SaveGridToFile();
    EXPECT_EQ(readBytes(folder + QStringLiteral("One.flst")), before);
}

TEST_F(ItemsListTreeTest, SelectionsAreIgnoredWhileBusy)
{
    makeList(QStringLiteral("A.flst"), {});
    makeList(QStringLiteral("B.flst"), {});
    lists->setTree();
    lists->cTreeView1_NodeClick(listNode(QStringLiteral("A.flst")));
    prgStatus->setVisible(true);  // a CD listing runs
    lists->cTreeView1_NodeClick(listNode(QStringLiteral("B.flst")));
    EXPECT_EQ(lists->SelectedNode(), listNode(QStringLiteral("A.flst")));
    EXPECT_EQ(lblListName->text(), QStringLiteral("A"));
}

TEST_F(ItemsListTreeTest, SavingKeepsItemsWhoseFilesAreAway)
{
    const QString a = source(QStringLiteral("a.wav"));
    const QString away = dir.filePath(QStringLiteral("usb/b.wav"));
    makeList(QStringLiteral("L.flst"), {sampleRecord(away, QStringLiteral("away")), sampleRecord(a, QStringLiteral("a"))});
    lists->setTree();
    lists->cTreeView1_NodeClick(listNode(QStringLiteral("L.flst")));
    ASSERT_EQ(grid->Rows(), 1);

    grid->Cell(1, grid->ColumnIndex(ItemRow::COL_ITEM_NAME)).Text(QStringLiteral("renamed"));
    lists->SaveGridToFile();
    const QList<ItemsListRecord> saved = ParseItemsListText(ReadItemsListFile(folder + QStringLiteral("L.flst")).text);
    ASSERT_EQ(saved.size(), 2);
    EXPECT_EQ(saved.at(0)[fldFile], away);
    EXPECT_EQ(saved.at(1)[fldItemName], QStringLiteral("renamed"));
}

TEST_F(ItemsListTreeTest, AnUnreadableListIsNeverOverwritten)
{
    QDir().mkpath(folder);
    lists->setTree();
    writeBytes(folder + QStringLiteral("Locked.flst"), "<ITEM><COL_FILE>/x</COL_FILE></ITEM>\r\n");
    lists->setTree();
    QTreeWidgetItem* node = listNode(QStringLiteral("Locked.flst"));
    ASSERT_NE(node, nullptr);
    // The file turns into something unreadable between the listing and the selection.
    QFile::remove(folder + QStringLiteral("Locked.flst"));
    QDir().mkpath(folder + QStringLiteral("Locked.flst"));
    lists->cTreeView1_NodeClick(node);
    grid->SetCell(1, 1, QString(), 0, 1);
    lists->SaveGridToFile();
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("Locked.flst")).isDir());
}

TEST_F(ItemsListTreeTest, ClearingAsksAndEmptiesTheListFile)
{
    const QString a = source(QStringLiteral("a.wav"));
    makeList(QStringLiteral("Rock.flst"), {sampleRecord(a, QStringLiteral("a")), sampleRecord(dir.filePath(QStringLiteral("gone.wav")), QStringLiteral("g"))});
    lists->setTree();
    lists->cTreeView1_NodeClick(listNode(QStringLiteral("Rock.flst")));
    const QByteArray before = readBytes(folder + QStringLiteral("Rock.flst"));

    FakeMessageBox box;
    box.answer(platform::vbNo);
    lists->ClearTheList(false);
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown.at(0).prompt,
              QStringLiteral("This operation will erase all the items under the 'Rock' list.\r\n\r\nAre you sure?"));
    EXPECT_EQ(box.shown.at(0).style, platform::vbYesNo | platform::vbExclamation);
    EXPECT_EQ(grid->Rows(), 1);
    EXPECT_EQ(readBytes(folder + QStringLiteral("Rock.flst")), before);

    box.answer(platform::vbYes);
    lists->ClearTheList(false);
    EXPECT_EQ(grid->Rows(), 0);
    EXPECT_EQ(readBytes(folder + QStringLiteral("Rock.flst")), QByteArray("\r\n"));

    // An empty grid has nothing to clear: no question.
    lists->ClearTheList(false);
    EXPECT_EQ(box.shown.size(), 2);
}

TEST_F(ItemsListTreeTest, RemovingAsksOnlyForListsWithItemsAndKeepsTheLastList)
{
    const QString a = source(QStringLiteral("a.wav"));
    makeList(QStringLiteral("A.flst"), {sampleRecord(a, QStringLiteral("a"))});
    makeList(QStringLiteral("B.flst"), {});
    makeList(QStringLiteral("C.flst"), {});
    lists->setTree();
    FakeMessageBox box;

    lists->cTreeView1_NodeClick(listNode(QStringLiteral("A.flst")));
    box.answer(platform::vbNo);
    lists->RemoveItemsList();
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown.at(0).prompt, QStringLiteral("This operation will erase all the items under the 'A.flst', are you sure?"));
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("A.flst")));

    box.answer(platform::vbYes);
    lists->RemoveItemsList();
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("A.flst")));
    EXPECT_EQ(childKeys(), (QStringList{folder + QStringLiteral("B.flst"), folder + QStringLiteral("C.flst")}));
    EXPECT_EQ(lists->SelectedNode(), listNode(QStringLiteral("C.flst")));

    lists->RemoveItemsList();  // C holds no item: no question
    EXPECT_EQ(box.shown.size(), 2);
    EXPECT_EQ(childKeys(), QStringList{folder + QStringLiteral("B.flst")});

    lists->RemoveItemsList();  // the last list stays
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("B.flst")));
    EXPECT_EQ(childKeys().size(), 1);

    lists->cTreeView1_NodeClick(lists->g_nodeMainItems());
    lists->RemoveItemsList();
    EXPECT_EQ(childKeys().size(), 1);
}

TEST_F(ItemsListTreeTest, RenamingByLabelEdit)
{
    const QString a = source(QStringLiteral("a.wav"));
    makeList(QStringLiteral("Old.flst"), {sampleRecord(a, QStringLiteral("a"))});
    makeList(QStringLiteral("Taken.flst"), {});
    lists->setTree();
    QTreeWidgetItem* node = listNode(QStringLiteral("Old.flst"));
    lists->cTreeView1_NodeClick(node);
    FakeMessageBox box;

    struct Refused {
        QString text;
        bool message;
    } refused[] = {
        {QString(), false},
        {QStringLiteral("a:b"), false},
        {QStringLiteral("x/y"), false},
        {QStringLiteral("Taken"), true},
    };
    for (const Refused& r : refused) {
        bool cancel = false;
        lists->cTreeView1_AfterLabelEdit(node, r.text, cancel);
        EXPECT_TRUE(cancel) << r.text.toStdString();
        EXPECT_EQ(cTreeView::Key(node), folder + QStringLiteral("Old.flst"));
    }
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown.at(0).prompt, QStringLiteral("The Items List 'Taken' already exists. Please select a different name."));

    bool cancel = false;
    lists->cTreeView1_AfterLabelEdit(node, QStringLiteral("Old"), cancel);
    EXPECT_FALSE(cancel);

    lists->cTreeView1_AfterLabelEdit(node, QStringLiteral("New.name"), cancel);
    EXPECT_FALSE(cancel);
    EXPECT_EQ(cTreeView::Key(node), folder + QStringLiteral("New.name.flst"));
    EXPECT_EQ(cTreeView::Text(node), QStringLiteral("New.name"));
    EXPECT_EQ(lblListName->text(), QStringLiteral("New.name"));
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("Old.flst")));
    EXPECT_EQ(grid->Rows(), 1);  // reloaded from the renamed file

    // Saving goes to the new file.
    grid->Cell(1, grid->ColumnIndex(ItemRow::COL_ITEM_NAME)).Text(QStringLiteral("edited"));
    lists->SaveGridToFile();
    EXPECT_TRUE(readBytes(folder + QStringLiteral("New.name.flst")).contains("edited"));
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("Old.flst")));
}

TEST_F(ItemsListTreeTest, AnInPlaceEditRenamesThroughTheHandler)
{
    makeList(QStringLiteral("Old.flst"), {});
    makeList(QStringLiteral("Taken.flst"), {});
    lists->setTree();
    window.show();
    QTreeWidgetItem* node = listNode(QStringLiteral("Old.flst"));
    lists->cTreeView1_NodeClick(node);
    lists->LabelEdit(true);
    FakeMessageBox box;

    auto openEditor = [&]() -> QLineEdit* {
        for (QLineEdit* e : tree->viewport()->findChildren<QLineEdit*>())
            if (e->isVisible())
                return e;
        return nullptr;
    };
    auto type = [&](QLineEdit* editor, const QString& text) {
        editor->setText(text);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    };
    lists->StartLabelEdit(node);
    QLineEdit* editor = openEditor();
    ASSERT_NE(editor, nullptr);
    type(editor, QStringLiteral("Taken"));
    EXPECT_EQ(cTreeView::Text(node), QStringLiteral("Old"));  // refused: the caption stays
    EXPECT_EQ(box.shown.size(), 1);

    editor = openEditor();  // the edit starts again for another try
    ASSERT_NE(editor, nullptr);
    type(editor, QStringLiteral("Fresh"));
    EXPECT_EQ(cTreeView::Text(node), QStringLiteral("Fresh"));
    EXPECT_EQ(cTreeView::Key(node), folder + QStringLiteral("Fresh.flst"));
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("Fresh.flst")));
}

TEST_F(ItemsListTreeTest, AFailedRenameChangesNothingAndSaysSo)
{
    makeList(QStringLiteral("Old.flst"), {});
    lists->setTree();
    QTreeWidgetItem* node = listNode(QStringLiteral("Old.flst"));
    lists->cTreeView1_NodeClick(node);
    QFile::remove(folder + QStringLiteral("Old.flst"));  // gone behind the program's back

    FakeMessageBox box;
    bool cancel = false;
    lists->cTreeView1_AfterLabelEdit(node, QStringLiteral("New"), cancel);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(cTreeView::Key(node), folder + QStringLiteral("Old.flst"));
    EXPECT_EQ(cTreeView::Text(node), QStringLiteral("Old"));
    EXPECT_EQ(lblListName->text(), QStringLiteral("Old"));
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown.at(0).prompt, QStringLiteral("File not found (53).") + QString(28, u' '));
    EXPECT_EQ(box.shown.at(0).style, platform::vbInformation);
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("New.flst")));
}

TEST_F(ItemsListTreeTest, DriveCaptionsAreAcceptedAsTyped)
{
    g_lAppIncCDRipper = 1;
    host.drives = {QStringLiteral("D: Writer")};
    makeList(QStringLiteral("A.flst"), {});
    lists->setTree();
    bool cancel = false;
    lists->cTreeView1_AfterLabelEdit(lists->g_nodeMainCDs()->child(0), QStringLiteral("Artist - Album"), cancel);
    EXPECT_FALSE(cancel);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("A.flst")});
}

}  // namespace
