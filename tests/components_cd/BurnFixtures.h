// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// Sources and read-backs for the burner tests: WAVs of known samples, an MP3 made with our own
// encoder, the engine's CD-format decode of a file, a track ripped back from an image drive, and
// the peer tools (xorriso, isoinfo) that read data images.

#include "components/cd/TrackReader.h"
#include "components/engine/AudioEngine.h"
#include "components/engine/FormatRecords.h"
#include "tests/components/WavFixtures.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QMap>

#include <gtest/gtest.h>

#include <QFile>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

namespace burnfixtures {

// Runs the event loop until `done` holds or the time is up; then a little longer, so that an
// event that should not come would be seen.
inline bool waitUntil(const std::function<bool()>& done, int ms = 60000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    const bool ok = done();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 150)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return ok;
}

inline void writeMp3(const QString& path, const QByteArray& cdPcm)
{
    engine::Mp3FormatRecord mp3;
    mp3.Bitrate = 128;
    mp3.SampleRate = 44100;
    mp3.Mode = engine::mp3JointStereo;
    mp3.Quality = 5;
    mp3.WriteVBRTag = -1;
    QString error;
    auto writer = engine::AudioWriter::create({engine::dfMP3, mp3.toBytes(), {}, {}, 0, {}}, path, {}, &error);
    ASSERT_TRUE(writer) << error.toStdString();
    ASSERT_TRUE(writer->write(reinterpret_cast<const uint8_t*>(cdPcm.constData()), cdPcm.size() / 4, &error));
    ASSERT_TRUE(writer->finish(&error)) << error.toStdString();
}

// What the engine makes of a file as 44100 Hz stereo 16-bit.
inline QByteArray decodeForCd(const QString& path)
{
    QString error;
    auto reader = engine::AudioReader::open(path, &error);
    EXPECT_TRUE(reader) << error.toStdString();
    if (!reader || !reader->setOutputFormat({44100, 2, 16}, &error))
        return {};
    QByteArray all;
    std::vector<uint8_t> buf(4096 * 4);
    for (;;) {
        const int64_t n = reader->read(buf.data(), 4096, &error);
        if (n <= 0)
            break;
        all.append(reinterpret_cast<const char*>(buf.data()), qsizetype(n * 4));
    }
    return all;
}

// A track of an image drive read back through the ripper's reader.
inline QByteArray ripTrack(const QString& letter, int track)
{
    QString error;
    auto reader = cd::OpenTrackReader(letter, track, &error);
    EXPECT_TRUE(reader) << error.toStdString();
    if (!reader)
        return {};
    QByteArray all;
    std::vector<uint8_t> buf(588 * 4 * 16);
    for (;;) {
        const int64_t n = reader->read(buf.data(), 588 * 16, &error);
        if (n <= 0)
            break;
        all.append(reinterpret_cast<const char*>(buf.data()), qsizetype(n * 4));
    }
    return all;
}

// The decoded samples followed by silence up to the next whole sector.
inline QByteArray padToSector(QByteArray pcm)
{
    const qsizetype rest = pcm.size() % 2352;
    if (rest)
        pcm.append(QByteArray(2352 - rest, '\0'));
    return pcm;
}

struct Tool {
    int status = -1;
    QString out;
};

inline Tool run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(60000)) << program.toStdString();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAll())};
}

struct DriverRun {
    int status = -1;
    QString out, err;
};

// cd-driver over these drives, asking `cddb` for disc entries; a run that does not end within a
// minute counts as hung.
inline DriverRun cdDriver(const QStringList& drives, const QStringList& args, const QString& cddb = QStringLiteral("127.0.0.1:1"))
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLMERE_DRIVES"), drives.join(QLatin1Char(':')));
    env.insert(QStringLiteral("QUILLMERE_CDDB_SERVER"), cddb);
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/cd-driver"), args);
    DriverRun r;
    const bool finished = p.waitForFinished(60000);
    EXPECT_TRUE(finished) << "cd-driver hung: " << args.join(QLatin1Char(' ')).toStdString();
    if (!finished) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("cd-driver hung");
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// The names at the root of a data image as the peer tool reads them (Joliet when present).
inline QStringList isoRootNames(const QString& iso)
{
    const Tool t = run(QStringLiteral("xorriso"), {QStringLiteral("-abort_on"), QStringLiteral("FATAL"), QStringLiteral("-indev"), iso,
                                                   QStringLiteral("-lsl"), QStringLiteral("/")});
    EXPECT_EQ(t.status, 0) << t.out.toStdString();
    QStringList names;
    for (const QString& line : t.out.split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1Char('-')))
            continue;
        const int quote = int(line.indexOf(QLatin1Char('\'')));
        if (quote >= 0)
            names << line.mid(quote + 1, line.lastIndexOf(QLatin1Char('\'')) - quote - 1);
    }
    names.sort();
    return names;
}

// Extracts the whole image into `dir`.
inline bool extractIso(const QString& iso, const QString& dir)
{
    const Tool t = run(QStringLiteral("xorriso"), {QStringLiteral("-abort_on"), QStringLiteral("FATAL"), QStringLiteral("-osirrox"),
                                                   QStringLiteral("on"), QStringLiteral("-indev"), iso, QStringLiteral("-extract"),
                                                   QStringLiteral("/"), dir});
    EXPECT_EQ(t.status, 0) << t.out.toStdString();
    return t.status == 0;
}

inline QString isoInfo(const QString& iso)
{
    const Tool t = run(QStringLiteral("isoinfo"), {QStringLiteral("-d"), QStringLiteral("-i"), iso});
    EXPECT_EQ(t.status, 0) << t.out.toStdString();
    return t.out;
}

// The names at the root of an image's Joliet tree as isoinfo lists them, sorted. Read in
// Latin-1, which holds every character of the tests' names (the disc holds "_" where Joliet
// cannot hold one).
inline QStringList jolietNames(const QString& iso)
{
    QProcess p;
    p.start(QStringLiteral("isoinfo"), {QStringLiteral("-J"), QStringLiteral("-j"), QStringLiteral("iso8859-1"), QStringLiteral("-f"),
                                        QStringLiteral("-i"), iso});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << QString::fromLatin1(p.readAllStandardError()).toStdString();
    QStringList names;
    for (QString line : QString::fromLatin1(p.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1Char('/')))
            continue;
        const int version = int(line.lastIndexOf(QLatin1Char(';')));
        if (version > 0)
            line.truncate(version);
        names << line.mid(1);
    }
    names.sort();
    return names;
}

// A file of the image's ISO 9660 side (by its Joliet name) as isoinfo extracts it.
inline QByteArray jolietFile(const QString& iso, const QString& name)
{
    QProcess p;
    p.start(QStringLiteral("isoinfo"), {QStringLiteral("-J"), QStringLiteral("-j"), QStringLiteral("iso8859-1"), QStringLiteral("-i"), iso,
                                        QStringLiteral("-x"), QLatin1Char('/') + name});
    EXPECT_TRUE(p.waitForFinished(60000));
    return p.readAllStandardOutput();
}

// The sectors' standard identifiers from sector 16 on, up to the first sector without one
// ("CD001", "BEA01", "NSR02", "TEA01" ...).
inline QStringList volumeDescriptorIds(const QString& iso)
{
    QFile f(iso);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    QStringList ids;
    for (int sector = 16; sector < 64; ++sector) {
        f.seek(qint64(sector) * 2048);
        const QByteArray id = f.read(6).mid(1, 5);
        if (id != "CD001" && id != "BEA01" && id != "NSR02" && id != "NSR03" && id != "TEA01")
            break;
        ids << QString::fromLatin1(id);
    }
    return ids;
}

// What udfinfo says of an image: its "key=value" lines; empty when it fails.
inline QMap<QString, QString> udfInfo(const QString& iso)
{
    QProcess p;
    p.start(QStringLiteral("udfinfo"), {QStringLiteral("--utf8"), iso});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << QString::fromUtf8(p.readAllStandardError()).toStdString();
    QMap<QString, QString> facts;
    if (p.exitCode() != 0)
        return facts;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        const int eq = int(line.indexOf(QLatin1Char('=')));
        if (eq > 0 && !facts.contains(line.left(eq)))
            facts.insert(line.left(eq), line.mid(eq + 1));
    }
    return facts;
}

// The files at the root of an image's UDF file system, by name, read as a UDF reader reads
// them: the anchor at sector 256, the partition and the file set of the volume descriptors,
// the root folder's identifiers and each file's entry and data. Empty without UDF.
inline QMap<QString, QByteArray> udfRootFiles(const QString& iso)
{
    QMap<QString, QByteArray> files;
    const QByteArray d = fixtures::readFile(iso);
    const auto u8 = [&](qint64 at) { return at >= 0 && at < d.size() ? uint32_t(uint8_t(d.at(at))) : 0u; };
    const auto u16 = [&](qint64 at) { return u8(at) | u8(at + 1) << 8; };
    const auto u32 = [&](qint64 at) { return u16(at) | u16(at + 2) << 16; };
    const auto u64 = [&](qint64 at) { return qint64(u32(at)) | qint64(u32(at + 4)) << 32; };
    const qint64 anchor = 256 * 2048;
    if (u16(anchor) != 2)
        return files;
    const qint64 vdsBytes = u32(anchor + 16), vdsSector = u32(anchor + 20);
    qint64 partitionStart = -1, fileSet = -1;
    for (qint64 s = 0; s < vdsBytes / 2048; ++s) {
        const qint64 at = (vdsSector + s) * 2048;
        const uint32_t tag = u16(at);
        if (tag == 5)
            partitionStart = u32(at + 188);
        else if (tag == 6)
            fileSet = u32(at + 248 + 4);  // the file set's long_ad in the contents use
        else if (tag == 8)
            break;
    }
    if (partitionStart < 0 || fileSet < 0)
        return files;
    const auto block = [&](qint64 lbn) { return (partitionStart + lbn) * 2048; };
    // A file entry's data: its allocation descriptors, short, long or embedded.
    const auto data = [&](qint64 lbn) {
        const qint64 at = block(lbn);
        const uint32_t tag = u16(at);
        const bool extended = tag == 266;
        QByteArray bytes;
        if (tag != 261 && !extended)
            return bytes;
        const qint64 length = u64(at + 56);
        const qint64 eaBytes = u32(at + (extended ? 208 : 168)), adBytes = u32(at + (extended ? 212 : 172));
        const qint64 ads = at + (extended ? 216 : 176) + eaBytes;
        switch (u16(at + 34) & 7) {
        case 0:
            for (qint64 k = 0; k + 8 <= adBytes; k += 8)
                bytes += d.mid(block(u32(ads + k + 4)), u32(ads + k) & 0x3fffffff);
            break;
        case 1:
            for (qint64 k = 0; k + 16 <= adBytes; k += 16)
                bytes += d.mid(block(u32(ads + k + 4)), u32(ads + k) & 0x3fffffff);
            break;
        case 3: bytes = d.mid(ads, adBytes); break;
        }
        return bytes.left(length);
    };
    const qint64 fsd = block(fileSet);
    if (u16(fsd) != 256)
        return files;
    const QByteArray root = data(u32(fsd + 400 + 4));
    const auto r8 = [&](qint64 at) { return at < root.size() ? uint32_t(uint8_t(root.at(at))) : 0u; };
    for (qint64 o = 0; o + 38 <= root.size();) {
        if ((r8(o) | r8(o + 1) << 8) != 257)
            break;
        const uint32_t nameBytes = r8(o + 19);
        const uint32_t implementation = r8(o + 36) | r8(o + 37) << 8;
        const QByteArray id = root.mid(o + 38 + implementation, nameBytes);
        const bool folder = (r8(o + 18) & 2) != 0;
        if (!id.isEmpty() && !folder) {
            QString name;
            if (uint8_t(id.at(0)) == 16) {
                for (int i = 1; i + 1 < id.size(); i += 2)
                    name += QChar(char16_t(uint8_t(id.at(i)) << 8 | uint8_t(id.at(i + 1))));
            } else {
                name = QString::fromLatin1(id.mid(1));
            }
            const qint64 icb = r8(o + 24) | r8(o + 25) << 8 | r8(o + 26) << 16 | qint64(r8(o + 27)) << 24;
            files.insert(name, data(icb));
        }
        o += (38 + implementation + nameBytes + 3) & ~qint64(3);
    }
    return files;
}

}  // namespace burnfixtures
