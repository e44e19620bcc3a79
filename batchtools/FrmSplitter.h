// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "batchtools/BatchToolWindow.h"
#include "foundation/FormRef.h"

#include <memory>

class QRadioButton;
class cAudioConverter;

// "Audio Splitter": cuts the one file handed over into consecutive parts, by a number of parts
// or by seconds, and converts each part into a file of its own in the chosen format. One part
// at a time runs in the hosted converter; its Done or Error event starts the next. Split points
// are whole seconds; the source's length is read in milliseconds when the split starts.
// GUI thread.
class FrmSplitter : public BatchToolWindow {
    Q_OBJECT
public:
    FrmSplitter();
    ~FrmSplitter() override;

    void cmdConvert_Click() override;
    // One step of the part loop: starts the current part or ends the split.
    void ConvertTracks();
    // 0 the part was started, 1 No to the overwrite question, 2 Cancel.
    long ConvertTask();
    QString MakePartFileName(const QString& sourcePath) const;
    void UpdateSplitModeFields();
    void ptnSplitByParts_Click();
    void ptnSplitBySecs_Click();
    void txtSplitParts_KeyPress(int16_t& KeyAscii);
    void txtSplitSecs_KeyPress(int16_t& KeyAscii);

    void SetDestination() override;
    void SetID3Tags(long& row);
    QString CreateID3TagsString(const QString& text);

    void cAudioConverter1_Progress(long percent);
    void cAudioConverter1_Done();
    void cAudioConverter1_Aborted();
    void cAudioConverter1_Error(long code, const QString& text);

    // Puts another converter in place (a test's); its events are wired as the real one's.
    void UseConverter(std::unique_ptr<cAudioConverter> converter);
    // What the "Audio Splitter" command writes into the window, g_sFileToSplit included.
    ToolWindow& SplitterHandOver();

    QLabel* Label2 = nullptr;
    QRadioButton* ptnSplitByParts = nullptr;
    QLineEdit* txtSplitParts = nullptr;
    QRadioButton* ptnSplitBySecs = nullptr;
    QLineEdit* txtSplitSecs = nullptr;
    QCheckBox* chkOverWrite = nullptr;
    std::unique_ptr<cAudioConverter> cAudioConverter1;

    QString g_sFileToSplit;
    long m_lSourceDuration = 0;  // ms
    long m_lPartLength = 0;      // s
    long m_lPartStart = 0;       // s
    long m_lPartNumber = 0;      // from 1
    long m_lPartsFailed = 0;     // parts of this task that ended in an Error

protected:
    void StartTask() override {}
    void AbortComponent() override;
    void ShutdownComponent() override;
    void UnloadSelf() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildSplitterControls();
    std::unique_ptr<ToolWindow> m_splitterHandOver;
};

inline FormRef<FrmSplitter> g_frmSplitter;

// Makes the "Audio Splitter" command open g_frmSplitter.
void RegisterSplitterWindow();
