// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Plays through the private sound server, so the whole path from file to device runs without
// touching the machine's real sound.
#include "settings/EndSoundPlayer.h"
#include "tests/support/PulseServer.h"

#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

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
        QString error;
        server = PulseServer::Shared(&error);
        ASSERT_TRUE(server) << qPrintable(error);
        dir = server->folder();
    }
    PulseServer* server = nullptr;
    QString dir;
};

TEST_F(SoundServer, PlaysToTheEndAndCanBeStopped)
{
    const auto waitUntil = &PulseServer::waitUntil;
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
