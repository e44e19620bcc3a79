// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace cddbfixture {

// The entry of the two-track disc, as a server sends it, closing "." included.
inline QByteArray entry()
{
    return "# xmcd\r\n#\r\n# Track frame offsets:\r\n#\t150\r\n#\t375\r\n#\r\n# Disc length: 9 seconds\r\n#\r\n"
           "# Revision: 1\r\n# Submitted via: fixture 1.0\r\n#\r\n"
           "DISCID=07000702\r\nDTITLE=Les Artistes / \xc3\x89t\xc3\xa9 Album\r\nDYEAR=2001\r\nDGENRE=Misc\r\n"
           "TTITLE0=Premi\xc3\xa8re chanson\r\nTTITLE1=Second\r\nEXTD=\r\nEXTT0=\r\nEXTT1=\r\nPLAYORDER=\r\n.\r\n";
}

// The "cddb query" line for a disc of tracks of these lengths (in sectors), with the disc ID as
// the CDDB documents define it, written out here apart from the program's: offsets in frames
// from the start of the lead-in (the first track at 150), the disc length in whole seconds of the
// lead-out's offset.
inline QString standardQuery(const QList<int>& trackSectors)
{
    const int trackCount = int(trackSectors.size());
    QList<int> offsets;
    int at = 150;
    for (int i = 0; i < trackCount; ++i) {
        offsets << at;
        at += trackSectors.at(i);
    }
    const int leadOutSeconds = at / 75;
    int n = 0;
    for (const int offset : offsets)
        for (int seconds = offset / 75; seconds > 0; seconds /= 10)
            n += seconds % 10;
    const unsigned id = (unsigned(n % 255) << 24) | (unsigned(leadOutSeconds - offsets.first() / 75) << 8) | unsigned(trackCount);
    QString query = QStringLiteral("cddb query %1 %2").arg(id, 8, 16, QLatin1Char('0')).arg(trackCount);
    for (const int offset : offsets)
        query += QStringLiteral(" %1").arg(offset);
    return query + QStringLiteral(" %1").arg(leadOutSeconds);
}

// A CDDB server on 127.0.0.1 (an ephemeral port) that answers the protocol's commands from a
// script and records every line it receives. Match answers "cddb read" with `readReply` (the
// entry above unless given); Silent accepts connections and never says a word.
class CddbServer {
public:
    enum Mode { Match, NoMatch, Silent };

    explicit CddbServer(Mode mode, QByteArray readReply = entry()) : m_mode(mode), m_readReply(std::move(readReply))
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
    // What "cddb query" is answered with instead of the mode's reply, as the server sends it.
    void answerQueryWith(const QByteArray& reply)
    {
        std::lock_guard lock(m_mutex);
        m_queryReply = reply;
    }
    // While held, "cddb read" is answered only once released: a test decides when the look-up
    // may finish, whatever the load of the machine.
    void holdRead(bool hold) { m_holdRead = hold; }
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

    // A client that hung up early must not end the test process with SIGPIPE.
    void send(int fd, const QByteArray& bytes) { (void)!::send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL); }

    void converse(int fd)
    {
        if (m_mode != Silent)
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
            while ((eol = buffer.indexOf('\n')) >= 0 && m_mode != Silent) {
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
                else if (line.startsWith(QLatin1String("cddb query")) && !queryReply().isEmpty())
                    send(fd, queryReply());
                else if (line.startsWith(QLatin1String("cddb query")))
                    send(fd, m_mode == NoMatch ? QByteArray("202 No match found\r\n")
                                               : QByteArray("200 misc 07000702 Les Artistes / \xc3\x89t\xc3\xa9 Album\r\n"));
                else if (line.startsWith(QLatin1String("cddb read"))) {
                    while (m_holdRead && !m_stop)
                        std::this_thread::sleep_for(std::chrono::milliseconds(10));
                    send(fd, "210 misc 07000702 CD database entry follows\r\n" + m_readReply);
                } else if (line == QLatin1String("quit")) {
                    send(fd, "230 Bye\r\n");
                    return;
                } else
                    send(fd, "500 Unrecognized command\r\n");
            }
        }
    }

    QByteArray queryReply() const
    {
        std::lock_guard lock(m_mutex);
        return m_queryReply;
    }

    Mode m_mode;
    QByteArray m_readReply;
    QByteArray m_queryReply;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_holdRead{false};
    std::thread m_thread;
    mutable std::mutex m_mutex;
    QStringList m_lines;
};

}  // namespace cddbfixture
