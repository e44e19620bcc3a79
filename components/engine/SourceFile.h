// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// Opening the files the program reads (audio sources, cue sheets, disc images), and the names
// it can give the file system. Every reader opens its file here, so none of them ever waits on
// a FIFO without a writer or on a device, and every refusal says what the path really names.
// Plain functions, thread-safe; the texts name the file.

#include <QByteArray>
#include <QString>

#include "foundation/NativeNames.h"

#include <cstdint>

namespace engine {

// What a path names, as far as reading it goes.
enum class FileKind { Regular, Folder, Fifo, Device, Socket, Other };

FileKind fileKindOf(unsigned mode);
// "a folder", "a FIFO", "a device", "a socket": the words every refusal uses for the kind.
QString fileKindWords(FileKind kind);
// "'<path>' is not a regular file (a FIFO)."
QString notRegularFileText(const QString& path, FileKind kind);

// A source opened for reading. fd >= 0 on success (a regular file, or a folder when allowed;
// the caller closes it). On failure fd is -1 and either `error` holds the system's errno, or
// `kind` says what the path names instead of a regular file.
struct SourceOpen {
    int fd = -1;
    int error = 0;
    FileKind kind = FileKind::Regular;
    int64_t size = 0;
};
// Never blocks: the file is opened with O_NONBLOCK and looked at through the open descriptor
// (so a FIFO swapped in after any earlier look is still caught), and the flag is cleared again
// for a regular file.
SourceOpen openSourceFile(const QString& path, bool allowFolder = false);
// The user text for a failed open: does not exist, cannot be named, not a regular file, or
// the system's reason.
QString sourceOpenErrorText(const QString& path, const SourceOpen& opened);

// A regular file whose size reads 0 but that gives bytes when read (the kernel's own status
// files): true when the open descriptor delivers at least one byte at offset 0.
bool holdsBytesDespiteSizeZero(int fd);
QString sizeZeroWithBytesText(const QString& path);

}  // namespace engine
