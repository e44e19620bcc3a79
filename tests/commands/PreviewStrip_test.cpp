// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The preview strip's rules against a fake player, fake timers and a fake window.
#include "commands/PreviewStrip.h"
#include "components/cPlayer.h"
#include "foundation/mdlFunctions.h"
#include "settings/ProgramOptions.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QTreeWidgetItem>

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

class FakePlayer final : public cPlayer {
public:
    bool IsPlaying() const override { return playing; }
    bool IsPaused() const override { return playing && paused; }
    void Pause() override { log.push_back(QStringLiteral("Pause")); paused = true; }
    void Resume() override { log.push_back(QStringLiteral("Resume")); paused = false; }
    void Stop() override
    {
        log.push_back(QStringLiteral("Stop"));
        playing = paused = false;
        reachedEnd = false;
    }
    long OpenAndPlay(const QString& path, long device) override
    {
        log.push_back(QStringLiteral("OpenAndPlay ") + path);
        lastDevice = device;
        if (openResult == 0) {
            playing = true;
            paused = false;
            playingPath = path;
        }
        return openResult;
    }
    void ErrorReport(long result) override { log.push_back(QStringLiteral("ErrorReport %1").arg(result)); }
    long Load(const QString& path) override
    {
        log.push_back(QStringLiteral("Load ") + path);
        return playing ? static_cast<long>(ErrBusy) : 0L;
    }
    double Length() const override { return length; }
    long Position() const override { return position; }
    void Seek(long seconds) override { log.push_back(QStringLiteral("Seek %1").arg(seconds)); }
    QString FormatTime(long seconds) const override { return FormatSecondsHMS(static_cast<int32_t>(seconds)); }
    long CurrentAudioData() override { return playing ? ++handles : 0; }
    void Release() override {}
    bool ReachedEnd() const override { return reachedEnd; }

    // The file plays to its end: the player is idle and its end event is due.
    void reachEnd()
    {
        playing = paused = false;
        reachedEnd = true;
    }
    int count(const QString& prefix) const
    {
        return static_cast<int>(std::count_if(log.begin(), log.end(), [&](const QString& s) { return s.startsWith(prefix); }));
    }

    bool playing = false, paused = false, reachedEnd = false;
    long openResult = 0;
    long lastDevice = 0;
    double length = 65.0;
    long position = 0;
    long handles = 0;
    QString playingPath;
    QStringList log;
};

class FakeTimer final : public StripTimer {
public:
    void Start() override { on = true; }
    void Stop() override { on = false; }
    bool IsOn() const override { return on; }
    bool on = false;
};

class FakeHost final : public PreviewStripHost {
public:
    struct Row {
        QString file;
        bool marked = false;
    };
    long Rows() override { return static_cast<long>(rows.size()); }
    long SelectedRow() override { return selected; }
    void SelectRow(long row) override { selected = row; }
    QString RowFile(long row) override { return row >= 1 && row <= Rows() ? rows[static_cast<size_t>(row - 1)].file : QString(); }
    bool RowMarked(long row) override { return row >= 1 && row <= Rows() && rows[static_cast<size_t>(row - 1)].marked; }
    void SetRowBold(long row, bool bold) override
    {
        if (bold)
            bolds.insert(row);
        else
            bolds.erase(row);
    }
    void SetRowUnBold() override { bolds.clear(); }
    QTreeWidgetItem* SelectedNode() override { return node; }
    void SetNodePlaying(QTreeWidgetItem* n, bool playing) override { marks[n] = playing; }
    void SetTreeDisplayFlag() override { ++displayFlag; }
    void ClickSelectedNode() override { ++nodeClicks; }
    void SetStatus(const QString& text, long icon) override
    {
        status = text;
        statusIcon = icon;
    }
    void SetTotalLengthText(const QString& text) override { totalText = text; }
    void SetPositionText(const QString& text) override { positionText = text; }
    long SliderValue() override { return slider; }
    void SetSliderValue(long value) override { slider = value; }
    void SetSliderMax(long value) override { sliderMax = value; }
    QString ButtonKey(long index) override
    {
        static const char* keys[] = {"", "Play", "Pause", "Stop"};
        return index >= 1 && index <= 3 ? QLatin1String(keys[index]) : QString();
    }
    bool ButtonPressed(const QString& key) override { return pressed[key]; }
    void SetButtonPressed(const QString& key, bool p) override { pressed[key] = p; }
    void SetButtonEnabled(const QString& key, bool e) override { enabled[key] = e; }
    void GraphAudioData(bool amplitude, long handle) override { graphLog.push_back(QStringLiteral("data %1 %2").arg(amplitude).arg(handle)); }
    void GraphRedraw(bool amplitude) override { graphLog.push_back(QStringLiteral("redraw %1").arg(amplitude)); }
    void GraphClear(bool amplitude) override { graphLog.push_back(QStringLiteral("clear %1").arg(amplitude)); }

    std::vector<Row> rows;
    long selected = 0;
    std::set<long> bolds;
    QTreeWidgetItem* node = nullptr;
    std::map<QTreeWidgetItem*, bool> marks;
    int displayFlag = 0;
    int nodeClicks = 0;
    QString status = QStringLiteral("Ready.");
    long statusIcon = 47;
    QString totalText = QStringLiteral("0:00:00");
    QString positionText = QStringLiteral("0:00:00");
    long slider = 0;
    long sliderMax = 0;
    std::map<QString, bool> pressed;
    std::map<QString, bool> enabled;
    QStringList graphLog;
};

enum Button : long { Play = 1, Pause = 2, Stop = 3 };

class PreviewStripTest : public testing::Test {
protected:
    void SetUp() override
    {
        ProgramOptions = ProgramOptionsData{};
        ProgramOptions.cboDevices = -1;
        for (int i = 1; i <= 6; ++i) {
            const QString path = testenv::root() + QStringLiteral("/item%1.wav").arg(i);
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            f.write("x");
            host.rows.push_back({path, false});
        }
        host.node = &list;
        host.selected = 1;
    }
    QString file(int row) const { return testenv::root() + QStringLiteral("/item%1.wav").arg(row); }
    void mark(std::initializer_list<int> rows)
    {
        for (int r : rows)
            host.rows[static_cast<size_t>(r - 1)].marked = true;
    }
    // Plays a row as a click on "Play" would.
    void playRow(long row)
    {
        host.selected = row;
        strip.tlbrPlayButtons_ButtonClick(Play);
        ASSERT_TRUE(player.playing);
    }
    // Delivers the end event the player raises.
    void end() { strip.cPlayer1_PlayEnd(); }

    FakePlayer player;
    FakeHost host;
    FakeTimer tmrPlayer, tmSlider, tmrAudioData;
    QTreeWidgetItem list;
    PreviewStrip strip{player, host, tmrPlayer, tmSlider, tmrAudioData};
};

TEST_F(PreviewStripTest, PlayStartsTheSelectedRowAndShowsItEverywhere)
{
    player.length = 65.4;
    playRow(2);
    EXPECT_EQ(player.playingPath, file(2));
    EXPECT_EQ(player.lastDevice, -1);
    EXPECT_EQ(host.status, QStringLiteral("Playing"));
    EXPECT_EQ(host.statusIcon, 38);
    EXPECT_EQ(host.sliderMax, 65);
    EXPECT_EQ(host.totalText, QStringLiteral("0:01:05"));
    EXPECT_TRUE(host.marks[&list]);
    EXPECT_EQ(strip.NodePlaying(), &list);
    EXPECT_TRUE(tmSlider.on);
    EXPECT_TRUE(tmrAudioData.on);
    EXPECT_EQ(host.bolds, std::set<long>{2});

    player.position = 7;
    strip.tmSlider_Timer();
    EXPECT_EQ(host.slider, 7);
    EXPECT_EQ(host.positionText, QStringLiteral("0:00:07"));
    strip.tmrAudioData_Timer();
    EXPECT_EQ(host.graphLog, (QStringList{QStringLiteral("data 1 1"), QStringLiteral("redraw 1"), QStringLiteral("data 0 2"),
                                          QStringLiteral("redraw 0")}));
}

TEST_F(PreviewStripTest, SliderMaximumIsTheWholeSecondLengthHalfToEven)
{
    const struct {
        double length;
        long max;
    } cases[] = {{0.0, 1}, {0.5, 1}, {0.51, 1}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {65.4, 65}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        player.playing = false;
        player.length = c.length;
        playRow(1);
        EXPECT_EQ(host.sliderMax, c.max);
    }
}

TEST_F(PreviewStripTest, PlayWithAnEmptyGridDoesNothing)
{
    host.rows.clear();
    strip.tlbrPlayButtons_ButtonClick(Play);
    EXPECT_TRUE(player.log.isEmpty());
    EXPECT_EQ(host.status, QStringLiteral("Ready."));
}

TEST_F(PreviewStripTest, PlayWhilePausedResumesAndReleasesPause)
{
    playRow(2);
    host.pressed[QStringLiteral("Pause")] = true;  // the toolbar toggles before it reports
    strip.tlbrPlayButtons_ButtonClick(Pause);
    EXPECT_TRUE(player.IsPaused());
    strip.tlbrPlayButtons_ButtonClick(Play);
    EXPECT_FALSE(player.IsPaused());
    EXPECT_FALSE(host.pressed[QStringLiteral("Pause")]);
    EXPECT_EQ(player.count(QStringLiteral("OpenAndPlay")), 1);
    EXPECT_EQ(player.count(QStringLiteral("Stop")), 0);
}

TEST_F(PreviewStripTest, PlayWhilePlayingRestartsTheRowSelectedWhenTheTimerTicks)
{
    ProgramOptions.chkGoToNextItem = true;
    mark({3, 5});
    playRow(2);
    strip.tlbrPlayButtons_ButtonClick(Play);
    EXPECT_FALSE(player.playing);
    EXPECT_TRUE(tmrPlayer.on);
    // The stop's end event arrives while the restart is pending: no next row.
    end();
    EXPECT_EQ(player.count(QStringLiteral("OpenAndPlay")), 1);
    host.selected = 4;
    strip.tmrPlayer_Timer();
    EXPECT_FALSE(tmrPlayer.on);
    EXPECT_EQ(player.playingPath, file(4));
    EXPECT_EQ(host.bolds, std::set<long>{4});
}

TEST_F(PreviewStripTest, PlayOnADeletedFileSaysSoAndReloadsTheList)
{
    FakeMessageBox box;
    QFile::remove(file(3));
    host.selected = 3;
    strip.tlbrPlayButtons_ButtonClick(Play);
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].prompt, file(3) + QStringLiteral(" is not existed."));
    EXPECT_EQ(host.nodeClicks, 1);
    EXPECT_EQ(player.count(QStringLiteral("OpenAndPlay")), 0);
    EXPECT_EQ(host.status, QStringLiteral("Ready."));
}

TEST_F(PreviewStripTest, AFailedOpenIsReportedAndChangesNothing)
{
    player.openResult = cPlayer::ErrNoOutput;
    host.selected = 2;
    strip.tlbrPlayButtons_ButtonClick(Play);
    EXPECT_EQ(player.count(QStringLiteral("ErrorReport 2")), 1);
    EXPECT_EQ(host.status, QStringLiteral("Ready."));
    EXPECT_EQ(host.statusIcon, 47);
    EXPECT_TRUE(host.bolds.empty());
    EXPECT_TRUE(host.marks.empty());
    EXPECT_FALSE(tmSlider.on || tmrAudioData.on);
    EXPECT_EQ(host.totalText, QStringLiteral("0:00:00"));
    EXPECT_EQ(host.sliderMax, 0);
}

TEST_F(PreviewStripTest, PauseWhileIdleStaysReleased)
{
    host.pressed[QStringLiteral("Pause")] = true;
    strip.tlbrPlayButtons_ButtonClick(Pause);
    EXPECT_FALSE(host.pressed[QStringLiteral("Pause")]);
    EXPECT_TRUE(player.log.isEmpty());
}

TEST_F(PreviewStripTest, StopWhilePausedResumesThenStops)
{
    playRow(2);
    host.pressed[QStringLiteral("Pause")] = true;
    strip.tlbrPlayButtons_ButtonClick(Pause);
    strip.tlbrPlayButtons_ButtonClick(Stop);
    EXPECT_EQ(player.log.mid(1), (QStringList{QStringLiteral("Pause"), QStringLiteral("Resume"), QStringLiteral("Stop")}));
    EXPECT_FALSE(host.pressed[QStringLiteral("Pause")]);
    EXPECT_TRUE(host.enabled[QStringLiteral("Play")]);
    EXPECT_EQ(strip.NodePlaying(), nullptr);
    EXPECT_FALSE(host.marks[&list]);
    EXPECT_FALSE(tmSlider.on || tmrAudioData.on);
    EXPECT_EQ(host.graphLog.mid(host.graphLog.size() - 2), (QStringList{QStringLiteral("clear 0"), QStringLiteral("clear 1")}));
}

TEST_F(PreviewStripTest, SliderDragSeeksOnlyWhilePlaying)
{
    strip.cSlider1_DragStart();
    host.slider = 12;
    strip.cSlider1_DragEnd();
    EXPECT_EQ(player.count(QStringLiteral("Seek")), 0);
    EXPECT_FALSE(tmSlider.on);

    playRow(1);
    strip.cSlider1_DragStart();
    EXPECT_FALSE(tmSlider.on);
    host.slider = 30;
    strip.cSlider1_DragEnd();
    EXPECT_EQ(player.log.last(), QStringLiteral("Seek 30"));
    EXPECT_TRUE(tmSlider.on);
}

TEST_F(PreviewStripTest, EndOfAFileResetsTheStripAndGoesOnWithTheNextMarkedRowBelow)
{
    const struct {
        const char* name;
        bool goToNext;
        std::initializer_list<int> marked;
        long playing;
        long selectedAtEnd;  // the user may select another row while it plays
        long next;           // 0: nothing more plays
    } cases[] = {
        {"next marked below", true, {3, 5}, 2, 2, 3},
        {"no wrap-around", true, {1, 3}, 5, 5, 0},
        {"option off", false, {3, 5}, 2, 2, 0},
        {"from the row selected at the end", true, {3, 5}, 2, 4, 5},
        {"last row selected", true, {1, 2}, 6, 6, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        host.rows.resize(6);
        for (auto& r : host.rows)
            r.marked = false;
        mark(c.marked);
        ProgramOptions.chkGoToNextItem = c.goToNext;
        player.log.clear();
        player.playing = false;
        playRow(c.playing);
        host.selected = c.selectedAtEnd;
        player.position = 9;
        strip.tmSlider_Timer();
        player.reachEnd();
        end();
        EXPECT_EQ(host.slider, 0);
        EXPECT_EQ(host.positionText, QStringLiteral("0:00:00"));
        EXPECT_GE(host.displayFlag, 1);
        EXPECT_TRUE(host.graphLog.contains(QStringLiteral("clear 0")));
        if (c.next == 0) {
            EXPECT_EQ(host.status, QStringLiteral("Ready."));
            EXPECT_EQ(host.statusIcon, 47);
            EXPECT_FALSE(player.playing);
            EXPECT_EQ(player.count(QStringLiteral("OpenAndPlay")), 1);
            EXPECT_TRUE(host.bolds.empty());
            EXPECT_FALSE(host.marks[&list]);
            EXPECT_FALSE(tmSlider.on || tmrAudioData.on);
        } else {
            EXPECT_EQ(host.status, QStringLiteral("Playing"));
            EXPECT_EQ(host.selected, c.next);
            EXPECT_EQ(player.playingPath, file(static_cast<int>(c.next)));
            EXPECT_EQ(host.bolds, std::set<long>{c.next});
            EXPECT_TRUE(host.marks[&list]);
        }
        host.bolds.clear();
        host.marks.clear();
        host.graphLog.clear();
        host.displayFlag = 0;
    }
}

TEST_F(PreviewStripTest, NoNextRowAfterAStopFromTheStripOrFromACommand)
{
    ProgramOptions.chkGoToNextItem = true;
    mark({3, 5});
    // The strip's own Stop forgets the playing list.
    playRow(2);
    strip.tlbrPlayButtons_ButtonClick(Stop);
    end();
    EXPECT_EQ(player.count(QStringLiteral("OpenAndPlay")), 1);

    // The dispatcher's stop before a command: the list stays remembered, yet the end event of a
    // playback that did not reach its end starts nothing behind the tool window.
    playRow(2);
    player.Stop();
    ASSERT_EQ(strip.NodePlaying(), &list);
    end();
    EXPECT_EQ(player.count(QStringLiteral("OpenAndPlay")), 2);
    EXPECT_FALSE(player.playing);
    EXPECT_FALSE(host.marks[&list]);
    EXPECT_EQ(host.status, QStringLiteral("Ready."));

    // The Stop request itself.
    playRow(2);
    strip.StopRequest();
    EXPECT_FALSE(player.playing);
    end();
    EXPECT_EQ(player.count(QStringLiteral("OpenAndPlay")), 3);
}

TEST_F(PreviewStripTest, LoadItemToPlayerShowsTheLengthOfAnIdleSelection)
{
    player.length = 125.5;
    host.selected = 2;
    host.positionText = QStringLiteral("0:00:42");
    strip.LoadItemToPlayer();
    EXPECT_EQ(player.log, QStringList{QStringLiteral("Load ") + file(2)});
    EXPECT_EQ(host.totalText, QStringLiteral("0:02:06"));
    EXPECT_EQ(host.positionText, QStringLiteral("0:00:00"));

    // Playing, missing file, empty grid: labels untouched, nothing loaded.
    player.log.clear();
    playRow(1);
    host.totalText = QStringLiteral("keep");
    strip.LoadItemToPlayer();
    player.playing = false;
    QFile::remove(file(3));
    host.selected = 3;
    strip.LoadItemToPlayer();
    host.rows.clear();
    strip.LoadItemToPlayer();
    EXPECT_EQ(player.count(QStringLiteral("Load")), 0);
    EXPECT_EQ(host.totalText, QStringLiteral("keep"));
}

}  // namespace
