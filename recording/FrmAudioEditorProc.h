// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "commands/ToolWindows.h"
#include "foundation/FormRef.h"

#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QTimer;
class cAudioConverter;
class cProgressBar;

// The destination code of a target-format text by its first three letters, upper-cased
// (WAV 1 .. APE 6); 0 for anything else, which sets no format at all.
int ConversionDestinationCode(const QString& target);

// "Preparing Audio Analyzer": converts one file into one destination and shows its progress,
// modally. The caller hands both paths to ConvertFile and shows the window; the conversion starts
// on the first tick of a one-shot timer, once the modal show runs, and the window unloads itself
// when it is done or aborted (after an error it stays, showing why). GUI thread.
class FrmAudioEditorProc : public QWidget, public ToolWindow {
    Q_OBJECT
public:
    // Makes the converter of the next load (tests); null: the real one.
    static inline std::function<std::unique_ptr<cAudioConverter>()> converterFactory;

    FrmAudioEditorProc();
    ~FrmAudioEditorProc() override;

    // Kept while the window is unloaded: a window object lives only between load and unload.
    static inline bool g_bConvertTo = false;
    static inline QString g_sConvertToTarget;

    void ConvertFile(const QString& source, const QString& destination) override;
    void ConvertX();
    void SetDestination();
    void SetID3Tags();
    QString CreateID3TagsString(const QString& text);

    void cAudioConverter1_Progress(int percent);
    void cAudioConverter1_Done();
    void cAudioConverter1_Aborted();
    void cAudioConverter1_Error(long code, const QString& text);
    void cmdAbort_Click();
    void Timer1_Timer();
    void Form_Load();
    void Form_Unload();

    // Puts another converter in place (a test's); its events are wired as the real one's.
    void UseConverter(std::unique_ptr<cAudioConverter> converter);

    QWidget* Window() override { return this; }

    QLabel* lblCurrentTrack = nullptr;
    cProgressBar* prgCurrnet = nullptr;
    QPushButton* cmdAbort = nullptr;
    QTimer* Timer1 = nullptr;
    std::unique_ptr<cAudioConverter> cAudioConverter1;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FitStatusText();
    QString m_source;
    QString m_destination;
    bool m_unloading = false;
};

inline FormRef<FrmAudioEditorProc> g_frmAudioEditorProc;
