// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// The text side of the CDDB protocol: a disc's ID and query from its table of contents, the
// server's reply lines, and the entry ("xmcd" format) a server sends for a disc. Plain
// functions, any thread. Sectors here are counted from the start of the lead-in's two seconds
// (a pressed disc's first track starts at 150), as every CDDB client counts them.

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>

namespace cd {

// The disc ID of the tracks that start at these sectors, on a disc whose lead-out starts at
// `leadOut`.
uint32_t CddbDiscId(const QList<int32_t>& trackStarts, int32_t leadOut);

// "cddb query <id> <count> <offsets...> <seconds>", without the line end.
QByteArray CddbQueryCommand(const QList<int32_t>& trackStarts, int32_t leadOut);

// A line a server sent, without its line end. Servers send UTF-8 at protocol level 6, but many
// old entries were stored in Latin-1: a line that is not valid UTF-8 is read as Latin-1.
QString DecodeCddbLine(const QByteArray& line);

// A match of a query reply: the line after the status code of a 200 reply, or a line of a
// 210/211 list ("category entry-id disc title"). False for a line that names no category (a word
// of letters) and entry ID (eight hex digits): a reply the program cannot read.
bool ParseCddbMatch(const QByteArray& line, QByteArray* category, QByteArray* entryId);

struct CddbTrack {
    QString artist;  // empty unless the title names one ("artist / title")
    QString title;
};

struct CddbEntry {
    QString artist;  // the album's artist: DTITLE up to " / ", or the whole DTITLE
    QString title;   // the album's title: DTITLE after " / ", or the whole DTITLE
    QList<CddbTrack> tracks;  // exactly as many as the disc has; missing titles are empty
};

// The entry's lines as received (each ended by LF or CR LF, the closing "." line left out),
// for a disc of `trackCount` tracks. Comments, unknown keys and titles of tracks the disc does
// not have are ignored; a key given on several lines is one value, as the format has it.
CddbEntry ParseCddbEntry(const QByteArray& lines, int trackCount);

}  // namespace cd
