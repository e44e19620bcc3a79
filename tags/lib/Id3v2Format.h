// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

class TagFile;

// Byte-level rules of ID3v2 tags shared by the reader, the writer and the tests. No state.
namespace id3v2 {

// Where the search finds "ID3": windows of 4096 bytes overlapping by 3, stopping after the first
// window that holds an MPEG-1 Layer III frame start (FF FB). Reads one window at a time.
std::optional<int64_t> FindTag(const TagFile& file);

struct TagExtent {
    int version = 0;
    int flags = 0;
    int64_t length = 0;  // header, frames, padding and footer, never past the end of the file
    bool legacySize = false;  // the size field held the whole length as a plain number
    // The size field is believable: syncsafe and inside the file, or the legacy form. Only such
    // a tag may be replaced; any other is read as far as the file goes but never overwritten.
    bool trusted = false;
};
// The extent of the tag whose header starts at `start`, or nothing when the header cannot be a
// tag (fewer than 10 bytes). Besides the published
// syncsafe size (header not counted) it recognises the size this program used to write: the
// whole tag length, a multiple of 2048, as a plain number.
std::optional<TagExtent> ReadExtent(const TagFile& file, int64_t start, int64_t fileLength);

uint32_t ReadBigEndian(const char* p, int bytes);
uint32_t ReadSyncsafe(const char* p);
bool IsSyncsafe(const char* p);
void PutBigEndianLong(QByteArray& buffer, int offset, uint32_t value);
void PutSyncsafe(QByteArray& buffer, int offset, uint32_t value);
QByteArray RemoveUnsynchronisation(const QByteArray& data);

// Text encodings of the format: 0 ISO-8859-1, 1 UTF-16 with byte-order mark, 2 UTF-16BE, 3 UTF-8.
QString DecodeText(const QByteArray& bytes, int encoding);
// Splits at the first terminator of the encoding (1 zero byte, or 2 on an even offset).
// Without a terminator the whole input is the first part and the rest is empty.
std::pair<QByteArray, QByteArray> SplitAtTerminator(const QByteArray& bytes, int encoding);
// Encoding 0 when every character fits ISO-8859-1, else 1 (UTF-16 with byte-order mark).
int EncodingFor(const QString& text);
QByteArray EncodeText(const QString& text, int encoding);
QByteArray Terminator(int encoding);

// A version 2.4 time stamp ("yyyy-MM-ddTHH:mm:ss", cut anywhere after the year) as the frames of
// version 2.3 hold it: the year ("TYER"), "DDMM" ("TDAT") when day and month are given, "HHMM"
// ("TIME") when hour and minute are. A text that is no time stamp gives its first four
// characters as the year and nothing else.
struct Timestamp23 {
    QString year, dayMonth, hourMinute;
};
Timestamp23 SplitTimestamp(const QString& stamp);

// The version 2.3 id of a version 2.2 frame id, or an empty text when there is none.
QString MapV22FrameId(const QByteArray& id);
// A version 2.2 "PIC" body as the body of a version 2.3 "APIC" frame.
QByteArray ConvertPicToApic(const QByteArray& pic);
// An "APIC" body of version 2.4 whose description is UTF-16BE or UTF-8, re-encoded for 2.3.
QByteArray ConvertApicTextTo23(const QByteArray& apic);

}  // namespace id3v2
