// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Plays through a private sound server with a null sink, so the whole path from file to device
// runs without touching the machine's real sound.
#include "settings/EndSoundPlayer.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QtEndian>

#include <gtest/gtest.h>

#include <functional>

namespace {

bool waitUntil(const std::function<bool()>& done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QTest::qWait(10);
    return done();
}

QString writeSilence(const QString& path, int rate, int frames)
{
    QByteArray wav("RIFF");
    const auto u32 = [&wav](quint32 v) { char b[4]; qToLittleEndian<quint32>(v, b); wav.append(b, 4); };
    const auto u16 = [&wav](quint16 v) { char b[2]; qToLittleEndian<quint16>(v, b); wav.append(b, 2); };
    u32(36 + frames * 4);
    wav.append("WAVEfmt ");
    u32(16); u16(1); u16(2); u32(rate); u32(rate * 4); u16(4); u16(16);
    wav.append("data");
    u32(frames * 4);
    wav.append(QByteArray(frames * 4, '\0'));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(wav);
    return path;
}

class SoundServer : public testing::Test {
protected:
    void SetUp() override
    {
        const QString exe = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        ASSERT_FALSE(exe.isEmpty()) << "pulseaudio is needed for the sound tests (tools/debian-packages.txt)";
        dir = testenv::root() + QStringLiteral("/pulse");
        QDir().mkpath(dir);
        socket = dir + QStringLiteral("/native");
        QFile config(dir + QStringLiteral("/default.pa"));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(("load-module module-native-protocol-unix auth-anonymous=1 socket=" + socket.toUtf8() +
                      "\nload-module module-null-sink sink_name=qmnull\nset-default-sink qmnull\n"));
        config.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), dir);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir);
        server.setProcessEnvironment(env);
        server.start(exe, {QStringLiteral("-n"), QStringLiteral("-F"), dir + QStringLiteral("/default.pa"),
                           QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                           QStringLiteral("--disable-shm=yes"), QStringLiteral("--use-pid-file=no")});
        ASSERT_TRUE(server.waitForStarted(5000));
        ASSERT_TRUE(waitUntil([this] { return QFile::exists(socket); }, 5000)) << "sound server did not start";
        qputenv("PULSE_SERVER", ("unix:" + socket).toUtf8());
    }
    void TearDown() override
    {
        server.terminate();
        server.waitForFinished(3000);
    }
    QString dir;
    QString socket;
    QProcess server;
};

TEST_F(SoundServer, PlaysToTheEndAndCanBeStopped)
{
    const QString wav = writeSilence(dir + QStringLiteral("/short.wav"), 44100, 44100 / 4);
    EndSoundPlayer player;
    player.play(wav);  // returns at once
    ASSERT_TRUE(waitUntil([&] { return player.isPlaying(); }, 3000)) << "the sink never started";
    EXPECT_TRUE(waitUntil([&] { return !player.isPlaying(); }, 5000)) << "a quarter second sound did not end";

    const QString longer = writeSilence(dir + QStringLiteral("/long.wav"), 44100, 44100 * 10);
    player.play(longer);
    ASSERT_TRUE(waitUntil([&] { return player.isPlaying(); }, 3000));
    player.stop();
    EXPECT_FALSE(player.isPlaying());
}

}  // namespace
