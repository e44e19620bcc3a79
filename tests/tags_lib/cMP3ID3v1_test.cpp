// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tags/lib/cMP3ID3v1.h"

#include "foundation/NumberedError.h"
#include "tests/tags_lib/TagFixtures.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tagfix;

namespace {

class ID3v1Test : public ::testing::Test {
protected:
    QString path(const QString& name = QStringLiteral("a.mp3")) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

QByteArray record(const QByteArray& title, const QByteArray& artist, const QByteArray& album, const QByteArray& year,
                  const QByteArray& comment, char zero, char track, char genre)
{
    auto pad = [](QByteArray s, int n) -> QByteArray { return s + QByteArray(n - s.size(), '\0'); };
    return "TAG" + pad(title, 30) + pad(artist, 30) + pad(album, 30) + pad(year, 4) + pad(comment, 28) + zero + track +
           genre;
}

TEST_F(ID3v1Test, SmallFilesHaveNoTagAndUpdateLeavesThemAlone)
{
    for (int size : {1, 2, 127, 128}) {
        SCOPED_TRACE(size);
        const QByteArray content = QByteArray("TAG") .left(std::min(size, 3)) + QByteArray(std::max(0, size - 3), 'x');
        writeAll(path(), content);
        cMP3ID3v1 tag;
        tag.MP3File(path());
        EXPECT_FALSE(tag.HasID3v1Tag());
        EXPECT_EQ(tag.Genre(), 255);
        EXPECT_EQ(tag.Track(), 0);
        EXPECT_TRUE(tag.Title().isEmpty());
        tag.Title(QStringLiteral("x"));
        EXPECT_NO_THROW(tag.Update());
        EXPECT_EQ(readAll(path()), content);
    }
}

TEST_F(ID3v1Test, EmptyOrMissingFileIsRefusedOnUpdate)
{
    for (bool exists : {true, false}) {
        SCOPED_TRACE(exists);
        const QString p = path(exists ? QStringLiteral("empty.mp3") : QStringLiteral("missing.mp3"));
        if (exists)
            writeAll(p, {});
        cMP3ID3v1 tag;
        if (exists) {
            tag.MP3File(p);
            EXPECT_FALSE(tag.HasID3v1Tag());
        } else {
            EXPECT_THROW(tag.MP3File(p), NumberedError);
        }
        try {
            tag.Update();
            ADD_FAILURE() << "no error";
        } catch (const NumberedError& e) {
            // A missing file is not created to be refused as empty: it stays missing.
            EXPECT_EQ(e.number(), exists ? -2147217407 : 53);
            if (exists) {
                EXPECT_EQ(e.description(), p + QStringLiteral(" is not a valid MP3 file."));
            }
            EXPECT_TRUE(e.source().endsWith(QStringLiteral(".cMP3ID3v1"))) << e.source().toStdString();
        }
        EXPECT_EQ(QFile::exists(p), exists);
        EXPECT_EQ(QFileInfo(p).size(), 0);
    }
}

TEST_F(ID3v1Test, MissingFileReadRaisesOpenErrorAndResetsFields)
{
    writeAll(path(), fakeAudio(200) + record("T", "A", "B", "1999", "C", 0, 5, 17));
    cMP3ID3v1 tag;
    tag.MP3File(path());
    ASSERT_TRUE(tag.HasID3v1Tag());
    try {
        tag.MP3File(path(QStringLiteral("nope.mp3")));
        ADD_FAILURE() << "no error";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), 53);
        EXPECT_EQ(e.description(), QStringLiteral("File not found"));
        EXPECT_TRUE(e.source().endsWith(QStringLiteral(".cMP3ID3v1")));
    }
    EXPECT_EQ(tag.MP3File(), path(QStringLiteral("nope.mp3")));
    EXPECT_FALSE(tag.HasID3v1Tag());
    EXPECT_TRUE(tag.Title().isEmpty());
    EXPECT_TRUE(tag.Artist().isEmpty());
    EXPECT_EQ(tag.Genre(), 255);
    EXPECT_EQ(tag.Track(), 0);
}

TEST_F(ID3v1Test, FoldersAndPipesAreRefusedWithoutHanging)
{
    const QString fifo = path(QStringLiteral("pipe.mp3"));
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    for (const QString& p : {m_dir.path(), fifo}) {
        cMP3ID3v1 tag;
        try {
            tag.MP3File(p);
            ADD_FAILURE() << "no error";
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), 75);
        }
        EXPECT_THROW(tag.Update(), NumberedError);
    }
}

TEST_F(ID3v1Test, ReadsAndCleansFields)
{
    QByteArray rec = record(QByteArray("AB\0CD\0\0", 7), "  Artist  ", "", "2001", "Comment", 0, 7, 78);
    rec.replace(33 + 10, 20, QByteArray(20, ' '));  // artist padded with blanks, not NULs
    writeAll(path(), QByteArray(1, 'x') + rec);  // 129 bytes: the first byte is the audio
    cMP3ID3v1 tag;
    tag.MP3File(path());
    EXPECT_TRUE(tag.HasID3v1Tag());
    EXPECT_EQ(tag.Title(), QStringLiteral("ABCD"));
    EXPECT_EQ(tag.Artist(), QStringLiteral("Artist"));
    EXPECT_EQ(tag.Album(), QString());
    EXPECT_EQ(tag.Year(), QStringLiteral("2001"));
    EXPECT_EQ(tag.Comment(), QStringLiteral("Comment"));
    EXPECT_EQ(tag.Track(), 7);
    EXPECT_EQ(tag.Genre(), 78);
    EXPECT_EQ(tag.GenreName(tag.Genre()), QStringLiteral("Rock 'n'Roll"));
}

TEST_F(ID3v1Test, Id3v10CommentReadsAsElevenAndIsWrittenBackAsElevenLayout)
{
    const QByteArray comment30 = "123456789012345678901234567XY";  // 29 characters + 'Z' below
    QByteArray rec = record("T", "", "", "", comment30.left(28), comment30[28], 'Z', 1);
    const QByteArray audio = fakeAudio(300);
    writeAll(path(), audio + rec);
    cMP3ID3v1 tag;
    tag.MP3File(path());
    EXPECT_EQ(tag.Comment(), QString::fromLatin1(comment30.left(28)));
    EXPECT_EQ(tag.Track(), 'Z');
    tag.Update();
    const QByteArray after = readAll(path());
    ASSERT_EQ(after.size(), audio.size() + 128);
    EXPECT_EQ(after.left(audio.size()), audio);
    EXPECT_EQ(after[audio.size() + 125], '\0');
    EXPECT_EQ(after[audio.size() + 126], 'Z');
}

TEST_F(ID3v1Test, UpdateAppendsOnceThenOverwritesInPlace)
{
    const QByteArray audio = fakeAudio(1000);
    writeAll(path(), audio);
    cMP3ID3v1 tag;
    tag.MP3File(path());
    tag.Title(QStringLiteral("A title that is longer than thirty characters"));
    tag.Artist(QString());
    tag.Album(QStringLiteral("Alb"));
    tag.Year(QStringLiteral("19999"));
    tag.Comment(QStringLiteral("c") + QString(40, QLatin1Char('m')));
    tag.Genre(255);
    tag.Track(0);
    tag.Update();
    EXPECT_FALSE(tag.HasID3v1Tag()) << "describes the file as last read";

    QByteArray expected = "TAG";
    expected += QByteArray("A title that is longer than th");
    expected += QByteArray(30, ' ');
    expected += QByteArray("Alb") + QByteArray(27, ' ');
    expected += QByteArray("1999");
    expected += QByteArray("c") + QByteArray(27, 'm');
    expected += QByteArray("\0\0\xFF", 3);
    QByteArray after = readAll(path());
    ASSERT_EQ(after.size(), audio.size() + 128);
    EXPECT_EQ(after.left(audio.size()), audio);
    EXPECT_EQ(after.mid(audio.size()), expected);

    tag.Title(QStringLiteral("Second"));
    tag.Update();
    after = readAll(path());
    ASSERT_EQ(after.size(), audio.size() + 128);
    cMP3ID3v1 back;
    back.MP3File(path());
    EXPECT_TRUE(back.HasID3v1Tag());
    EXPECT_EQ(back.Title(), QStringLiteral("Second"));
    EXPECT_EQ(back.Artist(), QString());
    EXPECT_EQ(back.Year(), QStringLiteral("1999"));
    EXPECT_EQ(back.Genre(), 255);
}

TEST_F(ID3v1Test, MarkerIsCaseSensitive)
{
    for (const QByteArray& marker : {QByteArray("tag"), QByteArray("Tag")}) {
        SCOPED_TRACE(marker.constData());
        QByteArray rec = record("Old", "", "", "", "", 0, 0, 0);
        rec.replace(0, 3, marker);
        const QByteArray content = fakeAudio(50) + rec;
        writeAll(path(), content);
        cMP3ID3v1 tag;
        tag.MP3File(path());
        EXPECT_FALSE(tag.HasID3v1Tag());
        tag.Update();
        const QByteArray after = readAll(path());
        ASSERT_EQ(after.size(), content.size() + 128);
        EXPECT_EQ(after.left(content.size()), content);
        EXPECT_TRUE(after.mid(content.size()).startsWith("TAG"));
    }
}

TEST_F(ID3v1Test, CharactersOutsideLatin1AreReplacedNotDropped)
{
    writeAll(path(), fakeAudio(200));
    cMP3ID3v1 tag;
    tag.MP3File(path());
    tag.Title(QString::fromUtf8("Caf\u00e9 \u65e5"));
    tag.Update();
    cMP3ID3v1 back;
    back.MP3File(path());
    EXPECT_EQ(back.Title(), QString::fromUtf8("Caf\u00e9 ?"));
}

TEST_F(ID3v1Test, FailedAppendLeavesTheFileAsItWasAndIsReported)
{
    const QByteArray audio = fakeAudio(4000);
    writeAll(path(), audio);
    cMP3ID3v1 tag;
    tag.MP3File(path());
    tag.Title(QStringLiteral("x"));
    {
        FileSizeLimit limit(4050);  // room for part of the record only
        try {
            tag.Update();
            ADD_FAILURE() << "no error";
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), 61);
            EXPECT_TRUE(e.source().endsWith(QStringLiteral(".cMP3ID3v1")));
        }
    }
    EXPECT_EQ(readAll(path()), audio);
}

TEST_F(ID3v1Test, GenreNames)
{
    cMP3ID3v1 tag;
    const std::vector<std::pair<int, const char*>> cases = {
        {0, "Blues"},          {29, "Jazz - Funk"}, {71, "Lo - fi"},   {78, "Rock 'n'Roll"}, {122, "Drum Solo"},
        {123, ""},             {124, "Euro - House"}, {128, "Club - House"}, {146, "JPop"}, {147, "Synth Pop"},
        {148, ""},             {255, ""},
    };
    for (const auto& [code, name] : cases)
        EXPECT_EQ(tag.GenreName(static_cast<uint8_t>(code)), QString::fromLatin1(name)) << code;
    int named = 0;
    for (int code = 0; code < 256; ++code)
        named += tag.GenreName(static_cast<uint8_t>(code)).isEmpty() ? 0 : 1;
    EXPECT_EQ(named, 147);
}

}  // namespace
