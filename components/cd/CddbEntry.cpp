// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cd/CddbEntry.h"

#include <QStringDecoder>

#include <map>

namespace cd {

namespace {

constexpr int32_t kSectorsPerSecond = 75;

int digitSum(int32_t n)
{
    int sum = 0;
    for (; n > 0; n /= 10)
        sum += n % 10;
    return sum;
}

bool decodeUtf8(const QByteArray& bytes, QString* text)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = decoder.decode(bytes);
    if (decoder.hasError())
        return false;
    *text = std::move(decoded);
    return true;
}

// The format escapes line ends, tabs and the backslash; a title keeps no line end or tab.
QByteArray unescape(const QByteArray& value)
{
    QByteArray out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value.at(i);
        if (c != '\\' || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const char next = value.at(++i);
        if (next == 'n' || next == 't')
            out += ' ';
        else if (next == '\\')
            out += '\\';
        else
            out.append('\\').append(next);
    }
    return out;
}

// One key's value from all of its lines. A character may be split between two lines, so the
// value is decoded as a whole; when it is not UTF-8, each line is decoded on its own.
QString decodeValue(const QList<QByteArray>& pieces)
{
    QString text;
    if (decodeUtf8(unescape(pieces.join()), &text))
        return text.trimmed();
    text.clear();
    for (const QByteArray& piece : pieces)
        text += DecodeCddbLine(unescape(piece));
    return text.trimmed();
}

void splitArtist(const QString& value, QString* artist, QString* title)
{
    const qsizetype slash = value.indexOf(QLatin1String(" / "));
    if (slash < 0) {
        *artist = value;
        *title = value;
        return;
    }
    *artist = value.left(slash).trimmed();
    *title = value.mid(slash + 3).trimmed();
}

}  // namespace

uint32_t CddbDiscId(const QList<int32_t>& trackStarts, int32_t leadOut)
{
    if (trackStarts.isEmpty())
        return 0;
    int sum = 0;
    for (const int32_t start : trackStarts)
        sum += digitSum(start / kSectorsPerSecond);
    const uint32_t seconds = uint32_t(leadOut / kSectorsPerSecond - trackStarts.first() / kSectorsPerSecond);
    return (uint32_t(sum % 0xff) << 24) | ((seconds & 0xffff) << 8) | (uint32_t(trackStarts.size()) & 0xff);
}

QByteArray CddbQueryCommand(const QList<int32_t>& trackStarts, int32_t leadOut)
{
    QByteArray command = "cddb query " + QByteArray::number(CddbDiscId(trackStarts, leadOut), 16).rightJustified(8, '0') +
                         ' ' + QByteArray::number(trackStarts.size());
    for (const int32_t start : trackStarts)
        command += ' ' + QByteArray::number(start);
    command += ' ' + QByteArray::number(leadOut / kSectorsPerSecond);
    return command;
}

QString DecodeCddbLine(const QByteArray& line)
{
    QString text;
    if (decodeUtf8(line, &text))
        return text;
    return QString::fromLatin1(line);
}

CddbEntry ParseCddbEntry(const QByteArray& lines, int trackCount)
{
    QList<QByteArray> album;
    std::map<int, QList<QByteArray>> titles;
    qsizetype from = 0;
    while (from < lines.size()) {
        qsizetype end = lines.indexOf('\n', from);
        if (end < 0)
            end = lines.size();
        QByteArray line = lines.mid(from, end - from);
        from = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        const qsizetype equals = line.indexOf('=');
        if (line.startsWith('#') || equals <= 0)
            continue;
        const QByteArray key = line.left(equals).trimmed();
        const QByteArray value = line.mid(equals + 1);
        if (key == "DTITLE") {
            album << value;
        } else if (key.startsWith("TTITLE")) {
            bool ok = false;
            const int index = key.mid(6).toInt(&ok);
            if (ok && index >= 0 && index < trackCount && key.mid(6) == QByteArray::number(index))
                titles[index] << value;
        }
    }

    CddbEntry entry;
    splitArtist(decodeValue(album), &entry.artist, &entry.title);
    for (int i = 0; i < trackCount; ++i) {
        CddbTrack track;
        const auto found = titles.find(i);
        if (found != titles.end()) {
            const QString value = decodeValue(found->second);
            if (value.contains(QLatin1String(" / ")))
                splitArtist(value, &track.artist, &track.title);
            else
                track.title = value;
        }
        entry.tracks << track;
    }
    return entry;
}

bool ParseCddbMatch(const QByteArray& line, QByteArray* category, QByteArray* entryId)
{
    const QList<QByteArray> fields = line.simplified().split(' ');
    if (fields.size() < 2 || fields.at(0).isEmpty() || fields.at(1).size() != 8)
        return false;
    for (const char c : fields.at(0))
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return false;
    for (const char c : fields.at(1))
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    *category = fields.at(0);
    *entryId = fields.at(1);
    return true;
}

}  // namespace cd
