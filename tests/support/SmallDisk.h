// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// A tiny file system of a test's own, so that a write can be made to run out of room. Mounting
// needs the right to (root); where it is refused the test skips rather than fails.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace smalldisk {

// A tmpfs of `size` (as mount takes it: "64k") at `folder`, made if missing, for as long as the
// object lives. Detached on the way out, so a file a failed writer still holds open cannot keep
// it mounted.
class SmallDisk {
public:
    SmallDisk(const QString& folder, const char* size) : m_at(QFile::encodeName(folder))
    {
        EXPECT_TRUE(QDir().mkpath(folder)) << folder.toStdString();
        const QByteArray options = QByteArray("size=") + size;
        m_mounted = ::mount("tmpfs", m_at.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) == 0;
        if (!m_mounted)
            m_refusal = std::string("cannot mount a small tmpfs here: ") + std::strerror(errno);
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(m_at.constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return m_mounted; }
    // Mounts it again read-only, files and all: a folder no one may write, root included.
    bool makeReadOnly()
    {
        return m_mounted && ::mount(nullptr, m_at.constData(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) == 0;
    }
    bool makeWritable()
    {
        return m_mounted && ::mount(nullptr, m_at.constData(), nullptr, MS_REMOUNT | MS_NOSUID | MS_NODEV, nullptr) == 0;
    }
    // Fills what room is left with one file at `path`, so the next write of any size fails.
    static void fill(const QString& path)
    {
        QFile filler(path);
        if (!filler.open(QIODevice::WriteOnly))
            return;
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.write(block.left(1));
        filler.flush();
    }
    // Why the test skips when not mounted.
    const std::string& refusal() const { return m_refusal; }

private:
    QByteArray m_at;
    bool m_mounted = false;
    std::string m_refusal;
};

}  // namespace smalldisk
