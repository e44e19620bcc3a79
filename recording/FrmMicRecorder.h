// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "commands/ToolWindows.h"
#include "components/cWave.h"
#include "foundation/FormRef.h"

#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class cProgressBar;
class cSlider;
class cStatusBar;

// The recording format of the three list texts: PCM, 2 channels for "Stereo" else 1, the rate
// and bits as numbers, block align and bytes per second from them.
cWave::WaveFormatEx RecorderWaveFormat(const QString& bits, const QString& rate, const QString& channels);

// "Audio Recorder": records a sound input into a WAV file, plays a WAV file back, logs what the
// recorder component did, and hands the recorded file to the open items list ("Add", which also
// closes it). Opened modally by the main window. GUI thread.
class FrmMicRecorder : public QWidget, public ToolWindow {
    Q_OBJECT
public:
    // Makes the recorder component of the next load (tests); null: the real one.
    static inline std::function<std::unique_ptr<cWave>()> componentFactory;

    FrmMicRecorder();
    ~FrmMicRecorder() override;

    void Form_Load();
    void Form_Unload();
    void cmdRecord_Click();
    void cmdStopRec_Click();
    void cmdPauseIn_Click();
    void cmdUnPauseIn_Click();
    void cmdPlay_Click();
    void cmdStop_Click();
    void cmdPauseOut_Click();
    void cmdUnPauseOut_Click();
    void cmdPath_Click();
    void cmdAdd_Click();
    void cmdExit_Click();
    void tmrRec_Timer();
    void tmSlider_Timer();
    void txtResults_Change();
    void chkMeterIn_Click();
    void chkPreScreen_Click();
    void cmdFileDetails_Click();
    void cWave1_DonePlay();
    void cWave1_DoneRecord();
    void cWave1_MeterLevel(int level);

    QWidget* Window() override { return this; }

    QFrame* picTitle = nullptr;
    QLabel* lblTitle = nullptr;
    QComboBox* cboDevices = nullptr;
    QLineEdit* txtAudioFile = nullptr;
    QPushButton* cmdPath = nullptr;
    QComboBox* cboBitPerSample = nullptr;
    QComboBox* cboSamplesPerSec = nullptr;
    QComboBox* cboChannels = nullptr;
    QCheckBox* chkMeterIn = nullptr;
    QCheckBox* chkPreScreen = nullptr;
    QCheckBox* chkCutSilence = nullptr;
    QPushButton* cmdFileDetails = nullptr;
    QGroupBox* fraRecorder = nullptr;
    QPushButton* cmdRecord = nullptr;
    QPushButton* cmdStopRec = nullptr;
    QPushButton* cmdPauseIn = nullptr;
    QPushButton* cmdUnPauseIn = nullptr;
    cProgressBar* prgMeter = nullptr;
    QLabel* lblRecTime = nullptr;
    QGroupBox* fraPlayer = nullptr;
    QPushButton* cmdPlay = nullptr;
    QPushButton* cmdStop = nullptr;
    QPushButton* cmdPauseOut = nullptr;
    QPushButton* cmdUnPauseOut = nullptr;
    cSlider* cSlider1 = nullptr;
    QLabel* lblCurrentPositionSec = nullptr;
    QLabel* lbTotalLengthSec = nullptr;
    QPlainTextEdit* txtResults = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdExit = nullptr;
    QTimer* tmrRec = nullptr;
    QTimer* tmSlider = nullptr;
    cStatusBar* cStatusBar1 = nullptr;
    std::unique_ptr<cWave> cWave1;

    cWave::WaveFormatEx m_WaveFormat;
    long m_lRecSeconds = 0;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Log(const QString& message);
    // Fills the device list from the component's inputs as they are now, keeping the input the
    // user chose selected where it still is (none selected when it is gone).
    void FillDevices();
    // The chosen input when it is listed now; false, with the user told by name, when it is gone.
    bool ChosenInputPresent(long* index);
    // Puts in place the takes that a recording cut off (a kill, a power loss) left unfinished,
    // with a log line each, and names them to the user in a message box; `recordingTo` is the
    // file about to be recorded, whose folder is looked at.
    void RecoverTakes(const QString& recordingTo);
    void ShowHelpTopic();
    bool m_unloading = false;
    QString m_confirmedPath;  // a destination the user chose through "..." (and confirmed)
    bool m_addAfterRecord = false;
    QString m_chosenInputId;    // the sound server's name of the input chosen (empty: none yet)
    QString m_chosenInputName;  // as it was listed
};

inline FormRef<FrmMicRecorder> g_frmMicRecorder;
