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

    // Another item is removed above it: the file is saved without that one, and with the hidden
    // record as it was, still between the ninth and the eleventh.
    removeRow(f, 3);
    EXPECT_EQ(f->cGrid1->Rows(), 10);
    const QByteArray saved = readBytes(list);
    QByteArray expected = bytes;
    const qsizetype third = [&] {
        qsizetype at = -1;
        for (int i = 0; i < 3; ++i)
            at = expected.indexOf("<ITEM>", at + 1);
        return at;
    }();
    expected.remove(third, expected.indexOf("</ITEM>", third) + 7 - third);
    EXPECT_EQ(saved, expected);
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
        // Room for the first pages of the new list but not for all of it.
        {"disk that fills partway through",
         [](smalldisk::SmallDisk&, const QString& folder) {
             const QString filler = QDir(folder).filePath(QStringLiteral("filler"));
             smalldisk::SmallDisk::fill(filler);
             QFile f(filler);
             return f.size() > 8192 && f.resize(f.size() / 4096 * 4096 - 8192);
         },
         [](smalldisk::SmallDisk&, const QString& folder) { return QFile::remove(QDir(folder).filePath(QStringLiteral("filler"))); },
         ENOSPC},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        smalldisk::SmallDisk disk(listsFolder, "256k");
        if (!disk.mounted())
            GTEST_SKIP() << disk.refusal();
        // A list longer than the room left partway through.
        const QStringList sources = wavs(48);
        list = makeListOf(QStringLiteral("Three"), sources);
        const QByteArray before = readBytes(list);
        ASSERT_GT(before.size(), 2 * 8192 + 4096);
        FrmMain* f = openMain();
        ASSERT_EQ(f->cGrid1->Rows(), 48);
        ASSERT_TRUE(c.spoil(disk, listsFolder));

        removeRow(f, 1);
        EXPECT_EQ(f->cGrid1->Rows(), 47);
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
    box.answer(platform::vbCancel);
    removeRow(first, 4);

    // Refused, with the reason; the second's change stands, and the first says it is not saved.
    EXPECT_EQ(listFiles(list), sources.mid(1));
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_TRUE(box.shown.first().prompt.startsWith(
        QStringLiteral("The items list 'Shared' was not saved: the file was changed by another program since it was read.")))
        << box.shown.first().prompt.toStdString();
    EXPECT_EQ(box.shown.first().style & 7, platform::vbYesNoCancel);
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

TEST_F(ListSaving, AListChangedElsewhereIsAskedAboutWithBothWaysOut)
{
    struct Case {
        const char* what;
        int answer;
        int sourcesFrom, sourcesCount;  // of the file afterwards
        bool unsaved;
    };
    // The second instance saved items 2..4; this window holds items 1..3.
    const Case cases[] = {
        {"Yes: the list as it is in its file", platform::vbYes, 1, 3, false},
        {"No: the file replaced with this window's list", platform::vbNo, 0, 3, false},
        {"Cancel: both left as they are", platform::vbCancel, 1, 3, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QStringList sources = wavs(4);
        list = makeListOf(QStringLiteral("Shared"), sources);
        FrmMain* f = openMain();
        ASSERT_EQ(f->cGrid1->Rows(), 4);
        SecondInstance second(sources);
        second.grid->RemoveRow(1);
        second.lists->SaveGridToFile();
        ASSERT_EQ(listFiles(list), sources.mid(1));

        box.answer(c.answer);
        removeRow(f, 4);
        ASSERT_EQ(box.shown.size(), 1);
        const QString prompt = box.shown.first().prompt;
        EXPECT_EQ(box.shown.first().style & 7, platform::vbYesNoCancel);
        EXPECT_TRUE(prompt.contains(QStringLiteral("Yes: load the list as it is in its file now"))) << prompt.toStdString();
        EXPECT_TRUE(prompt.contains(QStringLiteral("No: replace the file with the list of this window"))) << prompt.toStdString();
        QTest::qWait(50);
        waitIdle(f);

        EXPECT_EQ(listFiles(list), sources.mid(c.sourcesFrom, c.sourcesCount));
        EXPECT_EQ(f->m_lists->IsUnsaved(), c.unsaved);
        EXPECT_EQ(f->lblListName->text(), c.unsaved ? QStringLiteral("Shared (not saved)") : QStringLiteral("Shared"));
        // What the window shows afterwards is the file or is told as not saved.
        EXPECT_EQ(column(f->cGrid1, COL_FILE), c.unsaved ? sources.mid(0, 3) : listFiles(list));
        // A later change of this window saves from there, or (still not saved) is refused.
        f->MarkAllItems(false);
        f->SaveGridToFile();
        EXPECT_EQ(listFiles(list), sources.mid(c.sourcesFrom, c.sourcesCount));
        EXPECT_EQ(box.shown.size(), 1);

        forms::unloadAll();
        box.shown.clear();
    }
}

TEST_F(ListSaving, ANotSavedListIsAskedAboutAtExitEvenWithTheExitQuestionOff)
{
    struct Case {
        const char* what;
        bool exitOption;
        QList<int> answers;  // to the questions at exit, in turn
        bool exits;
        int sourcesFrom;  // the file afterwards: items sourcesFrom .. sourcesFrom + 2
    };
    const Case cases[] = {
        {"Cancel stays; then Yes replaces the file and exits", false, {platform::vbCancel, platform::vbYes}, true, 0},
        {"No exits and leaves the file", false, {platform::vbNo}, true, 1},
        {"the list's question instead of the exit question", true, {platform::vbYes}, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramOptions.chkDisplayMSGWhenExit = c.exitOption;
        const QStringList sources = wavs(4);
        list = makeListOf(QStringLiteral("Shared"), sources);
        FrmMain* f = openMain();
        {
            SecondInstance second(sources);
            second.grid->RemoveRow(1);
            second.lists->SaveGridToFile();
        }
        box.answer(platform::vbCancel);
        removeRow(f, 4);
        ASSERT_TRUE(f->m_lists->IsUnsaved());
        box.shown.clear();

        for (qsizetype i = 0; i < c.answers.size(); ++i) {
            box.answer(c.answers.at(i));
            const bool closed = f->close();
            EXPECT_EQ(closed, c.answers.at(i) != platform::vbCancel);
            if (!closed) {
                EXPECT_TRUE(frmMain.isLoaded());
                EXPECT_EQ(listFiles(list), sources.mid(1, 3));
            }
        }
        QTest::qWait(20);
        EXPECT_EQ(frmMain.isLoaded(), !c.exits);
        ASSERT_EQ(box.shown.size(), c.answers.size());
        for (const auto& shown : box.shown) {
            EXPECT_TRUE(shown.prompt.startsWith(QStringLiteral("The items list 'Shared' is not saved"))) << shown.prompt.toStdString();
            EXPECT_TRUE(shown.prompt.contains(list)) << shown.prompt.toStdString();
            EXPECT_EQ(shown.style & 7, platform::vbYesNoCancel);
        }
        EXPECT_EQ(listFiles(list), sources.mid(c.sourcesFrom, 3));

        forms::unloadAll();
        box.shown.clear();
    }
}

TEST_F(ListSaving, AnExitWhoseSaveFailsStaysAndSaysWhy)
{
    smalldisk::SmallDisk disk(listsFolder, "256k");
    if (!disk.mounted())
        GTEST_SKIP() << disk.refusal();
    const QStringList sources = wavs(3);
    list = makeListOf(QStringLiteral("Three"), sources);
    FrmMain* f = openMain();
    ASSERT_TRUE(disk.makeReadOnly());
    removeRow(f, 1);
    ASSERT_TRUE(f->m_lists->IsUnsaved());
    box.shown.clear();

    box.answer(platform::vbYes);
    EXPECT_FALSE(f->close());
    EXPECT_TRUE(frmMain.isLoaded());
    ASSERT_EQ(box.shown.size(), 2);
    EXPECT_TRUE(box.shown[1].prompt.startsWith(QStringLiteral("The items list 'Three' was not saved: ") +
                                               QString::fromLocal8Bit(std::strerror(EROFS))))
        << box.shown[1].prompt.toStdString();

    // Room again: the same question saves the list and exits.
    ASSERT_TRUE(disk.makeWritable());
    box.answer(platform::vbYes);
    EXPECT_TRUE(f->close());
    QTest::qWait(20);
    EXPECT_FALSE(frmMain.isLoaded());
    EXPECT_EQ(listFiles(list), sources.mid(1));
}

TEST_F(ListSaving, ALeftoverOfASaveKilledAtItsRenameGoesAtTheNextSave)
{
    const QStringList sources = wavs(3);
    list = makeListOf(QStringLiteral("Big"), sources);
    const QDir folder(listsFolder);
    const QStringList leftovers = {QStringLiteral("Big.flst.BDtgdx"), QStringLiteral("Big.flst.qWeRty")};
    // Not of a save of this list: another list's, backups, a copy of a damaged list, other names.
    const QStringList others = {QStringLiteral("Other.flst.BDtgdx"), QStringLiteral("Big.flst.bak"),
                                QStringLiteral("Big.flst.damaged-20260101-101010"), QStringLiteral("Big.flst.BDtgd1"),
                                QStringLiteral("Big.flst.BDtgdxy"), QStringLiteral("Big.flst.BDtgd"),
                                // six letters that read as a word: a copy the user made
                                QStringLiteral("Big.flst.backup"), QStringLiteral("Big.flst.Backup"), QStringLiteral("Big.flst.BACKUP")};
    for (const QString& name : leftovers + others)
        writeBytes(folder.filePath(name), readBytes(list).left(100));
    // A link of that name is no file of ours, nor is where it leads.
    const QString target = folder.filePath(QStringLiteral("target.txt"));
    writeBytes(target, "kept");
    ASSERT_TRUE(QFile::link(target, folder.filePath(QStringLiteral("Big.flst.LnkAbc"))));

    FrmMain* f = openMain();
    ASSERT_EQ(f->cGrid1->Rows(), 3);
    for (const QString& name : leftovers)
        EXPECT_TRUE(QFileInfo::exists(folder.filePath(name))) << "removed by a load: " << name.toStdString();
    removeRow(f, 1);
    EXPECT_EQ(listFiles(list), sources.mid(1));
    for (const QString& name : leftovers)
        EXPECT_FALSE(QFileInfo::exists(folder.filePath(name))) << name.toStdString();
    for (const QString& name : others)
        EXPECT_TRUE(QFileInfo::exists(folder.filePath(name))) << name.toStdString();
    EXPECT_TRUE(QFileInfo(folder.filePath(QStringLiteral("Big.flst.LnkAbc"))).isSymLink());
    EXPECT_EQ(readBytes(target), QByteArray("kept"));
}

TEST_F(ListSaving, ItemsWhoseFilesAreMissingAreCountedAndTheReasonGiven)
{
    struct Case {
        const char* what;
        int present;  // of three
        QString panel;
        QString heading, text;  // over the empty grid
    };
    const Case cases[] = {
        {"one of three missing", 2, QStringLiteral("1 item not shown: file missing."), QString(), QString()},
        {"every file missing", 0, QStringLiteral("3 items not shown: files missing."),
         QStringLiteral("No item of this list can be shown."),
         QStringLiteral("3 items of this list are not shown: their audio files are missing or cannot be read. They stay in "
                        "the list file.")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QStringList sources = wavs(c.present);
        while (sources.size() < 3)
            sources << path(QStringLiteral("unplugged/%1.wav").arg(sources.size()));
        list = makeListOf(QStringLiteral("Drive"), sources);
        const QByteArray before = readBytes(list);
        FrmMain* f = openMain();
        EXPECT_EQ(f->cGrid1->Rows(), c.present);
        EXPECT_EQ(mainPanel(f), c.panel);
        if (!c.heading.isEmpty()) {
            EXPECT_FALSE(f->picEmptyMsg->isHidden());
            EXPECT_EQ(f->lblEmptylist->text(), c.heading);
            EXPECT_EQ(f->lblAddorDrag->text(), c.text);
        }
        // Nothing was lost on the way.
        f->MarkAllItems(false);
        f->SaveGridToFile();
        EXPECT_EQ(listFiles(list), sources);
        EXPECT_TRUE(box.shown.isEmpty());

        forms::unloadAll();
    }
    // A list without such items says nothing of them.
    list = makeListOf(QStringLiteral("Drive"), wavs(2));
    FrmMain* f = openMain();
    EXPECT_EQ(mainPanel(f), QStringLiteral("Ready."));
}

}  // namespace
