// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "itemsgrid/FrmItem.h"
#include "mainwindow/cPopupMenu.h"
#include "mainwindow/cStatusBar.h"
#include "mainwindow/cToolbar.h"
#include "settings/controls/cTreeView.h"
#include "tests/itemsgrid/ItemsGridFixture.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QUrl>

namespace {

class GridEvents : public ItemsGridFixture {
protected:
    // A list of six items a..f with two records whose files are missing among them.
    FrmMain* openSix()
    {
        QStringList sources;
        for (const char* n : {"a", "b", "c", "d", "e", "f"})
            sources << makeWav(QLatin1String(n) + QStringLiteral(".wav"), 0.3);
        held1 = path(QStringLiteral("gone-1.wav"));
        held2 = path(QStringLiteral("gone-2.wav"));
        sources.insert(1, held1);
        sources.insert(5, held2);
        list = makeListOf(QStringLiteral("Six"), sources);
        FrmMain* f = openMain();
        EXPECT_EQ(f->cGrid1->Rows(), 6);
        return f;
    }
    QStringList names(FrmMain* f)
    {
        QStringList n;
        for (const QString& s : column(f->cGrid1, ItemRow::COL_ITEM_NAME))
            n << QFileInfo(s).completeBaseName();
        return n;
    }
    void expectHeldKept()
    {
        const QStringList files = listFiles(list);
        EXPECT_TRUE(files.contains(held1)) << files.join(u',').toStdString();
        EXPECT_TRUE(files.contains(held2));
    }
    ItemsListRecord recordOf(const QString& file)
    {
        for (const ItemsListRecord& r : listRecords(list))
            if (r[fldFile] == file)
                return r;
        return {};
    }
    static std::unique_ptr<QMimeData> uriList(const QByteArray& lines)
    {
        auto mime = std::make_unique<QMimeData>();
        mime->setData(QStringLiteral("text/uri-list"), lines);
        return mime;
    }
    static bool dragAccepted(QWidget* target, const QMimeData* mime)
    {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        enter.ignore();
        QApplication::sendEvent(target, &enter);
        return enter.isAccepted();
    }
    // A drop goes where the drag was last accepted, as with a real drag.
    static void drop(QWidget* target, const QMimeData* mime)
    {
        dragAccepted(target, mime);
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }

    QString list;
    QString held1;
    QString held2;
};

TEST_F(GridEvents, ClickInTheMarkColumnTogglesAndSaves)
{
    FrmMain* f = openSix();
    cGrid* g = f->cGrid1;
    g->Cell(4, g->ColumnIndex(ItemRow::COL_TYPE)).Icon(ItemRow::kTypeData);
    struct Case {
        const char* what;
        long row;
        long column;
        double x;
        int button;
        bool toggles;
    };
    const Case cases[] = {
        {"left at 300 in column 1", 2, 1, 300, 1, true},
        {"left at 301", 2, 1, 301, 1, false},
        {"middle button at 0", 3, 1, 0, 4, true},
        {"column 3", 2, 3, 100, 1, false},
        {"data track", 4, 1, 100, 1, false},
    };
    for (const Case& c : cases) {
        g->CurrentRow(c.row);
        g->CurrentColumn(c.column);
        const long before = g->Cell(c.row, 1).Icon();
        const quint64 file = listfixtures::fileIdentity(list);
        f->cGrid1_MouseUp(c.button, 0, c.x, 50);
        EXPECT_EQ(g->Cell(c.row, 1).Icon() != before, c.toggles) << c.what;
        // Saved exactly when toggled.
        EXPECT_EQ(listfixtures::fileIdentity(list) != file, c.toggles) << c.what;
        if (c.toggles) {
            EXPECT_EQ(recordOf(cell(g, c.row, COL_FILE))[fldInc], QString::number(g->Cell(c.row, 1).Icon())) << c.what;
        }
    }
    g->CurrentRow(1);
    g->CurrentColumn(1);
    f->cGrid1_MouseUp(1, 0, 0, 0);
    expectHeldKept();

    // Through the control: a real click in row 5's mark cell.
    const QRect mark = g->visualRect(g->model().index(4, 0));
    g->show();
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, mark.center());
    EXPECT_EQ(g->CurrentRow(), 5);
    EXPECT_EQ(g->Cell(5, 1).Icon(), ItemRow::kUnmarked);
    EXPECT_EQ(recordOf(cell(g, 5, COL_FILE))[fldInc], QStringLiteral("0"));
}

TEST_F(GridEvents, RightClickOpensTheItemsMenuOnlyOverRows)
{
    list = makeListOf(QStringLiteral("Empty"), {});
    FrmMain* f = openMain();
    f->show();
    f->cGrid1_MouseUp(2, 0, 100, 100);
    EXPECT_EQ(f->m_cMenu->LastPopup(), nullptr);
    // Handled as any other click: the (empty) list is written again.
    EXPECT_TRUE(QFileInfo::exists(list));

    const QString a = makeWav(QStringLiteral("a.wav"), 0.2);
    g_frmStat->AddFilesToList({a}, f->cGrid1, f, false);
    f->cGrid1->CurrentColumn(1);
    f->cGrid1_MouseUp(2, 0, 100, 100);
    QMenu* menu = f->m_cMenu->LastPopup();
    ASSERT_NE(menu, nullptr);
    QStringList captions;
    for (QAction* action : menu->actions())
        captions << action->text();
    EXPECT_TRUE(captions.contains(QStringLiteral("Mark/Unmark All"))) << captions.join(u'|').toStdString();
    // At the grid point, in the window.
    const QPoint expected = f->cGrid1->parentWidget()->mapToGlobal(f->cGrid1->pos() + QPoint(100 / 15, 100 / 15));
    EXPECT_LE((menu->pos() - expected).manhattanLength(), 2);
    menu->close();
    // No mark changed.
    EXPECT_EQ(f->cGrid1->Cell(1, 1).Icon(), ItemRow::kMarked);
}

TEST_F(GridEvents, DoubleClickOnADataTrackIsRefused)
{
    FrmMain* f = openSix();
    f->cGrid1->Cell(3, f->cGrid1->ColumnIndex(ItemRow::COL_TYPE)).Icon(ItemRow::kTypeData);
    f->cGrid1_DblClick(3, 1);
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown.first().prompt, QStringLiteral("Cannot edit a data track.") + QString(36, u' '));
    f->cGrid1->CurrentRow(3);
    f->cGridInfo_DblClick();
    EXPECT_EQ(box.shown.size(), 2);
    EXPECT_FALSE(g_frmItem.isLoaded());

    // An audio row opens the item properties window, modally, on the current row.
    f->cGrid1->CurrentRow(2);
    QString shownName;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(g_frmItem.isLoaded());
        modal = g_frmItem->isModal() && g_frmItem->isVisible();
        shownName = g_frmItem->txtItemName->text();
        g_frmItem->cmdExit->click();
    });
    f->cGrid1_DblClick(2, 3);
    EXPECT_TRUE(modal);
    EXPECT_EQ(shownName, QStringLiteral("b.wav"));
    EXPECT_FALSE(g_frmItem.isLoaded());
    EXPECT_EQ(box.shown.size(), 2);
}

TEST_F(GridEvents, DroppedUriListAddsLocalFilesAndNamesTheRest)
{
    list = makeListOf(QStringLiteral("Drops"), {});
    const QString song = makeWav(QString::fromUtf8("Звук é 音 #1.wav"), 1.0);
    const QString folder = path(QStringLiteral("Folder"));
    QDir().mkpath(folder);
    const QString missing = path(QStringLiteral("missing.wav"));
    FrmMain* f = openMain();
    QByteArray lines;
    for (const QString& p : {song, folder, missing})
        lines += QUrl::fromLocalFile(p).toEncoded() + "\r\n";
    lines += "http://example.com/song.mp3\r\n";
    ASSERT_TRUE(lines.contains("%D0%97"));  // percent-encoded, as file managers send it
    const auto mime = uriList(lines);

    EXPECT_TRUE(dragAccepted(f->cGrid1->viewport(), mime.get()));
    drop(f->cGrid1->viewport(), mime.get());

    ASSERT_EQ(f->cGrid1->Rows(), 1);
    EXPECT_EQ(cell(f->cGrid1, 1, COL_FILE), song);
    EXPECT_EQ(cell(f->cGrid1, 1, ItemRow::COL_ITEM_NAME), QString::fromUtf8("Звук é 音 #1.wav"));
    EXPECT_EQ(listFiles(list), QStringList{song});
    EXPECT_TRUE(f->m_lists->ListSummary().startsWith(QStringLiteral("1 Items, ")));
    ASSERT_EQ(box.shown.size(), 1);
    const QStringList message = box.shown.first().prompt.split(QStringLiteral("\r\n"));
    EXPECT_EQ(message, (QStringList{QStringLiteral("Cannot add ") + missing + QStringLiteral(" (the file does not exist)"),
                                    QStringLiteral("Cannot add http://example.com/song.mp3 (not a local file)"),
                                    QStringLiteral("Cannot add ") + folder + QStringLiteral(" (a folder)")}));
}

TEST_F(GridEvents, DropOnTheEmptyListPicture)
{
    list = makeListOf(QStringLiteral("Empty"), {});
    const QString a = makeWav(QStringLiteral("a.wav"), 1.0);
    const QString b = makeWav(QStringLiteral("b.wav"), 1.0);
    FrmMain* f = openMain();
    ASSERT_FALSE(f->picEmptyMsg->isHidden());
    const auto mime = uriList(QUrl::fromLocalFile(a).toEncoded() + "\r\n");
    EXPECT_TRUE(dragAccepted(f->lblAddorDrag, mime.get()));
    drop(f->lblAddorDrag, mime.get());
    EXPECT_EQ(f->cGrid1->Rows(), 1);
    EXPECT_TRUE(f->picEmptyMsg->isHidden());
    const auto second = uriList(QUrl::fromLocalFile(b).toEncoded() + "\r\n");
    drop(f->picEmptyMsg, second.get());
    EXPECT_EQ(listFiles(list), (QStringList{a, b}));
    // A drop of nothing usable still saves and refreshes.
    const quint64 file = listfixtures::fileIdentity(list);
    const auto none = uriList("file:///nowhere/at-all.wav\r\n");
    drop(f->lblEmptylist, none.get());
    EXPECT_NE(listfixtures::fileIdentity(list), file);
    EXPECT_EQ(listFiles(list), (QStringList{a, b}));
}

TEST_F(GridEvents, DragIsRefusedOverRootAndDriveNodes)
{
    list = makeListOf(QStringLiteral("L"), {});
    const QString a = makeWav(QStringLiteral("a.wav"), 1.0);
    FrmMain* f = openMain();
    const auto mime = uriList(QUrl::fromLocalFile(a).toEncoded() + "\r\n");
    QTreeWidgetItem* drive = f->cTreeView1->AddNode(QStringLiteral("##CDD:"), QStringLiteral("D:"), -1, -1, nullptr);
    for (QTreeWidgetItem* node : {g_nodeMainItems, drive}) {
        f->cTreeView1->SelectNode(node);
        ASSERT_EQ(f->cTreeView1->SelectedNode(), node);
        EXPECT_FALSE(dragAccepted(f->cGrid1->viewport(), mime.get()));
        EXPECT_FALSE(dragAccepted(f->picEmptyMsg, mime.get()));
        drop(f->cGrid1->viewport(), mime.get());
        f->cGrid1_OLEDragDrop(mime.get(), 1, 1, 0, 0, 0);
        EXPECT_EQ(f->cGrid1->Rows(), 0);
        EXPECT_FALSE(g_frmStat.isLoaded());
    }
    EXPECT_TRUE(box.shown.isEmpty());
    EXPECT_TRUE(listRecords(list).isEmpty());
}

TEST_F(GridEvents, RemovingSelectedRowsKeepsTheOthersInOrder)
{
    FrmMain* f = openSix();
    cGrid* g = f->cGrid1;
    g->CurrentRow(2);
    for (const int r : {3, 5})
        g->selectionModel()->select(g->model().index(r - 1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    ProgramOptions.chkDisplayMSGWhenErase = false;
    f->RunCommand(QStringLiteral("Remove Item"));
    // Nothing yet: the removal runs on the timer's tick.
    EXPECT_EQ(g->Rows(), 6);
    EXPECT_TRUE(f->tmrRemove->isActive());
    EXPECT_EQ(f->tmrRemove->interval(), 50);
    waitIdle(f);
    EXPECT_EQ(names(f), (QStringList{"a", "d", "f"}));
    EXPECT_TRUE(box.shown.isEmpty());
    EXPECT_TRUE(g->Redraw());
    QStringList saved;
    for (const QString& file : listFiles(list))
        saved << QFileInfo(file).completeBaseName();
    EXPECT_EQ(saved.size(), 5);
    EXPECT_EQ(saved.filter(QStringLiteral("gone")).size(), 2);
    EXPECT_EQ(QStringList(saved).replaceInStrings(QRegularExpression(QStringLiteral("^gone-.*")), QString()).join(QString()),
              QStringLiteral("adf"));
}

TEST_F(GridEvents, RemovalAsksWhenTheOptionIsOn)
{
    FrmMain* f = openSix();
    cGrid* g = f->cGrid1;
    ProgramOptions.chkDisplayMSGWhenErase = true;
    g->CurrentRow(4);
    box.answer(platform::vbNo);
    f->RunCommand(QStringLiteral("Remove Item"));
    waitIdle(f);
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown.first().prompt, QStringLiteral("This operation will erase the d.wav under the 'Six'.\r\n\r\nContinue?"));
    EXPECT_EQ(g->Rows(), 6);

    // Yes: the selected rows go; removing every row leaves the empty picture and an empty
    // list but for the held items.
    g->selectAll();
    f->RunCommand(QStringLiteral("Remove Item"));
    waitIdle(f);
    EXPECT_EQ(g->Rows(), 0);
    EXPECT_FALSE(f->picEmptyMsg->isHidden());
    EXPECT_EQ(listFiles(list), (QStringList{held1, held2}));
}

TEST_F(GridEvents, MarkUnmarkAllKeepsTheSelectionForTheRemovalThatFollows)
{
    FrmMain* f = openSix();
    cGrid* g = f->cGrid1;
    ProgramOptions.chkDisplayMSGWhenErase = false;
    g->CurrentRow(3);
    g->selectAll();
    const auto listButton = [f](const char* key) { f->tlbrList->Click(f->tlbrList->ButtonIndex(QLatin1String(key))); };

    // Marks and icons change; what the user selected does not.
    const long marked = f->GetMarkedCount();
    listButton("MarkUnmark All");
    EXPECT_NE(f->GetMarkedCount(), marked);
    for (long r = 1; r <= 6; ++r)
        EXPECT_TRUE(g->RowSelected(r)) << "row " << r;
    EXPECT_EQ(g->CurrentRow(), 3);

    listButton("Remove Item");
    waitIdle(f);
    EXPECT_EQ(g->Rows(), 0);
    EXPECT_EQ(listFiles(list), (QStringList{held1, held2}));
}

TEST_F(GridEvents, AfterARemovalTheInformationGridShowsTheNewCurrentRow)
{
    FrmMain* f = openSix();
    cGrid* g = f->cGrid1;
    cGrid* info = f->cGridInfo;
    ProgramOptions.chkDisplayMSGWhenErase = false;
    const auto shown = [info](long row) { return info->Cell(row, 2).Text(); };
    g->CurrentRow(2);
    ASSERT_EQ(shown(1), cell(g, 2, ItemRow::COL_ITEM_NAME));

    // Row 2 goes; the row after it takes its number and its facts are the ones shown.
    f->RunCommand(QStringLiteral("Remove Item"));
    waitIdle(f);
    ASSERT_EQ(names(f), (QStringList{"a", "c", "d", "e", "f"}));
    const long current = g->CurrentRow();
    ASSERT_GE(current, 1);
    ASSERT_EQ(info->Rows(), 9);
    EXPECT_EQ(shown(1), cell(g, current, ItemRow::COL_ITEM_NAME));
    EXPECT_EQ(shown(2), cell(g, current, ItemRow::COL_TIME));
    EXPECT_EQ(shown(3), cell(g, current, ItemRow::COL_SIZE));
    EXPECT_EQ(shown(9), QString::number(current));

    // The last rows gone: nothing is shown.
    g->selectAll();
    f->RunCommand(QStringLiteral("Remove Item"));
    waitIdle(f);
    EXPECT_EQ(g->Rows(), 0);
    EXPECT_EQ(info->Rows(), 0);
}

TEST_F(GridEvents, HeldItemsSurviveEverySaveUntilTheListIsCleared)
{
    FrmMain* f = openSix();
    cGrid* g = f->cGrid1;
    ASSERT_EQ(f->m_lists->loader().Held().size(), 2);

    g->CurrentRow(2);
    g->CurrentColumn(1);
    f->cGrid1_MouseUp(1, 0, 10, 10);
    expectHeldKept();
    f->RunCommand(QStringLiteral("MarkUnmark All"));
    f->MarkAllItems(true);
    expectHeldKept();
    f->ReplaceRow(1);
    f->SaveGridToFile();
    expectHeldKept();
    const QString extra = makeWav(QStringLiteral("extra.wav"), 0.2);
    const auto mime = uriList(QUrl::fromLocalFile(extra).toEncoded() + "\r\n");
    drop(g->viewport(), mime.get());
    expectHeldKept();
    EXPECT_TRUE(listFiles(list).contains(extra));
    g->CurrentRow(1);
    f->RunCommand(QStringLiteral("Remove Item"));
    waitIdle(f);
    expectHeldKept();
    EXPECT_EQ(listFiles(list).size(), 2 + 6);

    // "Clear the List" erases everything, as its question says.
    f->RunCommand(QStringLiteral("Clear the List"));
    EXPECT_EQ(g->Rows(), 6);
    waitIdle(f);
    ASSERT_FALSE(box.shown.isEmpty());
    EXPECT_EQ(box.shown.last().prompt,
              QStringLiteral("This operation will erase all the items under the 'Six' list.\r\n\r\nAre you sure?"));
    EXPECT_EQ(g->Rows(), 0);
    EXPECT_TRUE(listRecords(list).isEmpty());
}

TEST_F(GridEvents, SplitterDropsOnThePanesBesideTheGridResizeTheTree)
{
    list = makeListOf(QStringLiteral("L"), {});
    FrmMain* f = openMain();
    f->m_layout.cTreeView1.width = 3000;
    f->picTitleProject_DragDrop(f->picResizer, 2500, 0);
    const long fromTitle = f->m_layout.cTreeView1.width;
    f->m_layout.cTreeView1.width = 3000;
    f->cTreeView1_DragDrop(f->picResizer, 2500, 0);
    EXPECT_EQ(f->m_layout.cTreeView1.width, fromTitle);
    f->tlbrProjectsHost_DragDrop(f->picResizer, 10, 0);
    EXPECT_EQ(f->m_layout.cTreeView1.width, 1000);  // never narrower than 1000 twips

    f->m_layout.cTreeView1.width = 3000;
    f->picList_DragDrop(f->picResizer, 600, 0);
    const long fromList = f->m_layout.cTreeView1.width;
    f->m_layout.cTreeView1.width = 3000;
    f->picTitleList_DragDrop(f->picResizer, 600, 0);
    EXPECT_EQ(f->m_layout.cTreeView1.width, fromList);
    f->m_layout.cTreeView1.width = 3000;
    f->cGrid1_DragDrop(f->picResizer, 600, 0);
    EXPECT_EQ(f->m_layout.cTreeView1.width, fromList);
}

}  // namespace
