// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// BIN/CUE disc images for the CD tests. Every audio sample tells where it came from: the left
// sample of each frame is the sector's number on the disc, the right one 0x8000 + the frame's
// position in its sector (0 to 587), both little-endian. A rip that starts a frame or a sector
// off, swaps the channels or the bytes gives different data.

#include <QByteArray>
#include <QList>
#include <QString>

namespace discimages {

struct Track {
    bool audio = true;
    int sectors = 75;  // 75 sectors a second
};

// Writes <dir>/<name>.bin and <dir>/<name>.cue with the tracks one after the other (no pregaps;
// a data track is MODE1/2352) and returns the path of the cue sheet.
QString WriteBinCue(const QString& dir, const QString& name, const QList<Track>& tracks);

// Writes a data disc image of that many 2048-byte sectors and returns its path.
QString WriteIso(const QString& dir, const QString& name, int sectors);

// The bytes an audio sector of the image holds at that disc sector.
QByteArray AudioSectors(int firstSector, int count);

// The first sector of each track (track 1 at sector 0).
QList<int> FirstSectors(const QList<Track>& tracks);

}  // namespace discimages
