// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/sound/TakeRecovery.h"

#include "components/OutputTarget.h"
#include "foundation/mdlFunctions.h"
#include "platform/Paths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QtEndian>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <ctime>

namespace sound {

namespace {

QString notesFolder() { return platform::programFolder() + QStringLiteral("/takes"); }

QByteArray encoded(const QString& path) { return QFile::encodeName(path); }

QString systemError(int code) { return QString::fromLocal8Bit(std::strerror(code)); }

QString quoted(const QString& path) { return QLatin1Char('\'') + path + QLatin1Char('\''); }

QString WriteErrorText(const QString& path, int code) { return components::WriteError(path, systemError(code)); }

// A file that does not even hold its header yet may be a recording of this very moment, not yet
// locked; one this old is not.
constexpr time_t kNewbornSeconds = 10;

struct Candidate {
    QString part;
    QString target;
    QString note;  // empty when found in a folder only
};

// The name the take of `target` gets when `n - 1` names were taken: "<base> (recovered)", then
// "<base> (recovered n)", cut to what the folder takes. Never the target's own: the user records
// to that name again, and a take standing there would be one "overwrite?" away from being lost.
QString nameFor(const QString& target, int n)
{
    const QFileInfo info(target);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString mark = n == 1 ? QStringLiteral(" (recovered)") : QStringLiteral(" (recovered %1)").arg(n);
    QString base = info.suffix().isEmpty() ? info.fileName() : info.completeBaseName();
    while (!base.isEmpty() && encoded(base + mark + suffix).size() > NAME_MAX)
        base.chop(1);
    return base + mark + suffix;
}

// Renames only where nothing stands at `to`. 0, EEXIST or another errno.
int renameNew(const QString& from, const QString& to)
{
    const QByteArray a = encoded(from), b = encoded(to);
    if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // File systems without the flag: a hard link is made only where no name stands.
    if (::link(a.constData(), b.constData()) == 0) {
        ::unlink(a.constData());
        return 0;
    }
    if (errno == EEXIST)
        return EEXIST;
    struct stat st {};
    if (::lstat(b.constData(), &st) == 0)
        return EEXIST;
    return std::rename(a.constData(), b.constData()) == 0 ? 0 : errno;
}

// Makes the part file a whole WAV file of the frames on it and puts it in place. `held` is false
// when a running recorder holds it (nothing is done then).
RecoveredTake recover(const Candidate& c, const QString& reservedFile, bool* held, bool* removed)
{
    RecoveredTake r;
    r.partFile = c.part;
    r.target = c.target;
    *held = false;
    *removed = false;
    const int fd = ::open(encoded(c.part).constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        *removed = errno == ENOENT;
        r.error = QStringLiteral("The unfinished take ") + quoted(c.part) + QStringLiteral(" cannot be opened: ") +
                  systemError(errno);
        return r;
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        *held = true;
        return r;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        r.error = QStringLiteral("The unfinished take ") + quoted(c.part) + QStringLiteral(" is not a regular file.");
        return r;
    }
    unsigned char h[44];
    if (st.st_size < static_cast<off_t>(sizeof h)) {
        // Killed before a sample was written: there is nothing to keep.
        if (::time(nullptr) - st.st_mtime < kNewbornSeconds) {
            *held = true;
            return r;
        }
        ::unlink(encoded(c.part).constData());
        *removed = true;
        return r;
    }
    const auto le16 = [&h](int at) { return qFromLittleEndian<quint16>(h + at); };
    const auto le32 = [&h](int at) { return qFromLittleEndian<quint32>(h + at); };
    const int channels = ::pread(fd, h, sizeof h, 0) == static_cast<ssize_t>(sizeof h) ? le16(22) : 0;
    const int bits = channels ? le16(34) : 0;
    const int block = channels ? le16(32) : 0;
    if (channels == 0 || std::memcmp(h, "RIFF", 4) != 0 || std::memcmp(h + 8, "WAVEfmt ", 8) != 0 || le32(16) != 16 ||
        le16(20) != 1 || (bits != 8 && bits != 16) || block != channels * bits / 8 || le32(24) == 0 ||
        std::memcmp(h + 36, "data", 4) != 0) {
        r.error = QStringLiteral("The unfinished take ") + quoted(c.part) +
                  QStringLiteral(" is not a WAV file the recorder wrote; it is left as it is.");
        return r;
    }
    // Every whole frame on the file is the take's, also those written after the header's last
    // update; a frame cut short by the kill goes.
    const int64_t limit = (int64_t(UINT32_MAX) - 44) / block * block;
    int64_t data = std::min<int64_t>((st.st_size - 44) / block * block, limit);
    if (::ftruncate(fd, 44 + data + (data & 1)) != 0 && (data & 1)) {
        data -= block;
        if (::ftruncate(fd, 44 + data) != 0) {
            r.error = WriteErrorText(c.part, errno);
            return r;
        }
    }
    qToLittleEndian<quint32>(static_cast<quint32>(data + 36 + (data & 1)), h + 4);
    qToLittleEndian<quint32>(static_cast<quint32>(data), h + 40);
    if (::pwrite(fd, h, sizeof h, 0) != static_cast<ssize_t>(sizeof h) || ::fdatasync(fd) != 0) {
        r.error = WriteErrorText(c.part, errno);
        return r;
    }
    r.frames = data / block;
    r.sampleRate = static_cast<int>(le32(24));

    const QString folder = QFileInfo(c.part).absolutePath();
    const QString target = c.target.isEmpty() ? QDir(folder).filePath(QStringLiteral("Recording.wav")) : c.target;
    const QString reserved = reservedFile.isEmpty() ? QString() : QFileInfo(reservedFile).absoluteFilePath();
    for (int n = 1; n < 1000; ++n) {
        const QString to = QDir(folder).filePath(nameFor(target, n));
        if (to == reserved)
            continue;
        const int cause = renameNew(c.part, to);
        if (cause == 0) {
            r.file = to;
            *removed = true;
            return r;
        }
        if (cause != EEXIST) {
            r.error = QStringLiteral("The unfinished take ") + quoted(c.part) + QStringLiteral(" cannot be named ") +
                      quoted(to) + QStringLiteral(": ") + systemError(cause);
            return r;
        }
    }
    r.error = QStringLiteral("The unfinished take ") + quoted(c.part) + QStringLiteral(" finds no free name.");
    return r;
}

}  // namespace

TakeNote::TakeNote(const QString& partFile, const QString& targetFile)
{
    const QString folder = notesFolder();
    QDir().mkpath(folder);
    const QByteArray id = QCryptographicHash::hash(encoded(partFile), QCryptographicHash::Sha1).toHex();
    QSaveFile f(folder + QLatin1Char('/') + QString::fromLatin1(id) + QStringLiteral(".take"));
    if (!f.open(QIODevice::WriteOnly))
        return;
    f.write(partFile.toUtf8() + '\n' + targetFile.toUtf8() + '\n');
    if (f.commit())
        m_path = f.fileName();
}

TakeNote::~TakeNote()
{
    if (!m_path.isEmpty())
        QFile::remove(m_path);
}

QString RecoveredTake::text() const
{
    if (!error.isEmpty())
        return error;
    const long seconds = sampleRate > 0 ? static_cast<long>(frames / sampleRate) : 0;
    return QStringLiteral("The recording into ") + quoted(target.isEmpty() ? file : target) +
           QStringLiteral(" was cut off before it was finished; what it had recorded (") +
           FormatSecondsHMS(static_cast<int32_t>(seconds)) + QStringLiteral(") is now ") + quoted(file) +
           QLatin1Char('.');
}

QList<RecoveredTake> RecoverTakes(const QStringList& folders, const QString& reservedFile)
{
    QList<Candidate> candidates;
    QSet<QString> seen;
    const QDir notes(notesFolder());
    for (const QString& name : notes.entryList({QStringLiteral("*.take")}, QDir::Files | QDir::Hidden)) {
        QFile f(notes.filePath(name));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> lines = f.readAll().split('\n');
        f.close();
        if (lines.size() < 2 || lines.at(0).isEmpty()) {
            QFile::remove(f.fileName());
            continue;
        }
        Candidate c{QString::fromUtf8(lines.at(0)), QString::fromUtf8(lines.at(1)), f.fileName()};
        seen.insert(QFileInfo(c.part).absoluteFilePath());
        candidates << c;
    }
    for (const QString& folder : folders) {
        if (folder.isEmpty())
            continue;
        const QDir dir(folder);
        for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            QString targetName;
            if (!components::IsRecordingPartFileName(name, &targetName))
                continue;
            const QString part = QFileInfo(dir.filePath(name)).absoluteFilePath();
            if (seen.contains(part))
                continue;
            seen.insert(part);
            candidates << Candidate{part, targetName.isEmpty() ? QString() : dir.filePath(targetName), QString()};
        }
    }

    QList<RecoveredTake> done;
    for (const Candidate& c : candidates) {
        bool held = false, removed = false;
        RecoveredTake r = recover(c, reservedFile, &held, &removed);
        if (held)
            continue;
        // A note is read once: a take that cannot be put in place is reported once and left.
        if (!c.note.isEmpty())
            QFile::remove(c.note);
        if (!r.file.isEmpty() || (!r.error.isEmpty() && !c.note.isEmpty() && !removed))
            done << r;
    }
    return done;
}

}  // namespace sound
