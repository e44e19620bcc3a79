// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <cstdint>
#include <vector>

class TagFile;

// The ID3v2 tag of one MP3 file, held in memory as an ordered list of frame ids, each with one
// or more values. Setting MP3File reads a tag of version 2.2, 2.3 or 2.4; the properties are a
// view of selected frames; Update writes every held frame back as a version 2.3 tag, in place
// when it fits in the old one, otherwise by rebuilding the file beside itself and renaming the
// rebuilt file over it once it is complete.
//
// Values are texts. Text frames hold their decoded text; "TXXX" and "WXXX" hold description,
// NUL, text; "COMM" and "USLT" hold the 3-letter language, description, NUL, text; "PCNT" holds
// the counter in decimal. Frames this class does not edit (pictures, private data, ...) keep
// their bytes and are written back unchanged unless a value is set through AddTag; so do values
// of the other frames that nobody set since the read, as far as version 2.3 can carry them.
// Comment is the plain comment, the first "COMM" without a description; the others (a player's
// normalisation data, a disc id, ...) are not part of it and keep their bytes.
// Update refuses (error 321) to replace a tag the last read could not get through, since the
// new tag would hold less than the old one.
// Errors are NumberedError with the source "<program>.cMP3ID3v2". One object per thread.
class cMP3ID3v2 {
public:
    bool HasID3v2Tag() const { return m_hasTag; }
    uint8_t ID3v2TagVersion() const { return m_version; }
    long FrameCount() const { return static_cast<long>(m_frames.size()); }
    QString Frame(long Index) const;  // 1-based; error 9 outside the list
    void RemoveFrame(const QString& frameId);
    void RemoveFrame(long place);
    long TagsInFrame(const QString& frameId) const;
    long TagsInFrame(long place) const;
    void AddTag(const QString& sFrame, const QString& sTag);
    void RemoveTag(const QString& sFrame, long tagIndex);

    QString ArtistURL() const { return prop(P_ArtistURL); }
    void ArtistURL(const QString& v);
    QString BuyURL() const { return prop(P_BuyURL); }
    void BuyURL(const QString& v);
    QString AudioURL() const { return prop(P_AudioURL); }
    void AudioURL(const QString& v);
    QString Copyright() const { return prop(P_Copyright); }
    void Copyright(const QString& v);
    QString Composer() const { return prop(P_Composer); }
    void Composer(const QString& v);
    QString OriginalArtist() const { return prop(P_OriginalArtist); }
    void OriginalArtist(const QString& v);
    QString LinkTo() const { return prop(P_LinkTo); }
    void LinkTo(const QString& v);
    QString PlayCounter() const { return prop(P_PlayCounter); }
    void PlayCounter(const QString& v);
    QString EncodedBy() const { return prop(P_EncodedBy); }
    void EncodedBy(const QString& v);
    QString Title() const { return prop(P_Title); }
    void Title(const QString& v);
    QString Artist() const { return prop(P_Artist); }
    void Artist(const QString& v);
    QString Album() const { return prop(P_Album); }
    void Album(const QString& v);
    QString Year() const { return prop(P_Year); }
    void Year(const QString& v);
    QString Comment() const { return prop(P_Comment); }
    void Comment(const QString& v);
    QString Lyrics() const { return prop(P_Lyrics); }
    void Lyrics(const QString& v);
    uint8_t Genre() const { return m_genre; }
    void Genre(uint8_t v);
    QString OtherGenreName() const { return prop(P_OtherGenreName); }
    void OtherGenreName(const QString& v);
    QString Track() const { return prop(P_Track); }
    void Track(const QString& v);

    QString GenreName(uint8_t genre) const;

    QString MP3File() const { return m_mp3File; }
    void MP3File(const QString& path);  // reads the tag at once
    uint8_t TagVersion() const { return m_version; }

    void Update();

    // The tag Update would write now (header, frames, four zero bytes), before its size is set.
    QByteArray BuildTagBuffer() const;

private:
    enum Prop {
        P_ArtistURL, P_BuyURL, P_AudioURL, P_Copyright, P_Composer, P_OriginalArtist, P_LinkTo,
        P_PlayCounter, P_EncodedBy, P_Title, P_Artist, P_Album, P_Year, P_Comment, P_Lyrics,
        P_OtherGenreName, P_Track, P_Count
    };
    struct Value {
        QString text;
        QByteArray raw;       // the frame's bytes as read, for frames written back unchanged
        bool hasRaw = false;
        // `raw` is a valid version 2.3 body as it stands: a value nobody set since it was read
        // is then written back with its own bytes rather than from its text.
        bool rawFits23 = false;
        uint16_t flags = 0;   // version 2.3 frame flags that belong to `raw`
    };
    struct FrameEntry {
        QString id;
        std::vector<Value> values;
    };

    QString prop(Prop p) const { return m_props[p]; }
    // The property setters' rule: the frame's values are replaced by one, at the end of the list.
    void replaceFrame(const QString& id, const QString& stored);
    int findFrame(const QString& id) const;  // index or -1, letter case ignored
    void addValue(const QString& id, Value value);

    void ReadTag();
    // False when the tag holds something that could not be read (a frame that runs past the
    // tag's end, a header layout that cannot be followed): frames may be missing from memory.
    bool ParseTag(TagFile& file, int64_t tagStart);
    void StoreFrame(const QString& id, Value value);
    void WriteTag();

    QString m_mp3File;
    bool m_hasTag = false;
    // The last read found a tag but did not get through all of it (see ParseTag).
    bool m_tagIncomplete = false;
    bool m_commentRead = false;  // the read has met the plain comment
    // Where the last read found bytes other than padding after the frames but inside the tag's
    // size (audio the size runs into), as a file offset; -1 when it found none.
    int64_t m_audioAt = -1;
    uint8_t m_version = 0;
    std::vector<FrameEntry> m_frames;
    QString m_props[P_Count];
    uint8_t m_genre = 0;
};
