// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

// The preview player: plays one file on an output device, pauses, seeks and reports where it
// is, and hands the moment being heard to the audio graphs. Decoding runs on a worker thread of
// its own; every member is called on the GUI thread and PlayEnd arrives queued on it. Times are
// seconds of the file (Length() a real number, the rest whole seconds).
class cPlayer : public QObject {
    Q_OBJECT
public:
    // Results of OpenAndPlay and Load besides 0.
    enum Result : long {
        ErrFile = 1,      // the file cannot be read or decoded
        ErrNoOutput = 2,  // there is no sound output (no sound server)
        ErrFormat = 3,    // the output refuses every format the file could be played in
        ErrBusy = 4,      // Load while a file plays: nothing changed
    };

    using QObject::QObject;
    ~cPlayer() override = default;

    // True from a started OpenAndPlay until its playback ends, also while paused.
    virtual bool IsPlaying() const = 0;
    virtual bool IsPaused() const = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    // Ends the playback; PlayEnd follows.
    virtual void Stop() = 0;
    // Plays the file from its start on output `device` (-1 or a number outside the list: the
    // default output; n: entry n of the outputs). 0 when playback started; otherwise nothing
    // started, nothing is raised, and the result is for ErrorReport.
    virtual long OpenAndPlay(const QString& path, long device) = 0;
    // Shows the reason of a non-zero result of OpenAndPlay in one message box naming the file.
    virtual void ErrorReport(long result) = 0;
    // Opens the file for its length without decoding it; 0 when loaded. While a file plays it
    // changes nothing (ErrBusy).
    virtual long Load(const QString& path) = 0;
    // The length of the loaded or playing file in seconds; 0 when none.
    virtual double Length() const = 0;
    // Whole seconds of the file heard so far (what the output has played, not what is decoded).
    virtual long Position() const = 0;
    // Moves playback to this second of the file, also while paused.
    virtual void Seek(long seconds) = 0;
    // "H:MM:SS", as FormatSecondsHMS.
    virtual QString FormatTime(long seconds) const = 0;
    // A handle (> 0) to the 4096 frames being heard now, for cAudioGraph::AudioData; 0 while idle.
    virtual long CurrentAudioData() = 0;
    // Stops without raising PlayEnd and lets go of the output and the file.
    virtual void Release() = 0;
    // Whether the playback whose PlayEnd was raised last was heard to the end of its file
    // (rather than stopped, failed or cut off by a lost output).
    virtual bool ReachedEnd() const = 0;

signals:
    // Once per started playback, however it ends; never for a playback that a later
    // OpenAndPlay replaced.
    void PlayEnd();
};

std::unique_ptr<cPlayer> CreatePlayer(QObject* parent = nullptr);
