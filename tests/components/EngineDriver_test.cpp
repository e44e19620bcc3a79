// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/components/WavFixtures.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

using fixtures::Pcm;

namespace {

struct DriverRun {
    int status = -1;
    QString out, err;
};

DriverRun driver(const QStringList& args)
{
    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/engine-driver"), args);
    DriverRun r;
    if (!p.waitForFinished(60000))
        return r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

class EngineDriver : public testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

TEST_F(EngineDriver, ProbePrintsTheFactsOneNameValueALine)
{
    const Pcm pcm{22050, 1, 8};
    ASSERT_TRUE(fixtures::writeFile(path(QStringLiteral("a.wav")),
                                    fixtures::wavBytes(pcm, fixtures::pattern(pcm, 22050 * 3 / 2, 1))));
    const DriverRun r = driver({QStringLiteral("probe"), path(QStringLiteral("a.wav"))});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("duration_ms=1500\nrate=22050\nchannels=1\nbits=8\ntitle=\nartist=\nalbum=\n"
                                    "year=\ncomment=\ngenre=\ntrack=\n"));
}

TEST_F(EngineDriver, JoinTakesRangesAfterTheAtSign)
{
    const Pcm pcm{8000, 2, 16};
    const QByteArray a = fixtures::pattern(pcm, 8000 * 3, 2), b = fixtures::pattern(pcm, 8000 * 3, 3);
    ASSERT_TRUE(fixtures::writeFile(path(QStringLiteral("a.wav")), fixtures::wavBytes(pcm, a)));
    ASSERT_TRUE(fixtures::writeFile(path(QStringLiteral("b@home.wav")), fixtures::wavBytes(pcm, b)));
    const DriverRun r = driver({QStringLiteral("join"), path(QStringLiteral("out.wav")), QStringLiteral("wav:8000:2:16"),
                          path(QStringLiteral("a.wav@2+1")), path(QStringLiteral("b@home.wav"))});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const auto parsed = fixtures::parseWavFile(path(QStringLiteral("out.wav")));
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->data == a.mid(2 * 8000 * 4) + b);
}

TEST_F(EngineDriver, FailuresExitNonZeroWithTheErrorText)
{
    const DriverRun missing = driver({QStringLiteral("convert"), path(QStringLiteral("gone.wav")),
                                path(QStringLiteral("out.mp3")), QStringLiteral("mp3:128")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains(path(QStringLiteral("gone.wav")))) << missing.err.toStdString();
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("out.mp3"))));

    const DriverRun badFormat = driver({QStringLiteral("join"), path(QStringLiteral("o.wav")), QStringLiteral("flac:5"),
                                  path(QStringLiteral("x.wav"))});
    EXPECT_EQ(badFormat.status, 2);
    EXPECT_TRUE(badFormat.err.contains(QStringLiteral("flac:5")));
}

// The nominal bitrate from an Ogg Vorbis file's identification header: what the encoder made of
// the quality it was given.
std::optional<int32_t> vorbisNominalBitrate(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = f.read(4096);
    const qsizetype at = head.indexOf(QByteArray("\x01vorbis", 7));
    if (at < 0 || head.size() < at + 7 + 4 + 1 + 4 + 4 + 4)
        return std::nullopt;
    return int32_t(fixtures::get32(head, at + 7 + 4 + 1 + 4 + 4));
}

TEST_F(EngineDriver, OggQualityIsOnTheScaleOggencTakes)
{
    const Pcm pcm{44100, 2, 16};
    ASSERT_TRUE(fixtures::writeFile(path(QStringLiteral("a.wav")),
                                    fixtures::wavBytes(pcm, fixtures::pattern(pcm, 44100, 4))));
    for (const char* q : {"0", "3", "7.5", "10"}) {
        SCOPED_TRACE(q);
        const QString mine = path(QStringLiteral("mine-%1.ogg").arg(QLatin1String(q)));
        const QString peer = path(QStringLiteral("peer-%1.ogg").arg(QLatin1String(q)));
        const DriverRun r = driver({QStringLiteral("convert"), path(QStringLiteral("a.wav")), mine,
                                    QStringLiteral("ogg:q:") + QLatin1String(q)});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        QProcess oggenc;
        oggenc.start(QStringLiteral("oggenc"), {QStringLiteral("-Q"), QStringLiteral("-q"), QLatin1String(q),
                                                QStringLiteral("-o"), peer, path(QStringLiteral("a.wav"))});
        ASSERT_TRUE(oggenc.waitForFinished(60000));
        ASSERT_EQ(oggenc.exitCode(), 0);
        const auto ours = vorbisNominalBitrate(mine), theirs = vorbisNominalBitrate(peer);
        ASSERT_TRUE(ours && theirs);
        EXPECT_EQ(*ours, *theirs);
    }
    for (const char* bad : {"ogg:q:11", "ogg:q:-2", "ogg:q:x"}) {
        const DriverRun r = driver({QStringLiteral("convert"), path(QStringLiteral("a.wav")),
                                    path(QStringLiteral("bad.ogg")), QLatin1String(bad)});
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_TRUE(r.err.contains(QLatin1String(bad))) << r.err.toStdString();
    }
    const DriverRun help = driver({});
    EXPECT_TRUE(help.err.contains(QStringLiteral("oggenc -q"))) << help.err.toStdString();
}

}  // namespace

namespace {

// The shared libraries the driver asks for by name, from its dynamic section.
QStringList neededLibraries()
{
    QProcess p;
    p.start(QStringLiteral("readelf"),
            {QStringLiteral("-d"), QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/engine-driver")});
    if (!p.waitForFinished(30000))
        return {QStringLiteral("(readelf did not run)")};
    QStringList needed;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n')))
        if (line.contains(QStringLiteral("(NEEDED)")))
            needed << line.section(QLatin1Char('['), 1).section(QLatin1Char(']'), 0, 0);
    return needed;
}

}  // namespace

TEST(EngineDriverLinks, QtCoreAndNoWidgetsNoCodecLibraries)
{
    const QStringList needed = neededLibraries();
    ASSERT_TRUE(needed.contains(QStringLiteral("libQt6Core.so.6"))) << needed.join(' ').toStdString();
    for (const QString& lib : needed) {
        const bool otherQt = lib.startsWith(QStringLiteral("libQt6")) && lib != QStringLiteral("libQt6Core.so.6");
        const bool codec = lib.startsWith(QStringLiteral("libav")) || lib.startsWith(QStringLiteral("libsw")) ||
                           lib.contains(QStringLiteral("mp3lame")) || lib.contains(QStringLiteral("vorbis"));
        EXPECT_FALSE(otherQt || codec) << lib.toStdString();
    }
}
