// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "components/engine/FormatRecords.h"

#include <QObject>
#include <QString>

#include <memory>

// The ripper component: lists the CD drives of the drive map (cd/DriveMap.h), looks at the disc
// in the current drive, moves trays, and rips one track, whole or a range of it, into a file of
// any output format with tags. GUI thread; queries and tray calls return at once and raise
// nothing (a drive that is not ready reports no disc). A rip runs on a worker thread with a
// libcdio handle of its own and ends in exactly one of Done, Aborted or Error, always queued.
class cAudioCDRipper : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~cAudioCDRipper() override = default;

    // Drives.
    virtual long DeviceCount() const = 0;
    virtual QString DeviceName(long index) const = 0;  // "D: " + model or image file name
    // Makes the drive the current one and reads its disc. False only when there is no such
    // drive; a drive without a disc is selected and reports no tracks.
    virtual bool SelectDevice(long index) = 0;
    virtual bool IsAudioCD() const = 0;               // any track of the current disc is audio
    virtual long TrackCount() const = 0;              // every track, audio or data; 0 without disc
    virtual long TrackSeconds(long track) const = 0;  // whole seconds, rounded down; 0 when none
    virtual long TrackType(long track) const = 0;     // 1 audio, 0 data (or no such track)
    virtual bool OpenTray() = 0;
    virtual bool CloseTray() = 0;

    // The next rip.
    virtual long DeviceIndex() const = 0;
    virtual void DeviceIndex(long index) = 0;   // -1: none
    virtual long TrackNumber() const = 0;
    virtual void TrackNumber(long track) = 0;   // from 1; also clears the range
    virtual long RangeStart() const = 0;        // whole seconds, -1 from the start of the track
    virtual void RangeStart(long seconds) = 0;
    virtual long RangeLength() const = 0;       // whole seconds, -1 to the end of the track
    virtual void RangeLength(long seconds) = 0;
    virtual QString OutputFile() const = 0;
    virtual void OutputFile(const QString& path) = 0;

    virtual long DestinationFormat() const = 0;
    virtual void DestinationFormat(long destinationFormat) = 0;
    virtual void SetWavFormat(const engine::WavFormatRecord& record) = 0;
    virtual void SetAcmFormat(const QString& tagName, const QString& formatName) = 0;
    virtual void SetMp3Format(const engine::Mp3FormatRecord& record) = 0;
    virtual void SetWmaFormat(const engine::WmaFormatRecord& record) = 0;
    virtual void SetOggFormat(const engine::OggFormatRecord& record) = 0;
    virtual void SetApeLevel(long level) = 0;

    virtual QString TagTrack() const = 0;
    virtual void TagTrack(const QString& text) = 0;
    virtual QString TagComment() const = 0;
    virtual void TagComment(const QString& text) = 0;
    virtual QString TagGenre() const = 0;
    virtual void TagGenre(const QString& text) = 0;
    virtual QString TagYear() const = 0;
    virtual void TagYear(const QString& text) = 0;
    virtual QString TagArtist() const = 0;
    virtual void TagArtist(const QString& text) = 0;
    virtual QString TagAlbum() const = 0;
    virtual void TagAlbum(const QString& text) = 0;
    virtual QString TagTitle() const = 0;
    virtual void TagTitle(const QString& text) = 0;

    // Returns at once. The range applies to this rip only: the next rip is of a whole track
    // unless a range is set again.
    virtual void Rip() = 0;
    virtual void Abort() = 0;
    // Stops a rip (nothing is raised afterwards) and closes every handle on the drive.
    virtual void Shutdown() = 0;

Q_SIGNALS:
    void Progress(int percent);
    void Done();
    void Aborted();
    void Error(long code, const QString& text);
};

std::unique_ptr<cAudioCDRipper> CreateAudioCDRipper();
