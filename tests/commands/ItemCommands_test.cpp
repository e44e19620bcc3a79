// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/commands/CommandsFixture.h"

#include "foundation/FrmFileCopy.h"
#include "foundation/mdlCommDialog.h"
#include "mainwindow/ItemsListLoader.h"
#include "tests/support/ListFixtures.h"
#include "tests/support/SpecialFiles.h"

#include <QLineEdit>
#include <QSignalBlocker>

#include <sys/stat.h>

namespace {

class ItemCommandsTest : public CommandsFixture {
protected:
    static QString spaces(int n) { return QString(n, u' '); }
    static QStringList savedFiles(const QString& list)
    {
        QStringList files;
        for (const ItemsListRecord& r : ParseItemsListText(ReadItemsListFile(list).text))
            files << r[fldFile];
        return files;
    }
    QTreeWidgetItem* addDrive(FrmMain* f, const QString& caption)
    {
        auto* drive = new QTreeWidgetItem(f->cTreeView1);
        cTreeView::SetKey(drive, QStringLiteral("##CD") + caption);
        drive->setText(0, caption);
        return drive;
    }
};

}  // namespace

TEST_F(ItemCommandsTest, RefusalsShowTheirTextsAndEndEarly)
{
    const QString list = makeList(QStringLiteral("Songs"), makeWavs(2));
    FrmMain* f = openMain();
    openList(f, list);
    // A drive node with tracks listed in the grid.
    QTreeWidgetItem* drive = addDrive(f, QStringLiteral("D:"));
    f->cTreeView1->setCurrentItem(drive);
    struct Case {
        const char* key;
        QString message;
    };
    const Case onDrive[] = {
        {"Add Files", QStringLiteral("Adding new items to the Audio CD List is not possible.") + spaces(20)},
        {"Save As", QStringLiteral("Nothing to save.") + spaces(20)},
        {"Remove Item", QStringLiteral("Cannot remove items from Audio CD.") + spaces(20)},
    };
    for (const Case& c : onDrive) {
        box.shown.clear();
        f->RunCommand(QLatin1String(c.key));
        EXPECT_EQ(prompts(), QStringList{c.message}) << c.key;
        EXPECT_EQ(box.shown.value(0).style, platform::vbInformation | platform::vbOKOnly) << c.key;
    }
    EXPECT_TRUE(dialogs.requests.isEmpty());
    EXPECT_EQ(preview.refreshes, 0);

    openList(f, list);
    box.shown.clear();
    // The lookup's key is carried only with the CD tools; the branch is reached directly.
    f->m_cMenu_Click(f->m_cMenu->MenuAddItem(QStringLiteral("FreeDB"), {}, 0, 0, -1, false, true, QStringLiteral("FreeDB")));
    EXPECT_EQ(prompts(), QStringList{QStringLiteral("Select the CD drive to get the information about.") + spaces(18)});
    f->cGrid1->Clear();
    box.shown.clear();
    f->RunCommand(QStringLiteral("FreeDB"));
    EXPECT_TRUE(box.shown.isEmpty());
}

TEST_F(ItemCommandsTest, NewItemsListTakesTheFirstFreeNumber)
{
    makeList(QStringLiteral("New Items List 1"), {});
    makeList(QStringLiteral("New Items List 3"), {});
    FrmMain* f = openMain();
    f->cTreeView1->setCurrentItem(g_nodeMainItems);
    f->RunCommand(QStringLiteral("New Items List"));
    EXPECT_FALSE(QFileInfo::exists(QDir(listsFolder).filePath(QStringLiteral("New Items List 2.flst"))));
    openList(f, QDir(listsFolder).filePath(QStringLiteral("New Items List 1.flst")));
    f->RunCommand(QStringLiteral("New Items List"));
    const QString made = QDir(listsFolder).filePath(QStringLiteral("New Items List 2.flst"));
    EXPECT_TRUE(QFileInfo::exists(made));
    EXPECT_EQ(cTreeView::Key(f->cTreeView1->SelectedNode()), made);
    EXPECT_EQ(cTreeView::Text(f->cTreeView1->SelectedNode()), QStringLiteral("New Items List 2"));
    EXPECT_TRUE(f->m_lists->LabelEdit());
    // The caption's editor is open on the new node.
    EXPECT_NE(f->cTreeView1->findChild<QLineEdit*>(), nullptr);
}

TEST_F(ItemCommandsTest, MovesExchangeRowsAndAlwaysSave)
{
    const QStringList files = makeWavs(6);
    const QString list = makeList(QStringLiteral("Songs"), files);
    FrmMain* f = openMain();
    openList(f, list);
    struct Case {
        const char* key;
        long from;
        QList<int> order;  // indexes into files after the move
        long current;
    };
    const Case cases[] = {
        {"Move Up", 1, {0, 1, 2, 3, 4, 5}, 1},      {"Move Down", 6, {0, 1, 2, 3, 4, 5}, 6},
        {"Move To First", 4, {3, 1, 2, 0, 4, 5}, 1}, {"Move To Last", 2, {3, 5, 2, 0, 4, 1}, 6},
        {"Move Up", 3, {3, 2, 5, 0, 4, 1}, 2},      {"Move Down", 2, {3, 5, 2, 0, 4, 1}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        // Saved even when the order stays: the file is written anew.
        const quint64 before = listfixtures::fileIdentity(list);
        f->cGrid1->CurrentRow(c.from);
        f->RunCommand(QLatin1String(c.key));
        EXPECT_NE(listfixtures::fileIdentity(list), before);
        QStringList expected;
        for (int i : c.order)
            expected << files[i];
        EXPECT_EQ(column(f->cGrid1, COL_FILE), expected);
        EXPECT_EQ(f->cGrid1->CurrentRow(), c.current);
        EXPECT_EQ(savedFiles(list), expected);
    }
    // On a drive node the tracks keep their places.
    QTreeWidgetItem* drive = addDrive(f, QStringLiteral("E:"));
    f->cTreeView1->setCurrentItem(drive);
    const QStringList before = column(f->cGrid1, COL_FILE);
    f->cGrid1->CurrentRow(3);
    f->RunCommand(QStringLiteral("Move To First"));
    EXPECT_EQ(column(f->cGrid1, COL_FILE), before);
}

TEST_F(ItemCommandsTest, MarkUnmarkAllTogglesAndSaves)
{
    const QString list = makeList(QStringLiteral("Songs"), makeWavs(3), {QStringLiteral("0"), QStringLiteral("1")});
    FrmMain* f = openMain();
    openList(f, list);
    f->RunCommand(QStringLiteral("MarkUnmark All"));
    EXPECT_EQ(f->GetMarkedCount(), 0);
    f->RunCommand(QStringLiteral("MarkUnmark All"));
    EXPECT_EQ(f->GetMarkedCount(), 3);
    int marked = 0;
    for (const ItemsListRecord& r : ParseItemsListText(ReadItemsListFile(list).text))
        marked += r[fldInc] == QLatin1String("1");
    EXPECT_EQ(marked, 3);
}

TEST_F(ItemCommandsTest, SaveAsCopiesTheRowsOwnFile)
{
    const QStringList files = makeWavs(2);
    const QString list = makeList(QStringLiteral("Songs"), files);
    FrmMain* f = openMain();
    openList(f, list);
    f->cGrid1->CurrentRow(2);

    // Cancel: nothing copied, the dialog offered the file's own extension.
    f->RunCommand(QStringLiteral("Save As"));
    ASSERT_EQ(dialogs.requests.size(), 1);
    EXPECT_EQ(dialogs.requests[0].title, QStringLiteral("Save As"));
    EXPECT_EQ(dialogs.requests[0].defaultSuffix, QStringLiteral("wav"));
    EXPECT_EQ(g_FileDialog.lpstrFilter, QStringLiteral("Audio Files (*.wav)") + QChar(u'\0') + QStringLiteral("*.wav"));
    EXPECT_FALSE(g_frmFileCopy.isLoaded());

    const QString target = QDir(media).filePath(QStringLiteral("copy.wav"));
    dialogs.saveAs(target);
    f->RunCommand(QStringLiteral("Save As"));
    QFile a(files[1]);
    QFile b(target);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());
    // No folder of that name was made from the list's key.
    EXPECT_FALSE(QFileInfo::exists(list + QStringLiteral("take2.wav")));
}

TEST_F(ItemCommandsTest, SaveAsOntoALinkWritesThroughALinkToAFileAndReplacesAnyOtherLinkItself)
{
    const QStringList files = makeWavs(1);
    const QString list = makeList(QStringLiteral("Songs"), files);
    FrmMain* f = openMain();
    openList(f, list);
    f->cGrid1->CurrentRow(1);
    const QByteArray copy = [&] {
        QFile a(files[0]);
        return a.open(QIODevice::ReadOnly) ? a.readAll() : QByteArray();
    }();
    ASSERT_FALSE(copy.isEmpty());
    const QString elsewhere = QDir(media).filePath(QStringLiteral("elsewhere"));
    ASSERT_NO_FATAL_FAILURE(specialfiles::makeLinkTargets(elsewhere, "old"));
    for (const specialfiles::LinkCase& c : specialfiles::kLinkCases) {
        SCOPED_TRACE(c.link);
        const QString link = QDir(media).filePath(QLatin1String(c.link));
        const QString target = elsewhere + QLatin1Char('/') + QLatin1String(c.leadsTo);
        ASSERT_TRUE(QFile::link(target, link));
        dialogs.saveAs(link);
        f->RunCommand(QStringLiteral("Save As"));
        EXPECT_EQ(QFileInfo(link).isSymLink(), c.through);
        QFile written(c.through ? target : link);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
        EXPECT_TRUE(written.readAll() == copy);
    }
    // Nothing was made where the dangling link pointed; the pipe is still a pipe, and no
    // temporary file is left anywhere.
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(elsewhere + QStringLiteral("/pipe")).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(QDir(elsewhere).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList({QStringLiteral("file.wav"), QStringLiteral("pipe")}));
    const QStringList left = QDir(media).entryList(QDir::Files | QDir::Hidden | QDir::System);
    EXPECT_EQ(left.filter(QStringLiteral(".link-")), QStringList());
}

TEST_F(ItemCommandsTest, ClearTheListOnADriveAsksWithItsCaptionAndWritesNoFile)
{
    const QString list = makeList(QStringLiteral("Songs"), makeWavs(2));
    FrmMain* f = openMain();
    openList(f, list);
    QTreeWidgetItem* drive = addDrive(f, QStringLiteral("F:"));
    {
        // Selected without its listing (there is no such drive), so the rows stand for a
        // drive's tracks.
        const QSignalBlocker quiet(f->cTreeView1);
        f->cTreeView1->setCurrentItem(drive);
    }
    const QStringList listsBefore = QDir(listsFolder).entryList(QDir::Files);
    box.answer(platform::vbYes);
    f->RunCommand(QStringLiteral("Clear the List"));
    EXPECT_TRUE(box.shown.isEmpty());  // asked only on the timer's tick
    EXPECT_EQ(f->cGrid1->Rows(), 2);
    QElapsedTimer t;
    t.start();
    while (f->tmrRemove->isActive() && t.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(prompts(), QStringList{QStringLiteral("This operation will erase all the items under the 'F:' list.\r\n\r\nAre you sure?")});
    EXPECT_EQ(f->cGrid1->Rows(), 0);
    EXPECT_EQ(QDir(listsFolder).entryList(QDir::Files), listsBefore);
    EXPECT_EQ(savedFiles(list).size(), 2);
}

TEST_F(ItemCommandsTest, OpenDestinationFolderOpensTheListsFolder)
{
    const QString list = makeList(QStringLiteral("Songs"), makeWavs(1));
    FrmMain* f = openMain();
    for (QTreeWidgetItem* node : {static_cast<QTreeWidgetItem*>(nullptr), g_nodeMainItems}) {
        if (node)
            f->cTreeView1->setCurrentItem(node);
        else
            openList(f, list);
        shell.opened.clear();
        f->RunCommand(QStringLiteral("Open Destination Folder"));
        ASSERT_EQ(shell.opened.size(), 1);
        EXPECT_EQ(QDir(shell.opened[0]).absolutePath(), QDir(listsFolder).absolutePath());
    }
    EXPECT_TRUE(box.shown.isEmpty());
    EXPECT_FALSE(QFileInfo(list).isDir());
}
