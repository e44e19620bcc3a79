// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "foundation/NumberedError.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

// A raw MP3 file opened by the tag classes for one read or one write. Every failure is thrown
// as a NumberedError carrying the run-time number the windows show ("File not found" 53,
// "Permission denied" 70, "Disk full" 61, ...). Sizes are 64-bit; a read never asks for more
// bytes than the file holds past the offset. Not shared between threads.
class TagFile {
public:
    // Neither mode creates a file: a tag is only ever written into a file that is there.
    enum class Mode { Read, ReadWrite };

    TagFile() = default;
    ~TagFile();
    TagFile(const TagFile&) = delete;
    TagFile& operator=(const TagFile&) = delete;

    void open(const QString& path, Mode mode);
    void close();  // failures to close are ignored, as nothing is left to save
    bool isOpen() const { return m_fd >= 0; }

    int64_t size() const;
    // Up to `count` bytes from `offset`, fewer at the end of the file.
    QByteArray readAt(int64_t offset, int64_t count) const;
    void writeAt(int64_t offset, const QByteArray& data);
    void truncate(int64_t length);
    void sync();
    int handle() const { return m_fd; }

private:
    int m_fd = -1;
};

// The number and description of an errno value, in the numbering the windows show.
NumberedError TagFileError(int errnoValue, const QString& source = {});
// The source of the tag classes' errors: the executable's base name, ".", the class name.
QString TagErrorSource(const char* className);
// The error raised again with the class's source, number and description kept.
NumberedError WithSource(const NumberedError& error, const QString& source);

// Run-time errors the classes raise of their own.
inline constexpr long kErrInvalidCall = 5;         // "Invalid procedure call or argument"
inline constexpr long kErrSubscriptOutOfRange = 9; // "Subscript out of range"
inline constexpr long kErrInvalidFileFormat = 321;  // "Invalid file format"
NumberedError RuntimeError(long number, const QString& source = {});
