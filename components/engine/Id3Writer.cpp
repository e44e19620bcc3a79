// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/engine/Id3Writer.h"

#include <QRegularExpression>

namespace engine {

namespace {

const char* const kGenres[] = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz", "Metal",
    "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial",
    "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop", "Vocal",
    "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental", "Acid", "House", "Game", "Sound Clip", "Gospel",
    "Noise", "AlternRock", "Bass", "Soul", "Punk", "Space", "Meditative", "Instrumental Pop", "Instrumental Rock",
    "Ethnic", "Gothic", "Darkwave", "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream",
    "Southern Rock", "Comedy", "Cult", "Gangsta", "Top 40", "Christian Rap", "Pop/Funk", "Jungle",
    "Native American", "Cabaret", "New Wave", "Psychadelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal",
    "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock",
};

bool isLatin1(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() > 0xff)
            return false;
    return true;
}

// Encoding byte plus the text: ISO-8859-1 where it suffices, UTF-16 with a byte-order mark
// otherwise. terminate adds the encoding's zero terminator.
QByteArray encodedText(const QString& text, bool terminate, char* encoding)
{
    QByteArray out;
    if (isLatin1(text)) {
        *encoding = 0;
        out = text.toLatin1();
        if (terminate)
            out.append('\0');
    } else {
        *encoding = 1;
        out.append("\xff\xfe", 2);
        for (QChar c : text) {
            out.append(char(c.unicode() & 0xff));
            out.append(char(c.unicode() >> 8));
        }
        if (terminate)
            out.append("\0\0", 2);
    }
    return out;
}

void appendFrame(QByteArray& tag, const char* id, const QByteArray& body)
{
    tag.append(id, 4);
    const uint32_t size = uint32_t(body.size());
    tag.append(char(size >> 24));
    tag.append(char(size >> 16));
    tag.append(char(size >> 8));
    tag.append(char(size));
    tag.append("\0\0", 2);
    tag.append(body);
}

void appendTextFrame(QByteArray& tag, const char* id, const QString& text)
{
    if (text.isEmpty())
        return;
    char encoding = 0;
    const QByteArray encoded = encodedText(text, false, &encoding);
    appendFrame(tag, id, QByteArray(1, encoding) + encoded);
}

QByteArray fixed(const QString& text, int width)
{
    QByteArray bytes;
    for (QChar c : text)
        bytes.append(c.unicode() <= 0xff ? char(c.unicode()) : '?');
    bytes = bytes.left(width);
    bytes.append(QByteArray(width - bytes.size(), '\0'));
    return bytes;
}

int genreIndex(const QString& genre)
{
    const QString text = genre.trimmed();
    static const QRegularExpression numeric(QStringLiteral("^\\(?(\\d+)\\)?$"));
    const auto m = numeric.match(text);
    if (m.hasMatch()) {
        const int n = m.captured(1).toInt();
        return n < 256 ? n : 255;
    }
    for (int i = 0; i < int(std::size(kGenres)); ++i)
        if (text.compare(QLatin1String(kGenres[i]), Qt::CaseInsensitive) == 0)
            return i;
    return 255;
}

}  // namespace

QByteArray buildId3v2Tag(const AudioTags& tags)
{
    QByteArray frames;
    appendTextFrame(frames, "TIT2", tags.title);
    appendTextFrame(frames, "TPE1", tags.artist);
    appendTextFrame(frames, "TALB", tags.album);
    appendTextFrame(frames, "TYER", tags.year);
    appendTextFrame(frames, "TCON", tags.genre);
    appendTextFrame(frames, "TRCK", tags.track);
    if (!tags.comment.isEmpty()) {
        char encoding = 0;
        const QByteArray text = encodedText(tags.comment, false, &encoding);
        // The empty description must use the text's encoding for its terminator.
        const QByteArray description = encoding == 0 ? QByteArray(1, '\0') : QByteArray("\xff\xfe\0\0", 4);
        appendFrame(frames, "COMM", QByteArray(1, encoding) + "eng" + description + text);
    }
    if (frames.isEmpty())
        return {};
    QByteArray tag("ID3\x03\x00\x00", 6);
    const uint32_t size = uint32_t(frames.size());
    tag.append(char((size >> 21) & 0x7f));
    tag.append(char((size >> 14) & 0x7f));
    tag.append(char((size >> 7) & 0x7f));
    tag.append(char(size & 0x7f));
    return tag + frames;
}

QByteArray buildId3v1Tag(const AudioTags& tags)
{
    if (tags == AudioTags())
        return {};
    QByteArray tag("TAG");
    tag.append(fixed(tags.title, 30));
    tag.append(fixed(tags.artist, 30));
    tag.append(fixed(tags.album, 30));
    tag.append(fixed(tags.year, 4));
    const int track = tags.track.section(QLatin1Char('/'), 0, 0).trimmed().toInt();
    if (track > 0 && track < 256) {
        tag.append(fixed(tags.comment, 28));
        tag.append('\0');
        tag.append(char(track));
    } else {
        tag.append(fixed(tags.comment, 30));
    }
    tag.append(char(genreIndex(tags.genre)));
    return tag;
}

}  // namespace engine
