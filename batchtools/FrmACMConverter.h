// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "batchtools/AcmCodecLists.h"
#include "batchtools/BatchToolWindow.h"
#include "batchtools/RowRunner.h"
#include "foundation/FormRef.h"

#include <functional>
#include <memory>

class QTimer;
class cAudioConverter;

// "ACM Converter": converts every copied row, whole or its range, into a WAV file compressed by
// one of the converter's codecs. The user picks the codec (a format tag) and one of its formats
// from two lists the converter fills; the lists can be narrowed to what one source file converts
// to. The rows run one after the other through the row runner; the chosen pair is handed to the
// converter once at the start of a run, so the lists stay usable while it goes and a change
// counts from the next run. No tags are written. GUI thread.
class FrmACMConverter : public BatchToolWindow {
    Q_OBJECT
public:
    FrmACMConverter();
    ~FrmACMConverter() override;

    // The converter the window loads with; unset: the real one. Tests put a fake in before
    // the window loads, since loading already lists the codecs.
    static inline std::function<std::unique_ptr<cAudioConverter>()> converterFactory;

    // The hand-over of the "ACM Converter" command: the template's, the total seconds and the
    // source list.
    ToolWindow& AcmHandOver();

    // The codec lists.
    void cboBestAccordItem_Click();
    void cboTags_Click();
    void cAudioConverter1_TagFound(const QString& name);
    void cAudioConverter1_FormatFound(const QString& name);

    // Output names and format.
    QString ExpandFileNameTemplate(long& row);
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

    // Puts another converter in place; its events are wired as the real one's. The lists keep
    // what they show until they are next rebuilt.
    void UseConverter(std::unique_ptr<cAudioConverter> converter);

    // Controls of this window beyond the template's.
    QLabel* Label1 = nullptr;
    QComboBox* cboBestAccordItem = nullptr;
    QLabel* lblTag = nullptr;
    QComboBox* cboTags = nullptr;
    QLabel* lblFormat = nullptr;
    QComboBox* cboFormats = nullptr;
    QComboBox* cboFileName = nullptr;
    LinkLabel* lblSetAsDefaultFileName = nullptr;
    QCheckBox* chkOverWrite = nullptr;
    QLabel* lblTimeLeft = nullptr;
    std::unique_ptr<cAudioConverter> cAudioConverter1;

private:
    class Host;
    class HandOverPlus;

    std::unique_ptr<AcmCodecLists> m_lists;
    std::unique_ptr<Host> m_host;
    std::unique_ptr<RowRunner> m_runner;
    std::unique_ptr<ToolWindow> m_acmHandOver;

public:
    QTimer* const Timer1;
    // The run's members.
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
    void buildAcmControls();
    void layOut();
};

inline FormRef<FrmACMConverter> g_frmACMConverter;

// Makes the "ACM Converter" command open g_frmACMConverter.
void RegisterACMConverterWindow();
