// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// The file a writer produces, written straight through to the system so that a failed write
// reports the system's own reason ("No space left on device") rather than a short count with
// no cause. Private to the engine; the members follow QFile's so the writers read the same.

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace engine {

class OutputFile {
public:
    explicit OutputFile(const QString& path) : m_path(path) {}
    ~OutputFile() { close(); }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates or empties the file for writing.
    bool open();
    // All `size` bytes, or -1 with errorString() set.
    int64_t write(const char* data, int64_t size);
    int64_t write(const QByteArray& data) { return write(data.constData(), data.size()); }
    // Appends up to `bytes` bytes of the open file `fd` from `offset`, copied by the kernel
    // (copy_file_range). Returns the bytes appended, 0 at the source's end, -1 with
    // errorString() set, or kCopyUnsupported, having written nothing, where the kernel cannot
    // copy between these two files (another file system, a kernel without the call).
    static constexpr int64_t kCopyUnsupported = -2;
    int64_t copyFrom(int fd, int64_t offset, int64_t bytes);
    bool seek(int64_t offset);
    bool flush() { return m_error.isEmpty(); }
    void close();

    bool failed() const { return !m_error.isEmpty(); }
    QString errorString() const { return m_error.isEmpty() ? QStringLiteral("Unknown error") : m_error; }
    const QString& fileName() const { return m_path; }

private:
    bool fail(int code);

    QString m_path;
    int m_fd = -1;
    QString m_error;
};

}  // namespace engine
