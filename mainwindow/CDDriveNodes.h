// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QDateTime>
#include <QString>

class cAudioCDRipper;
class cGrid;

// The rules of the main window's drive nodes as plain functions over the ripper component, so
// the window and the tests share them. A drive is named by its letter and colon ("D:").
namespace CDDriveNodes {

// What one track row holds beside the default tags: the track's length and kind.
struct TrackFacts {
    long seconds = 0;
    bool audio = true;
};

// The drive index of a letter: the last drive whose name begins with it, 0 (the first drive)
// when none does.
long DriveIndex(const cAudioCDRipper& ripper, const QString& sDrive);

// "D:/Track01.cda": what a track row's file cell holds, and what the engine reads a track by.
QString TrackPath(const QString& sDrive, long track);

// Bytes of that many seconds of CD audio (1411200 bits a second).
qint64 TrackBytes(long seconds);

// Writes row `track` of an items grid for one track of the disc in `sDrive`. `timeText` is the
// converter's time text of the length; `now` stands in for a creation date the track has not.
void FillTrackRow(cGrid& grid, const QString& sDrive, long track, const TrackFacts& facts, const QString& timeText,
                  const QDateTime& now);

}  // namespace CDDriveNodes
