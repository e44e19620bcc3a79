// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tags/editor/MP3TagsEditorPresenter.h"

#include "foundation/NumberedError.h"
#include "tags/lib/GenreTable.h"
#include "tags/lib/TagFileSnapshot.h"

#include <QFileInfo>

MP3TagsEditorPresenter::MP3TagsEditorPresenter()
    : m_cID3v1(std::make_unique<cMP3ID3v1>()), m_cID3v2(std::make_unique<cMP3ID3v2>()), m_genres(GenreList())
{
}

std::vector<GenreEntry> MP3TagsEditorPresenter::GenreList()
{
    std::vector<GenreEntry> list{{QString(), 255}};
    for (int code = 0; code <= 255; ++code) {
        const QString name = Id3GenreName(code);
        if (!name.isEmpty())
            list.push_back({name, static_cast<uint8_t>(code)});
    }
    return list;
}

int MP3TagsEditorPresenter::ResolveGenre(const QString& text, const std::vector<GenreEntry>& list)
{
    if (text.isEmpty())
        return 0;
    // An exact name wins: "Rock" is Rock, not the "Classic Rock" listed before it.
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].name == text)
            return static_cast<int>(i);
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].name.contains(text, Qt::CaseSensitive))
            return static_cast<int>(i);
    return 0;
}

QStringList MP3TagsEditorPresenter::VersionChanged(int index)
{
    m_bReadV1 = m_bWriteV1 = m_bReadV2 = m_bWriteV2 = false;
    const QStringList all{QStringLiteral("General"), QStringLiteral("Advanced"), QStringLiteral("Lyrics")};
    switch (index) {
    case 0:
        m_bWriteV1 = m_bReadV1 = true;
        return {QStringLiteral("General")};
    case 1:
        m_bWriteV2 = m_bReadV2 = true;
        return all;
    case 2:
        m_bWriteV1 = m_bReadV1 = m_bWriteV2 = m_bReadV2 = true;
        return all;
    default:
        return {};
    }
}

cMP3ID3v1& MP3TagsEditorPresenter::v1()
{
    if (!m_cID3v1)
        m_cID3v1 = std::make_unique<cMP3ID3v1>();
    return *m_cID3v1;
}

cMP3ID3v2& MP3TagsEditorPresenter::v2()
{
    if (!m_cID3v2)
        m_cID3v2 = std::make_unique<cMP3ID3v2>();
    return *m_cID3v2;
}

MP3TagFields MP3TagsEditorPresenter::ReadTags(const QString& path)
{
    MP3TagFields f;
    if (m_bReadV1) {
        try {
            cMP3ID3v1& t = v1();
            t.MP3File(path);
            f.txtArtist = t.Artist();
            f.txtTitle = t.Title();
            f.txtAlbum = t.Album();
            const QString genre = t.GenreName(t.Genre());
            if (!genre.isEmpty())
                f.genreText = genre;
            f.txtYear = t.Year();
            f.txtDescription = t.Comment();
        } catch (const NumberedError&) {
        }
    }
    if (m_bReadV2) {
        try {
            cMP3ID3v2& t = v2();
            t.MP3File(path);
            auto take = [](QString& box, const QString& value) {
                if (!value.isEmpty())
                    box = value;
            };
            take(f.txtArtist, t.Artist());
            take(f.txtTitle, t.Title());
            take(f.txtAlbum, t.Album());
            // A genre other taggers store as a name only has no code; show the name, so that
            // applying other fields does not throw it away.
            const QString name = t.GenreName(t.Genre());
            take(f.genreText, name.isEmpty() ? t.OtherGenreName() : name);
            take(f.txtYear, t.Year());
            take(f.txtDescription, t.Comment());
            take(f.txtTrackNum, t.Track());
            take(f.txtOriginalArtist, t.OriginalArtist());
            take(f.txtLyric, t.Lyrics());
            take(f.txtCopyright, t.Copyright());
            take(f.txtEncodedBy, t.EncodedBy());
            take(f.txtURL, t.LinkTo());
        } catch (const NumberedError&) {
        }
    }
    if (f.genreText.isEmpty())
        f.genreIndex = 0;
    else
        f.genreIndex = -1;  // a text in the box, no entry chosen yet
    return f;
}

std::optional<MP3TagsEditorPresenter::ApplyError> MP3TagsEditorPresenter::Apply(MP3TagFields& f)
{
    f.genreIndex = ResolveGenre(f.genreText, m_genres);
    // A genre that no entry names ("Bigbeat") is kept as the ID3v2 genre text, with no code;
    // the ID3v1 record, which has only codes, gets "no genre".
    if (f.genreIndex != 0 || f.genreText.trimmed().isEmpty())
        f.genreText = m_genres[static_cast<size_t>(f.genreIndex)].name;
    const uint8_t code = m_genres[static_cast<size_t>(f.genreIndex)].code;
    if (!m_bWriteV1 && !m_bWriteV2)
        return std::nullopt;
    const QString file = m_bWriteV1 ? v1().MP3File() : v2().MP3File();
    // A file that went away while the window showed it stays away: the writers never create one.
    std::optional<TagFileSnapshot> before;
    try {
        before = TagFileSnapshot::Take(file);
    } catch (const NumberedError& e) {
        ApplyError error{e.number(), e.description(), file};
        error.fileGone = !QFileInfo(file).exists();
        return error;
    }
    try {
        if (m_bWriteV1) {
            cMP3ID3v1& t = v1();
            t.Artist(f.txtArtist);
            t.Title(f.txtTitle);
            t.Album(f.txtAlbum);
            t.Year(f.txtYear);
            t.Comment(f.txtDescription);
            t.Genre(code);
            t.Update();
        }
        if (m_bWriteV2) {
            cMP3ID3v2& t = v2();
            t.Artist(f.txtArtist);
            t.Title(f.txtTitle);
            t.Album(f.txtAlbum);
            t.Year(f.txtYear);
            t.Comment(f.txtDescription);
            t.Genre(code);
            t.OtherGenreName(f.genreText);
            t.Track(f.txtTrackNum);
            t.OriginalArtist(f.txtOriginalArtist);
            t.Copyright(f.txtCopyright);
            t.EncodedBy(f.txtEncodedBy);
            t.LinkTo(f.txtURL);
            t.Lyrics(f.txtLyric);
            t.Update();
        }
    } catch (const NumberedError& e) {
        // Both tags or neither: the ID3v1 record written before a failed ID3v2 write goes back.
        ApplyError error{e.number(), e.description(), file};
        error.fileChanged = !before->Restore();
        return error;
    }
    return std::nullopt;
}

QString MP3TagsEditorPresenter::ErrorText(const ApplyError& e)
{
    const QString quoted = QLatin1Char('\'') + e.file + QLatin1Char('\'');
    QString what;
    if (e.fileGone)
        what = QStringLiteral("The file ") + quoted + QStringLiteral(" is not there; nothing was written.");
    else if (e.fileChanged)
        what = QStringLiteral("The file ") + quoted + QStringLiteral(" may have been changed.");
    else
        what = QStringLiteral("The file ") + quoted + QStringLiteral(" was not changed.");
    return e.description + QLatin1Char('(') + QString::number(e.number) + QStringLiteral(")\r\n\r\n") + what;
}
