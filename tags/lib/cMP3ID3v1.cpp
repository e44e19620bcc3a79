// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tags/lib/cMP3ID3v1.h"

#include "tags/lib/GenreTable.h"
#include "tags/lib/TagFile.h"

namespace {

constexpr int64_t kRecordSize = 128;

QString source()
{
    return TagErrorSource("cMP3ID3v1");
}

QByteArray field(const QString& text, int width)
{
    QByteArray bytes = text.toLatin1().left(width);
    return bytes + QByteArray(width - bytes.size(), ' ');
}

}  // namespace

void cMP3ID3v1::MP3File(const QString& path)
{
    m_mp3File = path;
    ReadTag();
}

void cMP3ID3v1::Update()
{
    WriteTag();
}

QString cMP3ID3v1::GenreName(uint8_t genre) const
{
    return Id3GenreName(genre);
}

QString cMP3ID3v1::CleanField(const QString& text)
{
    QString s = text;
    s.remove(QChar(0));
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && s.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && s.at(end - 1) == QLatin1Char(' '))
        --end;
    return s.mid(begin, end - begin);
}

void cMP3ID3v1::ReadTag()
{
    m_hasTag = false;
    m_comment.clear();
    m_artist.clear();
    m_album.clear();
    m_year.clear();
    m_genre = 255;
    m_title.clear();
    m_track = 0;

    TagFile file;
    try {
        file.open(m_mp3File, TagFile::Mode::Read);
    } catch (const NumberedError& e) {
        throw WithSource(e, source());
    }
    const int64_t length = file.size();
    if (length <= kRecordSize)
        return;
    const QByteArray rec = file.readAt(length - kRecordSize, kRecordSize);
    if (rec.size() != kRecordSize || !rec.startsWith("TAG"))
        return;
    m_hasTag = true;
    auto text = [&rec](int offset, int width) { return CleanField(QString::fromLatin1(rec.mid(offset, width))); };
    m_title = text(3, 30);
    m_artist = text(33, 30);
    m_album = text(63, 30);
    m_year = text(93, 4);
    m_comment = text(97, 28);
    m_track = static_cast<uint8_t>(rec.at(126));
    m_genre = static_cast<uint8_t>(rec.at(127));
}

void cMP3ID3v1::WriteTag()
{
    TagFile file;
    try {
        file.open(m_mp3File, TagFile::Mode::ReadWrite);
    } catch (const NumberedError& e) {
        throw WithSource(e, source());
    }
    try {
        const int64_t length = file.size();
        if (length == 0) {
            file.close();
            throw NumberedError(kErrNotMp3, m_mp3File + QStringLiteral(" is not a valid MP3 file."), source());
        }
        if (length <= kRecordSize)
            return;

        QByteArray body;
        body.reserve(125);
        body += field(m_title, 30);
        body += field(m_artist, 30);
        body += field(m_album, 30);
        body += field(m_year, 4);
        body += field(m_comment, 28);
        body += char(0);
        body += static_cast<char>(m_track);
        body += static_cast<char>(m_genre);

        if (file.readAt(length - kRecordSize, 3) == "TAG") {
            file.writeAt(length - kRecordSize + 3, body);
        } else {
            // A record that cannot be appended whole is taken away again: half a record at the
            // end of the audio would be read as audio by every player.
            try {
                file.writeAt(length, QByteArrayLiteral("TAG") + body);
                file.sync();
            } catch (const NumberedError&) {
                try {
                    file.truncate(length);
                } catch (const NumberedError&) {
                }
                throw;
            }
        }
    } catch (const NumberedError& e) {
        if (e.number() == kErrNotMp3)
            throw;
        throw WithSource(e, source());
    }
}
