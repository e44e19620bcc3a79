// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

// The audio CD writing component: lists the writers of the drive map with their speeds and
// disc facts, moves trays, and burns a list of audio files as the tracks of a CD (cd/Burning.h).
// GUI thread; queries and tray calls return at once and raise nothing. A burn works on a
// snapshot of the track list on a worker thread; per track it raises CachingTrack, WritingTrack,
// Progress/StepProgress and ClosingTrack, then ClosingSession and exactly one Finished or Error,
// always queued. Nothing is raised after Abort or Shutdown.
class cAudioBurner : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~cAudioBurner() override = default;

    // Writers, counted from 1; names begin with the letter and a colon ("E: disc.cue").
    virtual long DriveCount() const = 0;
    virtual QString DriveName(long index) const = 0;
    // Names the drive WriteSpeed answers for.
    virtual long SpeedCount(const QString& letter) = 0;
    virtual long WriteSpeed(long index) const = 0;  // KB/s, from 1
    virtual long DiscSize(const QString& letter) const = 0;       // free space in MB
    virtual long DiscCapacity(const QString& letter) const = 0;   // blank sectors x 2048
    virtual QString DiscState(const QString& letter) const = 0;   // "" only for a blank writable disc
    // False for a drive that takes no audio whatever disc it holds (a data image).
    virtual bool TakesAudio(const QString&) const { return true; }
    virtual void OpenTray(const QString& letter) = 0;
    virtual void CloseTray(const QString& letter) = 0;
    // Where the drive's contents can be shown ("E:/" is its root): the mount point of its
    // disc, an image drive's folder, or "".
    virtual QString DriveRootFolder(const QString& letter) const = 0;

    // False for a missing file or one the engine cannot read as audio.
    virtual bool AddTrack(const QString& path) = 0;
    // Why the last AddTrack failed, naming the file; empty after one that succeeded.
    virtual QString AddTrackError() const { return {}; }
    virtual long TrackCount() const = 0;
    virtual void ClearTracks() = 0;
    // True: Burn returns at once. False: Burn returns when the burn has ended, its events
    // delivered during the call.
    virtual bool BurnMode() const = 0;
    virtual void BurnMode(bool returnAtOnce) = 0;
    // 0 when the disc was written (or, returning at once, when the burn started).
    virtual long Burn(QString& letter, long speedKbs) = 0;
    virtual void Abort() = 0;
    virtual void Shutdown() = 0;

Q_SIGNALS:
    void Progress(int percent, int track);      // percent of the track being written, track from 1
    void StepProgress(int percent, int unused);  // percent of the whole burn
    void ClosingSession();
    void ClosingTrack(int track);
    void CachingTrack();
    void WritingTrack();
    void Finished();
    void Error(long code, const QString& text);
};

std::unique_ptr<cAudioBurner> CreateAudioBurner();
