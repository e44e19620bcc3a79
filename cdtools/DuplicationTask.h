// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QObject>
#include <QStringList>

#include <memory>
#include <vector>

class cAudioBurner;
class cAudioCDRipper;
namespace components {
class RemovedOnSignal;
}

// What the duplication shows and asks. The duplicator window writes its controls; the command
// line driver prints. Every member may run a nested event loop (a message box, the burn's
// wait); the task checks that it still exists after each one.
class DuplicationHost {
public:
    virtual ~DuplicationHost() = default;

    virtual void Log(const QString& line) = 0;
    virtual void Status(const QString& text) {}        // the status line
    virtual void Caption(const QString& text) {}       // the window caption
    virtual void FilesCounter(const QString& text) {}  // "Files: 3/12"
    virtual void ShowLog() {}                          // the log tab to the front
    virtual void CurrentProgress(long value) {}        // current track, 0 to 100
    virtual void TotalMaximum(long max) {}
    virtual void TotalProgress(long value) {}
    virtual void CurrentRow(long row) {}
    virtual void Busy(bool hourglass) {}
    // The control group: Exit, Duplicate, the source and writer choices and their tray buttons.
    virtual void ControlsEnabled(bool enabled) {}
    // The periodic source check.
    virtual void SourceChecks(bool on) {}
    // The seven tag cells of a source row (album, artist, comment, genre, title, track, year).
    virtual QStringList RowTags(long row) { return QStringList(7, QString()); }
    // Asked when every track has been ripped: true stops the task there, before the burn (the
    // on-the-fly box ticked meanwhile).
    virtual bool StopBeforeBurn() { return false; }
    // The grid rebuilt from the ripped files, one row per path in this order.
    virtual void ShowRippedFiles(const QStringList& paths) {}

    // The writer chosen now: its letter ("E") and speed in KB/s (65535 for "Max.").
    virtual QString WriterLetter() = 0;
    virtual long WriterSpeed() = 0;
    virtual void OpenWriterTray() {}
    // "Insert an empty media ...": true for OK, false for Cancel.
    virtual bool PromptForDisc(const QString& text) = 0;
    virtual void NothingToBurn() {}
    // Inside the writer's Finished event: the end-of-task actions. `offerTurnOff` is false
    // after a ripping error.
    virtual void EndEvents(bool offerTurnOff) {}
    virtual void Balloon(const QString& text) {}
    // Every track was copied and written: the "Done." box, then the window goes.
    virtual void Succeeded() {}
    // The task has ended any other way; the window stays open and usable.
    virtual void Failed() {}
};

// The audio CD duplication: every track of the source disc is ripped into its own WAV file in
// a temporary folder, one after the other, each rip started from the event of the previous
// one; then the files are written as a new audio CD with a burn call that returns only when
// the burn has ended, the writer's events handled meanwhile.
//
// The task runs from Start until its end has been shown (Running); the host refuses closing and
// a second start during that whole time, also while the writer's Finished event has already
// given the controls back with the burn call still on the stack. The end counts as success only
// when every track was ripped and the burn returned 0; anything else leaves the window open
// with its controls and source checks back. The ripped files stay until the burn returned 0,
// the next start or the host's closing; a signal that ends the process meanwhile removes them
// with the part files. Before the burn the ripper lets go of the drive,
// so one drive can be source and writer: the task asks for an empty disc, in a loop, until the
// writer has one or the user cancels.
//
// GUI thread. The components and the host outlive the task.
class DuplicationTask : public QObject {
    Q_OBJECT
public:
    DuplicationTask(cAudioCDRipper& ripper, cAudioBurner& burner, DuplicationHost& host, QObject* parent = nullptr);
    ~DuplicationTask() override;

    // How the last task ended.
    enum class Outcome { None, Copied, RipAborted, Cancelled, NothingToBurn, WriterError, BurnAborted, TracksFailed, Stopped };

    // The folder the tracks are ripped into, ending in "/".
    QString TempFolder;
    // The on-the-fly road: the source tracks are burned directly, nothing is ripped.
    bool OnTheFly = false;

    bool Running() const { return m_running; }
    Outcome LastOutcome() const { return m_outcome; }

    // Starts the copy of `sourceFiles` ("D:/Track01.cda", ...; row r is track r) read from the
    // ripper's device `deviceIndex`. False, doing nothing, while a task runs.
    bool Start(const QStringList& sourceFiles, long deviceIndex);
    // Stops the rip and the burn, whatever runs; false when no task runs.
    bool Abort();

    // "7.wav" for row 7.
    static QString MakeRipFileName(long row);
    // The paths of `files` that exist with at least one byte, in order.
    static QStringList LoadRippedFiles(const QStringList& files);
    // Deletes the ordinary files of a folder; hidden files and sub-folders stay, and so does
    // the folder, and so does every file of a listed drive's disc image kept there. A file that
    // cannot be deleted is passed over.
    static void EraseTempFiles(const QString& folder);
    static QString DiscPrompt(const QString& letter);

    // Task state.
    long m_lCurrentRow = 0;
    int m_iErrorFlag = 0;
    QStringList m_colRippedFiles;
    QStringList m_sourceFiles;

    // The components' events.
    void cAudioCDRipper1_Progress(int percent);
    void cAudioCDRipper1_Done();
    void cAudioCDRipper1_Aborted();
    void cAudioCDRipper1_Error(long code, const QString& text);
    void cAudioBurner1_TrackProgress(int percent, int track);
    void cAudioBurner1_Progress(int percent);
    void cAudioBurner1_ClosingSession();
    void cAudioBurner1_ClosingTrack();
    void cAudioBurner1_CachingTrack();
    void cAudioBurner1_WritingTrack();
    void cAudioBurner1_Finished();
    void cAudioBurner1_Error(long code, const QString& text);

private:
    enum class BurnEnd { Written, Cancelled, NothingToBurn, Failed, Aborted, Gone };

    void SetDestination();
    void ConvertTracks();
    long ConvertTask(long row);
    void SetID3Tags(long row);
    void Finish();
    BurnEnd BurnDisk(const QStringList& files);
    void endTask(Outcome outcome);
    long rows() const { return long(m_sourceFiles.size()); }

    cAudioCDRipper& m_ripper;
    cAudioBurner& m_burner;
    DuplicationHost& m_host;
    bool m_running = false;
    bool m_burning = false;
    bool m_abortRequested = false;
    bool m_writerError = false;
    long m_totalMax = 0;
    long m_gridRows = 0;
    long m_failedRows = 0;  // rows of this run whose rip failed
    Outcome m_outcome = Outcome::None;
    // The ripped files still standing, removed by a signal that ends the process meanwhile.
    std::vector<std::unique_ptr<components::RemovedOnSignal>> m_signalGuards;
};
