// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The main window's preview strip with the real player on the private sound server.
#include "components/cAudioGraph.h"
#include "components/cPlayer.h"
#include "components/cSlider.h"
#include "foundation/mdlMain.h"
#include "mainwindow/cStatusBar.h"
#include "mainwindow/MainStartupWindows.h"
#include "mainwindow/cToolbar.h"
#include "tests/itemsgrid/ItemsGridFixture.h"
#include "tests/sound/SoundFixtures.h"
#include "tests/support/PulseServer.h"

#include <QLabel>
#include <QTest>

#include <algorithm>

namespace {

class MainWindowPreview : public ItemsGridFixture {
protected:
    void SetUp() override
    {
        ItemsGridFixture::SetUp();
        QString error;
        server = PulseServer::Shared(&error);
        ASSERT_TRUE(server) << qPrintable(error);
    }
    QString noiseWav(const QString& name, double seconds, uint32_t seed)
    {
        const QByteArray pcm = soundfx::noisePcm(static_cast<qint64>(seconds * 44100), seed);
        return makeFile(name, soundfx::wavHeader(44100, 2, 16, pcm.size()) + pcm);
    }
    static QString status(FrmMain* f) { return f->cStatusBar1->StatusPanelText(QStringLiteral("Main")); }
    static bool bold(FrmMain* f, long row) { return f->cGrid1->Cell(row, 3).Font().bold(); }
    static void click(FrmMain* f, const char* key) { f->tlbrPlayButtons->Click(f->tlbrPlayButtons->ButtonIndex(QLatin1String(key))); }

    PulseServer* server = nullptr;
};

TEST_F(MainWindowPreview, PlaysTheMarkedRowsOneAfterTheOtherToTheEnd)
{
    ProgramOptions.chkGoToNextItem = true;
    makeListOf(QStringLiteral("Session"), {noiseWav(QStringLiteral("a.wav"), 0.8, 1), noiseWav(QStringLiteral("b.wav"), 0.8, 2),
                                           noiseWav(QStringLiteral("c.wav"), 0.8, 3)});
    FrmMain* f = openMain();
    ASSERT_EQ(f->cGrid1->Rows(), 3);
    QTreeWidgetItem* list = f->cTreeView1->SelectedNode();
    f->cGrid1->CurrentRow(1);
    f->LoadItemToPlayer();
    EXPECT_EQ(f->lbTotalLengthSec->text(), QStringLiteral("0:00:01"));

    server->clearCapture();
    click(f, "Play");
    EXPECT_EQ(status(f), QStringLiteral("Playing"));
    EXPECT_EQ(f->cStatusBar1->StatusPanelIcon(QStringLiteral("Main")), 38);
    EXPECT_TRUE(bold(f, 1));
    EXPECT_EQ(f->NodePlaying(), list);
    EXPECT_TRUE(cTreeView::NodePlaying(list));
    EXPECT_TRUE(f->tmSlider->isActive());
    EXPECT_TRUE(f->tmrAudioData->isActive());
    EXPECT_EQ(f->cSlider1->Max(), 1);
    ASSERT_TRUE(PulseServer::waitUntil([&] { return f->cAudioGraphAmp->HasData() && f->cAudioGraphFreq->HasData(); }, 2000))
        << "the graphs were never fed";

    // The end of each file starts the next marked row below it, until the last one has played.
    ASSERT_TRUE(PulseServer::waitUntil([&] { return f->cGrid1->CurrentRow() == 3 && bold(f, 3); }, 6000));
    ASSERT_TRUE(PulseServer::waitUntil([&] { return status(f) == QLatin1String("Ready."); }, 4000));
    QTest::qWait(300);
    EXPECT_FALSE(f->cPlayer1->IsPlaying());
    EXPECT_EQ(f->cStatusBar1->StatusPanelIcon(QStringLiteral("Main")), 47);
    EXPECT_FALSE(bold(f, 1) || bold(f, 2) || bold(f, 3));
    EXPECT_FALSE(cTreeView::NodePlaying(list));
    EXPECT_EQ(f->lblCurrentPositionSec->text(), QStringLiteral("0:00:00"));
    EXPECT_EQ(f->cSlider1->Value(), 0);
    EXPECT_FALSE(f->cAudioGraphAmp->HasData());
    EXPECT_FALSE(f->tmSlider->isActive() || f->tmrAudioData->isActive());
    // All three files were heard, one after the other.
    const QByteArray heard = server->captured();
    qint64 sound = 0;
    for (qint64 i = 0; i < heard.size() / 4; ++i)
        sound += !soundfx::silentFrame(heard, i);
    EXPECT_GE(sound, static_cast<qint64>(3 * 0.8 * 44100) - 3);
}

TEST_F(MainWindowPreview, PlayWhilePlayingStartsTheSelectedRowAgainFromItsBeginning)
{
    // Frames that tell their number, so what is heard shows where in the file it came from.
    const QByteArray pcm = soundfx::countingPcm(8 * 44100);
    const QString counting = makeFile(QStringLiteral("counting.wav"), soundfx::wavHeader(44100, 2, 16, pcm.size()) + pcm);
    const QByteArray shorter = soundfx::countingPcm(6 * 44100);
    const QString second = makeFile(QStringLiteral("second.wav"), soundfx::wavHeader(44100, 2, 16, shorter.size()) + shorter);
    makeListOf(QStringLiteral("Session"), {counting, second});
    // The program as it starts, with its own wiring and stored options.
    MainStartupWindows windows;
    ASSERT_TRUE(Main(windows, {}));
    FrmMain* f = frmMain.get();
    waitIdle(f);
    ASSERT_EQ(f->cGrid1->Rows(), 2);
    f->cGrid1->CurrentRow(1);
    const QFont before = f->cGrid1->Cell(1, 3).Font();

    // True once, since the capture was last cleared, the file has been heard from its first
    // tenth of a second on up to frame `upTo` (the tail of an earlier start, further on, may
    // come before it).
    const auto heardFromStartTo = [&](qint64 upTo) {
        const std::vector<qint64> n = soundfx::heardNumbers(server->captured());
        const auto start = std::find_if(n.begin(), n.end(), [](qint64 v) { return v < 4410; });
        return start != n.end() && n.back() >= upTo && std::is_sorted(start, n.end());
    };

    server->clearCapture();
    click(f, "Play");
    ASSERT_TRUE(f->cPlayer1->IsPlaying());
    ASSERT_TRUE(PulseServer::waitUntil([&] { return heardFromStartTo(44100 / 2); }, 4000)) << "the first start was not heard";

    // Each "Play" while it plays stops it, and a moment later the row selected then plays from
    // its first frame, in bold, with the strip running. Before the third press the user has
    // selected row 2.
    for (int press = 1; press <= 3; ++press) {
        const long row = press == 3 ? 2 : 1;
        f->cGrid1->CurrentRow(row);
        click(f, "Play");
        EXPECT_TRUE(f->tmrPlayer->isActive()) << "press " << press;
        ASSERT_TRUE(PulseServer::waitUntil([&] { return !f->tmrPlayer->isActive(); }, 2000)) << "press " << press;
        QTest::qWait(50);
        server->clearCapture();
        ASSERT_TRUE(PulseServer::waitUntil([&] { return heardFromStartTo(44100 / 2); }, 4000))
            << "press " << press << ": nothing heard from the start of the file after the restart";
        EXPECT_TRUE(f->cPlayer1->IsPlaying()) << "press " << press;
        EXPECT_EQ(status(f), QStringLiteral("Playing")) << "press " << press;
        EXPECT_TRUE(bold(f, row)) << "press " << press;
        EXPECT_FALSE(bold(f, 3 - row)) << "press " << press;
        EXPECT_TRUE(f->tmSlider->isActive()) << "press " << press;
        EXPECT_EQ(f->cGrid1->CurrentRow(), row);
    }

    click(f, "Stop");
    ASSERT_TRUE(PulseServer::waitUntil([&] { return status(f) == QLatin1String("Ready."); }, 2000));
    // Back to regular type, in the grid's own face and size.
    const QFont after = f->cGrid1->Cell(1, 3).Font();
    EXPECT_FALSE(after.bold());
    EXPECT_EQ(after.family(), before.family());
    EXPECT_EQ(after.pointSizeF(), before.pointSizeF());
}

TEST_F(MainWindowPreview, AStopBeforeACommandStartsNoOtherRow)
{
    ProgramOptions.chkGoToNextItem = true;
    makeListOf(QStringLiteral("Session"), {noiseWav(QStringLiteral("a.wav"), 4, 1), noiseWav(QStringLiteral("b.wav"), 4, 2)});
    FrmMain* f = openMain();
    f->cGrid1->CurrentRow(1);

    // A command stops the player itself before its branch runs; the list stays remembered.
    click(f, "Play");
    ASSERT_TRUE(f->cPlayer1->IsPlaying());
    QTest::qWait(300);
    f->RunCommand(QStringLiteral("On Top"));
    EXPECT_FALSE(f->cPlayer1->IsPlaying());
    ASSERT_TRUE(PulseServer::waitUntil([&] { return status(f) == QLatin1String("Ready."); }, 2000));
    QTest::qWait(500);
    EXPECT_FALSE(f->cPlayer1->IsPlaying());
    EXPECT_EQ(f->cGrid1->CurrentRow(), 1);

    // The window's one stop for commands.
    click(f, "Play");
    ASSERT_TRUE(f->cPlayer1->IsPlaying());
    f->StopPreview();
    EXPECT_EQ(f->NodePlaying(), nullptr);
    ASSERT_TRUE(PulseServer::waitUntil([&] { return status(f) == QLatin1String("Ready."); }, 2000));
    QTest::qWait(500);
    EXPECT_FALSE(f->cPlayer1->IsPlaying());
    EXPECT_EQ(f->cGrid1->CurrentRow(), 1);
}

TEST_F(MainWindowPreview, PauseThenPlayResumesAndStopWhilePausedStops)
{
    makeListOf(QStringLiteral("Session"), {noiseWav(QStringLiteral("a.wav"), 4, 1)});
    FrmMain* f = openMain();
    f->cGrid1->CurrentRow(1);
    click(f, "Play");
    QTest::qWait(300);
    click(f, "Pause");
    EXPECT_TRUE(f->tlbrPlayButtons->ButtonPressed(QStringLiteral("Pause")));
    EXPECT_TRUE(f->cPlayer1->IsPaused());
    click(f, "Play");
    EXPECT_FALSE(f->cPlayer1->IsPaused());
    EXPECT_FALSE(f->tlbrPlayButtons->ButtonPressed(QStringLiteral("Pause")));
    click(f, "Pause");
    click(f, "Stop");
    EXPECT_FALSE(f->cPlayer1->IsPlaying());
    EXPECT_FALSE(f->tlbrPlayButtons->ButtonPressed(QStringLiteral("Pause")));
    ASSERT_TRUE(PulseServer::waitUntil([&] { return status(f) == QLatin1String("Ready."); }, 2000));
}

}  // namespace
