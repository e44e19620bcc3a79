// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// Audio disc images: a cue sheet and the one data file of raw 2352-byte sectors it names.
// The sheet is checked against the data file before any track is listed, so a track is never
// listed that the file cannot deliver: a missing or empty file, a track that starts at or past
// its end, indexes out of order, more than 99 tracks, or a file the reader cannot take (not
// BINARY, outside the sheet's folder) are refused with the reason.

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace cd {

struct CueTrack {
    int number = 0;            // as the sheet numbers it
    bool audio = true;
    int32_t firstSector = 0;   // INDEX 01 on the disc (pregaps and postgaps count)
    int32_t sectors = 0;       // up to the next track's INDEX 01 or the lead-out
};

// Disc sectors [discSector, discSector + count) are the data file's sectors from fileSector on.
// Disc sectors that no segment covers (pregaps, postgaps) are silence.
struct CueSegment {
    int32_t discSector = 0;
    int32_t fileSector = 0;
    int32_t count = 0;
};

struct CueSheet {
    QString dataFile;          // as the FILE line names it
    QString dataPath;          // resolved against the sheet's folder (ReadCueSheet only)
    int64_t dataBytes = 0;
    QList<CueTrack> tracks;
    QList<CueSegment> segments;
    int32_t leadOut = 0;       // first disc sector after the last track
};

// Parses the text of a sheet. `dataFileSize` answers the size in bytes of the file the FILE
// line names (nullopt when it does not exist). False with the reason (a sentence without the
// sheet's name) when the sheet cannot be read as a disc.
bool ParseCueSheet(const QByteArray& text, const std::function<std::optional<int64_t>(const QString&)>& dataFileSize,
                   CueSheet* sheet, QString* why);

// Reads the sheet at this path; the FILE line is taken relative to the sheet's folder, and the
// data file must really lie there or below: a symbolic link that leads out is refused as ".." is.
bool ReadCueSheet(const QString& cuePath, CueSheet* sheet, QString* why);

// The data file the first FILE line of a sheet's text names ("\\" read as "/"), whether or not
// the sheet can be read as a disc; "" when it names none. For a sheet ParseCueSheet takes, its
// dataFile.
QString CueDataFileName(const QByteArray& text);
// That name resolved against the sheet's folder, for the sheet at this path.
QString CueDataFilePath(const QString& cuePath);

// A disc position in sectors as a cue sheet writes it: "mm:ss:ff", 75 frames a second.
QString MsfText(int64_t sectors);

}  // namespace cd
