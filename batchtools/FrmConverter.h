// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "batchtools/BatchToolWindow.h"
#include "batchtools/RowRunner.h"
#include "foundation/FormRef.h"

#include <memory>

class QTimer;
class cAudioConverter;

// "Audio Converter": converts every copied row, whole or its range, into a file of its own in
// the chosen format, named by the file-name template and tagged from the row's tag cells. The
// rows run one after the other through the row runner over the hosted converter component;
// a time-left estimate ticks once a second. The grid is never shown. GUI thread.
class FrmConverter : public BatchToolWindow {
    Q_OBJECT
public:
    FrmConverter();
    ~FrmConverter() override;

    // The hand-over of the "Audio Converter" command (the template's, plus the total seconds).
    ToolWindow& ConverterHandOver();

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
    void cAudioConverter1_Progress(long percent);
    void cAudioConverter1_Done();
    void cAudioConverter1_Aborted();
    void cAudioConverter1_Error(long code, const QString& text);

    // Puts another converter in place (a test's or a benchmark's); its events are wired as the
    // real one's.
    void UseConverter(std::unique_ptr<cAudioConverter> converter);

    // Controls of this window beyond the template's.
    QComboBox* cboFileName = nullptr;
    LinkLabel* lblSetAsDefaultFileName = nullptr;
    QCheckBox* chkOverWrite = nullptr;
    QLabel* lblTimeLeft = nullptr;
    std::unique_ptr<cAudioConverter> cAudioConverter1;

private:
    class Host;
    class HandOverPlus;

    std::unique_ptr<Host> m_host;
    std::unique_ptr<RowRunner> m_runner;
    std::unique_ptr<ToolWindow> m_converterHandOver;

public:
    QTimer* const Timer1;
    // The run's members under the names this window gives them.
    long& g_ltmrItemSecsTotal;
    long& m_lCurrentRow;
    int16_t& m_bConvertError;
    long& m_ltmrTicks;
    long& m_ltmrItemSecs;
    long& m_ltmrItemSecsDone;
    long& m_ltmrSecsFinished;

protected:
    void StartTask() override;
    void AbortComponent() override;
    void ShutdownComponent() override;
    void UnloadSelf() override;

private:
    void layOut();
};

inline FormRef<FrmConverter> g_frmConverter;

// Makes the "Audio Converter" command open g_frmConverter.
void RegisterConverterWindow();
