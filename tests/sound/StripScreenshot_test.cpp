// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The main window with its preview strip playing, for a person to look at:
// tools/screenshot-main.sh runs it under Xvfb; QM_SCREENSHOT_STRIP names the picture.
#include "components/cAudioGraph.h"
#include "components/cPlayer.h"
#include "components/cSlider.h"
#include "mainwindow/cToolbar.h"
#include "tests/itemsgrid/ItemsGridFixture.h"
#include "tests/sound/SoundFixtures.h"
#include "tests/support/PulseServer.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QTest>
#include <QtEndian>

#include <cmath>
#include <numbers>

namespace {

// A few seconds of plucked chords: something for both graphs to show.
QByteArray chords(double seconds)
{
    const int rate = 44100;
    const qint64 frames = static_cast<qint64>(seconds * rate);
    QByteArray pcm(static_cast<qsizetype>(frames * 4), '\0');
    const double notes[][3] = {{220.0, 277.2, 329.6}, {196.0, 246.9, 293.7}, {174.6, 220.0, 261.6}};
    for (qint64 i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        const int chord = static_cast<int>(t / 0.75) % 3;
        const double local = std::fmod(t, 0.75);
        double v = 0;
        for (int k = 0; k < 3; ++k)
            for (int h = 1; h <= 4; ++h)
                v += std::sin(2 * std::numbers::pi * notes[chord][k] * h * t) / (h * h);
        v *= 0.45 * std::exp(-1.2 * local);
        const auto s = static_cast<qint16>(std::clamp(v, -1.0, 1.0) * 32000);
        qToLittleEndian<qint16>(s, pcm.data() + i * 4);
        qToLittleEndian<qint16>(s, pcm.data() + i * 4 + 2);
    }
    return pcm;
}

using StripPicture = ItemsGridFixture;

TEST_F(StripPicture, PlayingStrip)
{
    QString error;
    ASSERT_TRUE(PulseServer::Shared(&error)) << qPrintable(error);
    ProgramOptions.chkDisplayTitle = true;
    ProgramOptions.chkDisplayAudioGraph = true;
    ProgramOptions.chkDisplayGridLine = true;
    ProgramOptions.picColor = 8404992;  // the installer's first colours
    ProgramOptions.picTextColor = 16777215;
    QStringList files;
    for (const char* name : {"01 - Morning.wav", "02 - Harbour Walk.wav", "03 - Evening.wav"}) {
        const QByteArray pcm = chords(12);
        files << makeFile(QLatin1String(name), soundfx::wavHeader(44100, 2, 16, pcm.size()) + pcm);
    }
    makeListOf(QStringLiteral("Evening Session"), files);
    FrmMain* f = openMain();
    ASSERT_EQ(f->cGrid1->Rows(), 3);
    f->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f) || QGuiApplication::platformName() == QLatin1String("offscreen"));
    f->cGrid1->CurrentRow(2);
    f->tlbrPlayButtons->Click(f->tlbrPlayButtons->ButtonIndex(QStringLiteral("Play")));
    ASSERT_TRUE(f->cPlayer1->IsPlaying());
    // The slider and the position label follow the player on the next tick of tmSlider.
    ASSERT_TRUE(PulseServer::waitUntil([&] { return f->cSlider1->Value() >= 2; }, 5000));
    QTest::qWait(150);
    EXPECT_TRUE(f->cAudioGraphAmp->HasData());
    EXPECT_NE(f->lblCurrentPositionSec->text(), QStringLiteral("0:00:00"));
    EXPECT_EQ(f->lbTotalLengthSec->text(), QStringLiteral("0:00:12"));

    const QPixmap shot = f->grab();
    EXPECT_FALSE(shot.toImage().isNull());
    const QString out = qEnvironmentVariable("QM_SCREENSHOT_STRIP");
    if (!out.isEmpty()) {
        EXPECT_TRUE(shot.save(out, "PNG")) << out.toStdString();
        const QPixmap strip = f->picPlayer->grab();
        QString zoomed = out;
        zoomed.replace(QStringLiteral(".png"), QStringLiteral("-zoom.png"));
        EXPECT_TRUE(strip.scaled(strip.size() * 2).save(zoomed, "PNG"));
    }
    f->StopPreview();
}

}  // namespace
