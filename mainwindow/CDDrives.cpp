// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The main window's drive nodes: listing the tracks of a disc, polling the drives, the start-up
// selection of the first disc and the ripper's error report.
#include "components/cAudioCDRipper.h"
#include "components/cAudioConverter.h"
#include "components/cGrid.h"
#include "mainwindow/CDDriveNodes.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/ItemsListTree.h"
#include "mainwindow/cStatusBar.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/cTreeView.h"

#include <QLabel>
#include <QPointer>
#include <QProgressBar>

namespace {

// "Object variable not set": what a listing ends with when the disc is gone from under it.
constexpr long kErrNoObject = 91;

const QString kInsertAudioCD = QStringLiteral("Insert an Audio CD to the CD drive.");

}  // namespace

long FrmMain::GetCDDriveIndex(const QString& sDrive)
{
    return cAudioCDRipper1 ? CDDriveNodes::DriveIndex(*cAudioCDRipper1, sDrive) : 0;
}

void FrmMain::GetCDTracksToGrid(const QString& sDrive)
{
    const QPointer<FrmMain> self(this);
    setCursor(Qt::WaitCursor);
    const auto showEmpty = [this] {
        picEmptyMsg->setVisible(true);
        lblAddorDrag->setText(kInsertAudioCD);
    };

    // The listing proper; a failure stops it with its error number and keeps the rows it made.
    const auto list = [&]() -> long {
        cAudioCDRipper* ripper = cAudioCDRipper1.get();
        if (!ripper)
            return kErrNoObject;
        const long index = GetCDDriveIndex(sDrive);
        cGrid1->Clear();
        cGrid1->Redraw(false);
        if (ripper->SelectDevice(index)) {
            if (ripper->IsAudioCD()) {
                const long count = ripper->TrackCount();
                prgStatus->setMaximum(static_cast<int>(count));
                prgStatus->setVisible(true);
                const QDateTime now = platform::clock().now();
                for (long t = 1; t <= count; ++t) {
                    prgStatus->setValue(static_cast<int>(t));
                    // A disc taken out (or changed) meanwhile no longer has this track.
                    if (t > ripper->TrackCount())
                        return kErrNoObject;
                    CDDriveNodes::TrackFacts facts;
                    facts.seconds = ripper->TrackSeconds(t);
                    facts.audio = ripper->TrackType(t) == 1;
                    CDDriveNodes::FillTrackRow(*cGrid1, sDrive, t, facts, cAudioConverter1->FormatTime(facts.seconds), now);
                }
                cGrid1->Redraw(true);
            } else {
                cGrid1->Clear();
                showEmpty();
            }
        }
        if (cGrid1->Rows() > 0) {
            picEmptyMsg->setVisible(false);
            cGrid1->Redraw(true);
            cGrid1->CurrentRow(ProgramOptions.chkSelectTheLastItem ? cGrid1->Rows() : 1);
            cStatusBar1->StatusPanelText(QStringLiteral("Main"), QStringLiteral("Ready."));
            DisplayGridInfoStatusBar();
        } else {
            showEmpty();
        }
        return 0;
    };

    const long failure = list();
    cGrid1->Redraw(true);
    if (failure != 0)
        showEmpty();
    DisplayGridInfoStatusBar();
    prgStatus->setVisible(false);
    unsetCursor();
    if (failure == kErrNoObject) {
        platform::MsgBox(QStringLiteral("There is no CD in the drive."), platform::vbInformation, QString(), this);
        return;
    }
    // The look-up starts once the listing has ended, so its window never opens over a listing
    // that is still going on.
    if (failure == 0 && self && cGrid1->Rows() > 0 && ProgramOptions.chkAutoFreeDB)
        RunCommand(QStringLiteral("FreeDB"));
}

void FrmMain::tmrCDs_Timer()
{
    if (!g_nodeMainCDs || !cAudioCDRipper1)
        return;
    const QPointer<FrmMain> self(this);
    for (int i = 1; self && g_nodeMainCDs && i <= g_nodeMainCDs->childCount(); ++i) {
        const long index = i - 1;
        QTreeWidgetItem* child = g_nodeMainCDs->child(i - 1);
        if (!cAudioCDRipper1->SelectDevice(index))
            continue;
        const QString name = cAudioCDRipper1->DeviceName(index);
        const bool selected = cTreeView::Key(cTreeView1->SelectedNode()) == kCDKeyPrefix + name;
        if (cAudioCDRipper1->TrackCount() > 0) {
            if (selected && cGrid1->Rows() == 0)
                cTreeView1_NodeClick(child);
        } else {
            if (selected && cGrid1->Rows() > 0)
                cTreeView1_NodeClick(child);
            if (self && g_nodeMainCDs && i <= g_nodeMainCDs->childCount())
                g_nodeMainCDs->child(i - 1)->setText(0, name.left(2));
        }
    }
}

void FrmMain::SelectFirstAudioCD()
{
    if (!g_nodeMainCDs || !cAudioCDRipper1)
        return;
    for (int i = 1; i <= g_nodeMainCDs->childCount(); ++i) {
        if (cAudioCDRipper1->SelectDevice(i - 1) && cAudioCDRipper1->TrackCount() >= 1) {
            cTreeView1_NodeClick(g_nodeMainCDs->child(i - 1));
            return;
        }
    }
}

void FrmMain::cAudioCDRipper1_Error(long number, const QString& text)
{
    platform::MsgBox(text + QStringLiteral(" (") + QString::number(number) + QLatin1Char(')'), platform::vbOKOnly, QString(),
                     this);
}
