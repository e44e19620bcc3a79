// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/mdlFileTime.h"

#include "foundation/VbNumbers.h"

#include <QFile>
#include <QTimeZone>

#include <fcntl.h>
#include <time.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// 100-nanosecond units between 1 January 1601 and 1 January 1970.
constexpr int64_t kUnixEpochIn1601Units = 116444736000000000LL;

struct Moment {
    int64_t sec = 0;
    uint32_t nsec = 0;
};

FILETIME fromMoment(const Moment& m)
{
    const uint64_t units = static_cast<uint64_t>(kUnixEpochIn1601Units + m.sec * 10000000LL + m.nsec / 100);
    return FILETIME{static_cast<uint32_t>(units & 0xFFFFFFFFu), static_cast<uint32_t>(units >> 32)};
}

// Seconds ahead of UTC the local clock was at that moment. The C library's converter with a
// buffer of our own reads the time zone once, where a local QDateTime looks at the zone file
// on every call (four system calls per file when thousands are added); Qt's own local-time
// calls still re-read it, so a changed zone is seen from the next of those on.
int64_t localOffset(int64_t sec)
{
    const time_t t = static_cast<time_t>(sec);
    struct tm local {};
    if (::localtime_r(&t, &local) == nullptr)
        return QDateTime::fromSecsSinceEpoch(sec).offsetFromUtc();
    return local.tm_gmtoff;
}

// The moment as the local clock read it then.
Moment toLocal(const Moment& m) { return Moment{m.sec + localOffset(m.sec), m.nsec}; }

Moment createdOf(const struct statx& sx)
{
    // File systems without a birth time report none; the last write is the best stand-in.
    return (sx.stx_mask & STATX_BTIME) ? Moment{sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec}
                                       : Moment{sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec};
}

}  // namespace

DateValue FileTimeToDate(const FILETIME& ft)
{
    const double seconds = (static_cast<double>(ft.dwHighDateTime) * 4294967296.0 + static_cast<double>(ft.dwLowDateTime))
        / 10000000.0;
    const double hours = RoundHalfEven(seconds / 3600.0);
    const double rest = seconds - hours * 3600.0;
    const QDateTime start(QDate(1601, 1, 1), QTime(0, 0), QTimeZone::utc());
    const QDateTime moment = start.addSecs(static_cast<qint64>(hours) * 3600).addSecs(static_cast<qint64>(RoundHalfEven(rest)));
    // The result is a wall-clock reading: take its fields as they are (a local QDateTime made
    // of them would cost a time-zone look-up and could move a reading inside a clock change).
    return DateValue::fromDateTime(moment);
}

FILETIME FileTimeFromDateTime(const QDateTime& utc)
{
    const qint64 ms = utc.toMSecsSinceEpoch();
    const qint64 sec = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
    return fromMoment(Moment{sec, static_cast<uint32_t>((ms - sec * 1000) * 1000000)});
}

bool GetFileTimes(const QString& sFile, DateValue& dtCreated, DateValue& dtAccessed, DateValue& dtWritten, bool bLocalTime)
{
    if (sFile.isEmpty())
        return true;
    const QByteArray native = QFile::encodeName(sFile);
    struct statx sx {};
    if (::statx(AT_FDCWD, native.constData(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0)
        return true;
    Moment written{sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec};
    Moment accessed{sx.stx_atime.tv_sec, sx.stx_atime.tv_nsec};
    // File systems without a birth time report none; the last write is the best stand-in.
    Moment created = (sx.stx_mask & STATX_BTIME) ? Moment{sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec} : written;
    if (bLocalTime) {
        written = toLocal(written);
        accessed = toLocal(accessed);
        created = toLocal(created);
    }
    dtCreated = FileTimeToDate(fromMoment(created));
    dtAccessed = FileTimeToDate(fromMoment(accessed));
    dtWritten = FileTimeToDate(fromMoment(written));
    return false;
}

DateValue GetFileCreated(const QString& sFile)
{
    // Only the one time is converted: adding thousands of files asks for it once each.
    if (sFile.isEmpty())
        return DateValue(0.0);
    const QByteArray native = QFile::encodeName(sFile);
    struct statx sx {};
    if (::statx(AT_FDCWD, native.constData(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0)
        return DateValue(0.0);
    return FileTimeToDate(fromMoment(toLocal(createdOf(sx))));
}

FileLook LookAtFile(const QString& sFile)
{
    FileLook look;
    if (sFile.isEmpty())
        return look;
    const QByteArray native = QFile::encodeName(sFile);
    struct statx sx {};
    if (::statx(AT_FDCWD, native.constData(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0)
        return look;
    look.exists = true;
    look.isFolder = S_ISDIR(sx.stx_mode);
    look.mode = sx.stx_mode;
    look.size = look.isFolder ? 0 : static_cast<qint64>(sx.stx_size);
    const Moment created = createdOf(sx);
    look.createdUtcOffset = static_cast<int>(localOffset(created.sec));
    look.created = FileTimeToDate(fromMoment(Moment{created.sec + look.createdUtcOffset, created.nsec}));
    return look;
}

QDateTime FileLook::createdDateTime() const
{
    if (!exists)
        return {};
    return QDateTime(created.date(), created.time(), Qt::OffsetFromUTC, createdUtcOffset);
}
