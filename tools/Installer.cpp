// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tools/Installer.h"

#include "foundation/IconResources.h"
#include "foundation/RegistryRoutines.h"
#include "foundation/mdlFileSystem.h"
#include "foundation/mdlModes.h"
#include "tools/InstallerDefaults.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QtEndian>

#include <cmath>

namespace {

bool writeNew(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return WriteFileAtomically(path, bytes);
}

void ensureKey(int32_t root, const QString& path, InstallReport& report)
{
    RegistryRoutines reg;
    reg.hkey(root);
    reg.KeyRoot(path);
    if (reg.KeyExists())
        return;
    if (reg.CreateKey(QString()) == QLatin1String("0"))
        report.createdKeys.append(path);
    else
        report.errors.append(QStringLiteral("Cannot create the settings key ") + path);
}

}  // namespace

QByteArray MakeNotifySound()
{
    constexpr int rate = 22050;
    constexpr double seconds = 0.5;
    const int frames = static_cast<int>(rate * seconds);
    QByteArray pcm(frames * 2, '\0');
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double f = t < 0.2 ? 880.0 : 1318.5;
        const double sinceNote = t < 0.2 ? t : t - 0.2;
        const double env = std::exp(-6.0 * sinceNote) * std::min(1.0, i / 200.0);
        const auto s = static_cast<qint16>(std::lround(12000.0 * env * std::sin(2 * M_PI * f * t)));
        qToLittleEndian(s, pcm.data() + 2 * i);
    }
    QByteArray wav;
    auto u32 = [&](quint32 v) { char b[4]; qToLittleEndian(v, b); wav.append(b, 4); };
    auto u16 = [&](quint16 v) { char b[2]; qToLittleEndian(v, b); wav.append(b, 2); };
    wav += "RIFF";
    u32(36 + pcm.size());
    wav += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    wav += "data";
    u32(pcm.size());
    return wav + pcm;
}

InstallReport RunInstaller(const QString& programFolder, const QString& resourcesFolder)
{
    InstallReport report;
    InitProductConfig();

    const QString root = SettingsKeyRoot();
    ensureKey(platform::HKEY_LOCAL_MACHINE, root, report);
    for (const QString& section : InstallerSections())
        ensureKey(platform::HKEY_LOCAL_MACHINE, root + QLatin1Char('\\') + section, report);
    ensureKey(platform::HKEY_CURRENT_USER, QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"), report);

    for (const InstallerValue& v : InstallerDefaultValues()) {
        RegistryRoutines reg;
        reg.hkey(platform::HKEY_LOCAL_MACHINE);
        reg.KeyRoot(root);
        reg.Subkey(v.section);
        if (reg.GetRegistryValue(v.name).isValid())
            continue;
        if (reg.SetRegistryValue(v.name, v.value, platform::REG_SZ))
            report.writtenValues.append(v.section + QLatin1Char('\\') + v.name);
        else
            report.errors.append(QStringLiteral("Cannot write ") + v.section + QLatin1Char('\\') + v.name);
    }

    if (!QDir().mkpath(programFolder)) {
        report.errors.append(QStringLiteral("Cannot create the program folder ") + programFolder);
        return report;
    }
    QDir().mkpath(programFolder + QStringLiteral("/Main"));
    QDir().mkpath(programFolder + QStringLiteral("/View"));

    if (!resourcesFolder.isEmpty() && QFileInfo(resourcesFolder).isDir()) {
        const QDir from(resourcesFolder);
        QDirIterator it(resourcesFolder, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString source = it.next();
            const QString rel = from.relativeFilePath(source);
            const QString target = programFolder + QLatin1Char('/') + rel;
            if (QFileInfo::exists(target))
                continue;
            QDir().mkpath(QFileInfo(target).absolutePath());
            if (QFile::copy(source, target))
                report.copiedFiles.append(rel);
            else
                report.errors.append(QStringLiteral("Cannot copy ") + rel);
        }
    }

    const QString sound = QStringLiteral("sound/notify.wav");
    if (!QFileInfo::exists(programFolder + QLatin1Char('/') + sound)) {
        if (writeNew(programFolder + QLatin1Char('/') + sound, MakeNotifySound()))
            report.copiedFiles.append(sound);
        else
            report.errors.append(QStringLiteral("Cannot write ") + sound);
    }
    const QString trayIcon = QStringLiteral("SysIcon/systrayicon.ico");
    if (!QFileInfo::exists(programFolder + QLatin1Char('/') + trayIcon)) {
        QByteArray ico;
        QBuffer buffer(&ico);
        buffer.open(QIODevice::WriteOnly);
        if (IconResources::image(QStringLiteral("AAA"), 32).save(&buffer, "ICO")
            && writeNew(programFolder + QLatin1Char('/') + trayIcon, ico))
            report.copiedFiles.append(trayIcon);
        else
            report.errors.append(QStringLiteral("Cannot write ") + trayIcon);
    }
    return report;
}
