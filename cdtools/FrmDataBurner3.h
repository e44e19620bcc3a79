// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "batchtools/BatchToolWindow.h"
#include "foundation/FormRef.h"

#include <QStringList>

#include <memory>

class LinkLabel;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QTimer;
class RowRunner;
class cAudioConverter;
class cAudioDataBurner;
class cBurner;
namespace components {
class RemovedOnSignal;
}

// "MP3 CD Maker" / "WMA CD Maker": prepares one file per copied row in the burn folder, copied
// unchanged or converted to the target format, then offers to burn them as a data disc with one
// of two engines (the first for CDs, the second for CDs and DVDs with a choice of file
// systems). The conversion runs row by row on the converter's events through the shared row
// runner; copying runs all rows in one call. Each row's prepared name is expanded once, when the
// row is prepared, and the burn takes the files under those names. A task runs exactly while
// cmdConvert is disabled. GUI thread.
class FrmDataBurner3 : public BatchToolWindow {
    Q_OBJECT
public:
    FrmDataBurner3();
    ~FrmDataBurner3() override;

    // Put other components in place (a test's); their events are wired as the real ones'.
    void UseComponents(std::unique_ptr<cAudioConverter> converter, std::unique_ptr<cAudioDataBurner> first,
                       std::unique_ptr<cBurner> second);

    // Task.
    void cmdConvert_Click();
    // The first entry of a task (taskStart) empties the burn folder; the converter's Done and
    // Error come back through the runner, not here.
    void ConvertTracks(bool taskStart = false);
    // One row's conversion: 0 started, 1 skipped, 2 task cancelled.
    long ConvertTask(long row);
    void SetID3Tags(long row);
    QString CreateID3TagsString(const QString& text);
    void cmdAbort_Click();
    void Timer1_Timer();
    void cAudioConverter1_Progress(long percent);
    void cAudioConverter1_Done();
    void cAudioConverter1_Aborted();
    void cAudioConverter1_Error(long code, const QString& text);
    void DoEndEvents();
    void SetDestination() override;
    QString GetBurnTempFolder() const;
    // The prepared name of a row (from 1): the one given when the row was prepared, else a
    // fresh expansion.
    QString ExpandFileNameTemplate(long row);
    void UpdateTargetFormatState();
    void chkDoNotConvertSource_Click();
    void cmdEditTargetFormat_Click();

    // Engines.
    void cmbEngine_Click();
    bool IsImapi2Installed();
    void EraseTempFiles();
    void lblErasetempfilesnow_Click();
    void lblOpenCDDoor_Click();
    void lblCloseCDDoor_Click();
    void FillDrivesV1();
    void FillSpeedsV1();
    void cboDrv_Click();
    void BurnDataDiscV1();
    void FillDrivesV2();
    void BurnDataDiscV2();
    void SetBurnControlsEnabled(bool enabled);

    // What the command hands over beside the template's members.
    ToolWindow& DataHandOver();

    // Controls under their own names.
    QLabel* Label3 = nullptr;
    QComboBox* cmbEngine = nullptr;
    QComboBox* cboDrv = nullptr;
    LinkLabel* lblOpenCDDoor = nullptr;
    LinkLabel* lblCloseCDDoor = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* cboSpeed = nullptr;
    QLabel* lblFileSys = nullptr;
    QCheckBox* chkJOLIET = nullptr;
    QCheckBox* chkISO = nullptr;
    QCheckBox* chkUDF = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtCDName = nullptr;
    QCheckBox* chkDoNotConvertSource = nullptr;
    QLabel* lblCDFormat = nullptr;
    QComboBox* cboFileName = nullptr;
    QCheckBox* chkOpenCDdrive = nullptr;
    QCheckBox* chkEraseTempfiles = nullptr;
    LinkLabel* lblErasetempfilesnow = nullptr;
    QLabel* lblTimeLeft = nullptr;

    std::unique_ptr<cAudioConverter> cAudioConverter1;
    std::unique_ptr<cAudioDataBurner> cAudioDataBurner1;
    std::unique_ptr<cBurner> cBurner1;

    bool m_bAbortRequested = false;

private:
    class Host;
    std::unique_ptr<Host> m_host;
    std::unique_ptr<RowRunner> m_runner;

public:
    // The conversion's timer and counters are the row runner's, under this window's names.
    QTimer* const Timer1;
    long& g_ltmrItemSecsTotal;
    long& m_lCurrentRow;
    long& m_lItemSecs;
    long& m_lItemSecsDone;
    long& m_lFinishedSecs;
    long& m_lTimerTicks;

protected:
    void StartTask() override {}
    void AbortComponent() override;
    void ShutdownComponent() override;
    void UnloadSelf() override;

private:
    void stageLine(const QString& text);
    void burnEnded();
    bool copyRows();  // false when the loop was aborted
    void endOfStage(int result);
    QString driveLetter() const;
    // The name a row is prepared under, expanded now and kept for the burn.
    QString prepareName(long row);

    // The name each row was prepared under, by row (from 1); empty before a row is prepared.
    QStringList m_preparedNames;
    // A burn engine is writing: Abort has nothing it can stop.
    bool m_burning = false;
    // The prepared files go with the part files when a signal ends the program: they are this
    // window's, which empties the burn folder when it closes.
    std::unique_ptr<components::RemovedOnSignal> m_preparedGoOnSignal;
    std::unique_ptr<ToolWindow> m_dataHandOver;
};

inline FormRef<FrmDataBurner3> g_frmDataBurner3;

// Makes "MP3 CD Maker" and "WMA CD Maker" open g_frmDataBurner3.
void RegisterDataBurnerWindow();
