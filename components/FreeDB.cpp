// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cFreeDB.h"

#include "components/cd/Disc.h"

#include <QCoreApplication>
#include <QPointer>
#include <QScopeGuard>

#include <cddb/cddb.h>

#include <netdb.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <thread>

namespace {

constexpr long kLookupFailed = 2;

// host:port of the variable, when it names both.
bool serverFromEnvironment(QString* host, long* port)
{
    const QString value = qEnvironmentVariable("QUILLMERE_CDDB_SERVER").trimmed();
    const int colon = value.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    bool ok = false;
    const long p = value.mid(colon + 1).toLong(&ok);
    if (!ok || p <= 0 || p > 65535)
        return false;
    *host = value.left(colon);
    *port = p;
    return true;
}

// A plain TCP connect, so the answer is about this server and port, not about some other site.
bool tcpConnects(const QString& host, long port, int timeoutMs)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.toUtf8().constData(), QByteArray::number(qlonglong(port)).constData(), &hints, &found) != 0)
        return false;
    bool connected = false;
    for (addrinfo* a = found; a && !connected; a = a->ai_next) {
        const int fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0)
            continue;
        if (connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
            connected = true;
        } else if (errno == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            if (poll(&p, 1, timeoutMs) == 1) {
                int err = 0;
                socklen_t len = sizeof err;
                connected = getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) == 0 && err == 0;
            }
        }
        ::close(fd);
    }
    freeaddrinfo(found);
    return connected;
}

QString text(const char* s) { return s ? QString::fromUtf8(s) : QString(); }

struct Request {
    QString drive;
    QString host;
    long port = 0;
    long timeout = 0;
    QString user, clientHost, clientName, clientVersion;
};

struct TrackResult {
    QString artist, title;
};

struct Result {
    bool ok = false;
    QString error;
    QString artist, album;
    QList<TrackResult> tracks;
};

// The whole look-up, on the worker thread. `state` reports progress texts.
Result lookUp(const Request& r, const std::function<void(const QString&)>& state)
{
    Result result;
    auto fail = [&](const QString& message) {
        result.error = message;
        return result;
    };
    const QString server = QStringLiteral("%1:%2").arg(r.host).arg(r.port);

    cd::Drive drive;
    if (r.drive.isEmpty() || !cd::FindDrive(r.drive, &drive))
        return fail(QStringLiteral("There is no CD drive %1 to look up.").arg(r.drive.isEmpty() ? QStringLiteral("selected") : r.drive));
    QString discError;
    const std::unique_ptr<cd::Disc> disc = cd::Disc::open(drive, &discError);
    if (!disc || disc->tracks().isEmpty())
        return fail(discError.isEmpty() ? QStringLiteral("There is no disc in the drive '%1'.").arg(drive.name) : discError);

    static const bool quiet = [] {
        cddb_log_set_handler([](cddb_log_level_t, const char*) {});
        return true;
    }();
    Q_UNUSED(quiet);

    cddb_conn_t* conn = cddb_new();
    cddb_disc_t* entry = cddb_disc_new();
    if (!conn || !entry) {
        if (conn)
            cddb_destroy(conn);
        if (entry)
            cddb_disc_destroy(entry);
        return fail(QStringLiteral("The CD database look-up cannot start: out of memory."));
    }
    const auto cleanup = qScopeGuard([&] {
        cddb_disc_destroy(entry);
        cddb_destroy(conn);
    });
    cddb_cache_disable(conn);
    cddb_http_disable(conn);
    cddb_set_server_name(conn, r.host.toUtf8().constData());
    cddb_set_server_port(conn, int(r.port));
    cddb_set_timeout(conn, unsigned(std::max(1L, r.timeout)));
    cddb_set_client(conn, r.clientName.toUtf8().constData(), r.clientVersion.toUtf8().constData());
    cddb_set_email_address(conn, (r.user + QLatin1Char('@') + r.clientHost).toUtf8().constData());

    // The disc ID is made of the tracks' start addresses and the disc's length, both counted
    // from the start of the lead-in's two seconds, as every CDDB client computes it.
    for (const cd::TrackInfo& t : disc->tracks()) {
        cddb_track_t* track = cddb_track_new();
        cddb_track_set_frame_offset(track, t.firstSector + 150);
        cddb_disc_add_track(entry, track);
    }
    cddb_disc_set_length(entry, unsigned((disc->leadOutSector() + 150) / 75));
    if (!cddb_disc_calc_discid(entry))
        return fail(QStringLiteral("The disc in the drive '%1' cannot be identified.").arg(drive.name));
    const QString discId = QStringLiteral("%1").arg(cddb_disc_get_discid(entry), 8, 16, QLatin1Char('0'));

    state(QStringLiteral("Querying %1 for the disc %2...").arg(server, discId));
    const int matches = cddb_query(conn, entry);
    if (matches < 0)
        return fail(QStringLiteral("The CD database %1 did not answer: %2.").arg(server, text(cddb_error_str(cddb_errno(conn)))));
    if (matches == 0)
        return fail(QStringLiteral("The CD database %1 has no entry for this disc (ID %2).").arg(server, discId));

    // The query's match line already filled in artist and title; only what the entry itself
    // brings counts, so an entry the library could not take in is recognised below.
    cddb_disc_set_title(entry, "");
    cddb_disc_set_artist(entry, "");
    state(QStringLiteral("Reading the entry..."));
    if (!cddb_read(conn, entry))
        return fail(QStringLiteral("The CD database %1 sent no readable entry for the disc %2: %3.")
                        .arg(server, discId, text(cddb_error_str(cddb_errno(conn)))));
    result.album = text(cddb_disc_get_title(entry));
    result.artist = text(cddb_disc_get_artist(entry));
    // libcddb drops every field of an entry without its revision and submitter lines.
    if (result.album.isEmpty())
        return fail(QStringLiteral("The CD database %1 sent an entry without a title for the disc %2.").arg(server, discId));
    for (cddb_track_t* t = cddb_disc_get_track_first(entry); t; t = cddb_disc_get_track_next(entry)) {
        TrackResult tr;
        tr.title = text(cddb_track_get_title(t));
        tr.artist = text(cddb_track_get_artist(t));
        if (tr.artist.isEmpty())
            tr.artist = result.artist;
        result.tracks << tr;
    }
    state(QStringLiteral("Done."));
    result.ok = true;
    return result;
}

class FreeDB final : public cFreeDB {
public:
    FreeDB()
    {
        m_host = DefaultServerHost();
        m_port = DefaultServerPort();
    }
    ~FreeDB() override { StopQuery(); }

    long Timeout() const override { return m_timeout; }
    void Timeout(long seconds) override { m_timeout = seconds; }
    QString ServerHost() const override { return m_host; }
    void ServerHost(const QString& host) override { m_host = host; }
    long ServerPort() const override { return m_port; }
    void ServerPort(long port) override { m_port = port; }
    QString UserName() const override { return m_user; }
    void UserName(const QString& name) override { m_user = name; }
    QString ClientHost() const override { return m_clientHost; }
    void ClientHost(const QString& host) override { m_clientHost = host; }
    QString ClientName() const override { return m_clientName; }
    void ClientName(const QString& name) override { m_clientName = name; }
    QString ClientVersion() const override { return m_clientVersion; }
    void ClientVersion(const QString& version) override { m_clientVersion = version; }

    bool IsConnected() const override
    {
        const long ms = std::clamp(m_timeout, 1L, 5L) * 1000;
        return tcpConnects(m_host, m_port, int(ms));
    }
    void SelectDrive(const QString& letter) override { m_drive = letter.left(2).toUpper(); }

    void StartQuery() override
    {
        StopQuery();
        const quint64 generation = m_generation;
        Request r{m_drive, m_host, m_port, m_timeout, m_user, m_clientHost, m_clientName, m_clientVersion};
        QPointer<FreeDB> self(this);
        // Results go back through the application object, which outlives every component;
        // a component deleted or stopped meanwhile is recognised there and hears nothing.
        auto post = [self, generation](std::function<void(FreeDB&)> deliver) {
            QCoreApplication* app = QCoreApplication::instance();
            if (!app)
                return;  // the program is ending
            QMetaObject::invokeMethod(
                app,
                [self, generation, deliver = std::move(deliver)] {
                    if (self && self->m_generation == generation)
                        deliver(*self);
                },
                Qt::QueuedConnection);
        };
        emitLater(generation, [r](FreeDB& f) {
            emit f.StateChanged(QStringLiteral("Connecting to %1:%2...").arg(r.host).arg(r.port));
        });
        // The worker is detached: libcddb cannot be interrupted, and a look-up given up on must
        // not hold up the window that closes. It touches nothing of the component.
        std::thread([r, post] {
            // A server that hangs up while libcddb writes would otherwise end the whole
            // program with SIGPIPE; blocked here, the write fails with EPIPE instead.
            sigset_t pipe;
            sigemptyset(&pipe);
            sigaddset(&pipe, SIGPIPE);
            pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
            const Result result = lookUp(r, [&](const QString& text) {
                post([text](FreeDB& f) { emit f.StateChanged(text); });
            });
            post([result](FreeDB& f) {
                if (!result.ok) {
                    ++f.m_generation;
                    emit f.LookupError(kLookupFailed, result.error);
                    return;
                }
                emit f.ArtistFound(result.artist);
                emit f.AlbumFound(result.album);
                const quint64 g = f.m_generation;
                for (int i = 0; i < result.tracks.size() && f.m_generation == g; ++i)
                    emit f.TrackFound(result.tracks.at(i).artist, i + 1, result.tracks.at(i).title);
            });
        }).detach();
    }

    void StopQuery() override { ++m_generation; }
    void Release() override { StopQuery(); }

private:
    void emitLater(quint64 generation, std::function<void(FreeDB&)> deliver)
    {
        QPointer<FreeDB> self(this);
        QMetaObject::invokeMethod(
            this,
            [self, generation, deliver = std::move(deliver)] {
                if (self && self->m_generation == generation)
                    deliver(*self);
            },
            Qt::QueuedConnection);
    }

    long m_timeout = 20;
    QString m_host;
    long m_port = kPublicPort;
    QString m_user = QStringLiteral("clsCDDB");
    QString m_clientHost = QStringLiteral("localhost");
    QString m_clientName = QStringLiteral("clsCDDB");
    QString m_clientVersion = QStringLiteral("v0.5");
    QString m_drive;
    quint64 m_generation = 0;  // a look-up delivers only while this is what it started with
};

}  // namespace

QString cFreeDB::DefaultServerHost()
{
    QString host;
    long port = 0;
    return serverFromEnvironment(&host, &port) ? host : QString::fromLatin1(kPublicServer);
}

long cFreeDB::DefaultServerPort()
{
    QString host;
    long port = 0;
    return serverFromEnvironment(&host, &port) ? port : kPublicPort;
}

std::unique_ptr<cFreeDB> CreateFreeDB() { return std::make_unique<FreeDB>(); }
