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
class cAudioConverter;
class cAudioDataBurner;
class cBurner;

// "MP3 CD Maker" / "WMA CD Maker": prepares one file per copied row in the burn folder, copied
// unchanged or converted to the target format, then offers to burn them as a data disc with one
// of two engines (the first for CDs, the second for CDs and DVDs with a choice of file
// systems). Each row's prepared name is expanded once, when the row is prepared, and the burn
// takes the files under those names. A task runs exactly while cmdConvert is disabled. GUI
// thread.
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
    void ConvertTracks(bool taskStart = false);
    void cmdAbort_Click();
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

    std::unique_ptr<cAudioConverter> cAudioConverter1;
    std::unique_ptr<cAudioDataBurner> cAudioDataBurner1;
    std::unique_ptr<cBurner> cBurner1;

    bool m_bAbortRequested = false;
    long m_lCurrentRow = 0;
    long g_ltmrItemSecsTotal = 0;

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

    // The name each row was prepared under, by row (from 1); empty before a row is prepared.
    QStringList m_preparedNames;
    // A burn engine is writing: Abort has nothing it can stop.
    bool m_burning = false;
    std::unique_ptr<ToolWindow> m_dataHandOver;
};

inline FormRef<FrmDataBurner3> g_frmDataBurner3;

// Makes "MP3 CD Maker" and "WMA CD Maker" open g_frmDataBurner3.
void RegisterDataBurnerWindow();
