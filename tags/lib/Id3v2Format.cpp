// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tags/lib/Id3v2Format.h"

#include "tags/lib/TagFile.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>

namespace id3v2 {

namespace {

constexpr int64_t kWindow = 4096;
constexpr int64_t kStep = 4093;

bool isAudioSync(const QByteArray& b)
{
    return b.size() >= 2 && static_cast<uint8_t>(b[0]) == 0xFF && (static_cast<uint8_t>(b[1]) & 0xE0) == 0xE0;
}

}  // namespace

std::optional<int64_t> FindTag(const TagFile& file)
{
    const int64_t length = file.size();
    int64_t start = 0;
    for (;;) {
        const int64_t remaining = length - start;
        const bool last = remaining <= kWindow + 1;
        const QByteArray window = file.readAt(start, last ? remaining : kWindow);
        const qsizetype at = window.indexOf("ID3");
        if (at >= 0)
            return start + at;
        if (last || window.contains("\xFF\xFB"))
            return std::nullopt;
        start += kStep;
    }
}

uint32_t ReadBigEndian(const char* p, int bytes)
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | static_cast<uint8_t>(p[i]);
    return v;
}

bool IsSyncsafe(const char* p)
{
    for (int i = 0; i < 4; ++i)
        if (static_cast<uint8_t>(p[i]) & 0x80)
            return false;
    return true;
}

uint32_t ReadSyncsafe(const char* p)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v = (v << 7) | (static_cast<uint8_t>(p[i]) & 0x7F);
    return v;
}

void PutBigEndianLong(QByteArray& buffer, int offset, uint32_t value)
{
    buffer[offset] = static_cast<char>((value >> 24) & 0xFF);
    buffer[offset + 1] = static_cast<char>((value >> 16) & 0xFF);
    buffer[offset + 2] = static_cast<char>((value >> 8) & 0xFF);
    buffer[offset + 3] = static_cast<char>(value & 0xFF);
}

void PutSyncsafe(QByteArray& buffer, int offset, uint32_t value)
{
    buffer[offset] = static_cast<char>((value >> 21) & 0x7F);
    buffer[offset + 1] = static_cast<char>((value >> 14) & 0x7F);
    buffer[offset + 2] = static_cast<char>((value >> 7) & 0x7F);
    buffer[offset + 3] = static_cast<char>(value & 0x7F);
}

std::optional<TagExtent> ReadExtent(const TagFile& file, int64_t start, int64_t fileLength)
{
    const QByteArray h = file.readAt(start, 10);
    if (h.size() < 10 || !h.startsWith("ID3"))
        return std::nullopt;
    TagExtent e;
    e.version = static_cast<uint8_t>(h[3]);
    e.flags = static_cast<uint8_t>(h[5]);
    const int64_t available = fileLength - start;
    const uint32_t plain = ReadBigEndian(h.constData() + 6, 4);

    // Tags this program wrote before it followed the published format: the size field holds the
    // whole tag, a multiple of 2048, and the audio (or the end of the file) follows right there,
    // while the syncsafe reading would end inside the tag.
    // It also holds nothing but version 2.3 frames and zeros up to that length, so taking a
    // published tag for one of these could only take in zero bytes that follow it.
    auto legacyFits = [&](int64_t syncsafeEnd) {
        if (e.version != 3 || plain < 2048 || plain % 2048 != 0 || plain > available || int64_t(plain) <= syncsafeEnd)
            return false;
        const QByteArray after = file.readAt(start + plain, 3);
        const bool audioAfter = after.isEmpty() || isAudioSync(after) || after == "TAG" || after == "ID3";
        if (!audioAfter)
            return false;
        if (syncsafeEnd < available && isAudioSync(file.readAt(start + syncsafeEnd, 2)))
            return false;
        const QByteArray tag = file.readAt(start, plain);
        qsizetype pos = 10;
        while (pos + 10 <= tag.size() && tag.at(pos) != 0) {
            for (int i = 0; i < 4; ++i) {
                const char c = tag.at(pos + i);
                if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
                    return false;
            }
            const int64_t size = ReadBigEndian(tag.constData() + pos + 4, 4);
            if (size > tag.size() - pos - 10)
                return false;
            pos += 10 + size;
        }
        for (; pos < tag.size(); ++pos)
            if (tag.at(pos) != 0)
                return false;
        return true;
    };

    if (IsSyncsafe(h.constData() + 6)) {
        int64_t total = 10 + int64_t(ReadSyncsafe(h.constData() + 6));
        if (e.version == 4 && (e.flags & 0x10))
            total += 10;
        if (legacyFits(total)) {
            e.length = plain;
            e.legacySize = true;
            e.trusted = true;
        } else {
            e.length = std::min(total, available);
            e.trusted = total <= available;
        }
        return e;
    }
    if (legacyFits(10)) {
        e.length = plain;
        e.legacySize = true;
        e.trusted = true;
        return e;
    }
    // Some writers put a plain number where the syncsafe one belongs; read what it names.
    e.length = std::min<int64_t>(10 + int64_t(plain), available);
    return e;
}

QByteArray RemoveUnsynchronisation(const QByteArray& data)
{
    QByteArray out;
    out.reserve(data.size());
    for (qsizetype i = 0; i < data.size(); ++i) {
        out += data[i];
        if (static_cast<uint8_t>(data[i]) == 0xFF && i + 1 < data.size() && data[i + 1] == 0)
            ++i;
    }
    return out;
}

QString DecodeText(const QByteArray& bytes, int encoding)
{
    QString s;
    switch (encoding) {
    case 1:
    case 2: {
        QByteArray b = bytes;
        if (b.size() % 2)
            b.chop(1);
        bool bigEndian = encoding == 2;
        if (b.size() >= 2) {
            const uint8_t b0 = static_cast<uint8_t>(b[0]), b1 = static_cast<uint8_t>(b[1]);
            if (b0 == 0xFF && b1 == 0xFE) {
                bigEndian = false;
                b.remove(0, 2);
            } else if (b0 == 0xFE && b1 == 0xFF) {
                bigEndian = true;
                b.remove(0, 2);
            }
        }
        s.resize(b.size() / 2);
        for (qsizetype i = 0; i < s.size(); ++i) {
            const uint8_t hi = static_cast<uint8_t>(b[2 * i + (bigEndian ? 0 : 1)]);
            const uint8_t lo = static_cast<uint8_t>(b[2 * i + (bigEndian ? 1 : 0)]);
            s[i] = QChar(static_cast<char16_t>((hi << 8) | lo));
        }
        break;
    }
    case 3:
        s = QString::fromUtf8(bytes);
        break;
    default:
        s = QString::fromLatin1(bytes);
        break;
    }
    while (s.endsWith(QChar(0)))
        s.chop(1);
    return s;
}

std::pair<QByteArray, QByteArray> SplitAtTerminator(const QByteArray& bytes, int encoding)
{
    if (encoding == 1 || encoding == 2) {
        for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
            if (bytes[i] == 0 && bytes[i + 1] == 0)
                return {bytes.left(i), bytes.mid(i + 2)};
        return {bytes, {}};
    }
    const qsizetype at = bytes.indexOf('\0');
    if (at < 0)
        return {bytes, {}};
    return {bytes.left(at), bytes.mid(at + 1)};
}

int EncodingFor(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() > 0xFF)
            return 1;
    return 0;
}

QByteArray EncodeText(const QString& text, int encoding)
{
    if (encoding != 1)
        return text.toLatin1();
    QByteArray out;
    out.reserve(2 + text.size() * 2);
    out += "\xFF\xFE";
    for (QChar c : text) {
        out += static_cast<char>(c.unicode() & 0xFF);
        out += static_cast<char>(c.unicode() >> 8);
    }
    return out;
}

QByteArray Terminator(int encoding)
{
    return encoding == 1 || encoding == 2 ? QByteArray(2, '\0') : QByteArray(1, '\0');
}

Timestamp23 SplitTimestamp(const QString& stamp)
{
    // Several values are held joined by "/": the first is the recording time.
    const QString first = stamp.section(QLatin1Char('/'), 0, 0).trimmed();
    static const QRegularExpression re(QStringLiteral(
        "^([0-9]{4})(?:-([0-9]{2})(?:-([0-9]{2})(?:T([0-9]{2})(?::([0-9]{2})(?::[0-9]{2})?)?)?)?)?$"));
    const QRegularExpressionMatch m = re.match(first);
    Timestamp23 out;
    if (!m.hasMatch()) {
        out.year = stamp.left(4);
        return out;
    }
    out.year = m.captured(1);
    if (m.hasCaptured(3))
        out.dayMonth = m.captured(3) + m.captured(2);
    if (m.hasCaptured(5))
        out.hourMinute = m.captured(4) + m.captured(5);
    return out;
}

QString MapV22FrameId(const QByteArray& id)
{
    static const QHash<QByteArray, QString> map = {
        {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"},
        {"GEO", "GEOB"}, {"IPL", "IPLS"}, {"MCI", "MCDI"}, {"MLL", "MLLT"}, {"PIC", "APIC"},
        {"POP", "POPM"}, {"REV", "RVRB"}, {"SLT", "SYLT"}, {"STC", "SYTC"}, {"TAL", "TALB"},
        {"TBP", "TBPM"}, {"TCM", "TCOM"}, {"TCO", "TCON"}, {"TCR", "TCOP"}, {"TDA", "TDAT"},
        {"TDY", "TDLY"}, {"TEN", "TENC"}, {"TFT", "TFLT"}, {"TIM", "TIME"}, {"TKE", "TKEY"},
        {"TLA", "TLAN"}, {"TLE", "TLEN"}, {"TMT", "TMED"}, {"TOA", "TOPE"}, {"TOF", "TOFN"},
        {"TOL", "TOLY"}, {"TOR", "TORY"}, {"TOT", "TOAL"}, {"TP1", "TPE1"}, {"TP2", "TPE2"},
        {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"}, {"TPB", "TPUB"}, {"TRC", "TSRC"},
        {"TRD", "TRDA"}, {"TRK", "TRCK"}, {"TSI", "TSIZ"}, {"TSS", "TSSE"}, {"TT1", "TIT1"},
        {"TT2", "TIT2"}, {"TT3", "TIT3"}, {"TXT", "TEXT"}, {"TXX", "TXXX"}, {"TYE", "TYER"},
        {"UFI", "UFID"}, {"ULT", "USLT"}, {"WAF", "WOAF"}, {"WAR", "WOAR"}, {"WAS", "WOAS"},
        {"WCM", "WCOM"}, {"WCP", "WCOP"}, {"WPB", "WPUB"}, {"WXX", "WXXX"},
    };
    return map.value(id);
}

QByteArray ConvertPicToApic(const QByteArray& pic)
{
    if (pic.size() < 5)
        return {};
    const QByteArray format = pic.mid(1, 3).toUpper();
    QByteArray mime;
    if (format == "JPG")
        mime = "image/jpeg";
    else if (format == "-->")
        mime = "-->";
    else
        mime = "image/" + pic.mid(1, 3).toLower();
    return pic.left(1) + mime + '\0' + pic.mid(4);
}

QByteArray ConvertApicTextTo23(const QByteArray& apic)
{
    if (apic.isEmpty())
        return apic;
    const int enc = static_cast<uint8_t>(apic[0]);
    if (enc != 2 && enc != 3)
        return apic;
    const auto [mime, afterMime] = SplitAtTerminator(apic.mid(1), 0);
    if (afterMime.isEmpty())
        return {};
    const char pictureType = afterMime[0];
    const auto [desc, data] = SplitAtTerminator(afterMime.mid(1), enc);
    const QString text = DecodeText(desc, enc);
    const int out = EncodingFor(text);
    return QByteArray(1, char(out)) + mime + '\0' + pictureType + EncodeText(text, out) + Terminator(out) + data;
}

}  // namespace id3v2
