// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>

#include <cstdint>

// The ID3v1.1 record in the last 128 bytes of one MP3 file. Setting MP3File reads the record
// into the fields; the field setters change memory only; Update writes the fields back,
// overwriting a record in place or appending one. Texts are ISO-8859-1 in the file, one byte per
// character (a character outside it is written as "?"). Errors are NumberedError with the source
// "<program>.cMP3ID3v1". No handle is kept between calls. Any thread, one object per thread.
class cMP3ID3v1 {
public:
    QString MP3File() const { return m_mp3File; }
    void MP3File(const QString& path);  // reads the record at once

    void Update();

    bool HasID3v1Tag() const { return m_hasTag; }
    QString Title() const { return m_title; }
    void Title(const QString& v) { m_title = v; }
    QString Artist() const { return m_artist; }
    void Artist(const QString& v) { m_artist = v; }
    QString Album() const { return m_album; }
    void Album(const QString& v) { m_album = v; }
    QString Year() const { return m_year; }
    void Year(const QString& v) { m_year = v; }
    uint8_t Track() const { return m_track; }
    void Track(uint8_t v) { m_track = v; }
    QString Comment() const { return m_comment; }
    void Comment(const QString& v) { m_comment = v; }
    uint8_t Genre() const { return m_genre; }
    void Genre(uint8_t v) { m_genre = v; }

    // "" for 123, 148..255 (255 is "no genre").
    QString GenreName(uint8_t genre) const;

    // The error Update raises for an empty file: 0x80041001 as a signed 32-bit number.
    static constexpr long kErrNotMp3 = -2147217407;

private:
    void ReadTag();
    static QString CleanField(const QString& field);
    void WriteTag();

    QString m_mp3File;
    bool m_hasTag = false;
    QString m_title, m_artist, m_album, m_year, m_comment;
    uint8_t m_genre = 0;
    uint8_t m_track = 0;
};
