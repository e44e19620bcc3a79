// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cFreeDB.h"
#include "tests/components_cd/CddbServer.h"
#include "tests/support/DiscImages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using cddbfixture::CddbServer;

struct Events {
    QStringList errors;
    QList<long> codes;
    QStringList states;
    QString artist, album;
    QStringList tracks;  // "n|artist|title"
};

Events lookUp(cFreeDB& db, int ms = 15000)
{
    Events e;
    QObject context;
    QObject::connect(&db, &cFreeDB::LookupError, &context, [&](long code, const QString& text) {
        e.codes << code;
        e.errors << text;
    });
    QObject::connect(&db, &cFreeDB::StateChanged, &context, [&](const QString& t) { e.states << t; });
    QObject::connect(&db, &cFreeDB::ArtistFound, &context, [&](const QString& a) { e.artist = a; });
    QObject::connect(&db, &cFreeDB::AlbumFound, &context, [&](const QString& a) { e.album = a; });
    QObject::connect(&db, &cFreeDB::TrackFound, &context, [&](const QString& artist, int n, const QString& title) {
        e.tracks << QStringLiteral("%1|%2|%3").arg(n).arg(artist, title);
    });
    db.StartQuery();
    QElapsedTimer t;
    t.start();
    while (e.errors.isEmpty() && e.tracks.size() < 2 && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 100)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return e;
}

class FreeDBTest : public testing::Test {
protected:
    void SetUp() override
    {
        // Tracks at 150 and 375 counted from the lead-in, the lead-out at 675.
        cue = discimages::WriteBinCue(dir.path(), QStringLiteral("two"), {{true, 225}, {true, 300}});
        qputenv("QUILLMERE_DRIVES", cue.toUtf8());
    }
    void TearDown() override { qputenv("QUILLMERE_DRIVES", ""); }
    void useServer(const CddbServer& server)
    {
        db->ServerHost(QStringLiteral("127.0.0.1"));
        db->ServerPort(server.port());
        db->SelectDrive(QStringLiteral("D:"));
    }

    QTemporaryDir dir;
    QString cue;
    std::unique_ptr<cFreeDB> db = CreateFreeDB();
};

TEST_F(FreeDBTest, LooksTheDiscUpAndDeliversItsUtf8Titles)
{
    CddbServer server(CddbServer::Match);
    useServer(server);
    db->Timeout(20);
    EXPECT_TRUE(db->IsConnected());
    const Events e = lookUp(*db);
    ASSERT_TRUE(e.errors.isEmpty()) << e.errors.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(e.artist, QStringLiteral("Les Artistes"));
    EXPECT_EQ(e.album, QStringLiteral("Été Album"));
    EXPECT_EQ(e.tracks, (QStringList{QStringLiteral("1|Les Artistes|Première chanson"), QStringLiteral("2|Les Artistes|Second")}));
    EXPECT_FALSE(e.states.isEmpty());

    const QStringList lines = server.lines();
    EXPECT_TRUE(lines.contains(QStringLiteral("cddb hello clsCDDB localhost clsCDDB v0.5"))) << lines.join(QLatin1Char('\n')).toStdString();
    // The fields are what count, not the blanks between them.
    QStringList simplified;
    for (const QString& line : lines)
        simplified << line.simplified();
    EXPECT_TRUE(simplified.contains(QStringLiteral("cddb query 07000702 2 150 375 9"))) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("cddb read misc 07000702")));
}

TEST_F(FreeDBTest, EveryFailureIsOneLookupErrorWithCodeTwo)
{
    {
        CddbServer server(CddbServer::NoMatch);
        useServer(server);
        const Events e = lookUp(*db);
        EXPECT_EQ(e.codes, QList<long>{2});
        EXPECT_TRUE(e.errors.value(0).contains(QStringLiteral("07000702"))) << e.errors.value(0).toStdString();
        EXPECT_TRUE(e.tracks.isEmpty());
    }
    {
        CddbServer server(CddbServer::Match, "DISCID=07000702\r\nDYEAR=2001\r\nTTITLE0=One\r\nTTITLE1=Two\r\n.\r\n");
        useServer(server);
        const Events e = lookUp(*db);
        EXPECT_EQ(e.codes, QList<long>{2});
        EXPECT_TRUE(e.errors.value(0).contains(QStringLiteral("without a title"))) << e.errors.value(0).toStdString();
        EXPECT_TRUE(e.tracks.isEmpty());
    }
    {
        // The server the test main names: a closed port on the loopback.
        auto fresh = CreateFreeDB();
        EXPECT_EQ(fresh->ServerHost(), QStringLiteral("127.0.0.1"));
        EXPECT_EQ(fresh->ServerPort(), 1);
        EXPECT_FALSE(fresh->IsConnected());
        fresh->SelectDrive(QStringLiteral("D:"));
        const Events e = lookUp(*fresh);
        EXPECT_EQ(e.codes, QList<long>{2});
        EXPECT_TRUE(e.errors.value(0).contains(QStringLiteral("127.0.0.1:1"))) << e.errors.value(0).toStdString();
    }
    {
        CddbServer server(CddbServer::Match);
        useServer(server);
        QFile::remove(cue);  // the disc was taken out
        const Events e = lookUp(*db);
        EXPECT_EQ(e.codes, QList<long>{2});
        EXPECT_TRUE(e.errors.value(0).contains(QStringLiteral("D: two.cue"))) << e.errors.value(0).toStdString();
        db->SelectDrive(QStringLiteral("K:"));
        const Events none = lookUp(*db);
        EXPECT_EQ(none.codes, QList<long>{2});
        EXPECT_TRUE(none.errors.value(0).contains(QStringLiteral("K:")));
    }
}

// A query reply the program cannot read is said to be so, quoting it; only the server's own
// "no match" says the database has no entry for the disc.
TEST_F(FreeDBTest, AQueryReplyThatCannotBeReadIsNeverANoEntry)
{
    const struct {
        const char* what;
        QByteArray reply;
        QString quoted;
    } cases[] = {
        {"a match of one word", "200 garbage\r\n", QStringLiteral("\"200 garbage\"")},
        {"a match without an entry ID", "200 misc Les Artistes / Album\r\n", QStringLiteral("\"200 misc Les Artistes / Album\"")},
        {"a list whose first line is not a match", "211 close matches\r\nnothing here\r\n.\r\n", QStringLiteral("\"nothing here\"")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CddbServer server(CddbServer::Match);
        server.answerQueryWith(c.reply);
        useServer(server);
        const Events e = lookUp(*db);
        ASSERT_EQ(e.codes, QList<long>{2});
        const QString error = e.errors.value(0);
        EXPECT_TRUE(error.contains(QStringLiteral("could not be read: ") + c.quoted)) << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("127.0.0.1:%1").arg(server.port()))) << error.toStdString();
        EXPECT_FALSE(error.contains(QStringLiteral("no entry"))) << error.toStdString();
        EXPECT_TRUE(e.tracks.isEmpty());
        // Nothing was asked for on the strength of a reply that was not read.
        for (const QString& line : server.lines())
            EXPECT_FALSE(line.startsWith(QStringLiteral("cddb read"))) << line.toStdString();
    }
}

// Entries as old servers keep them: Latin-1 text, lines of any length, a value continued on a
// second line (here inside a UTF-8 character), more titles than the disc has tracks.
TEST_F(FreeDBTest, ReadsEntriesOfEveryKindServersSend)
{
    const QByteArray longTitle(5000, 'x');
    const QString longText = QString::fromLatin1(longTitle);
    struct Case {
        const char* what;
        QByteArray entry;
        QString artist, album;
        QStringList tracks;
    } cases[] = {
        {"Latin-1", "DTITLE=Les Artistes / \xc9t\xe9 Album\r\nTTITLE0=Premi\xe8re chanson\r\nTTITLE1=Second\r\n.\r\n",
         QStringLiteral("Les Artistes"), QStringLiteral("Été Album"),
         {QStringLiteral("1|Les Artistes|Première chanson"), QStringLiteral("2|Les Artistes|Second")}},
        {"overlong lines", "DTITLE=A / " + longTitle + "\r\nTTITLE0=" + longTitle + "\r\nTTITLE1=" + longTitle + "\r\n.\r\n",
         QStringLiteral("A"), longText, {QStringLiteral("1|A|") + longText, QStringLiteral("2|A|") + longText}},
        {"continued lines", "DTITLE=Les Artistes / \xc3\r\nDTITLE=\x89t\xc3\xa9 Album\r\nTTITLE0=Part one, \r\nTTITLE0=part two\r\n"
                            "TTITLE1=Guest / Duet\r\n.\r\n",
         QStringLiteral("Les Artistes"), QStringLiteral("Été Album"),
         {QStringLiteral("1|Les Artistes|Part one, part two"), QStringLiteral("2|Guest|Duet")}},
        {"extra titles", []() -> QByteArray {
             QByteArray e = "DTITLE=Band / Record\r\n";
             for (int i = 0; i < 50; ++i)
                 e += "TTITLE" + QByteArray::number(i) + "=Song " + QByteArray::number(i + 1) + "\r\n";
             return e + ".\r\n";
         }(),
         QStringLiteral("Band"), QStringLiteral("Record"), {QStringLiteral("1|Band|Song 1"), QStringLiteral("2|Band|Song 2")}},
        {"missing titles", "DTITLE=Solo\r\nTTITLE1=Only the second\r\n.\r\n", QStringLiteral("Solo"), QStringLiteral("Solo"),
         {QStringLiteral("1|Solo|"), QStringLiteral("2|Solo|Only the second")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CddbServer server(CddbServer::Match, "# xmcd\r\n# Revision: 1\r\n# Submitted via: fixture 1.0\r\n#\r\n" + c.entry);
        useServer(server);
        const Events e = lookUp(*db);
        ASSERT_TRUE(e.errors.isEmpty()) << e.errors.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(e.artist, c.artist);
        EXPECT_EQ(e.album, c.album);
        EXPECT_EQ(e.tracks, c.tracks);
    }
}

// A reply that stops coming is a time-out, said as such, never a success with what came so far.
TEST_F(FreeDBTest, AReplyThatNeverEndsIsATimeOut)
{
    struct Case {
        const char* what;
        CddbServer::Mode mode;
        QByteArray entry;
    } cases[] = {
        {"entry without its closing line", CddbServer::Match, "DTITLE=Band / Record\r\nTTITLE0=One\r\nTTITLE1=Two\r\n"},
        {"server that never greets", CddbServer::Silent, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CddbServer server(c.mode, c.entry);
        useServer(server);
        db->Timeout(2);
        QElapsedTimer clock;
        clock.start();
        const Events e = lookUp(*db);
        EXPECT_EQ(e.codes, QList<long>{2});
        EXPECT_TRUE(e.errors.value(0).contains(QStringLiteral("did not answer within 2 seconds (time-out)"))) << e.errors.value(0).toStdString();
        EXPECT_EQ(e.errors.value(0).count(QStringLiteral("127.0.0.1:%1").arg(server.port())), 1) << e.errors.value(0).toStdString();
        EXPECT_TRUE(e.tracks.isEmpty());
        EXPECT_TRUE(e.album.isEmpty());
        EXPECT_LT(clock.elapsed(), 10000);
    }
}

// Discs whose IDs have every field at full width: a data track among the audio ones, a digit
// sum past 255 (where modulo 255 and the low byte differ), a length past 255 seconds, 99 tracks.
// The images are sparse: only their tables of contents are read.
TEST_F(FreeDBTest, SendsTheStandardDiscIdForEveryKindOfDisc)
{
    struct Disc {
        const char* what;
        QList<int> sectors;
        QList<bool> audio;
    };
    QList<Disc> discs{
        {"data track", {17000, 24000, 90000, 12345}, {true, true, false, true}},
        {"99 tracks", QList<int>(99, 4 * 75 + 31), QList<bool>(99, true)},
        {"long tracks", {}, {}},
    };
    for (int i = 0; i < 14; ++i) {
        discs.last().sectors << 75 * (200 + 30 * i) + i;  // 92 minutes: within what a sheet can address
        discs.last().audio << true;
    }
    for (const Disc& d : discs) {
        SCOPED_TRACE(d.what);
        const QString name = QString::fromLatin1(d.what).replace(QLatin1Char(' '), QLatin1Char('-'));
        QString sheet = QStringLiteral("FILE \"%1.bin\" BINARY\n").arg(name);
        int at = 0;
        for (int i = 0; i < d.sectors.size(); ++i) {
            sheet += QStringLiteral("  TRACK %1 %2\n    INDEX 01 %3:%4:%5\n")
                         .arg(i + 1, 2, 10, QLatin1Char('0'))
                         .arg(d.audio.at(i) ? QStringLiteral("AUDIO") : QStringLiteral("MODE1/2352"))
                         .arg(at / 4500, 2, 10, QLatin1Char('0'))
                         .arg(at / 75 % 60, 2, 10, QLatin1Char('0'))
                         .arg(at % 75, 2, 10, QLatin1Char('0'));
            at += d.sectors.at(i);
        }
        QFile bin(dir.filePath(name + QStringLiteral(".bin")));
        ASSERT_TRUE(bin.open(QIODevice::WriteOnly));
        ASSERT_TRUE(bin.resize(qint64(at) * 2352));
        bin.close();
        QFile cueFile(dir.filePath(name + QStringLiteral(".cue")));
        ASSERT_TRUE(cueFile.open(QIODevice::WriteOnly));
        cueFile.write(sheet.toUtf8());
        cueFile.close();
        qputenv("QUILLMERE_DRIVES", cueFile.fileName().toUtf8());

        CddbServer server(CddbServer::NoMatch);
        useServer(server);
        const Events e = lookUp(*db);
        EXPECT_EQ(e.codes, QList<long>{2});
        const QString expected = cddbfixture::standardQuery(d.sectors);
        QStringList queries;
        for (const QString& line : server.lines())
            if (line.startsWith(QLatin1String("cddb query")))
                queries << line.simplified();
        EXPECT_EQ(queries, QStringList{expected});
        EXPECT_TRUE(e.errors.value(0).contains(expected.section(QLatin1Char(' '), 2, 2))) << e.errors.value(0).toStdString();
    }
}

TEST_F(FreeDBTest, AStoppedLookUpRaisesNothing)
{
    CddbServer server(CddbServer::Match);
    useServer(server);
    Events e;
    QObject::connect(db.get(), &cFreeDB::TrackFound, [&](const QString&, int, const QString& t) { e.tracks << t; });
    QObject::connect(db.get(), &cFreeDB::StateChanged, [&](const QString& t) { e.states << t; });
    db->StartQuery();
    db->StopQuery();
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 1500)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(e.tracks.isEmpty());
    EXPECT_TRUE(e.states.isEmpty());
}

TEST_F(FreeDBTest, TheServerComesFromTheVariableOrIsThePublicOne)
{
    EXPECT_EQ(cFreeDB::DefaultServerHost(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(cFreeDB::DefaultServerPort(), 1);
    const QByteArray saved = qgetenv("QUILLMERE_CDDB_SERVER");
    qputenv("QUILLMERE_CDDB_SERVER", "cddb.example.test:8000");
    EXPECT_EQ(cFreeDB::DefaultServerHost(), QStringLiteral("cddb.example.test"));
    EXPECT_EQ(cFreeDB::DefaultServerPort(), 8000);
    qunsetenv("QUILLMERE_CDDB_SERVER");
    EXPECT_EQ(cFreeDB::DefaultServerHost(), QString::fromLatin1(cFreeDB::kPublicServer));
    EXPECT_EQ(cFreeDB::DefaultServerPort(), 8880);  // nothing is contacted here
    EXPECT_TRUE(cFreeDB::ServerVariableError().isEmpty());
    qputenv("QUILLMERE_CDDB_SERVER", saved);
}

// A mistyped variable must not send the look-up to the public server: it is an error naming
// the variable, and not even the server named elsewhere hears from the component.
TEST_F(FreeDBTest, AMalformedServerVariableIsAnErrorAndSendsNothing)
{
    const QByteArray saved = qgetenv("QUILLMERE_CDDB_SERVER");
    CddbServer server(CddbServer::Match);
    for (const QByteArray& value : {QByteArray("127.0.0.1:"), QByteArray(":8880"), QByteArray("127.0.0.1"),
                                   QByteArray("127.0.0.1:99999"), QByteArray("127.0.0.1:88x"), QByteArray("127.0.0.1:0")}) {
        SCOPED_TRACE(value.constData());
        qputenv("QUILLMERE_CDDB_SERVER", value);
        EXPECT_TRUE(cFreeDB::DefaultServerHost().isEmpty());
        EXPECT_EQ(cFreeDB::DefaultServerPort(), 0);
        const QString error = cFreeDB::ServerVariableError();
        EXPECT_TRUE(error.contains(QStringLiteral("QUILLMERE_CDDB_SERVER")) && error.contains(QString::fromLatin1(value)))
            << error.toStdString();
        auto fresh = CreateFreeDB();
        EXPECT_NE(fresh->ServerHost(), QString::fromLatin1(cFreeDB::kPublicServer));
        EXPECT_FALSE(fresh->IsConnected());
        fresh->ServerHost(QStringLiteral("127.0.0.1"));
        fresh->ServerPort(server.port());
        fresh->SelectDrive(QStringLiteral("D:"));
        const Events e = lookUp(*fresh);
        EXPECT_EQ(e.codes, QList<long>{2});
        EXPECT_EQ(e.errors.value(0), error);
    }
    qputenv("QUILLMERE_CDDB_SERVER", saved);
    EXPECT_TRUE(server.lines().isEmpty()) << server.lines().join(QLatin1Char('\n')).toStdString();
}

}  // namespace
