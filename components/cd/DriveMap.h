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
    // The path as the variable gives it is not UTF-8: `path` is the toolkit's reading, with
    // U+FFFD for the odd bytes, which names another file. Such a drive is never read or written.
    bool unnamable = false;
};

QList<Drive> ListDrives();

// The drive whose letter ("D:", case-insensitive) this is; false when there is none.
bool FindDrive(const QString& letter, Drive* drive);

// "device", "audio image" or "data image".
QString KindText(Drive::Kind kind);

// What stands where an image drive keeps its disc file. A symbolic link counts as what it
// leads to, and one that leads nowhere is no empty place: a burn would write through it into
// another folder. Readers and burners give the same sentence for a place that holds no image.
enum class ImageSlot {
    Empty,    // nothing at all: no disc to read, a blank disc to burn
    Disc,     // a regular file (or a link to one): the disc
    // Neither: a folder, a link that leads nowhere, a device or pipe in the drive's place; a path
    // that is not UTF-8; no image can be written there (its folder is missing, or an audio
    // image's data file already stands or has a name no cue sheet can carry).
    Blocked,
};
// For Blocked, `why` says so in one sentence, naming the drive and the reason. Devices answer
// Disc, unless their path is not UTF-8.
ImageSlot ImageSlotOf(const Drive& drive, QString* why = nullptr);

// The data file an audio image drive writes beside its cue sheet: the sheet's name with ".bin".
QString ImageDataFile(const Drive& drive);

// Whether anything at all stands at the path, a link that leads nowhere included.
bool AnythingAt(const QString& path);

// A file that holds the disc of an image drive, with that drive's name.
struct ImageFile {
    QString path;
    QString driveName;
};
// The files of the drives QUILLMERE_DRIVES lists that stand now: every audio image's cue sheet
// and its data file (the one its FILE line names, and the ".bin" of the sheet's name), every
// data image. No tool writes over one of them. Empty when the variable is not set: devices have
// no files.
QList<ImageFile> ListedImageFiles();

}  // namespace cd
