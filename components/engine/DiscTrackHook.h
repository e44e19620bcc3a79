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
// Empty while no lister is installed.
QList<DiscImageFile> ListDiscImageFiles();

}  // namespace engine
