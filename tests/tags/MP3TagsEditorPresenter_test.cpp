// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tags/editor/MP3TagsEditorPresenter.h"

#include "tests/tags_lib/TagFixtures.h"

#include <gtest/gtest.h>

using namespace tagfix;

namespace {

class EditorPresenterTest : public ::testing::Test {
protected:
    QString path(const QString& name = QStringLiteral("a.mp3")) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

TEST(EditorGenres, ListHasTheEmptyEntryThenEveryNamedCode)
{
    const auto list = MP3TagsEditorPresenter::GenreList();
    ASSERT_EQ(list.size(), 148u);
    EXPECT_EQ(list[0].name, QString());
    EXPECT_EQ(list[0].code, 255);
    EXPECT_EQ(list[1].name, QStringLiteral("Blues"));
    EXPECT_EQ(list[2].name, QStringLiteral("Classic Rock"));
    EXPECT_EQ(list[124].code, 124) << "code 123 has no entry";
    EXPECT_EQ(list[147].name, QStringLiteral("Synth Pop"));
}

TEST(EditorGenres, ResolutionPrefersTheExactName)
{
    const auto list = MP3TagsEditorPresenter::GenreList();
    const std::vector<std::pair<const char*, int>> cases = {
        {"Rock", 17}, {"Folk", 80}, {"Pop / Folk", 53}, {"Class", 1}, {"Jazz - F", 29},
        {"rock", 255}, {"Chillwave", 255}, {"", 255},
    };
    for (const auto& [text, code] : cases) {
        const int at = MP3TagsEditorPresenter::ResolveGenre(QString::fromLatin1(text), list);
        EXPECT_EQ(list[static_cast<size_t>(at)].code, code) << text;
    }
}

TEST(EditorVersions, FlagsAndTabs)
{
    MP3TagsEditorPresenter p;
    struct Case {
        int index;
        QStringList tabs;
        bool v1, v2;
    };
    const QStringList all{"General", "Advanced", "Lyrics"};
    for (const Case& c : {Case{0, {"General"}, true, false}, Case{1, all, false, true}, Case{2, all, true, true}}) {
        EXPECT_EQ(p.VersionChanged(c.index), c.tabs);
        EXPECT_EQ(p.readV1(), c.v1);
        EXPECT_EQ(p.writeV1(), c.v1);
        EXPECT_EQ(p.readV2(), c.v2);
        EXPECT_EQ(p.writeV2(), c.v2);
    }
}

TEST_F(EditorPresenterTest, ReadingPrefersID3v2ValuesAndFallsBackToID3v1)
{
    const QByteArray v2 = buildTag(3, {{"TIT2", latin1Text("V2 title")},
                                       {"TRCK", latin1Text("4")},
                                       {"TCON", latin1Text("Chillwave")},
                                       {"USLT", QByteArray("\0eng\0words", 10)}});
    QByteArray v1 = "TAG" + QByteArray("V1 title").leftJustified(30, '\0') + QByteArray("V1 artist").leftJustified(30, '\0') +
                    QByteArray(30, '\0') + "1999" + QByteArray("v1 note").leftJustified(28, '\0') + QByteArray("\0\x09\x11", 3);
    writeAll(path(), v2 + fakeAudio(500) + v1);
    MP3TagsEditorPresenter p;

    p.VersionChanged(2);
    MP3TagFields f = p.ReadTags(path());
    EXPECT_EQ(f.txtTitle, QStringLiteral("V2 title"));
    EXPECT_EQ(f.txtArtist, QStringLiteral("V1 artist"));
    EXPECT_EQ(f.txtYear, QStringLiteral("1999"));
    EXPECT_EQ(f.txtDescription, QStringLiteral("v1 note"));
    EXPECT_EQ(f.txtTrackNum, QStringLiteral("4"));
    EXPECT_EQ(f.txtLyric, QStringLiteral("words"));
    EXPECT_EQ(f.genreText, QStringLiteral("Chillwave")) << "a genre stored by name is shown";

    p.VersionChanged(0);
    f = p.ReadTags(path());
    EXPECT_EQ(f.txtTitle, QStringLiteral("V1 title"));
    EXPECT_EQ(f.txtTrackNum, QString()) << "the ID3v1 track is not shown";
    EXPECT_EQ(f.genreText, QStringLiteral("Rock"));
    EXPECT_EQ(f.txtLyric, QString());
}

TEST_F(EditorPresenterTest, UnreadableOrUntaggedFilesGiveEmptyBoxes)
{
    writeAll(path(QStringLiteral("plain.mp3")), fakeAudio(300));
    MP3TagsEditorPresenter p;
    p.VersionChanged(2);
    for (const QString& name : {QStringLiteral("plain.mp3"), QStringLiteral("missing.mp3")}) {
        const MP3TagFields f = p.ReadTags(path(name));
        EXPECT_EQ(f.txtTitle, QString());
        EXPECT_EQ(f.genreText, QString());
        EXPECT_EQ(f.genreIndex, 0);
    }
}

TEST_F(EditorPresenterTest, ApplyWritesBothTagsWithTheResolvedGenre)
{
    const QByteArray audio = fakeAudio(3000);
    writeAll(path(), audio);
    MP3TagsEditorPresenter p;
    p.VersionChanged(2);
    MP3TagFields f = p.ReadTags(path());
    f.txtTitle = QStringLiteral("Song");
    f.txtArtist = QStringLiteral("Band");
    f.txtTrackNum = QStringLiteral("2");
    f.txtLyric = QStringLiteral("la");
    f.txtURL = QStringLiteral("http://u/");
    f.genreText = QStringLiteral("Rock");
    ASSERT_FALSE(p.Apply(f).has_value());
    EXPECT_EQ(f.genreText, QStringLiteral("Rock"));

    cMP3ID3v1 v1;
    v1.MP3File(path());
    EXPECT_EQ(v1.Title(), QStringLiteral("Song"));
    EXPECT_EQ(v1.Genre(), 17);
    EXPECT_EQ(v1.Track(), 0);
    cMP3ID3v2 v2;
    v2.MP3File(path());
    EXPECT_EQ(v2.Title(), QStringLiteral("Song"));
    EXPECT_EQ(v2.Artist(), QStringLiteral("Band"));
    EXPECT_EQ(v2.Track(), QStringLiteral("2"));
    EXPECT_EQ(v2.Lyrics(), QStringLiteral("la"));
    EXPECT_EQ(v2.LinkTo(), QStringLiteral("http://u/"));
    EXPECT_EQ(v2.Genre(), 17);
    EXPECT_EQ(v2.OtherGenreName(), QStringLiteral("Rock"));

    // A genre text that no entry contains is kept as the ID3v2 genre text; ID3v1 has no genre.
    f.genreText = QStringLiteral("rock");
    ASSERT_FALSE(p.Apply(f).has_value());
    EXPECT_EQ(f.genreIndex, 0);
    EXPECT_EQ(f.genreText, QStringLiteral("rock"));
    v1.MP3File(path());
    EXPECT_EQ(v1.Genre(), 255);
    v2.MP3File(path());
    EXPECT_EQ(v2.Genre(), 255);
    EXPECT_EQ(v2.OtherGenreName(), QStringLiteral("rock"));

    // An empty genre box clears the genre in both tags.
    f.genreText = QString();
    ASSERT_FALSE(p.Apply(f).has_value());
    EXPECT_EQ(f.genreIndex, 0);
    v1.MP3File(path());
    EXPECT_EQ(v1.Genre(), 255);
    v2.MP3File(path());
    EXPECT_EQ(v2.Genre(), 255);
    EXPECT_EQ(v2.OtherGenreName(), QString());

    const QByteArray after = readAll(path());
    EXPECT_EQ(after.mid(2048, audio.size()), audio);
    EXPECT_EQ(after.size(), 2048 + audio.size() + 128);
}

TEST_F(EditorPresenterTest, AppliedCommentIsTheOneShownAfterwardsAlsoOnASecondApply)
{
    // Two plain comments, the first with an id in mixed case: the one shown is the one replaced.
    const QByteArray tag = buildTag(3, {{"cOMM", QByteArray("\0eng\0old1", 9)}, {"COMM", QByteArray("\0deu\0old2", 9)}});
    // Behind other bytes, a tag that cannot be read through: the first Apply puts a new tag in
    // front, and the second replaces that one.
    QByteArray unreadable = buildTag(3, {{"TIT2", latin1Text("a")}, {"TPE1", latin1Text("b")}}, 10);
    unreadable.replace(unreadable.indexOf("TPE1") + 4, 4, be32(500));
    QByteArray mpeg2(2000, 'm');
    mpeg2[0] = '\xFF';
    mpeg2[1] = '\xF3';
    for (const QByteArray& content : {QByteArray(tag + fakeAudio(500)), QByteArray(mpeg2.left(50) + unreadable + mpeg2.mid(50))}) {
        writeAll(path(), content);
        MP3TagsEditorPresenter p;
        p.VersionChanged(1);
        MP3TagFields f = p.ReadTags(path());
        for (const char* text : {"x", "y"}) {
            f.txtDescription = QLatin1String(text);
            const auto error = p.Apply(f);
            EXPECT_FALSE(error.has_value()) << text;
            MP3TagsEditorPresenter reader;
            reader.VersionChanged(1);
            EXPECT_EQ(reader.ReadTags(path()).txtDescription, QLatin1String(text));
        }
    }
}

TEST_F(EditorPresenterTest, ApplyThatLeavesTheGenreAloneKeepsIt)
{
    struct Case {
        int version;
        QByteArray genre;  // the ID3v2 genre text in the file
        uint8_t v1Genre;   // the ID3v1 genre in the file
        const char* shown;
        uint8_t code;      // afterwards, in both tags
        const char* text;  // afterwards, the ID3v2 genre text
    };
    const std::vector<Case> cases = {
        {4, "12", 12, "Other", 12, "Other"},
        {4, "35", 35, "House", 35, "House"},
        {3, "(17)", 17, "Rock", 17, "Rock"},
        {4, "Silence", 255, "Silence", 255, "Silence"},
        {3, "Bigbeat", 12, "Bigbeat", 255, "Bigbeat"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.genre.constData());
        const QByteArray v1 = "TAG" + QByteArray(30, 'T') + QByteArray(30, 'A') + QByteArray(30, '\0') + "2001" +
                              QByteArray(28, '\0') + QByteArray(1, '\0') + QByteArray(1, '\x05') + char(c.v1Genre);
        writeAll(path(), buildTag(c.version, {{"TIT2", latin1Text("Song")}, {"TCON", latin1Text(c.genre)}}, 50) +
                             fakeAudio(1000) + v1);
        MP3TagsEditorPresenter p;
        p.VersionChanged(2);
        MP3TagFields f = p.ReadTags(path());
        EXPECT_EQ(f.genreText, QString::fromLatin1(c.shown));
        f.txtTitle = QStringLiteral("Other song");
        ASSERT_FALSE(p.Apply(f).has_value());
        EXPECT_EQ(f.genreText, QString::fromLatin1(c.shown)) << "the box keeps the genre";

        cMP3ID3v1 t1;
        t1.MP3File(path());
        EXPECT_EQ(t1.Genre(), c.code);
        EXPECT_EQ(t1.Track(), 5);
        cMP3ID3v2 t2;
        t2.MP3File(path());
        EXPECT_EQ(t2.Title(), QStringLiteral("Other song"));
        EXPECT_EQ(t2.Genre(), c.code);
        EXPECT_EQ(t2.OtherGenreName(), QString::fromLatin1(c.text));
    }
}

TEST_F(EditorPresenterTest, ApplyLeavesATagItCouldNotReadThroughAndSaysSo)
{
    QByteArray tag = buildTag(3, {{"TIT2", latin1Text("Song")}, {"APIC", QByteArray("\0image/png\0\x03\0data", 17)}}, 40);
    tag.replace(tag.indexOf("APIC") + 4, 4, be32(5000));  // the picture runs past the tag
    const QByteArray audio = fakeAudio(3000);
    writeAll(path(), tag + audio);
    MP3TagsEditorPresenter p;
    p.VersionChanged(1);
    MP3TagFields f = p.ReadTags(path());
    EXPECT_EQ(f.txtTitle, QStringLiteral("Song"));
    f.txtTitle = QStringLiteral("Changed");
    const auto error = p.Apply(f);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->number, 321);
    EXPECT_TRUE(error->description.contains(QStringLiteral("could not be read"))) << error->description.toStdString();
    EXPECT_EQ(readAll(path()), tag + audio);
}

TEST_F(EditorPresenterTest, ApplyToAMissingFileCreatesNothing)
{
    for (int version : {0, 1, 2}) {
        SCOPED_TRACE(version);
        MP3TagsEditorPresenter p;
        p.VersionChanged(version);
        MP3TagFields f = p.ReadTags(path(QStringLiteral("none.mp3")));
        f.txtTitle = QStringLiteral("x");
        const auto error = p.Apply(f);
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->number, 53);
        EXPECT_EQ(error->file, path(QStringLiteral("none.mp3")));
        EXPECT_TRUE(error->fileGone);
        EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("none.mp3"))));
    }
}

TEST_F(EditorPresenterTest, AFailedID3v2WritePutsTheID3v1RecordBack)
{
    const QByteArray audio = fakeAudio(20000);
    const QByteArray record = "TAG" + QByteArray("Old").leftJustified(30, ' ') + QByteArray(90, ' ') + "1999" +
                              QByteArray(28, ' ') + QByteArray("\0\x03\x11", 3);
    // Without a record (the new one is appended), and with one (it is overwritten in place);
    // the ID3v2 tag does not fit in front and the file may not grow by a rebuilt copy.
    for (const QByteArray& content : {audio, QByteArray(audio + record)}) {
        SCOPED_TRACE(content.size());
        writeAll(path(), content);
        MP3TagsEditorPresenter p;
        p.VersionChanged(2);
        MP3TagFields f = p.ReadTags(path());
        f.txtTitle = QStringLiteral("New");
        std::optional<MP3TagsEditorPresenter::ApplyError> error;
        {
            FileSizeLimit limit(static_cast<rlim_t>(audio.size() + 1000));
            error = p.Apply(f);
        }
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->number, 61);
        EXPECT_FALSE(error->fileChanged);
        EXPECT_FALSE(error->fileGone);
        EXPECT_TRUE(readAll(path()) == content);
        EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("a.mp3")});
    }
}

TEST_F(EditorPresenterTest, AnEmptyFileIsRefusedAndLeftAsItWas)
{
    writeAll(path(), QByteArray());
    MP3TagsEditorPresenter p;
    p.VersionChanged(2);
    MP3TagFields f = p.ReadTags(path());
    f.txtTitle = QStringLiteral("x");
    const auto error = p.Apply(f);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->number, -2147217407);
    EXPECT_EQ(MP3TagsEditorPresenter::ErrorText(*error),
              path() + QStringLiteral(" is not a valid MP3 file.(-2147217407)\r\n\r\nThe file '") + path() +
                  QStringLiteral("' was not changed."));
    EXPECT_EQ(QFileInfo(path()).size(), 0) << "the ID3v2 tag is not written after it";
}

}  // namespace
