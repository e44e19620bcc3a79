// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "batchtools/BatchToolWindow.h"
#include "foundation/FormRef.h"

#include <memory>

class BurnerDrivePanel;
class QCheckBox;
class QLabel;
class cAudioBurner;

// "Audio CD Burner": writes the copied rows' files, in row order, as the audio tracks of a CD
// through the hosted audio burner component; the writer and speed come from the drive panel.
// A burn runs exactly while cmdConvert is disabled; Exit stays enabled but closing is refused
// meanwhile. GUI thread.
class FrmCDBurner : public BatchToolWindow {
    Q_OBJECT
public:
    FrmCDBurner();
    ~FrmCDBurner() override;

    // Puts another component in place (a test's); its events are wired as the real one's and
    // the drive panel is rebuilt on it.
    void UseBurnerComponent(std::unique_ptr<cAudioBurner> component);

    void cmdConvert_Click();
    void BurnDisk();
    void cmdAbort_Click();
    void DoEndEvents();
    void lblOpenDestinationDestinationFolder_Click();
    void SetDestination() override {}

    void cAudioBurner1_Progress(int percent, int track);
    void cAudioBurner1_StepProgress(int percent);
    void cAudioBurner1_ClosingSession();
    void cAudioBurner1_ClosingTrack();
    void cAudioBurner1_CachingTrack();
    void cAudioBurner1_WritingTrack();
    void cAudioBurner1_Finished();
    void cAudioBurner1_Error(long code, const QString& text);

    std::unique_ptr<cAudioBurner> cAudioBurner1;
    std::unique_ptr<BurnerDrivePanel> DrivePanel;
    cProgressBar* prgSize = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* lblDataSize = nullptr;
    QCheckBox* chkOpenCDdrive = nullptr;
    long m_lLastTrack = 0;

protected:
    void StartTask() override { BurnDisk(); }
    void AbortComponent() override;
    void ShutdownComponent() override;
    void UnloadSelf() override;

private:
    void stageEvent(const QString& text);
};

inline FormRef<FrmCDBurner> g_frmCDBurner;

// The hand-over the "Audio CD Maker" command writes through.
ToolWindow& CDBurnerHandOver();
// Makes the "Audio CD Maker" command open g_frmCDBurner.
void RegisterCDBurnerWindow();
