// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QList>
#include <QString>

#include <cstdint>

// Copies one file in chunks, letting pending window events run after each chunk so that a
// window timer can show PercentREady meanwhile. The copy goes to a temporary file beside the
// destination, renamed over it only when complete: a failed copy leaves an existing
// destination as it was, and a destination that is the source itself (also through a link) is
// refused without touching either. A symbolic link at the destination follows the rule of
// platform/LinkedWrite.h: one to a file is written through, any other is replaced itself (the
// Save As dialog asked about it). GUI thread.
class FileCopyClass {
public:
    int32_t SecondsTaken() const { return m_secondsTaken; }
    void SecondsTaken(int32_t v) { m_secondsTaken = v; }
    bool Sucessfull() const { return m_successful; }
    void Sucessfull(bool v) { m_successful = v; }
    int16_t PercentREady() const { return m_percent; }
    void PercentREady(int16_t v) { m_percent = v; }
    // Bytes per read; 0 means 32,000.
    int32_t CacheSize() const { return m_cacheSize; }
    void CacheSize(int32_t v) { m_cacheSize = v; }

    void Copy(const QString& SourceFile, const QString& Destination);

    // What the last Copy read, for tests of the chunking: the size of every read and write.
    QList<qint64> readSizes;
    QList<qint64> writeSizes;

private:
    int32_t m_secondsTaken = 0;
    bool m_successful = false;
    int16_t m_percent = 0;
    int32_t m_cacheSize = 0;
};

// Whether two paths name the same file (same device and inode, links followed).
bool IsSameFile(const QString& a, const QString& b);
