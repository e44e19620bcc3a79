// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "platform/EndSound.h"
#include "settings/EndSoundPlayer.h"
#include "settings/FrmOptions.h"
#include "tests/settings/SettingsTestSupport.h"

#include <QFile>
#include <QIODevice>

namespace {

using EndSound = SettingsTest;

TEST_F(EndSound, StreamDeliversTheWholeFileConverted)
{
    const QString wav = writeToneWav(testenv::root() + QStringLiteral("/tone.wav"), 22050, 1, 22050);
    QString error;
    // Asked for stereo at 44.1 kHz: one second of 4-byte frames, within a few frames of resampling.
    auto stream = EndSoundPlayer::OpenStream(wav, 44100, 2, &error);
    ASSERT_TRUE(stream) << qPrintable(error);
    qint64 total = 0;
    char buf[4096];
    for (qint64 n; (n = stream->read(buf, sizeof buf)) > 0;)
        total += n;
    EXPECT_EQ(total % 4, 0);
    EXPECT_NEAR(total / 4.0, 44100.0, 64.0);
}

TEST_F(EndSound, FilesThatAreNoAudioGiveNoStream)
{
    QFile text(testenv::root() + QStringLiteral("/notes.wav"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("this is not a sound");
    text.close();
    QString error;
    EXPECT_FALSE(EndSoundPlayer::OpenStream(text.fileName(), 44100, 2, &error));
    EXPECT_FALSE(EndSoundPlayer::OpenStream(testenv::root() + QStringLiteral("/missing.mp3"), 44100, 2, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(EndSound, OptionsWindowRegistersTheDecodingPlayer)
{
    platform::setEndSoundService(nullptr);  // the fixture's double out of the way
    frmOptions.get();
    EXPECT_NE(dynamic_cast<EndSoundPlayer*>(&platform::endSound()), nullptr);
    // Without a sound device (or with a bad file) play falls back to a beep and returns at once.
    platform::endSound().play(testenv::root() + QStringLiteral("/missing.wav"));
    platform::endSound().stop();
    platform::setEndSoundService(&sound);
}

}  // namespace
