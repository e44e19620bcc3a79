// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "batchtools/BatchToolWindow.h"
#include "batchtools/RowRunner.h"
#include "commands/ToolWindows.h"

#include <QPointer>

// The pieces every batch window that runs its rows through the row runner has in common.

// The controls the runner drives: the template window's, with the window's own time-left label
// and overwrite box.
inline RowRunnerControls RunnerControlsOf(BatchToolWindow& w, QLabel* lblTimeLeft, QCheckBox* chkOverWrite)
{
    RowRunnerControls c;
    c.window = &w;
    c.grid = w.cGrid1;
    c.txtLog = w.txtLog;
    c.lblCurrentTrack = w.lblCurrentTrack;
    c.lblFilesToConvert = w.lblFilesToConvert;
    c.lblTimeLeft = lblTimeLeft;
    c.prgCurrnet = w.prgCurrnet;
    c.prgTotal = w.prgTotal;
    c.cmdConvert = w.cmdConvert;
    c.cmdExit = w.cmdExit;
    c.chkOverWrite = chkOverWrite;
    c.jobError = &w.m_bJobError;
    return c;
}

// A runner window's command hand-over: the template's, plus the total seconds the estimate
// counts against. The window may be gone by the time a command writes: then nothing happens.
// Windows with more to hand over derive and add their members.
template <class W>
class RunnerHandOver : public ToolWindow {
public:
    explicit RunnerHandOver(W& w) : m_w(&w) {}
    QWidget* Window() override { return m_w; }
    void lblFilesToConvert(const QString& caption) override
    {
        if (m_w)
            m_w->HandOver().lblFilesToConvert(caption);
    }
    void StatusPanelText(const QString& key, const QString& text) override
    {
        if (m_w)
            m_w->HandOver().StatusPanelText(key, text);
    }
    void txtUndeForlder(const QString& text) override
    {
        if (m_w)
            m_w->HandOver().txtUndeForlder(text);
    }
    cGrid* Grid() override { return m_w ? m_w->cGrid1 : nullptr; }
    void g_ltmrItemSecsTotal(long seconds) override
    {
        if (m_w)
            m_w->g_ltmrItemSecsTotal = seconds;
    }

protected:
    QPointer<W> m_w;
};

// The runner's side of a window hosting the file converter (cAudioConverter1): its names and
// folder, and the converter's calls. No tags: a window that writes them adds SetID3Tags.
template <class W>
class ConverterRunnerHost : public RowRunnerHost {
public:
    explicit ConverterRunnerHost(W& w) : m_w(w) {}
    QString ExpandFileNameTemplate(long row) override { return m_w.ExpandFileNameTemplate(row); }
    void SetInput(long, const QString& source) override { m_w.cAudioConverter1->InputFile(source); }
    QString OutputFolder() override { return m_w.OutputFolder(); }
    void SetRangeStart(long seconds) override { m_w.cAudioConverter1->RangeStart(seconds); }
    void SetRangeLength(long seconds) override { m_w.cAudioConverter1->RangeLength(seconds); }
    void SetOutput(const QString& path) override { m_w.cAudioConverter1->OutputFile(path); }
    void StartRow() override { m_w.cAudioConverter1->Start(); }
    void AbortRow() override { m_w.cAudioConverter1->Abort(); }
    void DoEndEvents() override { m_w.DoEndEvents(); }

protected:
    W& m_w;
};
