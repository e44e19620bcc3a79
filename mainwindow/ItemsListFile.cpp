// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "mainwindow/ItemsListFile.h"

#include "components/cGrid.h"
#include "itemsgrid/ItemRow.h"

#include "foundation/mdlFileSystem.h"
#include "platform/LinkedWrite.h"
#include "platform/SaveLeftovers.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

qint64 mtimeNs(const struct stat& st) { return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec; }

}  // namespace

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
        return result;
    }
    struct stat st {};
    if (::fstat(file.handle(), &st) == 0)
        result.stamp.mtimeNs = mtimeNs(st);
    result.stamp.exists = true;
    result.stamp.size = result.data.size();
    result.stamp.hash = QCryptographicHash::hash(result.data, QCryptographicHash::Sha1);
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

namespace {

// Writes records (and damaged parts) into a list file's bytes.
class ItemsListWriter {
public:
    ItemsListWriter(bool escaped, qsizetype records, qsizetype valueChars) : m_escaped(escaped)
    {
        const auto& keys = ItemsListFieldKeys();
        qsizetype tagBytes = kItemOpen.size() + kItemClose.size();
        for (int f = 0; f < kItemsListFieldCount; ++f) {
            m_open[f] = EncodeItemsListText(QLatin1Char('<') + keys[f] + QLatin1Char('>'));
            m_close[f] = EncodeItemsListText(QStringLiteral("</") + keys[f] + QLatin1Char('>'));
            tagBytes += m_open[f].size() + m_close[f].size();
        }
        m_itemOpen = EncodeItemsListText(kItemOpen);
        m_itemClose = EncodeItemsListText(kItemClose);
        m_out.reserve(records * tagBytes + valueChars + valueChars / 8 + 64);
        if (escaped)
            m_out += EncodeItemsListText(kItemsListEscapedMarker);
    }
    void record(const ItemsListRecord& r)
    {
        m_out += m_itemOpen;
        for (int f = 0; f < kItemsListFieldCount; ++f) {
            m_out += m_open[f];
            appendEncoded(m_out, m_escaped ? escapeValue(r.fields[f]) : r.fields[f]);
            m_out += m_close[f];
        }
        m_out += m_itemClose;
    }
    void raw(const QByteArray& bytes) { m_out += bytes; }
    QByteArray finish()
    {
        m_out += EncodeItemsListText(kCrLf);
        return std::move(m_out);
    }

private:
    bool m_escaped;
    std::array<QByteArray, kItemsListFieldCount> m_open, m_close;
    QByteArray m_itemOpen, m_itemClose;
    QByteArray m_out;
};

void measure(const ItemsListRecord& r, bool& escaped, qsizetype& valueChars)
{
    for (const QString& v : r.fields) {
        valueChars += v.size();
        escaped = escaped || needsEscape(v);
    }
}

}  // namespace

QByteArray ComposeItemsListBytes(const QList<ItemsListRecord>& records)
{
    return ComposeItemsListBytes(records, {});
}

QByteArray ComposeItemsListBytes(const QList<ItemsListRecord>& rows, const QList<HeldItem>& held)
{
    bool escaped = false;
    qsizetype valueChars = 0;
    for (const ItemsListRecord& r : rows)
        measure(r, escaped, valueChars);
    for (const HeldItem& h : held) {
        if (h.damaged.isEmpty())
            measure(h.record, escaped, valueChars);
        else
            escaped = escaped || h.escaped;
    }

    // A damaged part that comes first in the file is read after one byte-order mark and the
    // escaped marker are taken off the file's start. One that begins with either keeps them only
    // when the file starts with its own: a mark before it, or the marker (which escapes the
    // records too).
    static const QByteArray bom("\xEF\xBB\xBF");
    static const QByteArray marker = kItemsListEscapedMarker.toUtf8();
    const bool heldFirst = !held.isEmpty() && (rows.isEmpty() || held.first().afterRow <= 0);
    const QByteArray first = heldFirst ? held.first().damaged : QByteArray();
    escaped = escaped || first.startsWith(marker);

    ItemsListWriter out(escaped, rows.size() + held.size(), valueChars);
    if (!escaped && first.startsWith(bom))
        out.raw(bom);
    auto put = [&](const HeldItem& h) {
        if (h.damaged.isEmpty())
            out.record(h.record);
        else
            out.raw(h.damaged);
    };
    qsizetype h = 0;
    for (qsizetype r = 0; r <= rows.size(); ++r) {
        while (h < held.size() && held.at(h).afterRow <= r)
            put(held.at(h++));
        if (r < rows.size())
            out.record(rows.at(r));
    }
    while (h < held.size())
        put(held.at(h++));
    return out.finish();
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

bool IsItemsListFileName(const QString& sName)
{
    return sName.size() > kItemsListExtension.size() && sName.endsWith(kItemsListExtension);
}

// ---------------------------------------------------------------------------------------------
// Damaged parts

namespace {

bool isBlank(QByteArrayView bytes)
{
    for (const char c : bytes)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            return false;
    return true;
}

// The file's own closing line break is written again by every save, so it is no part of a
// damaged part at the end of the file. Only that one: any other line break there is the
// damaged part's own, and a save that dropped it would change the part.
QByteArray withoutClosingBreak(QByteArrayView bytes)
{
    return (bytes.endsWith("\r\n") ? bytes.chopped(2) : bytes).toByteArray();
}

bool isEmptyRecord(const ItemsListRecord& r)
{
    for (const QString& v : r.fields)
        if (!v.isEmpty())
            return false;
    return true;
}

}  // namespace

ItemsListPiece ParseItemsListPiece(QByteArrayView piece, bool escaped, bool last)
{
    static const QByteArray itemClose = kItemClose.toUtf8();
    static const QByteArray itemOpen = kItemOpen.toUtf8();
    ItemsListPiece out;
    // The whole piece, marker and all, when nothing of an item can be read from it.
    auto damagedWhole = [&] {
        out.record = ItemsListRecord();
        out.damaged = itemOpen + (last ? withoutClosingBreak(piece) : piece.toByteArray());
        return out;
    };
    qsizetype end = piece.indexOf(itemClose);
    // No closing marker: a file cut off inside the record, or a record whose end was lost. What
    // it holds is not known to be all of it, so it is not loaded as an item.
    if (end < 0)
        return damagedWhole();
    end += itemClose.size();
    out.record = ParseItemsListRecord(DecodeItemsListBytes(piece.first(end).toByteArray()), escaped);
    if (isEmptyRecord(out.record))
        return damagedWhole();
    for (const QString& v : out.record.fields)
        if (v.size() > kItemsListFieldLimit)
            return damagedWhole();
    const QByteArrayView trailing = piece.sliced(end);
    if (!isBlank(trailing))
        out.damaged = last ? withoutClosingBreak(trailing) : trailing.toByteArray();
    return out;
}

QByteArray ItemsListDamagedPrefix(QByteArrayView data, qsizetype firstMarker)
{
    QByteArrayView prefix = firstMarker < 0 ? data : data.first(firstMarker);
    if (prefix.startsWith("\xEF\xBB\xBF"))
        prefix = prefix.sliced(3);
    static const QByteArray marker = kItemsListEscapedMarker.toUtf8();
    if (prefix.startsWith(marker))
        prefix = prefix.sliced(marker.size());
    if (isBlank(prefix))
        return {};
    return firstMarker < 0 ? withoutClosingBreak(prefix) : prefix.toByteArray();
}

ItemsListContent ParseItemsListData(const QByteArray& data)
{
    ItemsListContent content;
    const bool escaped = IsEscapedItemsListData(data);
    const QList<qsizetype> offsets = ItemsListRecordOffsets(data);
    static const qsizetype markerSize = kItemOpen.size();
    const QByteArray prefix = ItemsListDamagedPrefix(data, offsets.isEmpty() ? -1 : offsets.first() - markerSize);
    if (!prefix.isEmpty())
        content.damaged.append(HeldItem{0, {}, prefix, escaped});
    for (qsizetype i = 0; i < offsets.size(); ++i) {
        const qsizetype from = offsets.at(i);
        const bool last = i + 1 == offsets.size();
        const qsizetype to = last ? data.size() : offsets.at(i + 1) - markerSize;
        ItemsListPiece piece = ParseItemsListPiece(QByteArrayView(data).sliced(from, to - from), escaped, last);
        if (!isEmptyRecord(piece.record))
            content.records.append(piece.record);
        if (!piece.damaged.isEmpty())
            content.damaged.append(HeldItem{long(content.records.size()), {}, piece.damaged, escaped});
    }
    return content;
}

QString KeepDamagedItemsListCopy(const QString& sFile, const QByteArray& data, const QList<QByteArray>& parts,
                                 QString* error)
{
    const QFileInfo info(sFile);
    const QString stem = info.fileName() + QStringLiteral(".damaged-");
    // A list that stays damaged is read again and again: one copy of its damaged parts is enough.
    const QStringList earlier = info.dir().entryList({stem + QLatin1Char('*')}, QDir::Files, QDir::Name);
    for (const QString& name : earlier) {
        QFile f(info.dir().filePath(name));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray held = f.readAll();
        bool all = true;
        for (const QByteArray& part : parts)
            all = all && held.contains(part);
        if (all)
            return f.fileName();
    }
    const QString base = info.dir().filePath(stem + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss")));
    QString copy = base;
    for (int n = 2; QFileInfo::exists(copy) || QFileInfo(copy).isSymLink(); ++n)
        copy = base + QLatin1Char('-') + QString::number(n);
    QSaveFile out(copy);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || out.write(data) != data.size() || !out.commit()) {
        if (error)
            *error = out.errorString();
        out.cancelWriting();
        return {};
    }
    return copy;
}

// ---------------------------------------------------------------------------------------------
// Saving over what was read

namespace {

QString systemError(int code) { return QString::fromLocal8Bit(std::strerror(code)); }

// Why a file could not be replaced: the system's own word where a folder or file refuses
// writing (a read-only file system, no permission), else the writer's.
QString writeFailure(const QString& sFile, const QSaveFile& out)
{
    const QByteArray file = QFile::encodeName(sFile);
    const QByteArray folder = QFile::encodeName(QFileInfo(sFile).absolutePath());
    if (::access(folder.constData(), W_OK) != 0)
        return systemError(errno);
    if (::access(file.constData(), F_OK) == 0 && ::access(file.constData(), W_OK) != 0)
        return systemError(errno);
    return out.errorString();
}

// An open descriptor of the list file, locked against the other savers of this program (each
// locks the file it is about to replace, and checks that the name still leads to it).
class LockedList {
public:
    ~LockedList()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    // False with `error` set when the file exists but cannot be locked; a missing file is no error.
    bool lock(const QString& sFile, QString* error)
    {
        const QByteArray path = QFile::encodeName(sFile);
        QElapsedTimer waited;
        waited.start();
        for (;;) {
            // Non-blocking: the name might lead to a pipe rather than a file.
            m_fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
            if (m_fd < 0) {
                if (errno == ENOENT)
                    return true;
                *error = systemError(errno);
                return false;
            }
            while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
                // A file system without locks (some network shares): saved unlocked, as before,
                // still compared with what was read.
                if (errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS)
                    break;
                if (errno != EWOULDBLOCK && errno != EINTR) {
                    *error = systemError(errno);
                    return false;
                }
                // Another instance is writing it: that takes milliseconds.
                if (waited.elapsed() > 5000) {
                    *error = QStringLiteral("the file is locked by another program");
                    return false;
                }
                QThread::msleep(5);
            }
            struct stat held {}, named {};
            if (::fstat(m_fd, &held) != 0) {
                *error = systemError(errno);
                return false;
            }
            if (::stat(path.constData(), &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino) {
                m_stat = held;
                return true;
            }
            // Replaced while we waited for the lock: lock what the name leads to now.
            ::close(m_fd);
            m_fd = -1;
        }
    }
    bool exists() const { return m_fd >= 0; }
    const struct stat& info() const { return m_stat; }
    QByteArray readAll() const
    {
        QByteArray data;
        char buffer[65536];
        ::lseek(m_fd, 0, SEEK_SET);
        for (;;) {
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            data.append(buffer, n);
        }
        return data;
    }

private:
    int m_fd = -1;
    struct stat m_stat {};
};

// Writes all of `data` to the descriptor: 0, or the system's error number of the write that
// failed. A disk that fills partway through fails a later write, not the first, and Qt's own
// writer then has no reason to give.
int writeAll(int fd, const QByteArray& data)
{
    if (fd < 0)
        return EBADF;
    const char* at = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, at, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        at += n;
        left -= n;
    }
    return 0;
}

// Removes what saves of the list killed before their rename left: regular files of this user
// named as the temporary files are. A symbolic link or another user's file is never ours.
void removeLeftoverSaves(const QString& sFile)
{
    const QFileInfo info(sFile);
    const QString listName = info.fileName();
    const QDir folder = info.dir();
    const QStringList names = folder.entryList({listName + QStringLiteral(".*")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (!platform::IsSaveLeftoverName(name, listName))
            continue;
        const QByteArray path = QFile::encodeName(folder.filePath(name));
        struct stat st {};
        if (::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
            ::unlink(path.constData());
    }
}

bool sameAsRead(const LockedList& file, const ItemsListStamp& expected)
{
    if (file.exists() != expected.exists)
        return false;
    if (!file.exists())
        return true;
    if (!S_ISREG(file.info().st_mode) || file.info().st_size != expected.size)
        return false;
    if (mtimeNs(file.info()) == expected.mtimeNs)
        return true;
    // Touched, perhaps rewritten with the same bytes: the bytes decide.
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1) == expected.hash;
}

}  // namespace

ItemsListSaveStatus SaveItemsListBytes(const QString& sFile, const QByteArray& data, const ItemsListStamp& expected,
                                       ItemsListStamp* written, QString* error)
{
    QString why;
    if (sFile.isEmpty()) {
        if (error)
            *error = QStringLiteral("no file");
        return ItemsListSaveStatus::Failed;
    }
    // A link to a file is written through; nothing is made or written where any other link
    // points, and nobody was asked to replace the link itself.
    if (platform::LinkAtPath(sFile) == platform::LinkAt::Elsewhere) {
        if (error)
            *error = platform::LinkRefusal(sFile);
        return ItemsListSaveStatus::Failed;
    }
    LockedList locked;
    if (!locked.lock(sFile, &why)) {
        if (error)
            *error = why;
        return ItemsListSaveStatus::Failed;
    }
    if (!sameAsRead(locked, expected)) {
        if (error)
            *error = locked.exists() ? QStringLiteral("the file was changed by another program since it was read")
                                     : QStringLiteral("the file was removed by another program since it was read");
        return ItemsListSaveStatus::ChangedElsewhere;
    }
    // Under the lock no other save of this program is under way: a temporary file of ours
    // beside the list is what a save killed before its rename left.
    removeLeftoverSaves(sFile);
    // Unbuffered: a buffered write that fails only when the file is closed (a full disk) would
    // still be renamed over the list, leaving it cut short.
    QSaveFile out(sFile);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = writeFailure(sFile, out);
        return ItemsListSaveStatus::Failed;
    }
    const int writeError = writeAll(out.handle(), data);
    if (writeError != 0 || !out.commit()) {
        if (error)
            *error = writeError != 0 ? systemError(writeError) : writeFailure(sFile, out);
        out.cancelWriting();
        return ItemsListSaveStatus::Failed;
    }
    if (written) {
        struct stat st {};
        written->exists = true;
        written->size = data.size();
        written->mtimeNs = ::stat(QFile::encodeName(sFile).constData(), &st) == 0 ? mtimeNs(st) : 0;
        written->hash = QCryptographicHash::hash(data, QCryptographicHash::Sha1);
    }
    return ItemsListSaveStatus::Saved;
}
