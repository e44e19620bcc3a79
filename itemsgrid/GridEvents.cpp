// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The main window's handlers of what the user does in and around the items grid: clicks, the
// grid menu, double clicks, file drops, the deferred removals, and the drops of the pane splitter
// on the panes beside the grid.
#include "components/cGrid.h"
#include "foundation/Twips.h"
#include "foundation/mdlFileTime.h"
#include "itemsgrid/AddFilesProbe.h"
#include "itemsgrid/FrmItem.h"
#include "itemsgrid/FrmStat.h"
#include "itemsgrid/GridRows.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/ItemsListTree.h"
#include "mainwindow/cPopupMenu.h"
#include "platform/MessageBox.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/cTreeView.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalBlocker>
#include <QTimer>
#include <QUrl>

namespace {

constexpr long kDataTrackIcon = ItemRow::kTypeData;

}  // namespace

void FrmMain::connectGridEvents()
{
    connect(cGrid1, &cGrid::SelChange, this, &FrmMain::cGrid1_SelChange);
    connect(cGrid1, &cGrid::MouseUp, this, &FrmMain::cGrid1_MouseUp);
    connect(cGrid1, &cGrid::DblClick, this, &FrmMain::cGrid1_DblClick);
    // The grid's one-argument event: painting goes back on.
    connect(cGrid1, &cGrid::HeaderClick, this, [this](long) { cGrid1->Redraw(true); });
    connect(cGridInfo, &cGrid::DblClick, this, [this](long, long) { cGridInfo_DblClick(); });
    // Drops are taken before the grid sees them: the drop's whole URL list is read here, and a
    // drag over a root or drive node is refused while it is still a drag.
    for (QWidget* w : {cGrid1->viewport(), static_cast<QWidget*>(picEmptyMsg), static_cast<QWidget*>(lblAddorDrag),
                       static_cast<QWidget*>(lblEmptylist)}) {
        w->setAcceptDrops(true);
        w->installEventFilter(this);
    }
    picResizer->setMouseTracking(true);
}

bool FrmMain::FileDropAllowed() const
{
    const QString key = cTreeView::Key(cTreeView1->SelectedNode());
    return !key.isEmpty() && !IsCDNode(key) && !IsMainNode(key);
}

bool FrmMain::gridEventFilter(QObject* watched, QEvent* event)
{
    const bool dropTarget = watched == cGrid1->viewport() || watched == picEmptyMsg || watched == lblAddorDrag ||
                            watched == lblEmptylist;
    if (dropTarget) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (FileDropAllowed() && drag->mimeData() && drag->mimeData()->hasUrls())
                drag->acceptProposedAction();
            else
                drag->ignore();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            drop->acceptProposedAction();
            const QPoint p = drop->position().toPoint();
            const double x = PixelsToTwips(p.x());
            const double y = PixelsToTwips(p.y());
            const int button = 1;
            const int shift = 0;
            if (watched == lblAddorDrag)
                lblAddorDrag_OLEDragDrop(drop->mimeData(), 1, button, shift, x, y);
            else if (watched == lblEmptylist)
                lblEmptylist_OLEDragDrop(drop->mimeData(), 1, button, shift, x, y);
            else if (watched == picEmptyMsg)
                picEmptyMsg_OLEDragDrop(drop->mimeData(), 1, button, shift, x, y);
            else
                cGrid1_OLEDragDrop(drop->mimeData(), 1, button, shift, x, y);
            return true;
        }
        default:
            break;
        }
    }
    if (watched == picResizer && event->type() == QEvent::MouseMove) {
        const auto* move = static_cast<QMouseEvent*>(event);
        picResizer_MouseMove(static_cast<int>(move->buttons()), 0, PixelsToTwips(qRound(move->position().x())),
                             PixelsToTwips(qRound(move->position().y())));
    }
    // The splitter bar is dragged and dropped on a pane beside it, which resizes the tree.
    if (watched == picResizer && event->type() == QEvent::MouseButtonRelease) {
        const QPoint global = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
        using Drop = void (FrmMain::*)(QWidget*, double, double);
        const std::pair<QWidget*, Drop> targets[] = {
            {cTreeView1, &FrmMain::cTreeView1_DragDrop},
            {picTitleProject, &FrmMain::picTitleProject_DragDrop},
            {tlbrProjectsHost, &FrmMain::tlbrProjectsHost_DragDrop},
            {cGrid1, &FrmMain::cGrid1_DragDrop},
            {picTitleList, &FrmMain::picTitleList_DragDrop},
            {picList, &FrmMain::picList_DragDrop},
        };
        for (const auto& [target, handler] : targets) {
            if (!target || !target->isVisible())
                continue;
            const QPoint local = target->mapFromGlobal(global);
            if (!target->rect().contains(local))
                continue;
            (this->*handler)(picResizer, PixelsToTwips(local.x()), PixelsToTwips(local.y()));
            break;
        }
    }
    return false;
}

void FrmMain::LoadItemToPlayer() { m_host->LoadItemToPlayer(); }

void FrmMain::cGrid1_MouseUp(int Button, int, double X, double Y)
{
    if (Button == 2 && cGrid1->Rows() >= 1) {
        const long item = m_cMenu->MenuIndexOfKey(QStringLiteral("MarkUnmark All"));
        // X and Y are twips from the grid's corner; the menu opens at that point of the window.
        const QPoint inWindow(cGrid1->x() + TwipsToPixels(static_cast<long>(std::lround(X))),
                              cGrid1->y() + TwipsToPixels(static_cast<long>(std::lround(Y))));
        const QPoint global = cGrid1->parentWidget()->mapToGlobal(inWindow);
        m_cMenu->MenuPopup(global.x(), global.y(), item, true);
        return;
    }
    if (X > 300)
        return;
    LoadItemToPlayer();
    const long row = cGrid1->CurrentRow();
    if (cGrid1->Cell(row, cGrid1->ColumnIndex(ItemRow::COL_TYPE)).Icon() == kDataTrackIcon)
        return;
    if (cGrid1->CurrentColumn() != 1)
        return;
    if (row >= 1) {
        const cGridCell mark = cGrid1->Cell(row, cGrid1->CurrentColumn());
        mark.Icon(mark.Icon() == ItemRow::kMarked ? ItemRow::kUnmarked : ItemRow::kMarked);
    }
    SaveGridToFile();
}

void FrmMain::cGrid1_DblClick(long row, long)
{
    if (cGrid1->Cell(row, cGrid1->ColumnIndex(ItemRow::COL_TYPE)).Icon() == kDataTrackIcon) {
        platform::MsgBox(QStringLiteral("Cannot edit a data track.") + QString(36, u' '), platform::vbInformation, QString(),
                         this);
        return;
    }
    ShowItemProperties(this);
}

void FrmMain::cGridInfo_DblClick() { cGrid1_DblClick(cGrid1->CurrentRow(), cGrid1->CurrentColumn()); }

void FrmMain::cGrid1_SelChange() { GetFileInfoToGridInfo(); }

void FrmMain::cGrid1_OLEDragDrop(const QMimeData* Data, long, int, int, double, double)
{
    if (!FileDropAllowed())
        return;
    FrmStat* stat = g_frmStat.get();
    QStringList paths;
    if (Data && Data->hasUrls()) {
        for (const QUrl& url : Data->urls()) {
            if (!url.isLocalFile()) {
                stat->NoteRefusal(url.toDisplayString(), AddRefusal::NotLocal);
                continue;
            }
            const QString path = url.toLocalFile();
            // A dropped folder goes on to the pass, which passes it over.
            const FileLook look = LookAtFile(path);
            const std::optional<AddRefusal> refusal = LookRefusal(path, look);
            if (refusal && !(look.isFolder && *refusal == AddRefusal::Folder))
                stat->NoteRefusal(path, *refusal);
            else
                paths << path;
        }
    }
    AddPathsAndSave(paths);
}

void FrmMain::lblAddorDrag_OLEDragDrop(const QMimeData* Data, long Effect, int Button, int Shift, double X, double Y)
{
    cGrid1_OLEDragDrop(Data, Effect, Button, Shift, X, Y);
}

void FrmMain::lblEmptylist_OLEDragDrop(const QMimeData* Data, long Effect, int Button, int Shift, double X, double Y)
{
    cGrid1_OLEDragDrop(Data, Effect, Button, Shift, X, Y);
}

void FrmMain::picEmptyMsg_OLEDragDrop(const QMimeData* Data, long Effect, int Button, int Shift, double X, double Y)
{
    cGrid1_OLEDragDrop(Data, Effect, Button, Shift, X, Y);
}

void FrmMain::picList_DragDrop(QWidget* Source, double X, double Y) { cGrid1_DragDrop(Source, X, Y); }
void FrmMain::picTitleList_DragDrop(QWidget* Source, double X, double Y) { cGrid1_DragDrop(Source, X, Y); }
void FrmMain::picTitleProject_DragDrop(QWidget* Source, double X, double Y) { cTreeView1_DragDrop(Source, X, Y); }
void FrmMain::tlbrProjectsHost_DragDrop(QWidget* Source, double X, double Y) { cTreeView1_DragDrop(Source, X, Y); }

void FrmMain::picResizer_MouseMove(int, int, double, double) { picResizer->setCursor(Qt::SizeHorCursor); }

// Removal commands: they only name the removal and start the timer, so the menu has closed
// before a question is asked.

bool FrmMain::cmdRemoveItem(long)
{
    if (IsCDNode(cTreeView::Key(cTreeView1->SelectedNode()))) {
        platform::MsgBox(QStringLiteral("Cannot remove items from Audio CD.") + QString(20, u' '), platform::vbInformation,
                         QString(), this);
        return false;
    }
    if (cGrid1->Rows() == 0)
        return false;
    m_sRemoveMode = QStringLiteral("Item");
    tmrRemove->start();
    return true;
}

void FrmMain::tmrRemove_Timer()
{
    tmrRemove->stop();
    if (m_sRemoveMode == QLatin1String("All")) {
        m_lists->ClearTheList(false);
        return;
    }
    if (m_sRemoveMode == QLatin1String("Item"))
        RemoveItems();
}

void FrmMain::RemoveItems()
{
    if (m_host->PreviewIsPlaying()) {
        m_host->StopPreview();
        SetRowUnBold();
    }
    if (ProgramOptions.chkDisplayMSGWhenErase) {
        const QString name = cGrid1->Cell(cGrid1->CurrentRow(), cGrid1->ColumnIndex(ItemRow::COL_ITEM_NAME)).Text();
        const QString prompt = QStringLiteral("This operation will erase the ") + name + QStringLiteral(" under the '") +
                               cTreeView::Text(cTreeView1->SelectedNode()) + QStringLiteral("'.") +
                               QStringLiteral("\r\n\r\n") + QStringLiteral("Continue?");
        if (platform::MsgBox(prompt, platform::vbYesNo | platform::vbInformation, QString(), this) != platform::vbYes)
            return;
    }
    // The selection as the user left it: the view does not follow the rows while painting is
    // off, so it is read before the first row goes.
    std::vector<bool> selected(static_cast<size_t>(cGrid1->Rows()) + 1, false);
    for (long r = 1; r <= cGrid1->Rows(); ++r)
        selected[static_cast<size_t>(r)] = cGrid1->RowSelected(r);

    cGrid1->Redraw(false);
    {
        // Each removal above the current row moves it and raises a selection change, which
        // reads that row's file for the information grid; it is filled once, at the end.
        const QSignalBlocker quiet(cGrid1);
        if (cGrid1->Rows() >= 1) {
            const long n = cGrid1->Rows();
            long k = 0;
            for (long i = 1; i <= n; ++i) {
                if (selected[static_cast<size_t>(i)]) {
                    cGrid1->RemoveRow(i - k);
                    m_lists->loader().RowRemoved(i - k);
                    ++k;
                }
            }
        }
        const long current = cGrid1->CurrentRow();
        if (current == 0)
            cGrid1->Clear();
        else
            cGrid1->CurrentRow(current);
    }
    SaveGridToFile();
    DisplayGridInfoStatusBar();
    cGrid1->Redraw(true);
    picEmptyMsg->setVisible(cGrid1->Rows() == 0);
    GetFileInfoToGridInfo();
}
