// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/FileCopyClass.h"

#include "foundation/VbNumbers.h"
#include "foundation/mdlFileSystem.h"
#include "platform/Clock.h"
#include "platform/LinkedWrite.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include <sys/stat.h>

bool IsSameFile(const QString& a, const QString& b)
{
    struct stat sa {};
    struct stat sb {};
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 || ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

void FileCopyClass::Copy(const QString& SourceFile, const QString& Destination)
{
    m_successful = false;
    readSizes.clear();
    writeSizes.clear();
    const qint64 chunk = m_cacheSize > 0 ? m_cacheSize : 32000;
    if (!FileExists(SourceFile))
        return;
    // Replacing the source by itself would destroy it.
    if (IsSameFile(SourceFile, Destination))
        return;

    const QDateTime start = platform::clock().now();
    QFile source(SourceFile);
    if (!source.open(QIODevice::ReadOnly))
        return;
    // A link at the destination that leads nowhere or to something that is not a file was asked
    // about as a file is: it is replaced itself. A link to a file is written through.
    const QString saved = platform::SaveFileNameFor(Destination);
    QSaveFile destination(saved);
    if (!destination.open(QIODevice::WriteOnly))
        return;

    auto writeBlock = [&](const QByteArray& block) {
        writeSizes << block.size();
        return destination.write(block) == block.size();
    };

    const qint64 length = source.size();
    if (length < chunk) {
        const QByteArray all = source.readAll();
        readSizes << all.size();
        if (all.size() != length || !writeBlock(all)) {
            destination.cancelWriting();
            return;
        }
    } else {
        qint64 b = chunk;
        qint64 written = 0;
        QByteArray pending;
        while (source.pos() < length) {
            const QByteArray data = source.read(b);
            readSizes << data.size();
            if (data.size() != b) {
                destination.cancelWriting();
                return;
            }
            pending += data;
            if (pending.size() >= 2 * chunk) {
                if (!writeBlock(pending)) {
                    destination.cancelWriting();
                    return;
                }
                written += pending.size();
                pending.clear();
            }
            m_percent = static_cast<int16_t>(CLng(100.0 * static_cast<double>(written) / static_cast<double>(length)));
            QCoreApplication::processEvents();
            const qint64 left = length - source.pos();
            if (left < b)
                b = left;
        }
        if (!pending.isEmpty() && !writeBlock(pending)) {
            destination.cancelWriting();
            return;
        }
    }
    source.close();
    if (!destination.commit() || !platform::FinishLinkedWrite(saved, Destination))
        return;
    m_successful = true;
    // The whole date and time, so a copy across midnight still takes a positive time.
    m_secondsTaken = CLng(start.msecsTo(platform::clock().now()) / 1000.0);
}
