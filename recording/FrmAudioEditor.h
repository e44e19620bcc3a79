// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "commands/ToolWindows.h"
#include "foundation/FormRef.h"

#include <QWidget>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class cAudioEditor;
class cProgressBar;
class cReBar;
class cToolbar;

// The whole-millisecond number a time caption ("1500 ms [0:00:02]") begins with; false when it
// does not begin with one.
bool TimeCaptionMs(const QString& caption, long* ms);
// whole ms + " ms [" + H:MM:SS of the ms in seconds, halves to even + "]".
QString TimeCaption(long ms);

// "Audio Analyzer": shows one WAV file in the editor component, plays and zooms it, shows its
// format and the selection, and saves the selection as a new WAV file, optionally handing it to
// the open items list. Opened modally by the main window's "Audio Analyser" command. GUI thread.
class FrmAudioEditor : public QWidget, public ToolWindow {
    Q_OBJECT
public:
    FrmAudioEditor();
    ~FrmAudioEditor() override;

    void Form_Load();
    void Form_Unload();
    void tlbrList_ButtonClick(long index);
    void cmdSelectPath_Click();
    void cmdAddSelection_Click();
    void cmdAbort_Click();
    void cmdExit_Click();
    void cAudioEditor1_FileInfo(long rate, long bits, long channels, long seconds, long samples);
    void cAudioEditor1_SelectionChanged(long startSample, long endSample, long startMs, long endMs);
    void cAudioEditor1_Progress(int percent);
    void cAudioEditor1_Done();
    void cAudioEditor1_Aborted();
    void cAudioEditor1_Error(long code, const QString& text);
    void cAudioEditor1_DonePlay();

    // ToolWindow: what the "Audio Analyser" command hands over.
    QWidget* Window() override { return this; }
    void txtWavFile(const QString& path) override;
    void LoadEditorFile(const QString& path) override;
    void Caption(const QString& caption) override;

    QFrame* picTitle = nullptr;
    QLabel* lblTitle = nullptr;
    QFrame* picList = nullptr;
    cReBar* rbrList = nullptr;
    cToolbar* tlbrList = nullptr;
    cAudioEditor* cAudioEditor1 = nullptr;
    QGroupBox* fraInfo = nullptr;
    QLabel* lblInfoSamples = nullptr;
    QLabel* lblInfoBits = nullptr;
    QLabel* lblInfoChannels = nullptr;
    QLabel* lblNumOfSamples = nullptr;
    QLabel* lblLength = nullptr;
    QGroupBox* fraPosition = nullptr;
    QLabel* lblSamplesStart = nullptr;
    QLabel* lblSamplesEnd = nullptr;
    QLabel* lblTimeStart = nullptr;
    QLabel* lblTimeEnd = nullptr;
    QLabel* lblSelectedTime = nullptr;
    QLineEdit* txtWavFileBox = nullptr;  // txtWavFile: stored hidden
    QPushButton* cmdSelectPath = nullptr;
    cProgressBar* prgCurrnet = nullptr;
    QPushButton* cmdAddSelection = nullptr;
    QPushButton* cmdAbort = nullptr;
    QPushButton* cmdExit = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QString SaveSelectionAs();
    void StopPlayback();
    void LoadWaveFile();
    bool m_unloading = false;
    bool m_saving = false;  // between a save's start and its Done, Aborted or Error
    // The path "Add Selection" saved to, added to the items list when that save is done.
    QString m_addWhenSaved;
    // The save running writes over the file shown, which is read again when it is done.
    bool m_savingOverShown = false;
};

inline FormRef<FrmAudioEditor> g_frmAudioEditor;
