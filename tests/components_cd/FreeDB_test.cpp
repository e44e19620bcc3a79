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
    // libcddb puts two blanks before the length; the fields are what count.
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
        CddbServer server(CddbServer::EntryWithoutRevision);
        useServer(server);
        db->Timeout(3);  // the library waits for the rest of an entry it cannot place
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
    qputenv("QUILLMERE_CDDB_SERVER", saved);
}

}  // namespace
