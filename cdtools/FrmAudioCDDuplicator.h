// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "batchtools/BatchToolWindow.h"
#include "cdtools/DuplicationTask.h"
#include "foundation/FormRef.h"

#include <memory>

class BurnerDrivePanel;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTimer;
class cAudioBurner;
class cAudioCDRipper;

// "Audio CD Duplicator": copies the audio CD of a source drive to a blank disc in a writer.
// The source is checked every three seconds while idle (tmrState); "Duplicate" is enabled by a
// passed check. The task (cdtools/DuplicationTask.h) rips every track into "duptmp" of the
// program folder and burns the files; closing, Exit and Duplicate are refused from the start
// of a task until its end has been shown, whatever the controls' enabled states say meanwhile.
// Closing at any other time releases both components and empties "duptmp". GUI thread.
class FrmAudioCDDuplicator : public BatchToolWindow, private DuplicationHost {
    Q_OBJECT
public:
    FrmAudioCDDuplicator();
    ~FrmAudioCDDuplicator() override;

    // Puts other components in place (a test's): the task, the writer panel and both lists are
    // rebuilt on them. A null one keeps the current.
    void UseComponents(std::unique_ptr<cAudioCDRipper> ripper, std::unique_ptr<cAudioBurner> burner);

    void cmdConvert_Click() override;
    void cmdAbort_Click();
    void Form_Unload(bool& Cancel);
    void SetDestination() override {}

    // Source.
    void FillSourceDevices();
    void cboDevices_Click();
    void LoadCDTracks(const QString& sDrive);
    void tmrState_Timer();
    void cmdOpenCD_Click();
    void cmdCloseCD_Click();
    // Writer.
    void FillBurnerDrives();
    void cboDrv_Click();
    void cmdOpenDestCD_Click();
    void cmdClose_Click();

    bool DoOnFly() const;
    void SetOnTheFly() {}
    void SetDuplicatorControlsEnabled(bool enabled);
    void DoEndEvents();
    bool TaskRunning() const { return Task && Task->Running(); }

    std::unique_ptr<cAudioCDRipper> cAudioCDRipper1;
    std::unique_ptr<cAudioBurner> cAudioBurner1;
    std::unique_ptr<BurnerDrivePanel> DrivePanel;
    std::unique_ptr<DuplicationTask> Task;

    QLabel* lblSource = nullptr;
    QComboBox* cboDevices = nullptr;
    QPushButton* cmdOpenCD = nullptr;
    QPushButton* cmdCloseCD = nullptr;
    QLabel* lblCDStatus = nullptr;
    // The writer panel's, under this window's names.
    QComboBox* cboDrv = nullptr;
    QComboBox* cboSpeed = nullptr;
    QPushButton* cmdOpenDestCD = nullptr;
    QPushButton* cmdClose = nullptr;
    QLabel* lblDiskSize = nullptr;
    QLabel* lblDiskCapacity = nullptr;
    QLabel* lblState = nullptr;
    QCheckBox* chkOnTheFly = nullptr;
    QCheckBox* chkOpenCDdrive = nullptr;
    QLabel* lblTimeLeft = nullptr;
    QTimer* tmrState = nullptr;
    long g_ltmrItemSecsTotal = 0;

protected:
    void StartTask() override {}
    void AbortComponent() override;
    void ShutdownComponent() override;
    void UnloadSelf() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void placeWriterPanel();
    void setStatus(const QString& text, const QColor* colour);

    // What the task shows and asks.
    void Log(const QString& line) override;
    void Status(const QString& text) override;
    void Caption(const QString& text) override;
    void FilesCounter(const QString& text) override;
    void ShowLog() override;
    void CurrentProgress(long value) override;
    void TotalMaximum(long max) override;
    void TotalProgress(long value) override;
    void CurrentRow(long row) override;
    void Busy(bool hourglass) override;
    void ControlsEnabled(bool enabled) override;
    void SourceChecks(bool on) override;
    QStringList RowTags(long row) override;
    bool StopBeforeBurn() override;
    void ShowRippedFiles(const QStringList& paths) override;
    QString WriterLetter() override;
    long WriterSpeed() override;
    void OpenWriterTray() override;
    bool PromptForDisc(const QString& text) override;
    void NothingToBurn() override;
    void EndEvents(bool offerTurnOff) override;
    void Balloon(const QString& text) override;
    void Succeeded() override;
    void Failed() override {}

    bool m_offerTurnOff = true;
};

inline FormRef<FrmAudioCDDuplicator> g_frmAudioCDDuplicator;

// Makes the "Audio CD Duplicator" command open g_frmAudioCDDuplicator.
void RegisterAudioCDDuplicatorWindow();
