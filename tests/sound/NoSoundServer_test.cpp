// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// No sound server at all: the server named is a socket nobody listens on, so nothing is spawned
// either. A file of its own, as the audio back end connects once per process.
#include "components/cPlayer.h"
#include "components/cSlider.h"
#include "mainwindow/cStatusBar.h"
#include "mainwindow/cToolbar.h"
#include "recording/FrmMicRecorder.h"
#include "recording/FrmWaveTTS.h"
#include "tests/itemsgrid/ItemsGridFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

const bool g_deadServer = [] {
    qputenv("PULSE_SERVER", "unix:/nonexistent/quillmere-test/pulse/native");
    return true;
}();

using NoSoundServer = ItemsGridFixture;

TEST_F(NoSoundServer, PlayAnswersAtOnceWithOneMessageAndLeavesTheStrip)
{
    ASSERT_TRUE(g_deadServer);
    const QString wav = makeWav(QStringLiteral("tone.wav"), 3.2);
    makeListOf(QStringLiteral("Session"), {wav});
    QElapsedTimer t;
    t.start();
    FrmMain* f = openMain();
    ASSERT_EQ(f->cGrid1->Rows(), 1);
    f->cGrid1->CurrentRow(1);

    t.restart();
    f->LoadItemToPlayer();
    EXPECT_LT(t.elapsed(), 1000);
    EXPECT_EQ(f->lbTotalLengthSec->text(), QStringLiteral("0:00:03"));

    const qsizetype before = box.shown.size();
    t.restart();
    f->tlbrPlayButtons->Click(f->tlbrPlayButtons->ButtonIndex(QStringLiteral("Play")));
    EXPECT_LT(t.elapsed(), 1000);
    ASSERT_EQ(box.shown.size(), before + 1);
    EXPECT_TRUE(box.shown.last().prompt.contains(QStringLiteral("tone.wav")));
    EXPECT_TRUE(box.shown.last().prompt.contains(QStringLiteral("no sound server")));
    EXPECT_FALSE(f->cPlayer1->IsPlaying());
    EXPECT_EQ(f->cStatusBar1->StatusPanelText(QStringLiteral("Main")), QStringLiteral("Ready."));
    EXPECT_EQ(f->lblCurrentPositionSec->text(), QStringLiteral("0:00:00"));
    EXPECT_EQ(f->lbTotalLengthSec->text(), QStringLiteral("0:00:03"));
    EXPECT_EQ(f->cSlider1->Value(), 0);
    EXPECT_FALSE(f->cGrid1->Cell(1, 3).Font().bold());
    EXPECT_EQ(f->NodePlaying(), nullptr);
    EXPECT_FALSE(f->tmSlider->isActive() || f->tmrAudioData->isActive() || f->tmrPlayer->isActive());
    QTest::qWait(300);
    EXPECT_EQ(box.shown.size(), before + 1);
}

TEST_F(NoSoundServer, RecorderAndSpeechWindowsAnswerAtOnceAndCreateNothing)
{
    ASSERT_TRUE(g_deadServer);
    QElapsedTimer t;
    t.start();
    FrmMicRecorder* w = g_frmMicRecorder.get();
    EXPECT_EQ(w->cboDevices->count(), 0);
    EXPECT_EQ(w->cboDevices->currentIndex(), -1);
    const QString take = path(QStringLiteral("never.wav"));
    w->txtAudioFile->setText(take);
    w->cmdRecord->click();
    const QStringList lines = w->txtResults->toPlainText().remove(QLatin1Char('\r')).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.last().contains(QStringLiteral(": Error RecordStart .There is no sound input")))
        << qPrintable(lines.last());
    EXPECT_TRUE(w->cmdRecord->isEnabled());
    EXPECT_FALSE(w->tmrRec->isActive());
    EXPECT_TRUE(QDir(media).entryList(QDir::Files | QDir::Hidden).isEmpty());
    // Playing a file that is there fails the same way, with a line and no waiting.
    const QString wav = makeWav(QStringLiteral("there.wav"), 0.5);
    w->txtAudioFile->setText(wav);
    w->cmdPlay->click();
    EXPECT_TRUE(w->txtResults->toPlainText().contains(QStringLiteral(": Error Play Start:")));
    EXPECT_FALSE(w->tmSlider->isActive());
    w->cmdExit->click();
    EXPECT_FALSE(g_frmMicRecorder.isLoaded());

    FrmWaveTTS* s = g_frmWaveTTS.get();
    EXPECT_EQ(s->cboAudioOutputs->count(), 0);
    EXPECT_GT(s->cboVoices->count(), 0) << "the voices are the engine's, not the server's";
    s->cmdSay->click();
    EXPECT_FALSE(s->cWaveTTS1->Status());
    s->close();
    EXPECT_LT(t.elapsed(), 5000);
}

}  // namespace
