// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The preview strip as the main window builds it, without playing anything.
#include "components/cAudioGraph.h"
#include "components/cPlayer.h"
#include "components/cSlider.h"
#include "mainwindow/MainWindowRules.h"
#include "mainwindow/cToolbar.h"
#include "settings/MainWindowLink.h"
#include "tests/itemsgrid/ItemsGridFixture.h"

#include <QLabel>

namespace {

using PreviewStripWindow = ItemsGridFixture;

TEST_F(PreviewStripWindow, LoadGivesTheGraphsTheirColoursAndTheStripItsIdleState)
{
    ProgramOptions.picColor = 0x804000;      // BGR: a dark blue
    ProgramOptions.picTextColor = 0x00ffff;  // BGR: yellow
    FrmMain* f = openMain();
    const QColor back = ColorFromBgr(0x804000);
    const QColor text = ColorFromBgr(0x00ffff);
    EXPECT_EQ(f->cAudioGraphAmp->GraphKind(), cAudioGraph::Amplitude);
    EXPECT_EQ(f->cAudioGraphFreq->GraphKind(), cAudioGraph::Frequency);
    EXPECT_EQ(f->cAudioGraphAmp->Color(1), back);
    EXPECT_EQ(f->cAudioGraphFreq->Color(1), back);
    // The text colour goes to the amplitude graph's second colour and the frequency graph's third.
    EXPECT_EQ(f->cAudioGraphAmp->Color(2), text);
    EXPECT_EQ(f->cAudioGraphFreq->Color(3), text);
    EXPECT_NE(f->cAudioGraphFreq->Color(2), text);

    // The options window's text-colour picker sets the second colour of both.
    mainWindowLink().SetGraphColor(2, 0x0000ff);
    EXPECT_EQ(f->cAudioGraphAmp->Color(2), QColor(Qt::red));
    EXPECT_EQ(f->cAudioGraphFreq->Color(2), QColor(Qt::red));

    EXPECT_EQ(f->lbTotalLengthSec->text(), QStringLiteral("0:00:00"));
    EXPECT_EQ(f->lblCurrentPositionSec->text(), QStringLiteral("0:00:00"));
    EXPECT_EQ(f->tmrPlayer->interval(), 200);
    EXPECT_EQ(f->tmSlider->interval(), 200);
    EXPECT_EQ(f->tmrAudioData->interval(), 100);
    EXPECT_FALSE(f->tmrPlayer->isActive() || f->tmSlider->isActive() || f->tmrAudioData->isActive());
    EXPECT_FALSE(f->cPlayer1->IsPlaying());
    EXPECT_EQ(f->NodePlaying(), nullptr);
}

TEST_F(PreviewStripWindow, PlayOnAMissingFileSaysSoAndPlaysNothing)
{
    const QString gone = makeWav(QStringLiteral("gone.wav"), 1.0);
    makeListOf(QStringLiteral("Session"), {gone, makeWav(QStringLiteral("kept.wav"), 1.0)});
    FrmMain* f = openMain();
    ASSERT_EQ(f->cGrid1->Rows(), 2);
    QFile::remove(gone);
    f->cGrid1->CurrentRow(1);
    const qsizetype before = box.shown.size();
    f->tlbrPlayButtons->Click(f->tlbrPlayButtons->ButtonIndex(QStringLiteral("Play")));
    ASSERT_GE(box.shown.size(), before + 1);
    EXPECT_EQ(box.shown[before].prompt, gone + QStringLiteral(" is not existed."));
    EXPECT_FALSE(f->cPlayer1->IsPlaying());
    EXPECT_FALSE(f->tmSlider->isActive());

    // A click on "Pause" while idle leaves it released.
    f->tlbrPlayButtons->Click(f->tlbrPlayButtons->ButtonIndex(QStringLiteral("Pause")));
    EXPECT_FALSE(f->tlbrPlayButtons->ButtonPressed(QStringLiteral("Pause")));
}

}  // namespace
