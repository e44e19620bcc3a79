// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// A file opened once and read by position. Probing thousands of files is bound by system
// calls: one open, one fstat and one read of the file's head answer a WAV or an MP3, and the
// same descriptor can then be handed to a reader instead of opening the file again. Reads that
// fall inside the head block are served from it. One thread at a time. Private to the engine.

#include <QByteArray>
#include <QString>

#include "components/engine/SourceFile.h"

#include <cstdint>

namespace engine {

class PositionedFile {
public:
    PositionedFile() = default;
    ~PositionedFile() { close(); }
    PositionedFile(const PositionedFile&) = delete;
    PositionedFile& operator=(const PositionedFile&) = delete;

    // False with errno kept in error() when the file cannot be opened or looked at, or with
    // error() 0 and kind() saying what the path names when it is neither a regular file nor a
    // folder (a FIFO, a device, a socket): opening never blocks. A folder opens (isFolder()
    // then says so) but reads nothing.
    bool open(const QString& path);
    void close();
    bool isOpen() const { return m_fd >= 0; }
    int error() const { return m_error; }
    FileKind kind() const { return m_kind; }
    bool isFolder() const { return m_folder; }
    int64_t size() const { return m_size; }

    // Reads the first `bytes` (at most kMaxHead) of the file once; later reads inside them
    // cost no system call.
    static constexpr int64_t kMaxHead = 20480;
    void readHead(int64_t bytes);
    // Up to n bytes at pos; the count read, short at the end of the file, -1 on error.
    int64_t readAt(int64_t pos, void* buffer, int64_t n) const;
    QByteArray readAt(int64_t pos, int64_t n) const;

    // Hands the descriptor over to the caller, who closes it.
    int release();

private:
    int m_fd = -1;
    int m_error = 0;
    FileKind m_kind = FileKind::Regular;
    bool m_folder = false;
    int64_t m_size = 0;
    // In the object, not on the heap: a probe allocates nothing for the bytes it looks at.
    int64_t m_headSize = 0;
    char m_head[kMaxHead];
};

}  // namespace engine
