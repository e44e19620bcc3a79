// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cFreeDB.h"

#include "components/cd/CddbEntry.h"
#include "components/cd/Disc.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QRegularExpression>

#include <netdb.h>
#include <poll.h>
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
// No real entry comes near this; a server that keeps sending is not waited for without end.
constexpr qsizetype kMaxReply = 4 * 1024 * 1024;

constexpr const char* kServerVariable = "QUILLMERE_CDDB_SERVER";

enum class ServerVariable { Unset, Valid, Malformed };

// host:port of the variable, when it names both.
ServerVariable serverFromEnvironment(QString* host, long* port)
{
    const QString value = qEnvironmentVariable(kServerVariable).trimmed();
    if (value.isEmpty())
        return ServerVariable::Unset;
    const int colon = value.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return ServerVariable::Malformed;
    bool ok = false;
    const QString portText = value.mid(colon + 1);
    const long p = portText.toLong(&ok);
    if (!ok || p <= 0 || p > 65535 || portText != QString::number(p))
        return ServerVariable::Malformed;
    const QString h = value.left(colon);
    if (h.contains(QRegularExpression(QStringLiteral("[\\s/@]"))))
        return ServerVariable::Malformed;
    *host = h;
    *port = p;
    return ServerVariable::Valid;
}

QString serverVariableError()
{
    QString host;
    long port = 0;
    if (serverFromEnvironment(&host, &port) != ServerVariable::Malformed)
        return QString();
    return QStringLiteral("%1 is set to \"%2\", which is not host:port; nothing was looked up.")
        .arg(QLatin1String(kServerVariable), qEnvironmentVariable(kServerVariable));
}

// A plain TCP connect, so the answer is about this server and port, not about some other site.
// Returns the connected socket, or -1 with errno set (ETIMEDOUT when the time ran out).
int tcpConnect(const QString& host, long port, int timeoutMs)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int resolved = getaddrinfo(host.toUtf8().constData(), QByteArray::number(qlonglong(port)).constData(), &hints, &found);
    if (resolved != 0) {
        errno = EHOSTUNREACH;
        return -1;
    }
    int connected = -1;
    int lastError = ECONNREFUSED;
    for (addrinfo* a = found; a && connected < 0; a = a->ai_next) {
        const int fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        if (connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
            connected = fd;
            break;
        }
        lastError = errno;
        if (errno == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            const int ready = poll(&p, 1, timeoutMs);
            if (ready == 1) {
                int err = 0;
                socklen_t len = sizeof err;
                if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) == 0 && err == 0) {
                    connected = fd;
                    break;
                }
                lastError = err;
            } else {
                lastError = ready == 0 ? ETIMEDOUT : errno;
            }
        }
        ::close(fd);
    }
    freeaddrinfo(found);
    if (connected < 0)
        errno = lastError;
    return connected;
}

bool tcpConnects(const QString& host, long port, int timeoutMs)
{
    const int fd = tcpConnect(host, port, timeoutMs);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// One conversation with a CDDB server over a non-blocking socket: every reply must be complete
// within the time-out, counted from the command that asked for it. The protocol is spoken here
// rather than through a CDDB library because entries in the wild are Latin-1 as often as UTF-8,
// have lines of any length and more titles than tracks, and an entry cut short must be an error.
class CddbConversation {
public:
    CddbConversation(QString server, int timeoutSeconds) : m_server(std::move(server)), m_timeoutSeconds(timeoutSeconds) {}
    ~CddbConversation()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    bool connectTo(const QString& host, long port)
    {
        m_fd = tcpConnect(host, port, m_timeoutSeconds * 1000);
        if (m_fd >= 0)
            return true;
        if (errno == ETIMEDOUT)
            m_error = timedOut();
        else
            m_error = QStringLiteral("The CD database %1 did not answer: %2.").arg(m_server, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }

    // Sends one command line and reads the reply's status line; its code, or -1 (see error()).
    int command(const QByteArray& line, QByteArray* status)
    {
        startClock();
        if (!send(line + "\r\n"))
            return -1;
        return readStatus(status);
    }

    // The greeting a server sends on its own.
    int greeting(QByteArray* status)
    {
        startClock();
        return readStatus(status);
    }

    // The lines that follow a status line, up to the closing ".", each ended by CR LF.
    bool readBody(QByteArray* body)
    {
        QByteArray line;
        while (readLine(&line)) {
            if (line == ".")
                return true;
            if (body->size() + line.size() > kMaxReply) {
                m_error = QStringLiteral("The CD database %1 sent a reply longer than %2 MB.").arg(m_server).arg(kMaxReply >> 20);
                return false;
            }
            body->append(line).append("\r\n");
        }
        return false;
    }

    const QString& error() const { return m_error; }
    // The error for a sentence that names the server already: "it did not answer ...".
    QString errorAfterServer() const
    {
        const QString named = QStringLiteral("The CD database %1 ").arg(m_server);
        return m_error.startsWith(named) ? QStringLiteral("it ") + m_error.mid(named.size()) : m_error;
    }

private:
    QString timedOut() const
    {
        return QStringLiteral("The CD database %1 did not answer within %2 seconds (time-out).").arg(m_server).arg(m_timeoutSeconds);
    }

    void startClock() { m_clock.start(); }
    int remainingMs() const { return int(std::max<qint64>(0, qint64(m_timeoutSeconds) * 1000 - m_clock.elapsed())); }

    bool send(const QByteArray& bytes)
    {
        qsizetype sent = 0;
        while (sent < bytes.size()) {
            pollfd p{m_fd, POLLOUT, 0};
            const int ready = poll(&p, 1, remainingMs());
            if (ready == 0) {
                m_error = timedOut();
                return false;
            }
            const ssize_t n = ready < 0 ? -1 : ::send(m_fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
            if (n < 0) {
                if (errno == EINTR || errno == EAGAIN)
                    continue;
                m_error = QStringLiteral("The CD database %1 broke off the connection: %2.").arg(m_server, QString::fromLocal8Bit(strerror(errno)));
                return false;
            }
            sent += n;
        }
        return true;
    }

    // One line without its line end; a line is read whole, however long.
    bool readLine(QByteArray* line)
    {
        for (;;) {
            const qsizetype eol = m_buffer.indexOf('\n');
            if (eol >= 0) {
                *line = m_buffer.left(eol);
                m_buffer.remove(0, eol + 1);
                if (line->endsWith('\r'))
                    line->chop(1);
                return true;
            }
            if (m_buffer.size() > kMaxReply) {
                m_error = QStringLiteral("The CD database %1 sent a reply longer than %2 MB.").arg(m_server).arg(kMaxReply >> 20);
                return false;
            }
            pollfd p{m_fd, POLLIN, 0};
            const int ready = poll(&p, 1, remainingMs());
            if (ready == 0) {
                m_error = timedOut();
                return false;
            }
            char chunk[16384];
            const ssize_t n = ready < 0 ? -1 : ::recv(m_fd, chunk, sizeof chunk, 0);
            if (n < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            if (n < 0) {
                m_error = QStringLiteral("The CD database %1 broke off the connection: %2.").arg(m_server, QString::fromLocal8Bit(strerror(errno)));
                return false;
            }
            if (n == 0) {
                m_error = QStringLiteral("The CD database %1 closed the connection before its reply was complete.").arg(m_server);
                return false;
            }
            m_buffer.append(chunk, n);
        }
    }

    int readStatus(QByteArray* status)
    {
        if (!readLine(status))
            return -1;
        bool ok = false;
        const int code = status->left(3).toInt(&ok);
        if (!ok || code < 100 || code > 999 || (status->size() > 3 && status->at(3) != ' ' && status->at(3) != '-')) {
            m_error = QStringLiteral("The CD database %1 does not speak the CDDB protocol: \"%2\".")
                          .arg(m_server, cd::DecodeCddbLine(status->left(80)));
            return -1;
        }
        return code;
    }

    QString m_server;
    int m_timeoutSeconds;
    int m_fd = -1;
    QByteArray m_buffer;
    QElapsedTimer m_clock;
    QString m_error;
};

struct Request {
    QString drive;
    QString host;
    long port = 0;
    long timeout = 0;
    QString user, clientHost, clientName, clientVersion;
};

struct Result {
    bool ok = false;
    QString error;
    cd::CddbEntry entry;
};

// A field of the hello line: the protocol separates fields by blanks.
QByteArray helloField(const QString& value)
{
    QByteArray field = value.toUtf8().simplified().replace(' ', '_');
    return field.isEmpty() ? QByteArray("-") : field;
}

// The whole look-up, on the worker thread. `state` reports progress texts.
Result lookUp(const Request& r, const std::function<void(const QString&)>& state)
{
    Result result;
    auto fail = [&](const QString& message) {
        result.error = message;
        return result;
    };
    const QString variableError = serverVariableError();
    if (!variableError.isEmpty())
        return fail(variableError);
    const QString server = QStringLiteral("%1:%2").arg(r.host).arg(r.port);

    cd::Drive drive;
    if (r.drive.isEmpty() || !cd::FindDrive(r.drive, &drive))
        return fail(QStringLiteral("There is no CD drive %1 to look up.").arg(r.drive.isEmpty() ? QStringLiteral("selected") : r.drive));
    QString discError;
    const std::unique_ptr<cd::Disc> disc = cd::Disc::open(drive, &discError);
    if (!disc || disc->tracks().isEmpty())
        return fail(discError.isEmpty() ? QStringLiteral("There is no disc in the drive '%1'.").arg(drive.name) : discError);
    if (disc->tracks().size() > 99)
        return fail(QStringLiteral("The disc in the drive '%1' cannot be identified.").arg(drive.name));

    QList<int32_t> starts;
    for (const cd::TrackInfo& t : disc->tracks())
        starts << t.firstSector + 150;
    const int32_t leadOut = disc->leadOutSector() + 150;
    const QString discId = QStringLiteral("%1").arg(cd::CddbDiscId(starts, leadOut), 8, 16, QLatin1Char('0'));

    CddbConversation talk(server, int(std::clamp(r.timeout, 1L, 3600L)));
    if (!talk.connectTo(r.host, r.port))
        return fail(talk.error());
    QByteArray status;
    auto refused = [&](const char* what) {
        return fail(QStringLiteral("The CD database %1 refused the %2: \"%3\".")
                        .arg(server, QLatin1String(what), cd::DecodeCddbLine(status.left(200))));
    };
    int code = talk.greeting(&status);
    if (code < 0)
        return fail(talk.error());
    if (code != 200 && code != 201)
        return refused("connection");
    code = talk.command("cddb hello " + helloField(r.user) + ' ' + helloField(r.clientHost) + ' ' + helloField(r.clientName) + ' ' +
                            helloField(r.clientVersion),
                        &status);
    if (code < 0)
        return fail(talk.error());
    if (code != 200 && code != 402)  // 402: already shook hands
        return refused("greeting");
    // Level 6 asks for UTF-8; a server that does not know it answers at its own level.
    if (talk.command("proto 6", &status) < 0)
        return fail(talk.error());

    state(QStringLiteral("Querying %1 for the disc %2...").arg(server, discId));
    code = talk.command(cd::CddbQueryCommand(starts, leadOut), &status);
    if (code < 0)
        return fail(talk.error());
    QByteArray match;
    if (code == 200) {
        match = status.mid(4);
    } else if (code == 210 || code == 211) {  // several matches: the first one
        QByteArray list;
        if (!talk.readBody(&list))
            return fail(talk.error());
        match = list.left(list.indexOf('\r'));
    } else if (code == 202) {
        return fail(QStringLiteral("The CD database %1 has no entry for this disc (ID %2).").arg(server, discId));
    } else {
        return refused("query");
    }
    // A line that names no category and entry ID is a reply the program cannot read, never an
    // answer that there is no entry.
    QByteArray category, entryId;
    if (!cd::ParseCddbMatch(match, &category, &entryId))
        return fail(QStringLiteral("The reply of the CD database %1 to the query for the disc %2 could not be read: \"%3\".")
                        .arg(server, discId, cd::DecodeCddbLine((code == 200 ? status : match).left(200))));

    state(QStringLiteral("Reading the entry..."));
    code = talk.command("cddb read " + category + ' ' + entryId, &status);
    if (code < 0)
        return fail(talk.error());
    if (code != 210)
        return fail(QStringLiteral("The CD database %1 sent no readable entry for the disc %2: \"%3\".")
                        .arg(server, discId, cd::DecodeCddbLine(status.left(200))));
    QByteArray body;
    if (!talk.readBody(&body))
        return fail(QStringLiteral("The CD database %1 sent no complete entry for the disc %2: %3").arg(server, discId, talk.errorAfterServer()));
    (void)talk.command("quit", &status);

    result.entry = cd::ParseCddbEntry(body, int(disc->tracks().size()));
    if (result.entry.title.isEmpty())
        return fail(QStringLiteral("The CD database %1 sent an entry without a title for the disc %2.").arg(server, discId));
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
        if (!serverVariableError().isEmpty())
            return false;
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
        // The worker is detached: name resolution cannot be interrupted and every reply may take
        // up to the time-out, and a look-up given up on must not hold up the window that closes.
        // It touches nothing of the component. Its writes never raise SIGPIPE (MSG_NOSIGNAL).
        std::thread([r, post] {
            const Result result = lookUp(r, [&](const QString& text) {
                post([text](FreeDB& f) { emit f.StateChanged(text); });
            });
            post([result](FreeDB& f) {
                if (!result.ok) {
                    ++f.m_generation;
                    emit f.LookupError(kLookupFailed, result.error);
                    return;
                }
                const cd::CddbEntry& entry = result.entry;
                emit f.ArtistFound(entry.artist);
                emit f.AlbumFound(entry.title);
                const quint64 g = f.m_generation;
                for (int i = 0; i < entry.tracks.size() && f.m_generation == g; ++i) {
                    const cd::CddbTrack& t = entry.tracks.at(i);
                    emit f.TrackFound(t.artist.isEmpty() ? entry.artist : t.artist, i + 1, t.title);
                }
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
    switch (serverFromEnvironment(&host, &port)) {
    case ServerVariable::Valid:
        return host;
    case ServerVariable::Malformed:
        return QString();
    case ServerVariable::Unset:
        break;
    }
    return QString::fromLatin1(kPublicServer);
}

long cFreeDB::DefaultServerPort()
{
    QString host;
    long port = 0;
    switch (serverFromEnvironment(&host, &port)) {
    case ServerVariable::Valid:
        return port;
    case ServerVariable::Malformed:
        return 0;
    case ServerVariable::Unset:
        break;
    }
    return kPublicPort;
}

QString cFreeDB::ServerVariableError() { return serverVariableError(); }

std::unique_ptr<cFreeDB> CreateFreeDB() { return std::make_unique<FreeDB>(); }
