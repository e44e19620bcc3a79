// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cd/DriveMap.h"

#include <QFile>
#include <QFileInfo>

#include <cdio/cdio.h>

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
