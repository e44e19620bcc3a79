// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "foundation/DateValue.h"

#include <QString>

#include <cstdint>

// A file time: 100-nanosecond units since 1 January 1601, 00:00, in two unsigned halves.
struct FILETIME {
    uint32_t dwLowDateTime = 0;
    uint32_t dwHighDateTime = 0;
};

DateValue FileTimeToDate(const FILETIME& ft);
// The file time of a moment (UTC).
FILETIME FileTimeFromDateTime(const QDateTime& utc);
// Created (birth time where the file system keeps one, else last written), last accessed and
// last written. Returns true when it FAILED; the out values are then left alone.
bool GetFileTimes(const QString& sFile, DateValue& dtCreated, DateValue& dtAccessed, DateValue& dtWritten,
                  bool bLocalTime);
// Local creation time, or date value 0 when it cannot be read.
DateValue GetFileCreated(const QString& sFile);

// What adding a file asks of it, from one look at it: whether it is there, a folder, its size
// and its local creation time (as GetFileCreated gives it; date value 0 when it is not there).
// Thread-safe.
struct FileLook {
    bool exists = false;
    bool isFolder = false;
    unsigned mode = 0;  // the file's type and permission bits (st_mode)
    qint64 size = 0;
    DateValue created;
    int createdUtcOffset = 0;  // seconds ahead of UTC the local clock was at that moment
    // created as a date-time at that offset: the same reading and moment as created.toDateTime(),
    // made without the time-zone look-up a local date-time costs. Invalid when not there.
    QDateTime createdDateTime() const;
};
FileLook LookAtFile(const QString& sFile);
