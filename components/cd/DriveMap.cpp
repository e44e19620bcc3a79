// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cd/DriveMap.h"

#include "components/cd/CueSheet.h"
#include "components/engine/DiscTrackHook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cdio/cdio.h>

#include <sys/stat.h>

#include <algorithm>

namespace cd {

namespace {

// The model the kernel reports for /dev/srN, read from sysfs: asking the drive itself could
// wait on a drive that is spinning up.
QString deviceModel(const QString& path)
{
    const QString node = QFileInfo(path).canonicalFilePath();
    const QString base = QFileInfo(node.isEmpty() ? path : node).fileName();
    QFile vendor(QStringLiteral("/sys/block/%1/device/vendor").arg(base));
    QFile model(QStringLiteral("/sys/block/%1/device/model").arg(base));
    QString text;
    if (vendor.open(QIODevice::ReadOnly))
        text = QString::fromLatin1(vendor.readAll()).simplified();
    if (model.open(QIODevice::ReadOnly)) {
        const QString m = QString::fromLatin1(model.readAll()).simplified();
        text = text.isEmpty() ? m : text + QLatin1Char(' ') + m;
    }
    return text.isEmpty() ? path : text;
}

QStringList systemDevices()
{
    QStringList paths;
    char** list = cdio_get_devices(DRIVER_DEVICE);
    if (list) {
        for (char** p = list; *p; ++p)
            paths << QString::fromLocal8Bit(*p);
        cdio_free_device_list(list);
    }
    std::sort(paths.begin(), paths.end());
    paths.removeDuplicates();
    return paths;
}

}  // namespace

QList<Drive> ListDrives()
{
    QStringList paths;
    if (qEnvironmentVariableIsSet("QUILLMERE_DRIVES")) {
        for (const QString& entry : qEnvironmentVariable("QUILLMERE_DRIVES").split(QLatin1Char(':')))
            if (!entry.isEmpty())
                paths << entry;
    } else {
        paths = systemDevices();
    }

    QList<Drive> drives;
    for (const QString& path : paths) {
        const int index = int(drives.size());
        if (index > 'Z' - 'D')
            break;  // no letter left
        Drive d;
        d.path = path;
        d.letter = QString(QChar('D' + index)) + QLatin1Char(':');
        if (path.endsWith(QLatin1String(".cue"), Qt::CaseInsensitive))
            d.kind = Drive::AudioImage;
        else if (path.endsWith(QLatin1String(".iso"), Qt::CaseInsensitive))
            d.kind = Drive::DataImage;
        d.name = d.letter + QLatin1Char(' ') + (d.kind == Drive::Device ? deviceModel(path) : QFileInfo(path).fileName());
        drives << d;
    }
    return drives;
}

bool FindDrive(const QString& letter, Drive* drive)
{
    for (const Drive& d : ListDrives()) {
        if (d.letter.compare(letter, Qt::CaseInsensitive) == 0) {
            if (drive)
                *drive = d;
            return true;
        }
    }
    return false;
}

bool AnythingAt(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

ImageSlot ImageSlotOf(const Drive& drive, QString* why)
{
    if (drive.kind == Drive::Device)
        return ImageSlot::Disc;
    const QByteArray local = QFile::encodeName(drive.path);
    struct stat st {};
    if (::lstat(local.constData(), &st) != 0)
        return ImageSlot::Empty;
    QString what;
    if (::stat(local.constData(), &st) != 0)
        what = QStringLiteral("is a symbolic link to '%1', which does not exist").arg(QFile::symLinkTarget(drive.path));
    else if (S_ISREG(st.st_mode))
        return ImageSlot::Disc;
    else if (S_ISDIR(st.st_mode))
        what = QStringLiteral("is a folder");
    else
        what = QStringLiteral("is not a regular file");
    if (why)
        *why = QStringLiteral("The drive '%1' holds no disc image: '%2' %3.").arg(drive.name, drive.path, what);
    return ImageSlot::Blocked;
}

QList<ImageFile> ListedImageFiles()
{
    // One list for the drives and for the output step of every writer, which needs no CD library.
    QList<ImageFile> files;
    for (const engine::DiscImageFile& f : engine::ListedDiscImageFiles())
        files << ImageFile{f.path, f.driveName};
    return files;
}

QString KindText(Drive::Kind kind)
{
    switch (kind) {
    case Drive::AudioImage: return QStringLiteral("audio image");
    case Drive::DataImage: return QStringLiteral("data image");
    case Drive::Device: break;
    }
    return QStringLiteral("device");
}

}  // namespace cd
