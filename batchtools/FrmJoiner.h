// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "batchtools/BatchToolWindow.h"
#include "foundation/FormRef.h"

#include <memory>

class cAudioJoin;

// "Audio Joiner": joins the copied rows, each whole or its range, in row order into one file of
// the chosen format, named by its template and tagged from row 1. The join runs in the hosted
// join component; its events end the task. GUI thread.
class FrmJoiner : public BatchToolWindow {
    Q_OBJECT
public:
    FrmJoiner();
    ~FrmJoiner() override;

    // 0 started, 1 No to the overwrite question, 2 Cancel.
    long JoinFiles();
    void SetID3Tags(long& row);
    QString CreateID3TagsString(const QString& text);
    void SetDestination() override;
    QString ExpandFileNameTemplate(const QString& nameTemplate);

    void cAudioJoin1_Progress(long entry, long percent);
    void cAudioJoin1_Done();
    void cAudioJoin1_Aborted();
    void cAudioJoin1_Error(long code, const QString& text);

    // Puts another join component in place (a test's or a benchmark's); its events are wired
    // as the real one's.
    void UseJoinComponent(std::unique_ptr<cAudioJoin> component);

    std::unique_ptr<cAudioJoin> cAudioJoin1;
    // The entry of the last "Add " log line; 0 before the first report of a task.
    long m_lLastFileIndex = 0;

protected:
    void StartTask() override;
    void AbortComponent() override;
    void ShutdownComponent() override;
    void UnloadSelf() override;

private:
    // The bars, counter and caption a run starts with, whatever the last run left.
    void ShowRunStart();

    // The counter as the command handed it over ("3 items to join."), which every run shows
    // until its first report.
    QString m_sItemsToJoin;
    // The caption before the last run's failure was put there; null when it did not fail.
    QString m_sCaptionBeforeFailure;
};

inline FormRef<FrmJoiner> g_frmJoiner;

// Makes the "Audio Joiner" command open g_frmJoiner.
void RegisterJoinerWindow();
