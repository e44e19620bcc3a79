// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The main window's list file under trouble: a list damaged by hand, a save that cannot be
// written, and a list that another instance of the program saved meanwhile.
#include "tests/itemsgrid/ItemsGridFixture.h"
#include "tests/itemslists/ItemsListFixtures.h"
#include "tests/support/SmallDisk.h"

#include "mainwindow/cStatusBar.h"

#include <QLabel>
#include <QProgressBar>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <functional>

namespace {

class ListSaving : public ItemsGridFixture {
protected:
    QStringList wavs(int count)
    {
        QStringList sources;
        for (int i = 1; i <= count; ++i)
            sources << makeWav(QStringLiteral("%1.wav").arg(i), 0.1);
        return sources;
    }
    // Removes the grid's row through the "Remove Item" command, as the user does.
    static void removeRow(FrmMain* f, long row)
    {
        f->cGrid1->CurrentRow(row);
        f->RunCommand(QStringLiteral("Remove Item"));
        waitIdle(f);
    }
    static QString mainPanel(FrmMain* f) { return f->cStatusBar1->StatusPanelText(QStringLiteral("Main")); }

    QString list;
};

TEST_F(ListSaving, ADamagedMarkerIsToldAndItsRecordSurvivesEverySave)
{
    const QStringList sources = wavs(12);
    list = makeListOf(QStringLiteral("Damaged"), sources);
    QByteArray bytes = readBytes(list);
    const qsizetype tenth = [&] {
        qsizetype at = -1;
        for (int i = 0; i < 10; ++i)
            at = bytes.indexOf("<ITEM>", at + 1);
        return at;
    }();
    bytes.replace(tenth, 6, "<ITEM\r\n");
    const QByteArray hidden = bytes.mid(tenth, bytes.indexOf("</ITEM>", tenth) + 7 - tenth);
    writeBytes(list, bytes);

    FrmMain* f = openMain();
    EXPECT_EQ(f->cGrid1->Rows(), 11);
    // Told once the window's events run, with the place and the copy beside the list.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !box.shown.isEmpty(); }, 5000));
    ASSERT_EQ(box.shown.size(), 1);
    const QStringList copies = QDir(listsFolder).entryList({QStringLiteral("Damaged.flst.damaged-*")});
    ASSERT_EQ(copies.size(), 1);
    const QString prompt = box.shown.first().prompt;
    EXPECT_TRUE(prompt.startsWith(QStringLiteral("The items list 'Damaged' is damaged"))) << prompt.toStdString();
    EXPECT_TRUE(prompt.contains(QStringLiteral("after item 9"))) << prompt.toStdString();
    EXPECT_TRUE(prompt.contains(QDir(listsFolder).filePath(copies.first()))) << prompt.toStdString();
    EXPECT_EQ(readBytes(QDir(listsFolder).filePath(copies.first())), bytes);

    // Another item is removed: the file is saved without it, and with the hidden record as it was.
    removeRow(f, 3);
    EXPECT_EQ(f->cGrid1->Rows(), 10);
    const QByteArray saved = readBytes(list);
    EXPECT_TRUE(saved.contains(hidden));
    EXPECT_FALSE(listFiles(list).contains(sources[2]));
    EXPECT_EQ(mainPanel(f), QStringLiteral("Ready."));

    // Opened again: the same ten items, the record still there and the damage told again.
    f->m_lists->cTreeView1_NodeClick(f->cTreeView1->SelectedNode());
    waitIdle(f);
    EXPECT_EQ(f->cGrid1->Rows(), 10);
    ASSERT_TRUE(QTest::qWaitFor([&] { return box.shown.size() == 2; }, 5000));
    f->MarkAllItems(false);
    f->SaveGridToFile();
    EXPECT_TRUE(readBytes(list).contains(hidden));
    EXPECT_EQ(QDir(listsFolder).entryList({QStringLiteral("Damaged.flst.damaged-*")}).size(), 1);
}

TEST_F(ListSaving, ASaveThatCannotBeWrittenIsToldAndShownUntilOneSucceeds)
{
    struct Case {
        const char* what;
        std::function<bool(smalldisk::SmallDisk&, const QString& folder)> spoil;
        std::function<bool(smalldisk::SmallDisk&, const QString& folder)> mend;
        int error;
    };
    const Case cases[] = {
        {"read-only folder", [](smalldisk::SmallDisk& d, const QString&) { return d.makeReadOnly(); },
         [](smalldisk::SmallDisk& d, const QString&) { return d.makeWritable(); }, EROFS},
        {"full disk",
         [](smalldisk::SmallDisk&, const QString& folder) {
             smalldisk::SmallDisk::fill(QDir(folder).filePath(QStringLiteral("filler")));
             return true;
         },
         [](smalldisk::SmallDisk&, const QString& folder) { return QFile::remove(QDir(folder).filePath(QStringLiteral("filler"))); },
         ENOSPC},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        smalldisk::SmallDisk disk(listsFolder, "256k");
        if (!disk.mounted())
            GTEST_SKIP() << disk.refusal();
        const QStringList sources = wavs(3);
        list = makeListOf(QStringLiteral("Three"), sources);
        const QByteArray before = readBytes(list);
        FrmMain* f = openMain();
        ASSERT_EQ(f->cGrid1->Rows(), 3);
        ASSERT_TRUE(c.spoil(disk, listsFolder));

        removeRow(f, 1);
        EXPECT_EQ(f->cGrid1->Rows(), 2);
        EXPECT_EQ(readBytes(list), before);
        ASSERT_EQ(box.shown.size(), 1);
        const QString prompt = box.shown.first().prompt;
        EXPECT_TRUE(prompt.startsWith(QStringLiteral("The items list 'Three' was not saved: "))) << prompt.toStdString();
        EXPECT_TRUE(prompt.contains(QString::fromLocal8Bit(std::strerror(c.error)))) << prompt.toStdString();
        EXPECT_TRUE(prompt.contains(list)) << prompt.toStdString();
        // The window says what it shows is not in the file, for as long as that lasts.
        EXPECT_EQ(f->lblListName->text(), QStringLiteral("Three (not saved)"));
        EXPECT_EQ(mainPanel(f), QStringLiteral("Not saved."));

        // The next change fails the same way: still shown, not told again.
        f->MarkAllItems(false);
        f->SaveGridToFile();
        EXPECT_EQ(box.shown.size(), 1);
        EXPECT_EQ(f->lblListName->text(), QStringLiteral("Three (not saved)"));
        EXPECT_EQ(readBytes(list), before);

        // Room again: the next change writes everything the window shows.
        ASSERT_TRUE(c.mend(disk, listsFolder));
        f->MarkAllItems(true);
        f->SaveGridToFile();
        EXPECT_EQ(f->lblListName->text(), QStringLiteral("Three"));
        EXPECT_EQ(mainPanel(f), QStringLiteral("Ready."));
        EXPECT_EQ(listFiles(list), sources.mid(1));
        EXPECT_EQ(box.shown.size(), 1);

        forms::unloadAll();
        box.shown.clear();
    }
}

// A second instance of the program on the same settings: the same class the main window keeps
// its lists with, over controls of its own.
class SecondInstance {
public:
    explicit SecondInstance(const QStringList& sources)
    {
        for (const QString& s : sources)
            probe.sources.insert(s, {});
        ItemsListControls c;
        c.tree = new cTreeView(&window);
        c.grid = grid.get();
        c.lblListName = new QLabel(&window);
        c.prgStatus = new QProgressBar(&window);
        c.prgStatus->setVisible(false);
        lists = std::make_unique<ItemsListTree>(c, probe, host);
        lists->loader().SetSliceMilliseconds(0);
        lists->setTree();
        lists->SelectFirstItemsList();
    }
    FakeProbe probe;
    ItemsListHost host;
    QWidget window;
    std::unique_ptr<cGrid> grid = makeItemGrid();
    std::unique_ptr<ItemsListTree> lists;
};

TEST_F(ListSaving, ASaveNeverUndoesWhatAnotherInstanceSaved)
{
    const QStringList sources = wavs(4);
    list = makeListOf(QStringLiteral("Shared"), sources);
    FrmMain* first = openMain();
    ASSERT_EQ(first->cGrid1->Rows(), 4);
    SecondInstance second(sources);
    ASSERT_EQ(second.grid->Rows(), 4);

    // The second removes item 1 and saves; the first, which still shows it, then removes item 4.
    second.grid->RemoveRow(1);
    second.lists->SaveGridToFile();
    ASSERT_EQ(listFiles(list), sources.mid(1));
    box.answer(platform::vbNo);
    removeRow(first, 4);

    // Refused, with the reason; the second's change stands, and the first says it is not saved.
    EXPECT_EQ(listFiles(list), sources.mid(1));
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_TRUE(box.shown.first().prompt.startsWith(
        QStringLiteral("The items list 'Shared' was not saved: the file was changed by another program since it was read.")))
        << box.shown.first().prompt.toStdString();
    EXPECT_EQ(box.shown.first().style & 7, platform::vbYesNo);
    EXPECT_EQ(first->lblListName->text(), QStringLiteral("Shared (not saved)"));
    EXPECT_EQ(mainPanel(first), QStringLiteral("Not saved."));
    first->MarkAllItems(false);
    first->SaveGridToFile();
    EXPECT_EQ(listFiles(list), sources.mid(1));
    EXPECT_EQ(box.shown.size(), 1);

    // Opened again, the first shows the list as saved, and its own changes save from there.
    first->m_lists->cTreeView1_NodeClick(first->cTreeView1->SelectedNode());
    waitIdle(first);
    ASSERT_EQ(first->cGrid1->Rows(), 3);
    EXPECT_EQ(first->lblListName->text(), QStringLiteral("Shared"));
    removeRow(first, 3);
    EXPECT_EQ(listFiles(list), sources.mid(1, 2));
    EXPECT_EQ(box.shown.size(), 1);

    // Now the second is behind: its save is refused too, and answering Yes loads the list anew.
    second.grid->RemoveRow(1);
    second.lists->SaveGridToFile();
    EXPECT_EQ(listFiles(list), sources.mid(1, 2));
    ASSERT_EQ(box.shown.size(), 2);
    EXPECT_TRUE(second.lists->IsUnsaved());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !second.lists->IsUnsaved(); }, 5000));
    ASSERT_EQ(second.grid->Rows(), 2);
    EXPECT_EQ(::cell(*second.grid, 1, COL_FILE), sources[1]);
    EXPECT_EQ(::cell(*second.grid, 2, COL_FILE), sources[2]);
}

}  // namespace
