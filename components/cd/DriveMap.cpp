// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cd/DriveMap.h"

#include "components/cd/CueSheet.h"
#include "foundation/NativeNames.h"
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
    QList<bool> unnamable;
    if (qEnvironmentVariableIsSet("QUILLMERE_DRIVES")) {
        // Read as bytes: the toolkit's reading of a name that is not UTF-8 names another file.
        for (const QByteArray& entry : qgetenv("QUILLMERE_DRIVES").split(':'))
            if (!entry.isEmpty()) {
                paths << QString::fromUtf8(entry);
                unnamable << !nativenames_detail::IsUtf8(entry);
            }
    } else {
        paths = systemDevices();
    }

    QList<Drive> drives;
    for (int i = 0; i < paths.size(); ++i) {
        const QString& path = paths.at(i);
        const int index = int(drives.size());
        if (index > 'Z' - 'D')
            break;  // no letter left
        Drive d;
        d.path = path;
        d.unnamable = unnamable.value(i);
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

QString ImageDataFile(const Drive& drive)
{
    const QFileInfo cueInfo(drive.path);
    return cueInfo.absolutePath() + QLatin1Char('/') + cueInfo.completeBaseName() + QStringLiteral(".bin");
}

namespace {

// Why no image can be written where the drive keeps it, though nothing stands there; "" when
// one can.
QString whyNoImageCanBeWritten(const Drive& drive)
{
    const QFileInfo info(drive.path);
    const QString folder = info.absolutePath();
    struct stat st {};
    if (::stat(QFile::encodeName(folder).constData(), &st) != 0)
        return QStringLiteral("its folder '%1' does not exist").arg(folder);
    if (!S_ISDIR(st.st_mode))
        return QStringLiteral("'%1' is not a folder").arg(folder);
    if (drive.kind != Drive::AudioImage)
        return {};
    // An audio image is two files: a data file of that name, of another image perhaps, is
    // never replaced, nor is a link in its place written through.
    const QString data = ImageDataFile(drive);
    if (AnythingAt(data))
        return QStringLiteral("the file %1 already exists; the image would replace it").arg(data);
    // The reader takes "\\" for a folder separator, a line break would split the FILE line and
    // a double quote would end its name.
    const QString name = QFileInfo(data).fileName();
    for (const QChar c : name)
        if (c == QLatin1Char('\\') || c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('"'))
            return QStringLiteral("a cue sheet cannot name the data file '%1', whose name holds a backslash, a double "
                                  "quote or a line break")
                .arg(name);
    return {};
}

}  // namespace

ImageSlot ImageSlotOf(const Drive& drive, QString* why)
{
    if (drive.unnamable) {
        if (why)
            *why = QStringLiteral("The drive '%1' cannot be used: its path '%2' is not valid UTF-8, which the program cannot "
                                  "name; rename it.")
                       .arg(drive.name, ShownPath(drive.path));
        return ImageSlot::Blocked;
    }
    if (drive.kind == Drive::Device)
        return ImageSlot::Disc;
    const QByteArray local = QFile::encodeName(drive.path);
    struct stat st {};
    if (::lstat(local.constData(), &st) != 0) {
        const QString reason = whyNoImageCanBeWritten(drive);
        if (reason.isEmpty())
            return ImageSlot::Empty;
        if (why)
            *why = QStringLiteral("The drive '%1' holds no disc and cannot be written: %2.").arg(drive.name, reason);
        return ImageSlot::Blocked;
    }
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
