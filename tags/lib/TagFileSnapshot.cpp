// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tags/lib/TagFileSnapshot.h"

#include "tags/lib/Id3v2Format.h"
#include "tags/lib/TagFile.h"

#include <sys/stat.h>

namespace {

constexpr int64_t kRecordSize = 128;

bool identity(const TagFile& file, uint64_t* device, uint64_t* inode)
{
    struct stat st {};
    if (::fstat(file.handle(), &st) != 0)
        return false;
    *device = st.st_dev;
    *inode = st.st_ino;
    return true;
}

}  // namespace

TagFileSnapshot TagFileSnapshot::Take(const QString& path)
{
    TagFileSnapshot s;
    s.m_path = path;
    TagFile file;
    file.open(path, TagFile::Mode::Read);
    identity(file, &s.m_device, &s.m_inode);
    s.m_length = file.size();
    if (file.readAt(0, 3) == "ID3") {
        // What an in-place ID3v2 write may cover: the old tag, never more.
        if (const auto extent = id3v2::ReadExtent(file, 0, s.m_length))
            s.m_head = file.readAt(0, extent->length);
    }
    const int64_t tail = std::min(kRecordSize, s.m_length);
    s.m_tail = file.readAt(s.m_length - tail, tail);
    return s;
}

bool TagFileSnapshot::Restore() const
{
    try {
        const int64_t tailAt = m_length - m_tail.size();
        TagFile file;
        auto sameFile = [&] {
            uint64_t device = 0, inode = 0;
            return identity(file, &device, &inode) && device == m_device && inode == m_inode;
        };
        auto same = [&] {
            return file.size() == m_length && file.readAt(0, m_head.size()) == m_head &&
                   file.readAt(tailAt, m_tail.size()) == m_tail;
        };
        // Looked at before it is opened for writing: a file that cannot be written (read-only,
        // on a read-only disk) was not written either, and holds what it held.
        file.open(m_path, TagFile::Mode::Read);
        if (!sameFile())
            return false;
        if (same())
            return true;
        file.open(m_path, TagFile::Mode::ReadWrite);
        if (!sameFile())
            return false;
        if (file.size() < m_length)
            return false;  // cut short: what was lost is not here to put back
        file.truncate(m_length);
        if (!m_head.isEmpty())
            file.writeAt(0, m_head);
        if (!m_tail.isEmpty())
            file.writeAt(tailAt, m_tail);
        file.sync();
        return same();
    } catch (const NumberedError&) {
        return false;
    }
}
