// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cFreeDB.h"
#include "tests/support/DiscImages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <thread>

namespace {

// The entry of the two-track disc, as a server sends it. libcddb takes in an entry only with
// the revision and submitter lines.
QByteArray entry(bool withRevision)
{
    QByteArray e = "# xmcd\r\n#\r\n# Track frame offsets:\r\n#\t150\r\n#\t375\r\n#\r\n# Disc length: 9 seconds\r\n#\r\n";
    if (withRevision)
        e += "# Revision: 1\r\n# Submitted via: fixture 1.0\r\n#\r\n";
    e += "DISCID=07000702\r\nDTITLE=Les Artistes / \xc3\x89t\xc3\xa9 Album\r\nDYEAR=2001\r\nDGENRE=Misc\r\n"
         "TTITLE0=Premi\xc3\xa8re chanson\r\nTTITLE1=Second\r\nEXTD=\r\nEXTT0=\r\nEXTT1=\r\nPLAYORDER=\r\n.\r\n";
    return e;
}

// A CDDB server on 127.0.0.1 (an ephemeral port) that answers the protocol's commands from a
// script and records every line it receives.
class CddbServer {
public:
    enum Mode { Match, NoMatch, EntryWithoutRevision };

    explicit CddbServer(Mode mode) : m_mode(mode)
    {
        m_listen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_listen, reinterpret_cast<sockaddr*>(&a), sizeof a);
        listen(m_listen, 4);
        socklen_t len = sizeof a;
        getsockname(m_listen, reinterpret_cast<sockaddr*>(&a), &len);
        m_port = ntohs(a.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~CddbServer()
    {
        m_stop = true;
        m_thread.join();
        ::close(m_listen);
    }
    int port() const { return m_port; }
    QStringList lines() const
    {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }

private:
    void serve()
    {
        while (!m_stop) {
            pollfd p{m_listen, POLLIN, 0};
            if (poll(&p, 1, 50) != 1)
                continue;
            const int fd = accept(m_listen, nullptr, nullptr);
            if (fd >= 0) {
                converse(fd);
                ::close(fd);
            }
        }
    }

    void send(int fd, const QByteArray& bytes) { (void)!::write(fd, bytes.constData(), size_t(bytes.size())); }

    void converse(int fd)
    {
        send(fd, "201 fixture CDDBP server v1.5 ready at now\r\n");
        QByteArray buffer;
        while (!m_stop) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 50) != 1)
                continue;
            char chunk[1024];
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n <= 0)
                return;
            buffer.append(chunk, int(n));
            int eol;
            while ((eol = buffer.indexOf('\n')) >= 0) {
                const QString line = QString::fromUtf8(buffer.left(eol)).trimmed();
                buffer.remove(0, eol + 1);
                {
                    std::lock_guard lock(m_mutex);
                    m_lines << line;
                }
                if (line.startsWith(QLatin1String("cddb hello")))
                    send(fd, "200 Hello and welcome\r\n");
                else if (line.startsWith(QLatin1String("proto")))
                    send(fd, "201 OK, CDDB protocol level now: " + line.mid(6).toLatin1() + "\r\n");
                else if (line.startsWith(QLatin1String("cddb query")))
                    send(fd, m_mode == NoMatch ? QByteArray("202 No match found\r\n")
                                               : QByteArray("200 misc 07000702 Les Artistes / \xc3\x89t\xc3\xa9 Album\r\n"));
                else if (line.startsWith(QLatin1String("cddb read")))
                    send(fd, "210 misc 07000702 CD database entry follows\r\n" + entry(m_mode != EntryWithoutRevision));
                else if (line == QLatin1String("quit")) {
                    send(fd, "230 Bye\r\n");
                    return;
                } else
                    send(fd, "500 Unrecognized command\r\n");
            }
        }
    }

    Mode m_mode;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    mutable std::mutex m_mutex;
    QStringList m_lines;
};

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
