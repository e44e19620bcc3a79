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

}  // namespace burnfixtures
