// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "mainwindow/ItemsListFile.h"

#include "components/cGrid.h"
#include "itemsgrid/ItemRow.h"

#include <QFile>
#include <QFileInfo>
#include "foundation/mdlFileSystem.h"
#include <QStringDecoder>

namespace {

const QString kItemOpen = QStringLiteral("<ITEM>");
const QString kItemClose = QStringLiteral("</ITEM>");
const QString kCrLf = QStringLiteral("\r\n");
// A byte b that is not part of any UTF-8 character is held as the lone surrogate U+DC00 + b.
constexpr char16_t kRawByteBase = 0xDC00;

bool needsEscape(const QString& value)
{
    for (const QChar c : value)
        if (c == u'<' || c == u'>' || c == u'\r' || c == u'\n')
            return true;
    return false;
}

QString escapeValue(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'&': out += QLatin1String("&amp;"); break;
        case u'<': out += QLatin1String("&lt;"); break;
        case u'>': out += QLatin1String("&gt;"); break;
        case u'\r': out += QLatin1String("&#13;"); break;
        case u'\n': out += QLatin1String("&#10;"); break;
        default: out += c;
        }
    }
    return out;
}

QString unescapeValue(const QString& value)
{
    if (!value.contains(u'&'))
        return value;
    static const std::pair<QLatin1String, QChar> entities[] = {
        {QLatin1String("&amp;"), u'&'}, {QLatin1String("&lt;"), u'<'},    {QLatin1String("&gt;"), u'>'},
        {QLatin1String("&#13;"), u'\r'}, {QLatin1String("&#10;"), u'\n'},
    };
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size();) {
        bool matched = false;
        if (value.at(i) == u'&') {
            for (const auto& [entity, ch] : entities) {
                if (QStringView(value).mid(i).startsWith(entity)) {
                    out += ch;
                    i += entity.size();
                    matched = true;
                    break;
                }
            }
        }
        if (!matched)
            out += value.at(i++);
    }
    return out;
}

}  // namespace

const std::array<QString, kItemsListFieldCount>& ItemsListFieldKeys()
{
    static const std::array<QString, kItemsListFieldCount> keys = {
        ItemRow::COL_INC, ItemRow::COL_TYPE, ItemRow::COL_ITEM_NAME, COL_FILE,
        COL_RANGE_ALL,    COL_RANGE_START_TIME, COL_RANGE_LENGTH_TIME, COL_TAG_ALBUM,
        COL_TAG_ARTIST,   COL_TAG_COMMENT,      COL_TAG_GEN,           COL_TAG_YEAR,
        COL_TAG_TITLE,    COL_TAG_TRACK,
    };
    return keys;
}

QString GetTagValue(const QString& sRecord, const QString& sKey)
{
    const QString open = QLatin1Char('<') + sKey + QLatin1Char('>');
    const QString close = QStringLiteral("</") + sKey + QLatin1Char('>');
    const qsizetype start = sRecord.indexOf(open);
    const qsizetype end = sRecord.indexOf(close);
    if (start < 0 || end < 0)
        return {};
    const qsizetype from = start + open.size();
    if (end < from)
        return {};
    return sRecord.mid(from, end - from);
}

ItemsListRecord ParseItemsListRecord(const QString& sPiece, bool escaped)
{
    const auto& keys = ItemsListFieldKeys();
    ItemsListRecord record;
    for (int f = 0; f < kItemsListFieldCount; ++f) {
        const QString value = GetTagValue(sPiece, keys[f]);
        record.fields[f] = escaped ? unescapeValue(value) : value;
    }
    return record;
}

QList<ItemsListRecord> ParseItemsListText(const QString& text, int* markers)
{
    QStringView body(text);
    if (body.startsWith(u'\xFEFF'))
        body = body.mid(1);
    const bool escaped = body.startsWith(kItemsListEscapedMarker);

    const QList<QStringView> pieces = body.split(kItemOpen);
    if (markers)
        *markers = static_cast<int>(pieces.size()) - 1;

    QList<ItemsListRecord> records;
    records.reserve(pieces.size());
    for (qsizetype p = 1; p < pieces.size(); ++p)
        records.append(ParseItemsListRecord(pieces.at(p).toString(), escaped));
    return records;
}

QString DecodeItemsListBytes(const QByteArray& data)
{
    // Stateless: a character cut off at the end is an error here, not a wait for more bytes.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(data);
    if (!utf8.hasError())
        return text;

    // Some value is not UTF-8 (a list from a machine that wrote its own 8-bit code page, a
    // damaged byte). Everything that is UTF-8 reads as such; each byte that is not becomes a
    // stand-in character that the writer turns back into that very byte, so a value nobody
    // changed is written back unchanged, and one bad byte never spoils its neighbours.
    text.clear();
    text.reserve(data.size());
    const auto* b = reinterpret_cast<const unsigned char*>(data.constData());
    const qsizetype n = data.size();
    qsizetype i = data.startsWith("\xEF\xBB\xBF") ? 3 : 0;  // a byte-order mark, as the decoder above skips it
    while (i < n) {
        const unsigned char c = b[i];
        int len = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if (c < 0x80) {
            text += QChar(c);
            ++i;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
            min = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
            min = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
            min = 0x10000;
        }
        bool ok = len > 0 && i + len <= n;
        for (int k = 1; ok && k < len; ++k) {
            if ((b[i + k] & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (b[i + k] & 0x3F);
        }
        ok = ok && cp >= min && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        if (ok) {
            // Character by character: a conversion call would take a U+FEFF (zero width no-break
            // space, legal inside a name) for a byte-order mark and drop it.
            if (cp < 0x10000) {
                text += QChar(char16_t(cp));
            } else {
                text += QChar(QChar::highSurrogate(cp));
                text += QChar(QChar::lowSurrogate(cp));
            }
            i += len;
        } else {
            text += QChar(char16_t(kRawByteBase + c));
            ++i;
        }
    }
    return text;
}

QByteArray EncodeItemsListText(const QString& text)
{
    QByteArray out;
    out.reserve(text.size() + text.size() / 8);
    qsizetype runStart = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = text.at(i).unicode();
        if (u < kRawByteBase + 0x80 || u > kRawByteBase + 0xFF)
            continue;
        // Only a lone low surrogate stands for a byte; one after a high surrogate is half of a
        // real character.
        if (i > 0 && QChar::isHighSurrogate(text.at(i - 1).unicode()))
            continue;
        out += QStringView(text).mid(runStart, i - runStart).toUtf8();
        out += char(u - kRawByteBase);
        runStart = i + 1;
    }
    out += QStringView(text).mid(runStart).toUtf8();
    return out;
}

bool IsEscapedItemsListData(const QByteArray& data)
{
    QByteArrayView body(data);
    if (body.startsWith("\xEF\xBB\xBF"))
        body = body.sliced(3);
    return body.startsWith(kItemsListEscapedMarker.toUtf8());
}

QList<qsizetype> ItemsListRecordOffsets(const QByteArray& data)
{
    static const QByteArray marker = kItemOpen.toUtf8();
    QList<qsizetype> offsets;
    for (qsizetype at = data.indexOf(marker); at >= 0; at = data.indexOf(marker, at + marker.size()))
        offsets.append(at + marker.size());
    return offsets;
}

QString ComposeItemsListText(const QList<ItemsListRecord>& records)
{
    bool escaped = false;
    for (const ItemsListRecord& r : records)
        for (const QString& v : r.fields)
            if (needsEscape(v)) {
                escaped = true;
                break;
            }

    const auto& keys = ItemsListFieldKeys();
    QString text;
    if (escaped)
        text += kItemsListEscapedMarker;
    for (const ItemsListRecord& r : records) {
        text += kItemOpen;
        for (int f = 0; f < kItemsListFieldCount; ++f) {
            text += QLatin1Char('<') + keys[f] + QLatin1Char('>');
            text += escaped ? escapeValue(r.fields[f]) : r.fields[f];
            text += QStringLiteral("</") + keys[f] + QLatin1Char('>');
        }
        text += kItemClose;
    }
    return text;
}

ItemsListReadResult ReadItemsListData(const QString& sFile)
{
    ItemsListReadResult result;
    const QFileInfo info(sFile);
    if (sFile.isEmpty() || !info.exists())
        return result;
    QFile file(sFile);
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        result.ok = false;
        return result;
    }
    result.data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.ok = false;
        result.data.clear();
    }
    return result;
}

ItemsListReadResult ReadItemsListFile(const QString& sFile)
{
    ItemsListReadResult result = ReadItemsListData(sFile);
    result.text = DecodeItemsListBytes(result.data);
    return result;
}

namespace {

// Appends the file's bytes of one value, as EncodeItemsListText gives them. Values without
// surrogates (nearly all) are written straight into the buffer: a list of ten thousand items
// is saved after every adding pass.
void appendEncoded(QByteArray& out, QStringView value)
{
    const qsizetype n = value.size();
    const char16_t* s = value.utf16();
    for (qsizetype i = 0; i < n; ++i)
        if (s[i] >= 0xD800 && s[i] <= 0xDFFF) {
            out += EncodeItemsListText(value.toString());
            return;
        }
    const qsizetype at = out.size();
    out.resize(at + 3 * n);
    auto* d = reinterpret_cast<unsigned char*>(out.data() + at);
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = s[i];
        if (u < 0x80) {
            *d++ = static_cast<unsigned char>(u);
        } else if (u < 0x800) {
            *d++ = static_cast<unsigned char>(0xC0 | (u >> 6));
            *d++ = static_cast<unsigned char>(0x80 | (u & 0x3F));
        } else {
            *d++ = static_cast<unsigned char>(0xE0 | (u >> 12));
            *d++ = static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3F));
            *d++ = static_cast<unsigned char>(0x80 | (u & 0x3F));
        }
    }
    out.truncate(reinterpret_cast<char*>(d) - out.constData());
}

}  // namespace

QByteArray ComposeItemsListBytes(const QList<ItemsListRecord>& records)
{
    bool escaped = false;
    qsizetype valueChars = 0;
    for (const ItemsListRecord& r : records)
        for (const QString& v : r.fields) {
            valueChars += v.size();
            escaped = escaped || needsEscape(v);
        }

    const auto& keys = ItemsListFieldKeys();
    std::array<QByteArray, kItemsListFieldCount> open, close;
    qsizetype tagBytes = kItemOpen.size() + kItemClose.size();
    for (int f = 0; f < kItemsListFieldCount; ++f) {
        open[f] = EncodeItemsListText(QLatin1Char('<') + keys[f] + QLatin1Char('>'));
        close[f] = EncodeItemsListText(QStringLiteral("</") + keys[f] + QLatin1Char('>'));
        tagBytes += open[f].size() + close[f].size();
    }
    const QByteArray itemOpen = EncodeItemsListText(kItemOpen);
    const QByteArray itemClose = EncodeItemsListText(kItemClose);

    QByteArray out;
    out.reserve(records.size() * tagBytes + valueChars + valueChars / 8 + 64);
    if (escaped)
        out += EncodeItemsListText(kItemsListEscapedMarker);
    for (const ItemsListRecord& r : records) {
        out += itemOpen;
        for (int f = 0; f < kItemsListFieldCount; ++f) {
            out += open[f];
            appendEncoded(out, escaped ? escapeValue(r.fields[f]) : r.fields[f]);
            out += close[f];
        }
        out += itemClose;
    }
    out += EncodeItemsListText(kCrLf);
    return out;
}

bool WriteItemsListFile(const QString& sFile, const QList<ItemsListRecord>& records)
{
    if (sFile.isEmpty())
        return false;
    return WriteFileAtomically(sFile, ComposeItemsListBytes(records));
}

ItemsListRecord RecordFromGridRow(cGrid& grid, long row)
{
    const auto& keys = ItemsListFieldKeys();
    ItemsListRecord r;
    const long incCol = grid.ColumnIndex(ItemRow::COL_INC);
    const long icon = incCol > 0 ? grid.Cell(row, incCol).Icon() : cGridModel::kNoIcon;
    // A mark cell that never got an icon is an unmarked item.
    r[fldInc] = QString::number(icon < 0 ? 0 : icon);
    r[fldType] = QStringLiteral("Audio");
    for (int f = fldItemName; f < kItemsListFieldCount; ++f) {
        const long col = grid.ColumnIndex(keys[f]);
        if (col > 0)
            r.fields[f] = grid.Cell(row, col).Text();
    }
    return r;
}

QList<ItemsListRecord> RecordsFromGrid(cGrid& grid)
{
    // As RecordFromGridRow, with the columns found once rather than once a row.
    const auto& keys = ItemsListFieldKeys();
    std::array<long, kItemsListFieldCount> cols{};
    for (int f = fldItemName; f < kItemsListFieldCount; ++f)
        cols[f] = grid.ColumnIndex(keys[f]);
    const long incCol = grid.ColumnIndex(ItemRow::COL_INC);
    const cGridModel& model = grid.model();
    const QString audio = QStringLiteral("Audio");

    QList<ItemsListRecord> records;
    const long rows = grid.Rows();
    records.resize(rows);
    for (long row = 1; row <= rows; ++row) {
        ItemsListRecord& r = records[row - 1];
        const long icon = incCol > 0 ? model.Icon(row, incCol) : cGridModel::kNoIcon;
        // A mark cell that never got an icon is an unmarked item.
        r[fldInc] = QString::number(icon < 0 ? 0 : icon);
        r[fldType] = audio;
        for (int f = fldItemName; f < kItemsListFieldCount; ++f)
            if (cols[f] > 0)
                r.fields[f] = model.Text(row, cols[f]);
    }
    return records;
}

QList<ItemsListRecord> MergeHeldItems(const QList<ItemsListRecord>& rows, const QList<HeldItem>& held)
{
    if (held.isEmpty())
        return rows;
    QList<ItemsListRecord> out;
    out.reserve(rows.size() + held.size());
    qsizetype h = 0;
    for (qsizetype r = 0; r <= rows.size(); ++r) {
        while (h < held.size() && held.at(h).afterRow <= r)
            out.append(held.at(h++).record);
        if (r < rows.size())
            out.append(rows.at(r));
    }
    while (h < held.size())
        out.append(held.at(h++).record);
    return out;
}

bool IsItemsListFileName(const QString& sName)
{
    return sName.size() > kItemsListExtension.size() && sName.endsWith(kItemsListExtension);
}
