// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tags/lib/cMP3ID3v2.h"

#include "foundation/NumberedError.h"
#include "tags/lib/cMP3ID3v1.h"
#include "tests/tags_lib/TagFixtures.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace tagfix;

namespace {

class ID3v2WriteTest : public ::testing::Test {
protected:
    QString path(const QString& name = QStringLiteral("a.mp3")) const { return m_dir.filePath(name); }
    cMP3ID3v2 open(const QByteArray& content)
    {
        writeAll(path(), content);
        cMP3ID3v2 tag;
        tag.MP3File(path());
        return tag;
    }
    // The whole tag at the start of the file, from its syncsafe size.
    static qsizetype tagLength(const QByteArray& file)
    {
        if (!file.startsWith("ID3"))
            return 0;
        const auto b = [&](int i) { return uint32_t(uint8_t(file[i])); };
        return 10 + ((b(6) << 21) | (b(7) << 14) | (b(8) << 7) | b(9));
    }
    QStringList filesInFolder() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden); }
    QTemporaryDir m_dir;
};

QByteArray frame(const QByteArray& id, const QByteArray& body)
{
    return id + be32(uint32_t(body.size())) + QByteArray(2, '\0') + body;
}

// The 2.4 footer: the header again with "3DI", after the frames; the size counts neither.
QByteArray withFooter(const QByteArray& tag)
{
    return tag + "3DI" + tag.mid(3, 7);
}

TEST_F(ID3v2WriteTest, FrameBytes)
{
    struct Case {
        const char* name;
        std::function<void(cMP3ID3v2&)> set;
        QByteArray frames;
    };
    const std::vector<Case> cases = {
        {"title", [](cMP3ID3v2& t) { t.Title(QStringLiteral("abc")); },
         QByteArray("TIT2\0\0\0\x04\0\0\0abc", 14)},
        {"comment", [](cMP3ID3v2& t) { t.Comment(QStringLiteral("x")); },
         QByteArray("COMM\0\0\0\x06\0\0\0\0nt\0x", 16)},
        {"empty text", [](cMP3ID3v2& t) { t.Album(QString()); }, QByteArray("TALB\0\0\0\x01\0\0\0", 11)},
        {"link", [](cMP3ID3v2& t) { t.LinkTo(QStringLiteral("http://a")); }, frame("WXXX", QByteArray("\0\0http://a", 10))},
        {"lyrics keep a language", [](cMP3ID3v2& t) { t.Lyrics(QStringLiteral("la")); },
         frame("USLT", QByteArray("\0\0nt\0la", 7))},
        {"url frames have no encoding byte", [](cMP3ID3v2& t) { t.ArtistURL(QStringLiteral("http://b")); },
         frame("WOAR", "http://b")},
        {"empty url frame carries nothing and is left out", [](cMP3ID3v2& t) { t.BuyURL(QString()); }, {}},
        {"genre", [](cMP3ID3v2& t) { t.Genre(17); t.OtherGenreName(QStringLiteral("Rock")); },
         frame("TCON", latin1Text("(17)Rock"))},
        {"no genre writes no code", [](cMP3ID3v2& t) { t.Genre(255); t.OtherGenreName(QString()); },
         frame("TCON", latin1Text(""))},
        {"play counter", [](cMP3ID3v2& t) { t.PlayCounter(QStringLiteral("258")); },
         frame("PCNT", QByteArray("\0\0\x01\x02", 4))},
        {"text outside Latin-1", [](cMP3ID3v2& t) { t.Artist(QString::fromUtf8("\u65e5")); },
         frame("TPE1", QByteArray("\x01\xFF\xFE\xE5\x65", 5))},
        {"ids holding ID3 are not written",
         [](cMP3ID3v2& t) { t.AddTag(QStringLiteral("XID3"), QStringLiteral("x")); t.Track(QStringLiteral("1")); },
         frame("TRCK", latin1Text("1"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cMP3ID3v2 tag = open(fakeAudio(100));
        c.set(tag);
        const QByteArray expected = QByteArray("ID3\x03\0\0\0\0\0\0", 10) + c.frames + QByteArray(4, '\0');
        EXPECT_EQ(tag.BuildTagBuffer().toHex(' ').toStdString(), expected.toHex(' ').toStdString());
    }
}

TEST_F(ID3v2WriteTest, LongValueSize)
{
    cMP3ID3v2 tag = open(fakeAudio(100));
    tag.Title(QString(70000, QLatin1Char('a')));
    EXPECT_EQ(tag.BuildTagBuffer().mid(14, 4), QByteArray("\x00\x01\x11\x71", 4));
}

TEST_F(ID3v2WriteTest, ShortFrameIdFailsBeforeTheFileIsTouched)
{
    const QByteArray audio = fakeAudio(300);
    cMP3ID3v2 tag = open(audio);
    tag.AddTag(QStringLiteral("TT2"), QStringLiteral("x"));
    try {
        tag.Update();
        ADD_FAILURE() << "no error";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), 5);
        EXPECT_TRUE(e.source().endsWith(QStringLiteral(".cMP3ID3v2")));
    }
    EXPECT_EQ(readAll(path()), audio);
}

TEST_F(ID3v2WriteTest, UntaggedFileGetsAPaddedTagInFront)
{
    const QByteArray audio = fakeAudio(5000);
    cMP3ID3v2 tag = open(audio);
    tag.AddTag(QStringLiteral("TXXX"), QString(200 - 10 - 10 - 4 - 2, QLatin1Char('q')));  // buffer of 200
    const QByteArray buffer = tag.BuildTagBuffer();
    ASSERT_EQ(buffer.size(), 200);
    tag.Update();
    const QByteArray after = readAll(path());
    ASSERT_EQ(after.size(), audio.size() + 2048);
    EXPECT_EQ(after.mid(6, 4), QByteArray("\x00\x00\x0F\x76", 4)) << "2038: syncsafe, header not counted";
    EXPECT_EQ(after.left(6), buffer.left(6));
    EXPECT_EQ(after.mid(10, 190), buffer.mid(10));
    EXPECT_EQ(after.mid(200, 2048 - 200), QByteArray(2048 - 200, '\0'));
    EXPECT_EQ(after.mid(2048), audio);

    tag.Title(QStringLiteral("again"));
    tag.Update();
    EXPECT_EQ(readAll(path()).size(), audio.size() + 2048) << "the second write goes in place";
    EXPECT_TRUE(filesInFolder() == QStringList{QStringLiteral("a.mp3")}) << filesInFolder().join(' ').toStdString();
}

TEST_F(ID3v2WriteTest, PaddingPolicy)
{
    // A buffer of L bytes: in place while L is below the old tag's length, else a rebuild to the
    // next multiple of 2048 above L.
    struct Case {
        int oldTag;  // whole length of the existing tag; 0: none
        int L;
        int newTag;
    };
    const std::vector<Case> cases = {{0, 2048, 4096}, {0, 2047, 2048}, {2048, 2047, 2048}, {2048, 2048, 4096},
                                     {4096, 100, 4096}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.oldTag) + " " + std::to_string(c.L));
        const QByteArray audio = fakeAudio(3000);
        QByteArray oldTag;
        if (c.oldTag)
            oldTag = buildTag(3, {{"TPE1", latin1Text("old artist")}}, c.oldTag - 10 - 21);
        ASSERT_EQ(oldTag.size(), c.oldTag);
        cMP3ID3v2 tag = open(oldTag + audio);
        if (c.oldTag)
            tag.RemoveFrame(QStringLiteral("TPE1"));
        tag.Title(QString(c.L - 10 - 10 - 4 - 1, QLatin1Char('t')));
        ASSERT_EQ(tag.BuildTagBuffer().size(), c.L);
        tag.Update();
        const QByteArray after = readAll(path());
        EXPECT_EQ(tagLength(after), c.newTag);
        EXPECT_EQ(after.mid(c.newTag), audio);
        EXPECT_EQ(after.mid(c.L, c.newTag - c.L), QByteArray(c.newTag - c.L, '\0')) << "old frames cleared";
        cMP3ID3v2 back;
        back.MP3File(path());
        EXPECT_EQ(back.FrameCount(), 1);
        EXPECT_EQ(back.Artist(), QString());
    }
}

TEST_F(ID3v2WriteTest, RoundTripsKeepTextsAndAudio)
{
    const QString uni = QString::fromUtf8("\u00c9t\u00e9 \u65e5\u672c");
    const QByteArray picture = QByteArray("\0image/png\0\x03" "cover\0", 18) + QByteArray("\x89PNG\r\n\x1a\n\0\0\xFF\xFB", 12);
    const QByteArray priv = QByteArray("owner@x\0", 8) + QByteArray("\0\1\2\3\0", 5);
    struct Case {
        const char* name;
        QByteArray tag;
        QStringList frames;
    };
    const std::vector<Case> cases = {
        {"v2.3 with padding", buildTag(3, {{"TIT2", latin1Text("T")}, {"TPE1", utf16Text(uni)}}, 700), {"TIT2", "TPE1"}},
        {"v2.4 UTF-8", buildTag(4, {{"TIT2", utf8Text(uni)}, {"TPE1", utf8Text(QStringLiteral("A"))}}, 30), {"TIT2", "TPE1"}},
        {"v2.2", buildTag(2, {{"TT2", latin1Text("T")}, {"TP1", latin1Text("A")}, {"TAL", latin1Text("B")}}),
         {"TIT2", "TPE1", "TALB"}},
        {"picture and private frames",
         buildTag(3, {{"APIC", picture}, {"TIT2", latin1Text("T")}, {"PRIV", priv}}, 100), {"APIC", "TIT2", "PRIV"}},
        {"extended header",
         buildTag(3, {{"TIT2", latin1Text("T")}}, 10, 0x40, be32(6) + QByteArray(6, '\0')), {"TIT2"}},
        {"extended header flag without the header",
         buildTag(4, {{"TIT2", utf8Text(uni)}, {"TPE1", latin1Text("A")}, {"PRIV", priv}}, 10, 0x40),
         {"TIT2", "TPE1", "PRIV"}},
        {"v2.4 with a footer", withFooter(buildTag(4, {{"TIT2", utf8Text(QStringLiteral("F"))}}, 0, 0x10)), {"TIT2"}},
    };
    for (const Case& c : cases) {
        for (int grow : {0, 3000}) {
            SCOPED_TRACE(std::string(c.name) + (grow ? " rebuilt" : " in place"));
            const QByteArray audio = fakeAudio(4000);
            const QByteArray v1 = QByteArray("TAG") + QByteArray(125, 'v');
            cMP3ID3v2 tag = open(c.tag + audio + v1);
            const QString title = tag.Title(), artist = tag.Artist();
            tag.Comment(QString(grow, QLatin1Char('c')));
            tag.Update();
            const QByteArray after = readAll(path());
            const qsizetype n = tagLength(after);
            EXPECT_EQ(after.mid(n), audio + v1);
            EXPECT_EQ(after[3], 3);
            cMP3ID3v2 back;
            back.MP3File(path());
            EXPECT_EQ(back.ID3v2TagVersion(), 3);
            EXPECT_EQ(back.Title(), title);
            EXPECT_EQ(back.Artist(), artist);
            EXPECT_EQ(back.Comment(), QString(grow, QLatin1Char('c')));
            QStringList ids;
            for (long i = 1; i <= back.FrameCount(); ++i)
                ids << back.Frame(i);
            EXPECT_EQ(ids, c.frames + QStringList{QStringLiteral("COMM")});
            if (c.tag.contains("APIC")) {
                EXPECT_TRUE(after.contains(frame("APIC", picture)));
                EXPECT_TRUE(after.contains(frame("PRIV", priv)));
            }
        }
    }
}

TEST_F(ID3v2WriteTest, TagThatCannotBeReadThroughIsNeverReplaced)
{
    QByteArray runsPast = buildTag(3, {{"TIT2", latin1Text("kept")}, {"TPE1", latin1Text("lost")}}, 20);
    runsPast.replace(runsPast.indexOf("TPE1") + 4, 4, be32(500));
    QByteArray falseExtended = buildTag(3, {{"TIT2", latin1Text("x")}}, 20, 0x40);
    falseExtended.replace(10, 4, QByteArray("\x01\x02\x03\x04", 4));  // neither a size nor a frame id
    const std::vector<std::pair<const char*, QByteArray>> cases = {
        {"frame that runs past the tag", runsPast},
        {"extended header that is neither there nor absent", falseExtended},
        {"compressed 2.2 tag", buildTag(2, {{"TT2", latin1Text("x")}}, 20, 0x40)},
    };
    for (const auto& [name, tagBytes] : cases) {
        SCOPED_TRACE(name);
        const QByteArray content = tagBytes + fakeAudio(3000);
        cMP3ID3v2 tag = open(content);
        tag.Title(QStringLiteral("new"));
        try {
            tag.Update();
            ADD_FAILURE() << "no error";
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), 321);
            EXPECT_TRUE(e.description().startsWith(path())) << e.description().toStdString();
            EXPECT_TRUE(e.source().endsWith(QStringLiteral(".cMP3ID3v2")));
        }
        EXPECT_EQ(readAll(path()), content);
    }

    // Stray bytes after the last frame that no reader takes for a frame, or nothing but padding
    // behind a false extended-header flag, are not held against a tag.
    QByteArray stray = buildTag(3, {{"TIT2", latin1Text("x")}}, 20);
    stray.replace(stray.size() - 20, 4, QByteArray("\xFF\xFF\xFF\xFF", 4));
    for (const QByteArray& readable : {stray, buildTag(3, {}, 30, 0x40)}) {
        cMP3ID3v2 tag = open(readable + fakeAudio(100));
        tag.Title(QStringLiteral("new"));
        EXPECT_NO_THROW(tag.Update());
    }
}

TEST_F(ID3v2WriteTest, FramesNotSetKeepTheirBytes)
{
    // UTF-16 little-endian with its byte-order mark.
    auto u16 = [](const QString& text) { return utf16Text(text).mid(1); };
    const QByteArray zz(2, '\0');
    // Comments with a description, a user text and a second artist in UTF-16 that ISO-8859-1
    // could hold (big-endian byte-order mark): written back exactly as read, while the plain
    // comment is replaced in its own language.
    const QByteArray described = "\x01" "eng" + u16(QStringLiteral("iTunNORM")) + zz + u16(QStringLiteral(" 0001 00A0"));
    const QByteArray txxx = "\x01" + u16(QStringLiteral("key")) + zz + u16(QStringLiteral("value"));
    const QByteArray tpe2 = QByteArray("\x01\xFE\xFF\0B\0a\0n\0d", 11);
    const QByteArray priv = QByteArray("owner\0\xFF\xFB\0\1", 10);
    const QByteArray discId = QByteArray("\0engCDDB\0abc", 12);
    const QByteArray content = buildTag(3, {{"COMM", described},
                                            {"COMM", QByteArray("\0eng\0old note", 13)},
                                            {"TXXX", txxx},
                                            {"TPE2", tpe2},
                                            {"PRIV", priv},
                                            {"COMM", discId}},
                                      30) +
                               fakeAudio(2000);
    cMP3ID3v2 tag = open(content);
    EXPECT_EQ(tag.Comment(), QStringLiteral("old note"));
    tag.Comment(QStringLiteral("new note"));
    tag.Title(QStringLiteral("t"));
    tag.Update();
    QByteArray after = readAll(path());
    for (const QByteArray& kept : {frame("COMM", described), frame("TXXX", txxx), frame("TPE2", tpe2),
                                   frame("PRIV", priv), frame("COMM", discId),
                                   frame("COMM", QByteArray("\0eng\0new note", 13))})
        EXPECT_TRUE(after.contains(kept)) << kept.toHex().constData();
    EXPECT_FALSE(after.contains("old note"));
    cMP3ID3v2 back;
    back.MP3File(path());
    EXPECT_EQ(back.Comment(), QStringLiteral("new note"));
    EXPECT_EQ(back.TagsInFrame(QStringLiteral("COMM")), 3);

    // From version 2.4, a comment in UTF-16 keeps its bytes; one in UTF-8, which 2.3 has not,
    // keeps its texts in UTF-16.
    const QString day = QString::fromUtf8("\u65e5");
    const QByteArray utf16Described = "\x01" "eng" + u16(QStringLiteral("d")) + zz + u16(day);
    tag = open(buildTag(4, {{"COMM", "\x03" "engdisc" + QByteArray(1, '\0') + day.toUtf8()}, {"COMM", utf16Described}}) +
               fakeAudio(100));
    tag.Comment(QStringLiteral("plain"));
    tag.Update();
    after = readAll(path());
    EXPECT_TRUE(after.contains(frame("COMM", utf16Described)));
    EXPECT_TRUE(after.contains(frame("COMM", "\x01" "eng" + u16(QStringLiteral("disc")) + zz + u16(day))));
    back.MP3File(path());
    EXPECT_EQ(back.Comment(), QStringLiteral("plain"));
    EXPECT_EQ(back.TagsInFrame(QStringLiteral("COMM")), 3);
}

TEST_F(ID3v2WriteTest, Version22PictureBecomesAnAttachedPicture)
{
    cMP3ID3v2 tag = open(buildTag(2, {{"PIC", QByteArray("\0JPG\x03\0\xFF\xD8\xFF", 9)}}) + fakeAudio(100));
    tag.Update();
    EXPECT_TRUE(readAll(path()).contains(frame("APIC", QByteArray("\0image/jpeg\0\x03\0\xFF\xD8\xFF", 17))));
}

TEST_F(ID3v2WriteTest, ID3InsideAudioOrWithAnUntrustedSizeIsNeverOverwritten)
{
    QByteArray mpeg2(6000, 'm');
    mpeg2[0] = '\xFF';
    mpeg2[1] = '\xF3';
    QByteArray bogus = buildTag(3, {{"TIT2", latin1Text("x")}});
    bogus.replace(6, 4, QByteArray("\x7F\x7F\x7F\x7F", 4));
    const std::vector<std::pair<const char*, QByteArray>> cases = {
        {"ID3 in the middle of audio", mpeg2.left(3000) + "ID3\x03\0\0\0\0\x10\0" + mpeg2.mid(3000)},
        {"size past the end of the file", bogus + mpeg2},
        {"size that is not syncsafe", QByteArray("ID3\x03\0\0\x00\x00\x81\x00", 10) + mpeg2},
    };
    for (const auto& [name, content] : cases) {
        SCOPED_TRACE(name);
        cMP3ID3v2 tag = open(content);
        tag.Title(QStringLiteral("new"));
        tag.Update();
        const QByteArray after = readAll(path());
        EXPECT_EQ(after.mid(tagLength(after)), content);
        cMP3ID3v2 back;
        back.MP3File(path());
        EXPECT_EQ(back.Title(), QStringLiteral("new"));
    }
}

TEST_F(ID3v2WriteTest, SecondUpdateAfterATagWasPutInFrontOfOneThatCouldNotBeRead)
{
    // The unreadable tag lies inside the audio, so the first write puts a new tag in front of
    // the file; that new tag is the object's own and a second write replaces it.
    QByteArray unreadable = buildTag(3, {{"TIT2", latin1Text("a")}, {"TPE1", latin1Text("b")}}, 10);
    unreadable.replace(unreadable.indexOf("TPE1") + 4, 4, be32(500));
    QByteArray mpeg2(3000, 'm');
    mpeg2[0] = '\xFF';
    mpeg2[1] = '\xF3';
    const QByteArray content = mpeg2.left(100) + unreadable + mpeg2.mid(100);
    cMP3ID3v2 tag = open(content);
    tag.Title(QStringLiteral("first"));
    tag.Update();
    tag.Title(QStringLiteral("second"));
    EXPECT_NO_THROW(tag.Update());
    const QByteArray after = readAll(path());
    EXPECT_EQ(after.mid(tagLength(after)), content);
    cMP3ID3v2 back;
    back.MP3File(path());
    EXPECT_EQ(back.Title(), QStringLiteral("second"));
}

TEST_F(ID3v2WriteTest, CommentEditReplacesTheCommentThatIsRead)
{
    const QByteArray old1("\0eng\0old1", 9);
    const QByteArray old2("\0deu\0old2", 9);
    struct Case {
        const char* name;
        std::vector<RawFrame> frames;
        QByteArray replaced;  // the frame that becomes the new comment, in its place
        QByteArray kept;
    };
    const std::vector<Case> cases = {
        {"two plain comments", {{"COMM", old1}, {"COMM", old2}}, frame("COMM", QByteArray("\0eng\0x", 6)),
         frame("COMM", old2)},
        // A comment read from a frame with an id in mixed case is written under its proper id.
        {"id in mixed case", {{"cOMM", old1}, {"TIT2", latin1Text("t")}}, frame("COMM", QByteArray("\0eng\0x", 6)),
         frame("TIT2", latin1Text("t"))},
        {"mixed case before upper case", {{"cOMM", old1}, {"COMM", old2}}, frame("COMM", QByteArray("\0eng\0x", 6)),
         frame("COMM", old2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cMP3ID3v2 tag = open(buildTag(3, c.frames, 20) + fakeAudio(500));
        EXPECT_EQ(tag.Comment(), QStringLiteral("old1"));
        tag.Comment(QStringLiteral("x"));
        tag.Update();
        const QByteArray after = readAll(path());
        const qsizetype at = after.indexOf(c.replaced);
        EXPECT_GE(at, 10) << after.left(80).toHex().constData();
        EXPECT_GT(after.indexOf(c.kept), at);
        EXPECT_FALSE(after.contains("old1"));
        cMP3ID3v2 back;
        back.MP3File(path());
        EXPECT_EQ(back.Comment(), QStringLiteral("x"));
    }
}

TEST_F(ID3v2WriteTest, LyricsKeepTheirLanguageAndDescription)
{
    const QByteArray zho = QByteArray("\0zho", 4) + "verse" + QByteArray(1, '\0') + "words";
    struct Case {
        const char* name;
        std::vector<RawFrame> frames;
        const char* lyrics;  // set through Lyrics()
        QByteArray written;  // the lyrics frame afterwards
    };
    const std::vector<Case> cases = {
        {"set to what they are", {{"USLT", zho}, {"TYER", latin1Text("2003")}}, "words", frame("USLT", zho)},
        {"changed", {{"USLT", zho}}, "new", frame("USLT", QByteArray("\0zho", 4) + "verse" + QByteArray(1, '\0') + "new")},
        {"none before", {{"TIT2", latin1Text("t")}}, "new", frame("USLT", QByteArray("\0\0nt\0new", 8))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cMP3ID3v2 tag = open(buildTag(3, c.frames, 20) + fakeAudio(500));
        tag.Year(QStringLiteral("2011"));
        tag.Lyrics(QLatin1String(c.lyrics));
        tag.Update();
        const QByteArray after = readAll(path());
        EXPECT_GE(after.indexOf(c.written), 10) << after.left(80).toHex().constData();
        cMP3ID3v2 back;
        back.MP3File(path());
        EXPECT_EQ(back.Lyrics(), QLatin1String(c.lyrics));
        EXPECT_EQ(back.TagsInFrame(QStringLiteral("USLT")), 1);
    }
}

// The MPEG stream behind a tag whose size is too large: a LAME-style first frame, whose header
// is followed by zero bytes.
QByteArray mpegBehindTag()
{
    return QByteArray("\xFF\xFB\x90\x64", 4) + QByteArray(32, '\0') + "Info" + fakeAudio(3000).mid(2);
}

TEST_F(ID3v2WriteTest, ASizeThatRunsIntoTheAudioEndsTheTagWhereItsFramesAndPaddingEnd)
{
    const QByteArray audio = mpegBehindTag();
    const std::vector<RawFrame> frames = {{"TIT2", latin1Text("Song")}, {"TPE1", latin1Text("Artist")}};
    struct Case {
        const char* name;
        int padding;
        uint32_t extra;     // added to the true size
        bool absolute;      // `extra` is the whole size field
        const char* title;  // set before the write: a short one fits in place, a long one does not
    };
    const std::vector<Case> cases = {
        {"no padding, size 500, in place", 0, 500, true, "S"},
        {"no padding, size 500, rebuilt", 0, 500, true, "A much longer title than the old one"},
        {"padding, size 100 too large, in place", 64, 100, false, "Other"},
        {"padding, size 100 too large, rebuilt", 64, 100, false, "A title longer than the old frames and padding together"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray tag = buildTag(3, frames, c.padding);
        tag.replace(6, 4, syncsafe(c.absolute ? c.extra : uint32_t(tag.size() - 10) + c.extra));
        cMP3ID3v2 tag0 = open(tag + audio);
        QStringList ids;
        for (long i = 1; i <= tag0.FrameCount(); ++i)
            ids << tag0.Frame(i);
        EXPECT_EQ(ids, QStringList({"TIT2", "TPE1"}));
        tag0.Title(QLatin1String(c.title));
        ASSERT_NO_THROW(tag0.Update());
        const QByteArray after = readAll(path());
        EXPECT_TRUE(after.mid(tagLength(after)) == audio) << "tag " << tagLength(after) << " bytes of " << after.size();
        cMP3ID3v2 back;
        back.MP3File(path());
        EXPECT_EQ(back.Title(), QLatin1String(c.title));
        EXPECT_EQ(back.Artist(), QStringLiteral("Artist"));
        EXPECT_EQ(back.FrameCount(), 2);
    }
}

TEST_F(ID3v2WriteTest, TagOfTheEarlierWriterIsReplacedInPlace)
{
    QByteArray old = QByteArray("ID3\x03\0\0", 6) + be32(2048) + frame("TIT2", latin1Text(QByteArray(1500, 'L')));
    old += QByteArray(2048 - old.size(), '\0');
    const QByteArray audio = fakeAudio(1000);
    cMP3ID3v2 tag = open(old + audio);
    tag.Title(QStringLiteral("short"));
    tag.Update();
    const QByteArray after = readAll(path());
    EXPECT_EQ(after.size(), old.size() + audio.size());
    EXPECT_EQ(tagLength(after), 2048);
    EXPECT_EQ(after.mid(2048), audio);
}

TEST_F(ID3v2WriteTest, FailedRebuildLeavesTheFileAndNoLeftovers)
{
    const QByteArray content = buildTag(3, {{"TIT2", latin1Text("old")}}, 20) + fakeAudio(20000);
    cMP3ID3v2 tag = open(content);
    tag.Lyrics(QString(5000, QLatin1Char('l')));
    {
        FileSizeLimit limit(8000);
        try {
            tag.Update();
            ADD_FAILURE() << "no error";
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), 61);
            EXPECT_TRUE(e.source().endsWith(QStringLiteral(".cMP3ID3v2")));
        }
    }
    EXPECT_EQ(readAll(path()), content);
    EXPECT_EQ(filesInFolder(), QStringList{QStringLiteral("a.mp3")});
}

TEST_F(ID3v2WriteTest, RebuildKeepsPermissionsAndWritesThroughSymbolicLinks)
{
    const QByteArray audio = fakeAudio(3000);
    writeAll(path(QStringLiteral("real.mp3")), audio);
    QFile::setPermissions(path(QStringLiteral("real.mp3")), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    const QFile::Permissions before = QFile::permissions(path(QStringLiteral("real.mp3")));
    ASSERT_TRUE(QFile::link(path(QStringLiteral("real.mp3")), path(QStringLiteral("link.mp3"))));
    cMP3ID3v2 tag;
    tag.MP3File(path(QStringLiteral("link.mp3")));
    tag.Title(QStringLiteral("linked"));
    tag.Update();
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("link.mp3"))).isSymLink());
    EXPECT_EQ(QFile::permissions(path(QStringLiteral("real.mp3"))), before);
    const QByteArray after = readAll(path(QStringLiteral("real.mp3")));
    EXPECT_EQ(after.mid(tagLength(after)), audio);
}

TEST_F(ID3v2WriteTest, AFileThatIsNotThereIsNeverCreated)
{
    // Never there, and deleted after the read.
    writeAll(path(QStringLiteral("gone.mp3")), buildTag(3, {{"TIT2", latin1Text("old")}}) + fakeAudio(100));
    for (const QString& name : {QStringLiteral("new.mp3"), QStringLiteral("gone.mp3")}) {
        SCOPED_TRACE(name.toStdString());
        cMP3ID3v2 tag;
        try {
            tag.MP3File(path(name));
        } catch (const NumberedError&) {
        }
        QFile::remove(path(name));
        tag.Title(QStringLiteral("t"));
        try {
            tag.Update();
            ADD_FAILURE() << "no error";
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), 53);
            EXPECT_TRUE(e.source().endsWith(QStringLiteral(".cMP3ID3v2")));
        }
        EXPECT_FALSE(QFileInfo::exists(path(name)));
    }
    EXPECT_EQ(filesInFolder(), QStringList());
}

TEST_F(ID3v2WriteTest, Version24RecordingTimeKeepsWhat23CanHold)
{
    struct Case {
        const char* stamp;
        std::vector<std::pair<QByteArray, QByteArray>> frames;  // id and text, as written
    };
    const std::vector<Case> cases = {
        {"2003", {{"TYER", "2003"}}},
        {"2003-05", {{"TYER", "2003"}}},
        {"2003-05-12", {{"TYER", "2003"}, {"TDAT", "1205"}}},
        {"2003-05-12T14", {{"TYER", "2003"}, {"TDAT", "1205"}}},
        {"2003-05-12T14:30", {{"TYER", "2003"}, {"TDAT", "1205"}, {"TIME", "1430"}}},
        {"2003-05-12T14:30:59", {{"TYER", "2003"}, {"TDAT", "1205"}, {"TIME", "1430"}}},
        {"2003-5-12", {{"TYER", "2003"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stamp);
        const QByteArray audio = fakeAudio(300);
        cMP3ID3v2 tag = open(buildTag(4, {{"TIT2", latin1Text("t")}, {"TDRC", utf8Text(QLatin1String(c.stamp))}}) + audio);
        QByteArray expected = QByteArray("ID3\x03\0\0\0\0\0\0", 10) + frame("TIT2", QByteArray("\0t", 2));
        for (const auto& [id, text] : c.frames)
            expected += frame(id, '\0' + text);
        EXPECT_EQ(tag.BuildTagBuffer(), expected + QByteArray(4, '\0'));
        tag.Update();
        const QByteArray after = readAll(path());
        EXPECT_EQ(after.mid(tagLength(after)), audio);
        EXPECT_FALSE(after.contains("TDRC"));
    }
}

TEST_F(ID3v2WriteTest, TheYearSetIsTheOnlyYearTheTagKeeps)
{
    // Version 2.3 tags of other taggers that hold the recording time of 2.4, with or without a
    // year of their own, in both orders.
    const std::vector<std::vector<RawFrame>> tags = {
        {{"TDRC", latin1Text("2003-05-12")}, {"TIT2", latin1Text("t")}},
        {{"TYER", latin1Text("2003")}, {"TDRC", latin1Text("2003")}},
        {{"TDRC", latin1Text("2003")}, {"TYER", latin1Text("2003")}},
    };
    for (const auto& frames : tags) {
        SCOPED_TRACE(frames.front().id.constData());
        cMP3ID3v2 tag = open(buildTag(3, frames, 100) + fakeAudio(300));
        EXPECT_EQ(tag.Year(), QStringLiteral("2003"));
        tag.Year(QStringLiteral("2011"));
        tag.Update();
        const QByteArray after = readAll(path());
        EXPECT_FALSE(after.contains("TDRC"));
        EXPECT_TRUE(after.contains(frame("TYER", QByteArray("\0" "2011", 5))));
        EXPECT_FALSE(after.contains("2003"));
        cMP3ID3v2 back;
        back.MP3File(path());
        EXPECT_EQ(back.Year(), QStringLiteral("2011"));
        EXPECT_EQ(back.TagsInFrame(QStringLiteral("TYER")), 1);
    }
}

TEST_F(ID3v2WriteTest, RemovedValuesAreNotWrittenAndOrderIsKept)
{
    cMP3ID3v2 tag = open(fakeAudio(100));
    tag.AddTag(QStringLiteral("TXXX"), QStringLiteral("first"));
    tag.AddTag(QStringLiteral("TXXX"), QStringLiteral("second"));
    tag.RemoveTag(QStringLiteral("TXXX"), 1);
    EXPECT_EQ(tag.BuildTagBuffer(), QByteArray("ID3\x03\0\0\0\0\0\0", 10) + frame("TXXX", QByteArray("\0\0second", 8)) +
                                        QByteArray(4, '\0'));
}

TEST_F(ID3v2WriteTest, BothTagsTogetherKeepEachOther)
{
    const QByteArray audio = fakeAudio(2500);
    writeAll(path(), audio);
    cMP3ID3v1 v1;
    v1.MP3File(path());
    v1.Title(QStringLiteral("one"));
    v1.Update();
    cMP3ID3v2 v2;
    v2.MP3File(path());
    v2.Title(QStringLiteral("two"));
    v2.Update();
    v1.MP3File(path());
    EXPECT_TRUE(v1.HasID3v1Tag());
    EXPECT_EQ(v1.Title(), QStringLiteral("one"));
    v2.MP3File(path());
    EXPECT_EQ(v2.Title(), QStringLiteral("two"));
    const QByteArray after = readAll(path());
    EXPECT_EQ(after.mid(tagLength(after), audio.size()), audio);
}

TEST_F(ID3v2WriteTest, TinyFilesKeepTheirBytesBehindTheNewTag)
{
    for (int size : {0, 1, 128}) {
        SCOPED_TRACE(size);
        const QByteArray content = size == 128 ? "TAG" + QByteArray(125, 'x') : QByteArray(size, 'a');
        cMP3ID3v2 tag = open(content);
        EXPECT_FALSE(tag.HasID3v2Tag());
        tag.Title(QStringLiteral("tiny"));
        tag.Update();
        const QByteArray after = readAll(path());
        EXPECT_EQ(tagLength(after), 2048);
        EXPECT_EQ(after.mid(2048), content);
        cMP3ID3v2 back;
        back.MP3File(path());
        EXPECT_EQ(back.Title(), QStringLiteral("tiny"));
    }
}

}  // namespace
