// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// Files and tags built by the tests themselves: fake MPEG audio with a known pattern, raw
// ID3v2 tags of every version, and small file helpers.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <csignal>
#include <cstdint>
#include <utility>
#include <vector>

namespace tagfix {

inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

inline void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

// n bytes that start like an MPEG-1 Layer III frame (FF FB) and go on in a pattern that holds
// neither "ID3" nor "TAG" nor another FF FB.
inline QByteArray fakeAudio(int n)
{
    QByteArray a(n, '\0');
    uint32_t x = 12345;
    for (int i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        a[i] = static_cast<char>(0x40 + (x >> 16) % 9);  // "@" to "H"
    }
    if (n >= 2) {
        a[0] = '\xFF';
        a[1] = '\xFB';
    }
    return a;
}

inline QByteArray be32(uint32_t v)
{
    QByteArray b(4, '\0');
    b[0] = char(v >> 24);
    b[1] = char(v >> 16);
    b[2] = char(v >> 8);
    b[3] = char(v);
    return b;
}

inline QByteArray syncsafe(uint32_t v)
{
    QByteArray b(4, '\0');
    b[0] = char((v >> 21) & 0x7F);
    b[1] = char((v >> 14) & 0x7F);
    b[2] = char((v >> 7) & 0x7F);
    b[3] = char(v & 0x7F);
    return b;
}

struct RawFrame {
    QByteArray id;
    QByteArray body;
    uint16_t flags = 0;
};

// A tag as the published format lays it out: header with the syncsafe size (header not
// counted), frames with 2.2 / 2.3 / 2.4 headers, then `padding` zero bytes.
inline QByteArray buildTag(int version, const std::vector<RawFrame>& frames, int padding = 0, uint8_t flags = 0,
                           const QByteArray& extendedHeader = {})
{
    QByteArray body = extendedHeader;
    for (const RawFrame& f : frames) {
        body += f.id;
        if (version == 2) {
            const uint32_t n = static_cast<uint32_t>(f.body.size());
            body += char(n >> 16);
            body += char(n >> 8);
            body += char(n);
        } else {
            body += version == 4 ? syncsafe(static_cast<uint32_t>(f.body.size())) : be32(static_cast<uint32_t>(f.body.size()));
            body += char(f.flags >> 8);
            body += char(f.flags);
        }
        body += f.body;
    }
    body += QByteArray(padding, '\0');
    QByteArray tag("ID3");
    tag += char(version);
    tag += char(0);
    tag += char(flags);
    tag += syncsafe(static_cast<uint32_t>(body.size()));
    return tag + body;
}

inline QByteArray latin1Text(const QByteArray& s)
{
    return QByteArray(1, '\0') + s;
}

inline QByteArray utf16Text(const QString& s)
{
    QByteArray b("\x01\xFF\xFE", 3);
    for (QChar c : s) {
        b += char(c.unicode() & 0xFF);
        b += char(c.unicode() >> 8);
    }
    return b;
}

inline QByteArray utf8Text(const QString& s)
{
    return QByteArray(1, '\3') + s.toUtf8();
}

// Lets a file grow only to `limit` bytes while it lives, so that writes fail as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = m_old;
        r.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &r);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

}  // namespace tagfix
