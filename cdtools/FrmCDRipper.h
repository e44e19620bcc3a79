// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "batchtools/BatchToolWindow.h"
#include "batchtools/RowRunner.h"
#include "foundation/FormRef.h"

#include <memory>

class QTimer;
class cAudioCDRipper;

// "Audio CD Ripper": rips the marked tracks of the disc in one drive, each into a file of its
// own in the chosen format, named by the file-name template and tagged from its row. The grid
// holds the drive's whole track listing with the main window's marks; row r is ripped as track
// r, unmarked rows are passed over. The rows run one after the other through the row runner
// over the hosted ripper component, with the converter's time-left estimate. The source panel
// lists the drives, reports on the disc of the chosen one and opens its tray. GUI thread.
class FrmCDRipper : public BatchToolWindow {
    Q_OBJECT
public:
    FrmCDRipper();
    ~FrmCDRipper() override;

    // The hand-over of the "Audio CD Ripper" command: the template's, the total seconds, the
    // drive list and its "Open" button.
    ToolWindow& RipperHandOver();

    // Source drive.
    void FillSourceDevices();
    void cboDevices_Click();
    void cmdOpenCD_Click();

    // Output names, tags and format.
    QString ExpandFileNameTemplate(long& row);
    QString CreateID3TagsString(const QString& text);
    void SetID3Tags(long& row);
    void SetDestination() override;

    // Settings tab: the file-name templates.
    void LoadFileNameFormats();
    void cboFileName_Click();
    void lblSetAsDefaultFileName_Click();

    // The task (the row runner's, under this window's names).
    void ConvertTracks();
    long ConvertTask(long& row);
    void Timer1_Timer();
    void cAudioCDRipper1_Progress(long percent);
    void cAudioCDRipper1_Done();
    void cAudioCDRipper1_Aborted();
    void cAudioCDRipper1_Error(long code, const QString& text);
    // The template's actions, then the tray when "Eject the CD door" is ticked, then turning
    // the computer off.
    void DoEndEvents();

    // Puts another ripper in place (a test's) and lists its drives afresh; its events are wired
    // as the real one's.
    void UseRipper(std::unique_ptr<cAudioCDRipper> ripper);

    // Controls of this window beyond the template's.
    QLabel* Label1 = nullptr;
    QComboBox* cboDevices = nullptr;
    QPushButton* cmdOpenCD = nullptr;
    QLabel* lblCDStatus = nullptr;
    QCheckBox* chkOverWrite = nullptr;
    QCheckBox* chkOpenCDdrive = nullptr;
    QComboBox* cboFileName = nullptr;
    LinkLabel* lblSetAsDefaultFileName = nullptr;
    QLabel* lblTimeLeft = nullptr;
    std::unique_ptr<cAudioCDRipper> cAudioCDRipper1;

private:
    class Host;
    class HandOverPlus;

    std::unique_ptr<Host> m_host;
    std::unique_ptr<RowRunner> m_runner;
    // The rows of the running task that ended, and those of them that failed.
    std::unique_ptr<ToolWindow> m_ripperHandOver;

public:
    QTimer* const Timer1;
    // The run's members under the names this window gives them.
    long& g_ltmrItemSecsTotal;
    long& m_lCurrentRow;
    long& m_lItemSecs;
    long& m_lItemSecsDone;
    long& m_lFinishedSecs;
    long& m_lTimerTicks;

protected:
    void StartTask() override;
    void AbortComponent() override;
    void ShutdownComponent() override;
    void UnloadSelf() override;

private:
    void buildRipperControls();
    void layOut();
    void wireRipper();
};

inline FormRef<FrmCDRipper> g_frmCDRipper;

// Makes the "Audio CD Ripper" command open g_frmCDRipper.
void RegisterCDRipperWindow();
