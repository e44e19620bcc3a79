// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// An item's name and tags in many scripts, entered in the item properties window, saved with the
// list, loaded again, and handed from the row to the join component: every text arrives whole in
// the list, the grid and both joined files.

#include "components/cAudioJoin.h"
#include "itemsgrid/FrmItem.h"
#include "tests/itemsgrid/ItemWindowFixture.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QTemporaryDir>

#include "components/cDateTimePick.h"

namespace {

// What mutagen reads from an MP3's ID3v2 tag, frames as written (no upgrade to version 2.4).
const char* const kMp3Reader = R"PY(
import json, sys
from mutagen.id3 import ID3
from mutagen.mp3 import MP3
t = ID3(sys.argv[1], translate=False)
print(json.dumps({"title": str(t["TIT2"]), "artist": str(t["TPE1"]), "album": str(t["TALB"]),
                  "year": str(t["TYER"]), "genre": t["TCON"].text[0], "track": str(t["TRCK"]),
                  "comment": t.getall("COMM")[0].text[0], "version": t.version[1],
                  "length": MP3(sys.argv[1]).info.length}))
)PY";

QJsonObject readMp3WithPeer(const QString& file)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(kMp3Reader), file});
    EXPECT_TRUE(python.waitForFinished(30000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

// The sub-chunks of a WAV file's LIST INFO chunk, their UTF-8 texts up to the first NUL.
QHash<QByteArray, QString> infoTexts(const QByteArray& list)
{
    QHash<QByteArray, QString> out;
    if (!list.startsWith("INFO"))
        return out;
    qsizetype pos = 4;
    while (pos + 8 <= list.size()) {
        const QByteArray id = list.mid(pos, 4);
        const qsizetype size = fixtures::get32(list, pos + 4);
        QByteArray body = list.mid(pos + 8, size);
        const qsizetype nul = body.indexOf('\0');
        if (nul >= 0)
            body.truncate(nul);
        auto decoder = QStringDecoder(QStringDecoder::Utf8);
        out.insert(id, decoder.decode(body));
        EXPECT_FALSE(decoder.hasError()) << id.constData();
        pos += 8 + size + (size & 1);
    }
    return out;
}

class NonLatinRoundTrip : public ItemWindowTest {
protected:
    void SetUp() override
    {
        ItemWindowTest::SetUp();
        QProcess probe;
        probe.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QStringLiteral("import mutagen")});
        ASSERT_TRUE(probe.waitForFinished(30000) && probe.exitCode() == 0)
            << "python3-mutagen is missing: install it (tools/debian-packages.txt lists it)";
    }

    // Waits for the join's one terminal event; true for Done.
    static bool joinTo(cAudioJoin& join, const QString& output)
    {
        join.OutputFile(output);
        QSignalSpy done(&join, &cAudioJoin::Done);
        QSignalSpy aborted(&join, &cAudioJoin::Aborted);
        QSignalSpy error(&join, &cAudioJoin::Error);
        join.Join();
        QElapsedTimer t;
        t.start();
        while (done.isEmpty() && aborted.isEmpty() && error.isEmpty() && t.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_TRUE(error.isEmpty()) << (error.isEmpty() ? std::string() : error.first().at(1).toString().toStdString());
        return done.count() == 1;
    }
};

TEST_F(NonLatinRoundTrip, NameAndTagsSurviveTheListAndBothJoinedFormats)
{
    const QString source = makeWav(QStringLiteral("source.wav"), {44100, 2, 16}, 3);
    const QString list = makeListOf(QStringLiteral("Scripts"), {source});
    // With the option on, loading a list takes the tags from the source file instead of the list.
    ProgramOptions.chkCopyID3FromSource = false;
    FrmMain* f = openMain();
    ASSERT_EQ(f->cGrid1->Rows(), 1);

    const QString nonBmp = QString::fromUcs4(U"\U0001D11E");  // musical symbol G clef
    const QString name = QStringLiteral("Пісня Ὠδή 歌 أغنية e\u0301") + nonBmp;
    const struct {
        QString album, artist, comment, genre, title, track, year;
    } tags{QStringLiteral("Альбом «Зима»"),
           QStringLiteral("Καλλιτέχνης ά"),
           QStringLiteral("Коммент <b> & \"注释\"\nسطر ثان ") + nonBmp,
           QStringLiteral("موسيقى عربية"),
           QStringLiteral("歌曲の題名 — 제목 ") + nonBmp,
           QStringLiteral("٣/١٢"),
           QStringLiteral("二〇二四 n\u0303")};

    // Entered through the window; the range 00:00:01 - 00:00:02 goes with the row.
    f->cGrid1->CurrentRow(1);
    FrmItem* w = g_frmItem.get();
    w->txtItemName->setText(name);
    w->txtTagAlbum->setText(tags.album);
    w->txtTagArtist->setText(tags.artist);
    w->txtTagComment->setPlainText(tags.comment);
    w->txtTagGenre->setText(tags.genre);
    w->txtTagSong->setText(tags.title);
    w->txtTagTrack->setText(tags.track);
    w->txtTagYear->setText(tags.year);
    w->ptnConvertByTime->setChecked(true);
    w->dtStartAfter->Value(1);
    w->dtUntil->Value(2);
    w->cmdOk_Click();
    ASSERT_FALSE(g_frmItem.isLoaded()) << "the apply was refused";
    ASSERT_TRUE(box.shown.isEmpty());

    // The list file carries every text escaped, and the program opened anew loads them back.
    const QByteArray saved = fixtures::readFile(list);
    EXPECT_TRUE(saved.contains("<FLST escaped=\"1\"/>"));
    EXPECT_TRUE(saved.contains(QStringLiteral("Коммент &lt;b&gt; &amp;").toUtf8()));
    forms::unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    f = openMain();
    ASSERT_EQ(f->cGrid1->Rows(), 1);
    EXPECT_EQ(cell(1, ItemRow::COL_ITEM_NAME), name);
    EXPECT_EQ(cell(1, COL_TAG_ALBUM), tags.album);
    EXPECT_EQ(cell(1, COL_TAG_ARTIST), tags.artist);
    EXPECT_EQ(cell(1, COL_TAG_COMMENT), tags.comment);
    EXPECT_EQ(cell(1, COL_TAG_GEN), tags.genre);
    EXPECT_EQ(cell(1, COL_TAG_TITLE), tags.title);
    EXPECT_EQ(cell(1, COL_TAG_TRACK), tags.track);
    EXPECT_EQ(cell(1, COL_TAG_YEAR), tags.year);
    EXPECT_EQ(cell(1, ItemRow::COL_RANGE), QStringLiteral("00:00:01 - 00:00:02"));

    // Handed from the row to the join component, as the joiner hands its rows.
    std::unique_ptr<cAudioJoin> join = CreateAudioJoin();
    const bool whole = cell(1, COL_RANGE_ALL) == QLatin1String("1");
    join->AddFile(cell(1, COL_FILE), whole ? -1 : cell(1, COL_RANGE_START_TIME).toLong(),
                  whole ? -1 : cell(1, COL_RANGE_LENGTH_TIME).toLong());
    join->TagAlbum(cell(1, COL_TAG_ALBUM));
    join->TagArtist(cell(1, COL_TAG_ARTIST));
    join->TagComment(cell(1, COL_TAG_COMMENT));
    join->TagGenre(cell(1, COL_TAG_GEN));
    join->TagTitle(cell(1, COL_TAG_TITLE));
    join->TagTrack(cell(1, COL_TAG_TRACK));
    join->TagYear(cell(1, COL_TAG_YEAR));

    QTemporaryDir out;
    engine::Mp3FormatRecord mp3;
    mp3.Bitrate = 128;
    mp3.SampleRate = 44100;
    mp3.Mode = engine::mp3JointStereo;
    mp3.Quality = 5;
    join->DestinationFormat(3);
    join->SetMp3Format(mp3);
    const QString mp3File = out.filePath(name + QStringLiteral(".mp3"));
    ASSERT_TRUE(joinTo(*join, mp3File));
    const QJsonObject m = readMp3WithPeer(mp3File);
    EXPECT_EQ(m[QStringLiteral("version")].toInt(), 3);
    EXPECT_EQ(m[QStringLiteral("title")].toString(), tags.title);
    EXPECT_EQ(m[QStringLiteral("artist")].toString(), tags.artist);
    EXPECT_EQ(m[QStringLiteral("album")].toString(), tags.album);
    EXPECT_EQ(m[QStringLiteral("year")].toString(), tags.year);
    EXPECT_EQ(m[QStringLiteral("genre")].toString(), tags.genre);
    EXPECT_EQ(m[QStringLiteral("track")].toString(), tags.track);
    EXPECT_EQ(m[QStringLiteral("comment")].toString(), tags.comment);
    EXPECT_NEAR(m[QStringLiteral("length")].toDouble(), 1.0, 0.1);  // the range, not the file

    join->DestinationFormat(1);
    join->SetWavFormat({44100, 2, 16});
    const QString wavFile = out.filePath(name + QStringLiteral(".wav"));
    ASSERT_TRUE(joinTo(*join, wavFile));
    const auto parsed = fixtures::parseWavFile(wavFile);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->data.size(), 44100 * 4);
    const QHash<QByteArray, QString> info = infoTexts(parsed->info);
    EXPECT_EQ(info.value("INAM"), tags.title);
    EXPECT_EQ(info.value("IART"), tags.artist);
    EXPECT_EQ(info.value("IPRD"), tags.album);
    EXPECT_EQ(info.value("ICRD"), tags.year);
    EXPECT_EQ(info.value("ICMT"), tags.comment);
    EXPECT_EQ(info.value("IGNR"), tags.genre);
    EXPECT_EQ(info.value("ITRK"), tags.track);
    join->Shutdown();
}

}  // namespace
