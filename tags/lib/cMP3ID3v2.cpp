// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tags/lib/cMP3ID3v2.h"

#include "tags/lib/GenreTable.h"
#include "tags/lib/Id3v2Format.h"
#include "tags/lib/TagFile.h"

#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace id3v2;

namespace {

QString source()
{
    return TagErrorSource("cMP3ID3v2");
}

const QChar kNul(0);

// The language every comment and lyrics frame of ours carries.
QString ourLanguage()
{
    return QString(kNul) + QStringLiteral("nt");
}

bool isFrameIdByte(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool isTextFrame(const QString& id)
{
    return id.startsWith(QLatin1Char('T')) && id != QLatin1String("TXXX");
}

// What may stand in a frame id for the reader: letters of either case (some taggers write ids
// in lower case) and digits. Anything else, such as the first bytes of an MPEG frame behind a
// tag whose size is too large, is no frame: the frames end there.
bool isReadableIdByte(char c)
{
    return isFrameIdByte(c) || (c >= 'a' && c <= 'z');
}

bool isUrlFrame(const QString& id)
{
    return id.startsWith(QLatin1Char('W')) && id != QLatin1String("WXXX");
}

// The frames whose value text is the whole content; all others keep their bytes.
bool isEditableFrame(const QString& id)
{
    return id.startsWith(QLatin1Char('T')) || id.startsWith(QLatin1Char('W')) || id == QLatin1String("COMM") ||
           id == QLatin1String("USLT") || id == QLatin1String("PCNT");
}

// Whether a frame body read from a version 2.2 or 2.4 tag means the same in version 2.3: text in
// ISO-8859-1 or UTF-16 with one value (2.4 lists several values with terminators between them).
bool bodyFits23(const QString& id, const QByteArray& p)
{
    if (isUrlFrame(id) || id == QLatin1String("PCNT") || p.isEmpty())
        return true;
    const int enc = static_cast<uint8_t>(p[0]);
    if (enc > 1)
        return false;
    auto oneValue = [enc](const QByteArray& text) {
        const auto [first, rest] = SplitAtTerminator(text, enc);
        return rest.isEmpty();
    };
    if (isTextFrame(id))
        return oneValue(p.mid(1));
    if (id == QLatin1String("TXXX"))
        return oneValue(SplitAtTerminator(p.mid(1), enc).second);
    return true;  // COMM, USLT, WXXX: description and one text
}

// A "COMM" value as held (language, description, NUL, text) without a description.
bool isPlainComment(const QString& v)
{
    return v.size() > 3 && v.at(3) == kNul;
}

// The part of a "description NUL text" value after the first NUL (the whole value without one).
QString afterNul(const QString& v)
{
    const qsizetype at = v.indexOf(kNul);
    return at < 0 ? v : v.mid(at + 1);
}

QString decodeValue(const QString& id, const QByteArray& p)
{
    if (isTextFrame(id)) {
        if (p.isEmpty())
            return {};
        const int enc = static_cast<uint8_t>(p[0]);
        QStringList parts = DecodeText(p.mid(1), enc > 3 ? 0 : enc).split(kNul);
        while (parts.size() > 1 && parts.last().isEmpty())
            parts.removeLast();
        return parts.join(QLatin1Char('/'));
    }
    if (id == QLatin1String("TXXX") || id == QLatin1String("WXXX")) {
        if (p.isEmpty())
            return QString(kNul);
        const int enc = static_cast<uint8_t>(p[0]) > 3 ? 0 : static_cast<uint8_t>(p[0]);
        const auto [desc, rest] = SplitAtTerminator(p.mid(1), enc);
        const QString value = id == QLatin1String("WXXX") ? QString::fromLatin1(SplitAtTerminator(rest, 0).first)
                                                         : DecodeText(rest, enc);
        return DecodeText(desc, enc) + kNul + value;
    }
    if (isUrlFrame(id))
        return QString::fromLatin1(SplitAtTerminator(p, 0).first);
    if (id == QLatin1String("COMM") || id == QLatin1String("USLT")) {
        if (p.size() < 4)
            return ourLanguage() + kNul;
        const int enc = static_cast<uint8_t>(p[0]) > 3 ? 0 : static_cast<uint8_t>(p[0]);
        const auto [desc, rest] = SplitAtTerminator(p.mid(4), enc);
        return QString::fromLatin1(p.mid(1, 3)) + DecodeText(desc, enc) + kNul + DecodeText(rest, enc);
    }
    if (id == QLatin1String("PCNT")) {
        quint64 n = 0;
        for (qsizetype i = 0; i < p.size() && i < 8; ++i)
            n = (n << 8) | static_cast<uint8_t>(p[i]);
        return QString::number(n);
    }
    QString s = QString::fromLatin1(p);
    s.remove(kNul);
    return s;
}

// The body of one frame written from a value text; an empty result with `skip` set means the
// frame carries nothing and is left out.
QByteArray encodeValue(const QString& id, const QString& v, bool& skip)
{
    skip = false;
    if (id == QLatin1String("TXXX") || id == QLatin1String("WXXX")) {
        const qsizetype at = v.indexOf(kNul);
        const QString desc = at < 0 ? QString() : v.left(at);
        const QString value = at < 0 ? v : v.mid(at + 1);
        const bool url = id == QLatin1String("WXXX");
        const int enc = EncodingFor(url ? desc : desc + value);
        return QByteArray(1, char(enc)) + EncodeText(desc, enc) + Terminator(enc) +
               (url ? value.toLatin1() : EncodeText(value, enc));
    }
    if (isUrlFrame(id)) {
        skip = v.isEmpty();
        return v.toLatin1();
    }
    if (id == QLatin1String("COMM") || id == QLatin1String("USLT")) {
        QString lang = v.left(3);
        while (lang.size() < 3)
            lang += kNul;
        const QString rest = v.mid(3);
        const qsizetype at = rest.indexOf(kNul);
        const QString desc = at < 0 ? QString() : rest.left(at);
        const QString text = at < 0 ? rest : rest.mid(at + 1);
        const int enc = EncodingFor(desc + text);
        return QByteArray(1, char(enc)) + lang.toLatin1() + EncodeText(desc, enc) + Terminator(enc) +
               EncodeText(text, enc);
    }
    if (id == QLatin1String("PCNT")) {
        const quint64 n = v.trimmed().toULongLong();
        QByteArray out;
        const int bytes = n > 0xFFFFFFFFull ? 8 : 4;
        for (int i = bytes - 1; i >= 0; --i)
            out += static_cast<char>((n >> (8 * i)) & 0xFF);
        return out;
    }
    const int enc = EncodingFor(v);
    return QByteArray(1, char(enc)) + EncodeText(v, enc);
}

}  // namespace

QString cMP3ID3v2::GenreName(uint8_t genre) const
{
    return Id3GenreName(genre);
}

QString cMP3ID3v2::Frame(long Index) const
{
    if (Index < 1 || Index > FrameCount())
        throw RuntimeError(kErrSubscriptOutOfRange);
    return m_frames[static_cast<size_t>(Index - 1)].id;
}

int cMP3ID3v2::findFrame(const QString& id) const
{
    for (size_t i = 0; i < m_frames.size(); ++i)
        if (m_frames[i].id.compare(id, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

void cMP3ID3v2::addValue(const QString& id, Value value)
{
    const int at = findFrame(id);
    if (at < 0)
        m_frames.push_back(FrameEntry{id, {std::move(value)}});
    else
        m_frames[static_cast<size_t>(at)].values.push_back(std::move(value));
}

void cMP3ID3v2::RemoveFrame(const QString& frameId)
{
    const int at = findFrame(frameId);
    if (at < 0)
        throw RuntimeError(kErrInvalidCall, source());
    m_frames.erase(m_frames.begin() + at);
}

void cMP3ID3v2::RemoveFrame(long place)
{
    if (place < 1 || place > FrameCount())
        throw RuntimeError(kErrSubscriptOutOfRange, source());
    m_frames.erase(m_frames.begin() + (place - 1));
}

long cMP3ID3v2::TagsInFrame(const QString& frameId) const
{
    const int at = findFrame(frameId);
    return at < 0 ? 0 : static_cast<long>(m_frames[static_cast<size_t>(at)].values.size());
}

long cMP3ID3v2::TagsInFrame(long place) const
{
    if (place < 1 || place > FrameCount())
        return 0;
    return static_cast<long>(m_frames[static_cast<size_t>(place - 1)].values.size());
}

void cMP3ID3v2::AddTag(const QString& sFrame, const QString& sTag)
{
    Value v;
    v.text = sTag;
    addValue(sFrame, std::move(v));
}

void cMP3ID3v2::RemoveTag(const QString& sFrame, long tagIndex)
{
    const int at = findFrame(sFrame);
    if (at < 0)
        throw RuntimeError(kErrInvalidCall, source());
    auto& values = m_frames[static_cast<size_t>(at)].values;
    if (tagIndex < 1 || tagIndex > static_cast<long>(values.size()))
        throw RuntimeError(kErrInvalidCall, source());
    values.erase(values.begin() + (tagIndex - 1));
    if (values.empty())
        m_frames.erase(m_frames.begin() + at);
}

void cMP3ID3v2::replaceFrame(const QString& id, const QString& stored)
{
    const int at = findFrame(id);
    if (at >= 0)
        m_frames.erase(m_frames.begin() + at);
    Value v;
    v.text = stored;
    addValue(id, std::move(v));
}

#define QM_TEXT_PROPERTY(Name, FrameId)              \
    void cMP3ID3v2::Name(const QString& v)           \
    {                                                \
        m_props[P_##Name] = v;                       \
        replaceFrame(QStringLiteral(FrameId), v);    \
    }
QM_TEXT_PROPERTY(ArtistURL, "WOAR")
QM_TEXT_PROPERTY(BuyURL, "WCOM")
QM_TEXT_PROPERTY(AudioURL, "WOAF")
QM_TEXT_PROPERTY(Copyright, "TCOP")
QM_TEXT_PROPERTY(Composer, "TCOM")
QM_TEXT_PROPERTY(OriginalArtist, "TOPE")
QM_TEXT_PROPERTY(PlayCounter, "PCNT")
QM_TEXT_PROPERTY(EncodedBy, "TENC")
QM_TEXT_PROPERTY(Title, "TIT2")
QM_TEXT_PROPERTY(Artist, "TPE1")
QM_TEXT_PROPERTY(Album, "TALB")
QM_TEXT_PROPERTY(Track, "TRCK")
#undef QM_TEXT_PROPERTY

void cMP3ID3v2::Year(const QString& v)
{
    m_props[P_Year] = v;
    // Some taggers put the recording time of version 2.4 into 2.3 tags too, and other readers
    // show it before the year: the year set here is the only one the tag keeps.
    if (const int at = findFrame(QStringLiteral("TDRC")); at >= 0)
        m_frames.erase(m_frames.begin() + at);
    replaceFrame(QStringLiteral("TYER"), v);
}

void cMP3ID3v2::LinkTo(const QString& v)
{
    m_props[P_LinkTo] = v;
    replaceFrame(QStringLiteral("WXXX"), kNul + v);
}

void cMP3ID3v2::Comment(const QString& v)
{
    m_props[P_Comment] = v;
    // Only the plain comment is replaced; it keeps its language, so that players that look for
    // a comment in theirs still find it.
    // The value replaced is the one a read takes for the comment, in its place: a new plain
    // comment after another one would be hidden behind it.
    const int at = findFrame(QStringLiteral("COMM"));
    if (at >= 0) {
        for (Value& value : m_frames[static_cast<size_t>(at)].values) {
            if (isPlainComment(value.text)) {
                const QString language = value.text.left(3);
                value = Value();
                value.text = language + kNul + v;
                return;
            }
        }
    }
    Value value;
    value.text = ourLanguage() + kNul + v;
    addValue(QStringLiteral("COMM"), std::move(value));
}

void cMP3ID3v2::Lyrics(const QString& v)
{
    // Lyrics set to what they are keep their frame's bytes; new lyrics keep the language and
    // description of the ones they replace (the ones a read shows), as a comment keeps its
    // language.
    const int at = findFrame(QStringLiteral("USLT"));
    if (at >= 0 && v == m_props[P_Lyrics])
        return;
    m_props[P_Lyrics] = v;
    QString head = ourLanguage() + kNul;
    if (at >= 0) {
        const QString& shown = m_frames[static_cast<size_t>(at)].values.back().text;
        if (shown.size() >= 3) {
            const QString rest = shown.mid(3);
            const qsizetype nul = rest.indexOf(kNul);
            head = shown.left(3) + (nul < 0 ? QString() : rest.left(nul)) + kNul;
        }
    }
    replaceFrame(QStringLiteral("USLT"), head + v);
}

// 255 means "no genre": no code reference is written for it, only the name.
static QString genreText(uint8_t code, const QString& name)
{
    return code == 255 ? name : QLatin1Char('(') + QString::number(code) + QLatin1Char(')') + name;
}

void cMP3ID3v2::Genre(uint8_t v)
{
    m_genre = v;
    replaceFrame(QStringLiteral("TCON"), genreText(v, m_props[P_OtherGenreName]));
}

void cMP3ID3v2::OtherGenreName(const QString& v)
{
    m_props[P_OtherGenreName] = v;
    replaceFrame(QStringLiteral("TCON"), genreText(m_genre, v));
}

void cMP3ID3v2::MP3File(const QString& path)
{
    m_mp3File = path;
    ReadTag();
}

void cMP3ID3v2::ReadTag()
{
    m_frames.clear();
    m_hasTag = false;
    m_tagIncomplete = false;
    m_commentRead = false;
    m_audioAt = -1;
    m_version = 0;
    for (QString& p : m_props)
        p.clear();
    m_genre = 255;

    TagFile file;
    try {
        file.open(m_mp3File, TagFile::Mode::Read);
    } catch (const NumberedError& e) {
        throw WithSource(e, source());
    }
    const std::optional<int64_t> start = FindTag(file);
    if (!start)
        return;
    m_hasTag = true;
    // A read that stops on an error leaves the tag as not read through.
    m_tagIncomplete = true;
    m_tagIncomplete = !ParseTag(file, *start);
}

bool cMP3ID3v2::ParseTag(TagFile& file, int64_t tagStart)
{
    const int64_t fileLength = file.size();
    const QByteArray versionByte = file.readAt(tagStart + 3, 1);
    if (versionByte.isEmpty())
        return true;
    m_version = static_cast<uint8_t>(versionByte[0]);
    if (m_version < 2 || m_version > 4)
        return true;  // not a tag we read; the writer never replaces it
    const std::optional<TagExtent> extent = ReadExtent(file, tagStart, fileLength);
    if (!extent)
        return true;
    const int flags = extent->flags;
    if (m_version == 2 && (flags & 0x40))
        return false;  // compressed 2.2 tags have no defined method
    int64_t bodyLength = extent->length - 10;
    if (m_version == 4 && (flags & 0x10) && !extent->legacySize && bodyLength >= 10)
        bodyLength -= 10;  // the footer
    QByteArray data = file.readAt(tagStart + 10, bodyLength);
    const bool tagUnsync = flags & 0x80;
    if (tagUnsync && m_version < 4)
        data = RemoveUnsynchronisation(data);

    const int headerLength = m_version == 2 ? 6 : 10;
    const int idLength = m_version == 2 ? 3 : 4;
    auto isFrameId = [&data, idLength](qsizetype at) {
        if (at + idLength > data.size())
            return false;
        for (int i = 0; i < idLength; ++i)
            if (!isFrameIdByte(data[at + i]))
                return false;
        return true;
    };

    qsizetype pos = 0;
    if ((flags & 0x40) && m_version >= 3) {
        // The extended header's size counts the size field itself in 2.4, not in 2.3; either
        // way it is at least 6 bytes and inside the tag.
        const int64_t ext = data.size() < 4     ? -1
                            : m_version == 3 ? int64_t(ReadBigEndian(data.constData(), 4)) + 4
                                             : int64_t(ReadSyncsafe(data.constData()));
        const int64_t least = m_version == 3 ? 10 : 6;
        if (ext >= least && ext <= data.size()) {
            pos = ext;
        } else if (!isFrameId(0)) {
            return data.count('\0') == data.size();  // only padding: nothing was missed
        }
        // Otherwise the flag is false: some writers set it without writing the header, and
        // the first frame starts right at the data (its id is where the size would be).
    }

    auto frameStartsAt = [&data, idLength](qsizetype at) {
        if (at >= data.size())
            return at == data.size();
        if (at + idLength > data.size())
            return false;
        bool zero = true, id = true;
        for (int i = 0; i < idLength; ++i) {
            zero = zero && data[at + i] == 0;
            id = id && isFrameIdByte(data[at + i]);
        }
        return zero || id;
    };

    // Where the frames and the padding after them end, for a tag whose bytes are the file's own.
    auto noteAudioInTag = [&] {
        m_audioAt = -1;
        if (tagUnsync || (m_version == 4 && (flags & 0x10)))
            return;
        qsizetype at = pos;
        while (at < data.size() && data[at] == 0)
            ++at;
        // Non-zero bytes inside the declared size, after the frames and the padding, are no
        // tag: the size runs into the audio.
        if (at < data.size())
            m_audioAt = tagStart + 10 + at;
    };
    while (pos + headerLength <= data.size()) {
        const QByteArray idBytes = data.mid(pos, idLength);
        if (idBytes.count('\0') == idLength)
            break;  // padding
        if (!std::all_of(idBytes.begin(), idBytes.end(), isReadableIdByte))
            break;  // not a frame: the frames end here
        const char* sizeBytes = data.constData() + pos + idLength;
        int64_t size = 0;
        if (m_version == 2) {
            size = ReadBigEndian(sizeBytes, 3);
        } else if (m_version == 3) {
            size = ReadBigEndian(sizeBytes, 4);
        } else {
            // Some writers put plain numbers here; take the reading that lands on a frame.
            const int64_t plain = ReadBigEndian(sizeBytes, 4);
            size = plain;
            if (IsSyncsafe(sizeBytes)) {
                size = ReadSyncsafe(sizeBytes);
                if (!frameStartsAt(pos + headerLength + size) && pos + headerLength + plain <= data.size() &&
                    frameStartsAt(pos + headerLength + plain))
                    size = plain;
            }
        }
        if (size > data.size() - pos - headerLength) {
            // What looks like a frame but runs past the tag cannot be read, let alone kept;
            // anything else here is stray bytes after the last frame.
            if (isFrameId(pos))
                return false;
            break;
        }
        const uint16_t frameFlags = m_version == 2 ? 0 : static_cast<uint16_t>(ReadBigEndian(sizeBytes + 4, 2));
        QByteArray payload = data.mid(pos + headerLength, size);
        pos += headerLength + size;

        Value value;
        QString id;
        if (m_version == 2) {
            id = MapV22FrameId(idBytes);
            if (id.isEmpty())
                continue;  // no version 2.3 frame can hold it
            if (idBytes == "PIC")
                payload = ConvertPicToApic(payload);
        } else if (m_version == 3) {
            id = QString::fromLatin1(idBytes);
            if (frameFlags & 0x00E0) {
                // Compressed, encrypted or grouped: kept as it stands, flags included.
                value.raw = payload;
                value.hasRaw = true;
                value.flags = frameFlags;
                StoreFrame(id, std::move(value));
                continue;
            }
            value.flags = frameFlags & 0xE000;
        } else {
            id = QString::fromLatin1(idBytes);
            if (frameFlags & 0x000C)
                continue;  // compressed or encrypted in the 2.4 way: nothing 2.3 can carry
            if ((frameFlags & 0x0040) && !payload.isEmpty())
                payload.remove(0, 1);
            if (frameFlags & 0x0001)
                payload.remove(0, std::min<qsizetype>(4, payload.size()));
            if ((frameFlags & 0x0002) || tagUnsync)
                payload = RemoveUnsynchronisation(payload);
            value.flags = static_cast<uint16_t>((frameFlags & 0x7000) << 1);
            if (id.compare(QLatin1String("APIC"), Qt::CaseInsensitive) == 0)
                payload = ConvertApicTextTo23(payload);
        }
        // Ids are matched as the frame list matches them, without regard to letter case, so
        // that a frame is read as the same frame that the setters replace.
        const QString kind = id.toUpper();
        value.text = decodeValue(kind, payload);
        if (m_version == 4 && kind == QLatin1String("TDRC")) {
            // The recording time goes into the three frames 2.3 has for it, as far as given.
            const Timestamp23 when = SplitTimestamp(value.text);
            value.text = when.year;
            StoreFrame(QStringLiteral("TYER"), std::move(value));
            for (const auto& [frameId, text] : {std::pair{QStringLiteral("TDAT"), when.dayMonth},
                                                std::pair{QStringLiteral("TIME"), when.hourMinute}}) {
                if (text.isEmpty() || findFrame(frameId) >= 0)
                    continue;
                Value part;
                part.text = text;
                StoreFrame(frameId, std::move(part));
            }
            continue;
        }
        if (m_version == 4 && kind == QLatin1String("TDOR")) {
            // Version 2.3 keeps only the year of the original release.
            id = QStringLiteral("TORY");
            value.text = value.text.left(4);
        } else {
            value.raw = payload;
            value.hasRaw = true;
            value.rawFits23 = m_version == 3 || bodyFits23(kind, payload);
        }
        StoreFrame(id, std::move(value));
    }
    noteAudioInTag();
    return true;
}

void cMP3ID3v2::StoreFrame(const QString& frameId, Value value)
{
    const QString text = value.text;
    addValue(frameId, std::move(value));
    const QString id = frameId.toUpper();

    static const QHash<QString, Prop> direct = {
        {"PCNT", P_PlayCounter}, {"TRCK", P_Track},   {"TENC", P_EncodedBy}, {"TCOP", P_Copyright},
        {"TOPE", P_OriginalArtist}, {"TCOM", P_Composer}, {"TYER", P_Year}, {"TIT2", P_Title},
        {"TPE1", P_Artist},      {"TALB", P_Album},   {"WOAF", P_AudioURL},  {"WOAR", P_ArtistURL},
        {"WCOM", P_BuyURL},
    };
    if (const auto it = direct.find(id); it != direct.end()) {
        m_props[*it] = text;
    } else if (id == QLatin1String("TDRC")) {
        // A recording time in a 2.3 tag, as some taggers write: its year is the year, unless
        // the tag has a year of its own.
        if (findFrame(QStringLiteral("TYER")) < 0)
            m_props[P_Year] = text.left(4);
    } else if (id == QLatin1String("WXXX")) {
        m_props[P_LinkTo] = afterNul(text);
    } else if (id == QLatin1String("USLT")) {
        m_props[P_Lyrics] = afterNul(text.mid(3));
    } else if (id == QLatin1String("COMM")) {
        // The first plain comment is the comment; described ones belong to other programs.
        if (isPlainComment(text) && !m_commentRead) {
            m_props[P_Comment] = text.mid(4);
            m_commentRead = true;
        }
    } else if (id == QLatin1String("TCON")) {
        const qsizetype b = text.indexOf(QLatin1Char('('));
        const qsizetype c = text.indexOf(QLatin1Char(')'));
        bool ok = false;
        int code = -1;
        if (b >= 0 && c > b)
            code = text.mid(b + 1, c - b - 1).trimmed().toInt(&ok);
        bool bare = false;
        const int bareCode = text.toInt(&bare);
        if (ok && code >= 0 && code <= 255) {
            m_genre = static_cast<uint8_t>(code);
            m_props[P_OtherGenreName] = c + 1 < text.size() ? text.mid(c + 1) : Id3GenreName(code);
        } else if (bare && !text.isEmpty() && text.at(0).isDigit() && !Id3GenreName(bareCode).isEmpty()) {
            // Version 2.4 refers to a genre of the list by its bare number.
            m_genre = static_cast<uint8_t>(bareCode);
            m_props[P_OtherGenreName] = Id3GenreName(bareCode);
        } else {
            m_props[P_OtherGenreName] = text;
        }
    }
}

QByteArray cMP3ID3v2::BuildTagBuffer() const
{
    QByteArray buf("ID3\x03\x00\x00\x00\x00\x00\x00", 10);
    for (const FrameEntry& frame : m_frames) {
        if (frame.id.contains(QLatin1String("ID3")) || frame.values.empty())
            continue;
        if (frame.id.size() < 4)
            throw RuntimeError(kErrInvalidCall, source());
        const QString id = frame.id.left(4).toUpper();
        // A frame the program reads and edits goes out under its proper id, which other readers
        // look for; one it does not know keeps the id it came with.
        const QByteArray idBytes = (isEditableFrame(id) ? id : frame.id.left(4)).toLatin1();
        for (const Value& v : frame.values) {
            QByteArray body;
            uint16_t flags = 0;
            bool skip = false;
            if (v.hasRaw && (v.rawFits23 || !isEditableFrame(id) || (v.flags & 0x00E0))) {
                body = v.raw;
                flags = v.flags;
            } else {
                body = encodeValue(id, v.text, skip);
            }
            if (skip)
                continue;
            QByteArray header = idBytes + QByteArray(6, '\0');
            PutBigEndianLong(header, 4, static_cast<uint32_t>(body.size()));
            header[8] = static_cast<char>(flags >> 8);
            header[9] = static_cast<char>(flags & 0xFF);
            buf += header;
            buf += body;
        }
    }
    buf += QByteArray(4, '\0');
    return buf;
}

void cMP3ID3v2::Update()
{
    WriteTag();
}

namespace {

constexpr int64_t kMaxTagBody = 0x0FFFFFFF;  // what a syncsafe size can hold
constexpr int64_t kCopyBlock = 64 * 1024;

// Writes `head`, then the content of `file` from `from` to its end, into a new file beside
// `target`, and renames it over `target` once it is complete and on disk. On any failure the
// new file is removed and `target` is untouched.
void RebuildFile(TagFile& file, const QString& target, const QByteArray& head, int64_t from)
{
    const QString canonical = QFileInfo(target).canonicalFilePath();
    const QString path = canonical.isEmpty() ? QFileInfo(target).absoluteFilePath() : canonical;
    QByteArray tmpl = (QFileInfo(path).absolutePath() + QStringLiteral("/.qm-tag-XXXXXX")).toLocal8Bit();
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0)
        throw TagFileError(errno);
    auto fail = [&](int e) {
        ::close(fd);
        ::unlink(tmpl.constData());
        return TagFileError(e);
    };
    auto writeAll = [&](const QByteArray& data) {
        qsizetype done = 0;
        while (done < data.size()) {
            const ssize_t n = ::write(fd, data.constData() + done, static_cast<size_t>(data.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                throw fail(n < 0 ? errno : ENOSPC);
            done += n;
        }
    };
    writeAll(head);
    const int64_t length = file.size();
    for (int64_t at = from; at < length; at += kCopyBlock) {
        QByteArray block;
        try {
            block = file.readAt(at, kCopyBlock);
        } catch (const NumberedError&) {
            ::close(fd);
            ::unlink(tmpl.constData());
            throw;
        }
        if (block.isEmpty())
            break;
        writeAll(block);
    }
    struct stat st {};
    const bool known = ::fstat(file.handle(), &st) == 0;
    if (known && st.st_nlink == 0)
        throw fail(ENOENT);  // deleted while we copied it: the rename would bring it back
    if (known) {
        ::fchmod(fd, st.st_mode & 07777);
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Only root may give the file away; the new file then belongs to the user.
        }
    }
    if (::fsync(fd) != 0)
        throw fail(errno);
    if (::close(fd) != 0) {
        const int e = errno;
        ::unlink(tmpl.constData());
        throw TagFileError(e);
    }
    if (::rename(tmpl.constData(), path.toLocal8Bit().constData()) != 0) {
        const int e = errno;
        ::unlink(tmpl.constData());
        throw TagFileError(e);
    }
    const int dir = ::open(QFileInfo(path).absolutePath().toLocal8Bit().constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

}  // namespace

void cMP3ID3v2::WriteTag()
{
    QByteArray buffer = BuildTagBuffer();
    const int64_t L = buffer.size();

    TagFile file;
    try {
        file.open(m_mp3File, TagFile::Mode::ReadWrite);
    } catch (const NumberedError& e) {
        throw WithSource(e, source());
    }
    try {
        const int64_t fileLength = file.size();
        std::optional<TagExtent> old;
        // Only a tag at the very start is replaced. An "ID3" found further in, or one whose
        // size cannot be trusted, may lie inside audio: it is left alone and a tag is put in
        // front of the file instead.
        if (const std::optional<int64_t> start = FindTag(file); start && *start == 0) {
            old = ReadExtent(file, 0, fileLength);
            if (old && (!old->trusted || old->version < 2 || old->version > 4))
                old.reset();
        }
        int64_t probeAudioAt = -1;
        if (old) {
            // A tag that could not be read through would be replaced by one holding less: every
            // frame that was not read would be lost. It is left as it is.
            cMP3ID3v2 probe;
            const bool whole = probe.ParseTag(file, 0);
            probeAudioAt = probe.m_audioAt;
            if (m_tagIncomplete || !whole)
                throw NumberedError(kErrInvalidFileFormat,
                                    m_mp3File + QStringLiteral(" holds an ID3v2 tag that could not be read "
                                                               "completely; it was left unchanged."));
        }
        // A size that runs into the audio: the old tag ends where its frames and padding do,
        // and the bytes after them are kept behind the new tag.
        const int64_t oldEnd = old && probeAudioAt > 0 && probeAudioAt < old->length ? probeAudioAt
                               : old                                                ? old->length
                                                                                    : 0;
        if (old && L < oldEnd && oldEnd - 10 <= kMaxTagBody) {
            PutSyncsafe(buffer, 6, static_cast<uint32_t>(oldEnd - 10));
            // Everything up to the old tag's end is ours: the leftovers of the old frames are
            // cleared so that they read as padding, as the format asks of padding.
            buffer += QByteArray(static_cast<qsizetype>(oldEnd - L), '\0');
            file.writeAt(0, buffer);
            file.sync();
        } else {
            const int64_t S = (L / 2048 + 1) * 2048;
            if (S - 10 > kMaxTagBody)
                throw RuntimeError(kErrInvalidCall);
            PutSyncsafe(buffer, 6, static_cast<uint32_t>(S - 10));
            buffer += QByteArray(static_cast<qsizetype>(S - L), '\0');
            RebuildFile(file, m_mp3File, buffer, oldEnd);
        }
        file.close();
    } catch (const NumberedError& e) {
        throw WithSource(e, source());
    }
    // The tag at the start of the file is now the one held here, whole; whatever the last read
    // could not get through is no longer what a next write would replace.
    m_tagIncomplete = false;
}
