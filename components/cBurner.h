// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

// The second data burning engine (CDs and DVDs) over the same back end as the first
// (cd/Burning.h). Devices are numbered in the case-insensitive order of their texts
// DevicePath(i) + " - " + DeviceName(i), so a sorted list's position is the device index. The
// ISO 9660 tree is always written (the others hang on it), Joliet when asked, UDF when asked
// (by the disc-mastering tool, which writes it only beside ISO 9660: UDF asked alone gets ISO
// 9660 too, said by a BurnerNotice). GUI thread; every BurnDisc ends in exactly one BurnerEnd or BurnerError, queued; a cancelled
// burn ends in BurnerError.
class cBurner : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~cBurner() override = default;

    virtual long DeviceCount() const = 0;
    virtual QString DevicePath(long index) const = 0;  // "E:", from 0
    virtual QString DeviceName(long index) const = 0;  // the model or the image's file name
    virtual void NewImage() = 0;
    virtual void UseISO(bool on) = 0;
    virtual void UseJoliet(bool on) = 0;
    virtual void UseUDF(bool on) = 0;
    virtual void VolumeName(const QString& name) = 0;
    virtual bool AddFile(const QString& path) = 0;
    virtual void BurnDisc(long deviceIndex) = 0;
    virtual void CancelBurn() = 0;
    virtual void Shutdown() = 0;

    // Whether the libraries this engine works through start.
    static bool LibraryStarts();

Q_SIGNALS:
    void BurnerError(const QString& first, const QString& second);
    void BurnerDoneBurn();
    void BurnerCanceled();
    void BurnerEnd();
    void BurnerProgress(long percent);
    void BurnerFinalization();
    void BurnerInitializing();
    void BurnerCompleted();
    void StartBurning();
    void BurnerFileCount(long files, long folders);
    void BurnerAdding(const QString& path);
    // A sentence for the log that does not stop the burn: a name the disc holds otherwise than
    // it was given, a file system written beside the ones asked for.
    void BurnerNotice(const QString& text);
};

std::unique_ptr<cBurner> CreateBurner();
