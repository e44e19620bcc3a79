// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// Tracks of audio CDs read like files: "D:/Track01.cda" names track 1 of drive D:. The engine
// knows only the shape of such a path; the CD components install the reader that opens them,
// so the engine itself needs no CD library.

#include "components/engine/AudioEngine.h"

#include <QList>

namespace engine {

using DiscTrackOpener = std::unique_ptr<AudioReader> (*)(const QString& path, QString* error);

// True for "X:/TrackNN.cda" (also with "\"), any case.
bool IsDiscTrackPath(const QString& path);
void SetDiscTrackOpener(DiscTrackOpener opener);
DiscTrackOpener CurrentDiscTrackOpener();

// A file that holds a drive's disc (a disc image's cue sheet or data file), with the drive's
// name. The CD components install the lister with the opener; no job writes over such a file.
struct DiscImageFile {
    QString path;
    QString driveName;
};
using DiscImageFilesLister = QList<DiscImageFile> (*)();
void SetDiscImageFilesLister(DiscImageFilesLister lister);
// Those of the installed lister, else ListedDiscImageFiles: every writer's output step asks,
// whether or not a CD component exists in the process.
QList<DiscImageFile> ListDiscImageFiles();
// The files of the image drives QUILLMERE_DRIVES lists that stand now, named as the drive map
// names their drives: every audio image's cue sheet and its data file (the one its FILE line
// names, and the ".bin" of the sheet's name), every data image. Empty when the variable is not
// set: devices have no files.
QList<DiscImageFile> ListedDiscImageFiles();

}  // namespace engine
