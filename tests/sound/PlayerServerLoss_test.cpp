// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The sound server goes away while a file plays. A file of its own: the server cannot come back
// for later tests in the same process.
#include "components/cPlayer.h"
#include "tests/sound/SoundFixtures.h"
#include "tests/support/PulseServer.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(PlayerServerLoss, ServerKilledMidPlayEndsThePlaybackWithinASecond)
{
    QString error;
    PulseServer* server = PulseServer::Shared(&error);
    ASSERT_TRUE(server) << qPrintable(error);
    const QString wav = server->folder() + QStringLiteral("/long.wav");
    const QByteArray pcm = soundfx::noisePcm(44100 * 20, 3);
    ASSERT_TRUE(soundfx::writeFile(wav, soundfx::wavHeader(44100, 2, 16, pcm.size()) + pcm));

    auto player = CreatePlayer();
    QSignalSpy ends(player.get(), &cPlayer::PlayEnd);
    ASSERT_EQ(player->OpenAndPlay(wav, -1), 0);
    ASSERT_TRUE(PulseServer::waitUntil([&] { return soundfx::firstSound(server->captured()) >= 0; }, 3000));
    QTest::qWait(300);

    server->kill();
    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(PulseServer::waitUntil([&] { return ends.count() > 0; }, 3000)) << "no PlayEnd after the server died";
    EXPECT_LT(t.elapsed(), 1600);
    EXPECT_FALSE(player->IsPlaying());
    EXPECT_FALSE(player->ReachedEnd());
    QTest::qWait(300);
    EXPECT_EQ(ends.count(), 1);
    player->Release();
}

}  // namespace
