// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// The bytes of an MP3 file that the tag writers change in place (its length, the ID3v2 tag at
// its start, its last 128 bytes), taken before a write so that a write that fails half-way can
// be undone: an ID3v1 record written before the ID3v2 write failed, or an in-place write that
// broke off. A rebuilt file renamed over the old one is the last step of a write that succeeded,
// so a file replaced whole is never put back. No state outside the object; one thread.
class TagFileSnapshot {
public:
    // Throws NumberedError (number and description of the failed open or read) when the file
    // cannot be read.
    static TagFileSnapshot Take(const QString& path);

    // Puts the taken bytes back where they differ. True when the file holds exactly what it held
    // when the snapshot was taken; false when it is gone, was replaced, or could not be restored.
    bool Restore() const;

    const QString& path() const { return m_path; }

private:
    QString m_path;
    uint64_t m_device = 0;
    uint64_t m_inode = 0;
    int64_t m_length = 0;
    QByteArray m_head;  // from offset 0
    QByteArray m_tail;  // up to the end
};
