// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/support/DiscImages.h"

#include <QDir>
#include <QFile>

namespace discimages {

namespace {

constexpr int kSectorBytes = 2352;

QString msf(int sector)
{
    return QStringLiteral("%1:%2:%3")
        .arg(sector / (75 * 60), 2, 10, QLatin1Char('0'))
        .arg((sector / 75) % 60, 2, 10, QLatin1Char('0'))
        .arg(sector % 75, 2, 10, QLatin1Char('0'));
}

// A raw MODE1 sector: sync pattern, header (address in BCD, mode 1) and a recognisable payload.
// The error-correction fields stay zero: nothing here checks them.
QByteArray dataSector(int sector)
{
    QByteArray s(kSectorBytes, '\0');
    s[0] = 0;
    for (int i = 1; i <= 10; ++i)
        s[i] = char(0xFF);
    const int address = sector + 150;
    auto bcd = [](int v) { return char(((v / 10) << 4) | (v % 10)); };
    s[12] = bcd(address / (75 * 60));
    s[13] = bcd((address / 75) % 60);
    s[14] = bcd(address % 75);
    s[15] = 1;
    for (int i = 16; i < 16 + 2048; ++i)
        s[i] = char('A' + (i % 26));
    return s;
}

}  // namespace

QByteArray AudioSectors(int firstSector, int count)
{
    QByteArray out;
    out.reserve(count * kSectorBytes);
    for (int sector = firstSector; sector < firstSector + count; ++sector) {
        for (int frame = 0; frame < 588; ++frame) {
            const quint16 left = quint16(sector);
            const quint16 right = quint16(0x8000 + frame);
            out.append(char(left & 0xFF)).append(char(left >> 8));
            out.append(char(right & 0xFF)).append(char(right >> 8));
        }
    }
    return out;
}

QList<int> FirstSectors(const QList<Track>& tracks)
{
    QList<int> firsts;
    int at = 0;
    for (const Track& t : tracks) {
        firsts << at;
        at += t.sectors;
    }
    return firsts;
}

QString WriteBinCue(const QString& dir, const QString& name, const QList<Track>& tracks)
{
    const QString binName = name + QStringLiteral(".bin");
    QFile bin(QDir(dir).filePath(binName));
    if (!bin.open(QIODevice::WriteOnly))
        return {};
    QString cue = QStringLiteral("FILE \"%1\" BINARY\n").arg(binName);
    const QList<int> firsts = FirstSectors(tracks);
    for (int i = 0; i < tracks.size(); ++i) {
        const Track& t = tracks.at(i);
        cue += QStringLiteral("  TRACK %1 %2\n").arg(i + 1, 2, 10, QLatin1Char('0'))
                   .arg(t.audio ? QStringLiteral("AUDIO") : QStringLiteral("MODE1/2352"));
        cue += QStringLiteral("    INDEX 01 %1\n").arg(msf(firsts.at(i)));
        if (t.audio) {
            bin.write(AudioSectors(firsts.at(i), t.sectors));
        } else {
            for (int s = 0; s < t.sectors; ++s)
                bin.write(dataSector(firsts.at(i) + s));
        }
    }
    bin.close();
    const QString cuePath = QDir(dir).filePath(name + QStringLiteral(".cue"));
    QFile f(cuePath);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(cue.toUtf8());
    return cuePath;
}

QString WriteIso(const QString& dir, const QString& name, int sectors)
{
    const QString path = QDir(dir).filePath(name + QStringLiteral(".iso"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(QByteArray(sectors * 2048, '\0'));
    return path;
}

}  // namespace discimages
