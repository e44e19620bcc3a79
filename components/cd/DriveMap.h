// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// The CD drives every CD component and the main window see, in one order with one set of
// letters. By default they are the optical devices libcdio finds, in device-path order; the
// variable QUILLMERE_DRIVES (":"-separated, like PATH) replaces them with exactly its entries:
// a path ending ".cue" is an audio disc image (the disc is present while the file exists),
// ".iso" a data disc image, anything else a device path. Read again on every call, so a changed
// variable or a new device shows at the next listing.

#include <QList>
#include <QString>

namespace cd {

struct Drive {
    enum Kind { Device, AudioImage, DataImage };
    Kind kind = Device;
    QString letter;  // "D:", "E:" ...
    QString name;    // the letter, a blank and the model or the image's file name
    QString path;    // device node or image file
};

QList<Drive> ListDrives();

// The drive whose letter ("D:", case-insensitive) this is; false when there is none.
bool FindDrive(const QString& letter, Drive* drive);

// "device", "audio image" or "data image".
QString KindText(Drive::Kind kind);

}  // namespace cd
