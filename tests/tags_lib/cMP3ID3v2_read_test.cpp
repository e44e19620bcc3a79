// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tags/lib/cMP3ID3v2.h"

#include "foundation/NumberedError.h"
#include "tests/tags_lib/TagFixtures.h"

#include <gtest/gtest.h>

using namespace tagfix;

namespace {

class ID3v2ReadTest : public ::testing::Test {
protected:
    QString path(const QString& name = QStringLiteral("a.mp3")) const { return m_dir.filePath(name); }
    cMP3ID3v2 read(const QByteArray& content)
    {
        writeAll(path(), content);
        cMP3ID3v2 tag;
        tag.MP3File(path());
        return tag;
    }
    static QStringList frames(const cMP3ID3v2& tag)
    {
        QStringList ids;
        for (long i = 1; i <= tag.FrameCount(); ++i)
            ids << tag.Frame(i);
        return ids;
    }
    QTemporaryDir m_dir;
};

TEST_F(ID3v2ReadTest, FilesWithoutTag)
{
    const std::vector<std::pair<const char*, QByteArray>> cases = {
        {"empty", {}},
        {"one byte", "I"},
        {"two bytes", "ID"},
        {"audio", fakeAudio(10000)},
        {"ID3 after the first audio frame start", fakeAudio(5000) + "ID3\x03\0\0\0\0\0\0"},
    };
    for (const auto& [name, content] : cases) {
        SCOPED_TRACE(name);
        const cMP3ID3v2 tag = read(content);
        EXPECT_FALSE(tag.HasID3v2Tag());
        EXPECT_EQ(tag.ID3v2TagVersion(), 0);
        EXPECT_EQ(tag.FrameCount(), 0);
        EXPECT_EQ(tag.Genre(), 255);
    }
}

TEST_F(ID3v2ReadTest, SearchFindsTagAcrossWindowBorderAndInsideAudioWithoutStopMark)
{
    const QByteArray tag = buildTag(3, {{"TIT2", latin1Text("Found")}});
    for (int offset : {4093, 4094, 4095, 9000}) {
        SCOPED_TRACE(offset);
        QByteArray audio(offset, 'a');
        audio[0] = '\xFF';
        audio[1] = '\xF3';  // MPEG-2 audio: no FF FB stop mark
        const cMP3ID3v2 t = read(audio + tag + QByteArray(500, 'b'));
        EXPECT_TRUE(t.HasID3v2Tag());
        EXPECT_EQ(t.Title(), QStringLiteral("Found"));
    }
}

TEST_F(ID3v2ReadTest, UnknownVersionIsATagWithoutFrames)
{
    QByteArray content = buildTag(3, {{"TIT2", latin1Text("x")}}) + fakeAudio(100);
    content[3] = 5;
    const cMP3ID3v2 tag = read(content);
    EXPECT_TRUE(tag.HasID3v2Tag());
    EXPECT_EQ(tag.ID3v2TagVersion(), 5);
    EXPECT_EQ(tag.TagVersion(), 5);
    EXPECT_EQ(tag.FrameCount(), 0);
}

TEST_F(ID3v2ReadTest, Version23PropertiesAndFrameOrder)
{
    const QByteArray content =
        buildTag(3,
                 {
                     {"TPE1", latin1Text("Artist")},
                     {"TIT2", latin1Text("Title")},
                     {"TALB", latin1Text("Album")},
                     {"TYER", latin1Text("1999")},
                     {"TRCK", latin1Text("3/12")},
                     {"TENC", latin1Text("Enc")},
                     {"TCOP", latin1Text("(c) me")},
                     {"TOPE", latin1Text("Orig")},
                     {"TCOM", latin1Text("Comp")},
                     {"WXXX", QByteArray("\0home\0http://x.org/", 19)},
                     {"WOAR", "http://artist/"},
                     {"WCOM", "http://buy/"},
                     {"WOAF", "http://file/"},
                     {"COMM", QByteArray("\0engdesc\0Described", 18)},
                     {"COMM", QByteArray("\0eng\0The comment", 16)},
                     {"USLT", QByteArray("\0eng\0La la", 11)},
                     {"PCNT", QByteArray("\0\0\x01\x02", 4)},
                     {"TCON", latin1Text("(17)")},
                 },
                 512) +
        fakeAudio(3000);
    const cMP3ID3v2 tag = read(content);
    EXPECT_TRUE(tag.HasID3v2Tag());
    EXPECT_EQ(tag.ID3v2TagVersion(), 3);
    EXPECT_EQ(tag.Artist(), QStringLiteral("Artist"));
    EXPECT_EQ(tag.Title(), QStringLiteral("Title"));
    EXPECT_EQ(tag.Album(), QStringLiteral("Album"));
    EXPECT_EQ(tag.Year(), QStringLiteral("1999"));
    EXPECT_EQ(tag.Track(), QStringLiteral("3/12"));
    EXPECT_EQ(tag.EncodedBy(), QStringLiteral("Enc"));
    EXPECT_EQ(tag.Copyright(), QStringLiteral("(c) me"));
    EXPECT_EQ(tag.OriginalArtist(), QStringLiteral("Orig"));
    EXPECT_EQ(tag.Composer(), QStringLiteral("Comp"));
    EXPECT_EQ(tag.LinkTo(), QStringLiteral("http://x.org/"));
    EXPECT_EQ(tag.ArtistURL(), QStringLiteral("http://artist/"));
    EXPECT_EQ(tag.BuyURL(), QStringLiteral("http://buy/"));
    EXPECT_EQ(tag.AudioURL(), QStringLiteral("http://file/"));
    EXPECT_EQ(tag.Comment(), QStringLiteral("The comment"));
    EXPECT_EQ(tag.Lyrics(), QStringLiteral("La la"));
    EXPECT_EQ(tag.PlayCounter(), QStringLiteral("258"));
    EXPECT_EQ(tag.Genre(), 17);
    EXPECT_EQ(tag.OtherGenreName(), QStringLiteral("Rock"));
    EXPECT_EQ(frames(tag), QStringList({"TPE1", "TIT2", "TALB", "TYER", "TRCK", "TENC", "TCOP", "TOPE", "TCOM",
                                         "WXXX", "WOAR", "WCOM", "WOAF", "COMM", "USLT", "PCNT", "TCON"}));
}

TEST_F(ID3v2ReadTest, TextEncodingsAreDecoded)
{
    const QString text = QString::fromUtf8("Gr\u00fc\u00dfe \u65e5\u672c \u0416");
    QByteArray be("\x02", 1);
    for (QChar c : text) {
        be += char(c.unicode() >> 8);
        be += char(c.unicode() & 0xFF);
    }
    QByteArray bomBe("\x01\xFE\xFF", 3);
    bomBe += be.mid(1);
    struct Case {
        int version;
        QByteArray body;
        QString expected;
    };
    const std::vector<Case> cases = {
        {3, latin1Text("Caf\xe9"), QString::fromUtf8("Caf\u00e9")},
        {3, utf16Text(text), text},
        {3, utf16Text(text) + QByteArray(2, '\0'), text},
        {3, bomBe, text},
        {4, be, text},
        {4, utf8Text(text), text},
        {4, utf8Text(text) + QByteArray(1, '\0'), text},
        {4, utf8Text(QStringLiteral("A")) + QByteArray(1, '\0') + "B", QStringLiteral("A/B")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body.toHex().toStdString());
        const cMP3ID3v2 tag = read(buildTag(c.version, {{"TIT2", c.body}}, 10) + fakeAudio(100));
        EXPECT_EQ(tag.Title(), c.expected);
    }
}

TEST_F(ID3v2ReadTest, Version24SyncsafeFrameSizesAndLongFrames)
{
    const QString longTitle(300, QLatin1Char('t'));  // frame size 301: syncsafe 00 00 02 2D
    const cMP3ID3v2 tag = read(buildTag(4, {{"TIT2", utf8Text(longTitle)}, {"TPE1", utf8Text(QStringLiteral("After"))}},
                                        100) +
                               fakeAudio(200));
    EXPECT_EQ(tag.Title(), longTitle);
    EXPECT_EQ(tag.Artist(), QStringLiteral("After"));
}

TEST_F(ID3v2ReadTest, Version24RecordingTimeGivesTheYear)
{
    const cMP3ID3v2 tag = read(buildTag(4, {{"TDRC", utf8Text(QStringLiteral("2021-04-05"))}}) + fakeAudio(50));
    EXPECT_EQ(tag.Year(), QStringLiteral("2021"));
    EXPECT_EQ(frames(tag), QStringList({"TYER", "TDAT"}));
}

TEST_F(ID3v2ReadTest, Version23RecordingTimeGivesTheYearUnlessTheTagHasAYear)
{
    struct Case {
        std::vector<RawFrame> frames;
        const char* year;
    };
    const std::vector<Case> cases = {
        {{{"TDRC", latin1Text("2003-05-12")}}, "2003"},
        {{{"TDRC", latin1Text("2003")}, {"TYER", latin1Text("1999")}}, "1999"},
        {{{"TYER", latin1Text("1999")}, {"TDRC", latin1Text("2003")}}, "1999"},
    };
    for (const Case& c : cases) {
        const cMP3ID3v2 tag = read(buildTag(3, c.frames) + fakeAudio(50));
        EXPECT_EQ(tag.Year(), QLatin1String(c.year)) << frames(tag).join(QLatin1Char(' ')).toStdString();
    }
}

TEST_F(ID3v2ReadTest, HeaderFlagsAreHonoured)
{
    // Unsynchronised 2.3 tag: every FF followed by a byte of E0 or more (or 00) got a 00.
    const QString title = QString::fromUtf8("\u00ff\u00e9\u00ff");
    QByteArray plain = utf16Text(title);  // 01 FF FE FF 00 E9 00 FF 00
    auto unsynchronise = [](const QByteArray& in) {
        QByteArray out;
        for (qsizetype i = 0; i < in.size(); ++i) {
            out += in[i];
            if (uint8_t(in[i]) == 0xFF && (i + 1 == in.size() || uint8_t(in[i + 1]) >= 0xE0 || in[i + 1] == 0))
                out += '\0';
        }
        return out;
    };
    const QByteArray unsync = unsynchronise(plain);
    ASSERT_NE(unsync, plain);
    // In 2.3 the whole tag body is unsynchronised after the frames were laid out.
    QByteArray whole23 = buildTag(3, {{"TIT2", plain}, {"TPE1", latin1Text("A")}}, 10, 0x80);
    const QByteArray body23 = unsynchronise(whole23.mid(10));
    whole23 = whole23.left(6) + syncsafe(uint32_t(body23.size())) + body23;
    const QByteArray ext23 = be32(6) + QByteArray(6, '\0');
    const QByteArray ext24 = syncsafe(6) + QByteArray("\x01\x00", 2);
    struct Case {
        const char* name;
        QByteArray tag;
    };
    const std::vector<Case> cases = {
        {"unsynchronised 2.3", whole23},
        {"unsynchronised 2.4 frame", buildTag(4, {{"TIT2", unsync, 0x0002}, {"TPE1", latin1Text("A")}}, 10)},
        {"extended header 2.3", buildTag(3, {{"TIT2", plain}, {"TPE1", latin1Text("A")}}, 10, 0x40, ext23)},
        {"extended header 2.4", buildTag(4, {{"TIT2", plain}, {"TPE1", latin1Text("A")}}, 10, 0x40, ext24)},
        // Some writers set the flag without writing the header: the first frame id stands where
        // its size would be.
        {"extended header flag without the header 2.3", buildTag(3, {{"TIT2", plain}, {"TPE1", latin1Text("A")}}, 10, 0x40)},
        {"extended header flag without the header 2.4", buildTag(4, {{"TIT2", plain}, {"TPE1", latin1Text("A")}}, 10, 0x40)},
        {"2.4 data length indicator", buildTag(4, {{"TIT2", syncsafe(uint32_t(plain.size())) + plain, 0x0001},
                                                  {"TPE1", latin1Text("A")}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const cMP3ID3v2 tag = read(c.tag + fakeAudio(100));
        EXPECT_EQ(tag.Title(), title);
        EXPECT_EQ(tag.Artist(), QStringLiteral("A"));
        EXPECT_EQ(frames(tag), QStringList({"TIT2", "TPE1"}));
    }
}

TEST_F(ID3v2ReadTest, Version22FramesAreMappedAndUnmappableOnesLeftOut)
{
    const cMP3ID3v2 tag = read(buildTag(2,
                                        {
                                            {"TT2", latin1Text("Title")},
                                            {"TP1", latin1Text("Artist")},
                                            {"CRM", "owner\0data"},
                                            {"COM", QByteArray("\0eng\0Note", 9)},
                                            {"TP2", latin1Text("Band")},
                                            {"PIC", QByteArray("\0PNG\x03\0\x89PNG", 11)},
                                        },
                                        20) +
                               fakeAudio(100));
    EXPECT_EQ(tag.ID3v2TagVersion(), 2);
    EXPECT_EQ(tag.Title(), QStringLiteral("Title"));
    EXPECT_EQ(tag.Artist(), QStringLiteral("Artist"));
    EXPECT_EQ(tag.Comment(), QStringLiteral("Note"));
    EXPECT_EQ(frames(tag), QStringList({"TIT2", "TPE1", "COMM", "TPE2", "APIC"}));
}

TEST_F(ID3v2ReadTest, GenreTexts)
{
    struct Case {
        QByteArray text;
        int genre;
        const char* other;
    };
    const std::vector<Case> cases = {
        {"(17)", 17, "Rock"},         {"(17)Rock & Roll", 17, "Rock & Roll"}, {"(17)X", 17, "X"},
        {"Jazz", 255, "Jazz"},        {"(300)", 255, "(300)"},                 {"()", 255, "()"},
        {"(200)", 200, ""},           {")17(", 255, ")17("},                   {"(abc)x", 255, "(abc)x"},
        // Version 2.4 refers to a genre of the list by its bare number; other numbers are text.
        {"12", 12, "Other"},          {"35", 35, "House"},                     {"0", 0, "Blues"},
        {"123", 255, "123"},          {"200", 255, "200"},                     {"1999", 255, "1999"},
        {"-1", 255, "-1"},            {"12a", 255, "12a"},
    };
    for (int version : {3, 4}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(version) + " " + c.text.constData());
            const cMP3ID3v2 tag = read(buildTag(version, {{"TCON", latin1Text(c.text)}}) + fakeAudio(50));
            EXPECT_EQ(tag.Genre(), c.genre);
            EXPECT_EQ(tag.OtherGenreName(), QString::fromLatin1(c.other));
        }
    }
}

TEST_F(ID3v2ReadTest, TheCommentIsTheFirstCommentWithoutDescription)
{
    // Comments with a description belong to other programs (normalisation data, disc ids).
    const cMP3ID3v2 tag = read(buildTag(3, {{"COMM", QByteArray("\0engA\0first", 11)},
                                            {"COMM", QByteArray("\0deu\0second", 11)},
                                            {"COMM", QByteArray("\0eng\0third", 10)}}) +
                               fakeAudio(50));
    EXPECT_EQ(tag.Comment(), QStringLiteral("second"));
    EXPECT_EQ(tag.TagsInFrame(QStringLiteral("COMM")), 3);

    const cMP3ID3v2 describedOnly = read(buildTag(3, {{"COMM", QByteArray("\0engiTunNORM\0 0000", 19)}}) + fakeAudio(50));
    EXPECT_EQ(describedOnly.Comment(), QString());
}

TEST_F(ID3v2ReadTest, CommentStartingWithNtKeepsItsLetters)
{
    cMP3ID3v2 tag = read(fakeAudio(100));
    tag.Comment(QStringLiteral("ntuple"));
    EXPECT_EQ(tag.Comment(), QStringLiteral("ntuple"));
}

TEST_F(ID3v2ReadTest, IdsInAnyLetterCaseAreReadAsTheFrameTheListFinds)
{
    // The setters find frames without regard to letter case; a read that did otherwise would
    // show one frame while a setter replaces another.
    cMP3ID3v2 tag = read(buildTag(3, {{"tit2", latin1Text("lower")},
                                      {"TIT2", latin1Text("upper")},
                                      {"cOMM", QByteArray("\0eng\0note", 9)}}) +
                         fakeAudio(50));
    EXPECT_EQ(tag.Title(), QStringLiteral("upper"));
    EXPECT_EQ(tag.Comment(), QStringLiteral("note"));
    EXPECT_EQ(frames(tag), QStringList({"tit2", "cOMM"}));
    EXPECT_EQ(tag.TagsInFrame(QStringLiteral("TIT2")), 2);

    cMP3ID3v2 lowerOnly = read(buildTag(3, {{"tit2", latin1Text("lower")}}) + fakeAudio(50));
    EXPECT_EQ(lowerOnly.Title(), QStringLiteral("lower"));
}

TEST_F(ID3v2ReadTest, ReReadingReplacesTheWholeState)
{
    writeAll(path(QStringLiteral("a.mp3")), buildTag(3, {{"USLT", QByteArray("\0eng\0words", 10)}, {"TCON", latin1Text("(3)")}}) +
                                                 fakeAudio(100));
    writeAll(path(QStringLiteral("b.mp3")), fakeAudio(100));
    cMP3ID3v2 tag;
    tag.MP3File(path(QStringLiteral("a.mp3")));
    EXPECT_EQ(tag.Lyrics(), QStringLiteral("words"));
    EXPECT_EQ(tag.Genre(), 3);
    tag.MP3File(path(QStringLiteral("b.mp3")));
    EXPECT_EQ(tag.Lyrics(), QString());
    EXPECT_EQ(tag.Genre(), 255);
    EXPECT_EQ(tag.FrameCount(), 0);
    EXPECT_FALSE(tag.HasID3v2Tag());
}

TEST_F(ID3v2ReadTest, MissingFileRaisesOpenErrorWithClassSource)
{
    cMP3ID3v2 tag = read(buildTag(3, {{"TIT2", latin1Text("x")}}));
    try {
        tag.MP3File(path(QStringLiteral("gone.mp3")));
        ADD_FAILURE() << "no error";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), 53);
        EXPECT_TRUE(e.source().endsWith(QStringLiteral(".cMP3ID3v2")));
    }
    EXPECT_EQ(tag.FrameCount(), 0);
    EXPECT_EQ(tag.Title(), QString());
    EXPECT_FALSE(tag.HasID3v2Tag());
}

TEST_F(ID3v2ReadTest, ListOperations)
{
    cMP3ID3v2 tag = read(buildTag(3, {{"TIT2", latin1Text("a")}, {"TPE1", latin1Text("b")}, {"TALB", latin1Text("c")}}));
    tag.Title(QStringLiteral("new"));
    EXPECT_EQ(frames(tag), QStringList({"TPE1", "TALB", "TIT2"}));

    tag.AddTag(QStringLiteral("TXXX"), QStringLiteral("one"));
    tag.AddTag(QStringLiteral("TXXX"), QStringLiteral("two"));
    EXPECT_EQ(tag.TagsInFrame(QStringLiteral("TXXX")), 2);
    EXPECT_EQ(tag.TagsInFrame(4L), 2);
    tag.RemoveTag(QStringLiteral("TXXX"), 1);
    EXPECT_EQ(tag.TagsInFrame(QStringLiteral("txxx")), 1);
    tag.RemoveTag(QStringLiteral("TXXX"), 1);
    EXPECT_EQ(tag.FrameCount(), 3);
    EXPECT_EQ(tag.TagsInFrame(QStringLiteral("TXXX")), 0);

    tag.AddTag(QStringLiteral("tit2"), QStringLiteral("second"));
    EXPECT_EQ(tag.TagsInFrame(QStringLiteral("TIT2")), 2);
    EXPECT_EQ(tag.Title(), QStringLiteral("new")) << "list operations leave the properties alone";

    auto errorOf = [](auto&& call) {
        try {
            call();
        } catch (const NumberedError& e) {
            return e.number();
        }
        return 0L;
    };
    EXPECT_EQ(errorOf([&] { tag.RemoveFrame(QStringLiteral("WXYZ")); }), 5);
    EXPECT_EQ(errorOf([&] { tag.RemoveFrame(9L); }), 9);
    EXPECT_EQ(errorOf([&] { tag.RemoveTag(QStringLiteral("TIT2"), 3); }), 5);
    EXPECT_EQ(errorOf([&] { tag.Frame(0); }), 9);
    EXPECT_EQ(errorOf([&] { tag.Frame(4); }), 9);
    EXPECT_EQ(tag.FrameCount(), 3);
    tag.RemoveFrame(1L);
    EXPECT_EQ(frames(tag), QStringList({"TALB", "TIT2"}));
    EXPECT_EQ(errorOf([&] { tag.Copyright(QStringLiteral("absent before")); }), 0);
}

TEST_F(ID3v2ReadTest, GenreSettersBuildTheGenreFrameFromBothProperties)
{
    cMP3ID3v2 tag = read(fakeAudio(100));
    tag.OtherGenreName(QStringLiteral("Mine"));
    EXPECT_EQ(tag.Genre(), 255);
    tag.Genre(17);
    EXPECT_EQ(tag.OtherGenreName(), QStringLiteral("Mine"));
    tag.Update();
    cMP3ID3v2 back;
    back.MP3File(path());
    EXPECT_EQ(back.Genre(), 17);
    EXPECT_EQ(back.OtherGenreName(), QStringLiteral("Mine"));
    EXPECT_EQ(back.FrameCount(), 1);
}

TEST_F(ID3v2ReadTest, SizesBeyondTheFileAreBounded)
{
    // Header and frame sizes that claim far more than the file holds: read what is there.
    QByteArray content = buildTag(3, {{"TIT2", latin1Text("ok")}, {"TPE1", latin1Text("cut")}});
    content.replace(6, 4, QByteArray("\x7F\x7F\x7F\x7F", 4));
    const qsizetype second = content.indexOf("TPE1");
    content.replace(second + 4, 4, QByteArray("\x7F\xFF\xFF\xFF", 4));
    const cMP3ID3v2 tag = read(content);
    EXPECT_TRUE(tag.HasID3v2Tag());
    EXPECT_EQ(tag.Title(), QStringLiteral("ok"));
    EXPECT_EQ(tag.Artist(), QString());
}

TEST_F(ID3v2ReadTest, TagsOfTheEarlierWriterAreReadWhole)
{
    // This program used to store the whole tag length (2048) as a plain number.
    const QString longText(1500, QLatin1Char('L'));
    QByteArray frames;
    frames += "TIT2" + be32(1501) + QByteArray(2, '\0') + latin1Text(longText.toLatin1());
    frames += "TPE1" + be32(4) + QByteArray(2, '\0') + latin1Text("Art");
    QByteArray tag = QByteArray("ID3\x03\0\0", 6) + be32(2048) + frames;
    tag += QByteArray(2048 - tag.size(), '\0');
    const cMP3ID3v2 t = read(tag + fakeAudio(500));
    EXPECT_EQ(t.Title(), longText);
    EXPECT_EQ(t.Artist(), QStringLiteral("Art"));
}

}  // namespace
