// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QList>
#include <QString>

#include <array>

class cGrid;

// The ".flst" items-list file: "<ITEM>" records, one after the other, each holding fourteen
// "<key>value</key>" fields named after the grid's item columns, then one CR LF. Plain
// functions over text and files; the grid is only read. GUI thread for the grid functions.
//
// Values are written as the cells hold them. A value holding "<", ">", a CR or an LF could be
// mistaken for a marker by the reader, so a file holding such a value starts with
// kItemsListEscapedMarker and then has every value escaped ("&amp;", "&lt;", "&gt;", "&#13;",
// "&#10;"). Files without the marker, among them every file written before, are read exactly as
// they stand, so an "&" in an old file stays an "&".

inline const QString kItemsListExtension = QStringLiteral(".flst");
inline const QString kItemsListEscapedMarker = QStringLiteral("<FLST escaped=\"1\"/>");

// The longest value a record may hold, in characters: far beyond any path (4,096 bytes) or tag
// text the grid shows. A longer one is no value this program wrote, and a grid cell of many
// megabytes would hold the window up for minutes; its record is a damaged part (below).
constexpr qsizetype kItemsListFieldLimit = 65536;

// The fourteen field keys in file order.
enum ItemsListField {
    fldInc,
    fldType,
    fldItemName,
    fldFile,
    fldRangeAll,
    fldRangeStart,
    fldRangeLength,
    fldTagAlbum,
    fldTagArtist,
    fldTagComment,
    fldTagGenre,
    fldTagYear,
    fldTagTitle,
    fldTagTrack,
    kItemsListFieldCount
};
const std::array<QString, kItemsListFieldCount>& ItemsListFieldKeys();

// One record of a list file: the field values as read (unescaped) or to be written.
struct ItemsListRecord {
    std::array<QString, kItemsListFieldCount> fields;
    QString& operator[](ItemsListField f) { return fields[f]; }
    const QString& operator[](ItemsListField f) const { return fields[f]; }
    friend bool operator==(const ItemsListRecord&, const ItemsListRecord&) = default;
};

// The text between the first "<key>" and the first "</key>" of the record, both searched from
// its start, case-sensitively; empty when either is missing or the closing one comes first.
QString GetTagValue(const QString& sRecord, const QString& sKey);

// The records of a list file's text, in file order. The text before the first "<ITEM>" is not a
// record. `markers` (when given) receives the number of "<ITEM>" markers found.
QList<ItemsListRecord> ParseItemsListText(const QString& text, int* markers = nullptr);
// The whole text of a list file, without the closing CR LF.
QString ComposeItemsListText(const QList<ItemsListRecord>& records);

// The same, piece by piece, for a reader that works through a long file in slices: the file's
// bytes, whether it is escaped, the byte offsets just after each "<ITEM>", and one record from
// the bytes between two of them.
// Bytes that are not UTF-8 are kept, each as a character of its own (a lone surrogate,
// U+DC80..U+DCFF) that EncodeItemsListText turns back into the same byte: a value read from a
// list is written back byte for byte, and the other values of its record read as UTF-8.
QString DecodeItemsListBytes(const QByteArray& data);
QByteArray EncodeItemsListText(const QString& text);
bool IsEscapedItemsListData(const QByteArray& data);
QList<qsizetype> ItemsListRecordOffsets(const QByteArray& data);
ItemsListRecord ParseItemsListRecord(const QString& sPiece, bool escaped);

// What a list file held when this program last read or wrote it, so that a save can tell
// whether someone else (another instance of the program, an editor) has changed it since.
struct ItemsListStamp {
    bool exists = false;
    qint64 size = 0;
    qint64 mtimeNs = 0;
    QByteArray hash;  // of the whole file's bytes
    friend bool operator==(const ItemsListStamp&, const ItemsListStamp&) = default;
};

// Reading a list file. A missing file is an empty list (ok); a file that exists but cannot be
// read is not ok, so that nobody saves over a list that was never seen.
struct ItemsListReadResult {
    bool ok = true;
    QString text;
    QByteArray data;  // the bytes the text was decoded from
    ItemsListStamp stamp;
};
ItemsListReadResult ReadItemsListFile(const QString& sFile);
// The bytes only (text left empty), for the slice reader.
ItemsListReadResult ReadItemsListData(const QString& sFile);
// The bytes of a list file of the records: EncodeItemsListText(ComposeItemsListText(records)
// plus a line break), composed without the intermediate text.
QByteArray ComposeItemsListBytes(const QList<ItemsListRecord>& records);

// Saving a list that was read before. The file is locked against other savers of this program,
// compared with what was read (`expected`), and replaced only when nobody changed it meanwhile:
// a save never undoes, unseen, what another instance saved. The new file is written beside the
// list and renamed over it, so a crash or a full disk leaves the old list whole; a temporary
// file of an earlier save that was killed before its rename is removed. `written` receives the
// stamp of the new file; `error` the reason of a failure, as the system gives it.
enum class ItemsListSaveStatus { Saved, Failed, ChangedElsewhere };
ItemsListSaveStatus SaveItemsListBytes(const QString& sFile, const QByteArray& data, const ItemsListStamp& expected,
                                       ItemsListStamp* written, QString* error);

// What a grid row is saved as: the mark's icon index, "Audio", and the cells of the other keys.
ItemsListRecord RecordFromGridRow(cGrid& grid, long row);
QList<ItemsListRecord> RecordsFromGrid(cGrid& grid);

// A record the loader could not put into the grid (its source file missing or unreadable, no
// source path): kept so that the next save writes it back. `afterRow` is the number of the
// grid's rows before it (kept up to date as rows are removed, so it stays between the same
// neighbours). A damaged part of the file (below) is held the same way, as its bytes.
struct HeldItem {
    long afterRow = 0;
    ItemsListRecord record;
    QByteArray damaged;    // when not empty: bytes written back as they are, instead of the record
    bool escaped = false;  // the damaged bytes come from an escaped file
};
// The file's bytes for the grid's records with everything held put back at its place, damaged
// parts byte for byte. A list that held damaged parts of an escaped file stays escaped, so those
// parts keep their meaning.
QByteArray ComposeItemsListBytes(const QList<ItemsListRecord>& rows, const QList<HeldItem>& held);

// Damaged parts. Each record runs from its "<ITEM>" to the first "</ITEM>" after it. What
// follows that up to the next "<ITEM>" is normally nothing; anything there besides blanks (a
// marker damaged by hand, as "<ITEM" and a line break that hides the next record, or text typed
// between records) is a damaged part. So is, taken whole with its "<ITEM>", a piece without any
// value, one without "</ITEM>" (a file cut off inside a record) and one with a value longer than
// kItemsListFieldLimit; and so is text before the first record other than a byte-order mark, the
// escaped marker and blanks. Damaged parts are kept byte for byte and written back at their
// places; the one closing CR LF of the file is no part of them.
struct ItemsListPiece {
    ItemsListRecord record;  // empty when the piece holds no field
    QByteArray damaged;
};
// One piece: the bytes after one "<ITEM>" up to the next (or to the end of the file: `last`).
ItemsListPiece ParseItemsListPiece(QByteArrayView piece, bool escaped, bool last);
// The damaged part before the first "<ITEM>" (at `firstMarker`, or -1 when there is none).
QByteArray ItemsListDamagedPrefix(QByteArrayView data, qsizetype firstMarker);
// A whole file as the loader reads it: every record that holds a value (as a row, in order),
// and the damaged parts, each held after the records before it.
struct ItemsListContent {
    QList<ItemsListRecord> records;
    QList<HeldItem> damaged;
};
ItemsListContent ParseItemsListData(const QByteArray& data);
// Makes (or finds) a copy of a damaged list beside it, "<list>.damaged-<time>", holding `data`;
// an earlier copy that holds every one of `parts` already is used again rather than a new one.
// The copy's path, or empty with `error` set.
QString KeepDamagedItemsListCopy(const QString& sFile, const QByteArray& data, const QList<QByteArray>& parts,
                                 QString* error);

// True when the name ends with the list extension itself ("Rock.flst"; not "Rock.flst.bak").
bool IsItemsListFileName(const QString& sName);
