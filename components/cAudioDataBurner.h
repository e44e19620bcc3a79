// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

// The first data burning engine (CDs only): writers and speeds of the drive map, readiness and
// emptiness of their discs, trays, and a burn of a file list as an ISO 9660 level 2 + Joliet CD
// (cd/Burning.h). GUI thread; queries return at once and raise nothing. BurnDisc takes the file
// list (which is then empty again) and always ends in exactly one Finished or BurnError, queued,
// a burn refused at once included.
class cAudioDataBurner : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~cAudioDataBurner() override = default;

    virtual long DriveCount() const = 0;                // writers, counted from 1
    virtual QString DriveName(long index) const = 0;    // "E: disc.iso"
    virtual long SpeedCount(const QString& letter) = 0;
    virtual long WriteSpeed(long index) const = 0;      // KB/s
    virtual bool IsDriveReady(const QString& letter) const = 0;
    virtual bool IsDiscEmpty(const QString& letter) const = 0;
    virtual void OpenTray(const QString& letter) = 0;
    virtual void CloseTray(const QString& letter) = 0;

    // False for a path that is no readable file.
    virtual bool AddFile(const QString& path) = 0;
    virtual void VolumeName(const QString& name) = 0;
    virtual void FileSystemName(const QString& name) = 0;   // "CDFS": ISO 9660 + Joliet
    virtual void ApplicationName(const QString& name) = 0;  // the image's application id
    virtual void PublisherName(const QString& name) = 0;    // the image's publisher id
    virtual void BurnOption(bool keepOpen) = 0;             // False closes the disc
    virtual void BurnDisc(const QString& letter, long speedKbs) = 0;
    virtual void Shutdown() = 0;

Q_SIGNALS:
    void ClosingSession();
    void Finished();
    void BurnStarting();
    void Progress(int percent);
    void BurnError(long code, const QString& message);
    // A sentence for the log that does not stop the burn: a name the disc holds otherwise than
    // it was given.
    void Notice(const QString& text);
};

std::unique_ptr<cAudioDataBurner> CreateAudioDataBurner();
