// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/commands/CommandsFixture.h"

#include "foundation/mdlFunctions.h"

namespace {

// Records the disc-fill gauge and its label besides what the recording tool keeps.
class BurnerTool final : public RecordingTool {
public:
    void prgSize(long value, long max) override
    {
        gaugeValue = value;
        gaugeMax = max;
    }
    void lblDataSize(const QString& caption) override { dataSize = caption; }
    long gaugeValue = -1, gaugeMax = -1;
    QString dataSize;
};

// Records what the data CD makers write besides the recording tool's members.
class DataTool final : public RecordingTool {
public:
    void lblTitle(const QString& t) override { title = t; }
    void Caption(const QString& t) override { caption = t; }
    void txtCDName(const QString& n) override { volume = n; }
    void cboTargetFormat_Text(const QString& t) override { format = t; }
    QString title, caption, volume, format;
};

class CDMakerLauncherTest : public CommandsFixture {
protected:
    void SetUp() override
    {
        CommandsFixture::SetUp();
        g_lAppIncAudioBurner = 1;
    }
};

TEST_F(CDMakerLauncherTest, HandsTheMarkedRowsWithTheirMinutesAgainstEightyOfACd)
{
    const QString list = makeList(QStringLiteral("Songs"), makeWavs(4), {QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("1"),
                                                                         QStringLiteral("1")});
    FrmMain* f = openMain();
    openList(f, list);
    BurnerTool tool;
    ToolWindows::Register(QStringLiteral("Audio CD Maker"), [&] { return &tool; });

    // Marked seconds: the minutes are rounded halves to even; the warning only above 4800 s.
    struct Case {
        const char* times[3];
        const char* count;
        const char* panel;
        long gauge;
        const char* label;
    };
    const char* over = "Data is to big (more then 80 min). Please remove some tracks.";
    const Case cases[] = {
        {{"0:20:00", "0:25:00", "0:20:00"}, "3 items to burn (65 minutes).", "65 Min / 80 Min.", 65, "Data Size: 3 files, 65 Min / 80 Min."},
        {{"0:30:00", "0:30:00", "0:20:00"}, "3 items to burn (80 minutes).", "80 Min / 80 Min.", 80, "Data Size: 3 files, 80 Min / 80 Min."},
        {{"0:30:00", "0:30:00", "0:20:20"}, "3 items to burn (80 minutes).", "80 Min / 80 Min.", 80, over},
        {{"0:30:00", "0:30:00", "0:20:30"}, "3 items to burn (80 minutes).", "80 Min / 80 Min.", 80, over},
        {{"0:00:30", "0:00:30", "0:00:30"}, "3 items to burn (2 minutes).", "2 Min / 80 Min.", 2, "Data Size: 3 files, 2 Min / 80 Min."},
        {{"0:30:00", "0:30:00", "0:25:00"}, "3 items to burn (85 minutes).", "85 Min / 80 Min.", 85, over},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        const long rows[] = {1, 3, 4};
        for (int i = 0; i < 3; ++i)
            f->cGrid1->Cell(rows[i], f->cGrid1->ColumnIndex(ItemRow::COL_TIME)).Text(QLatin1String(c.times[i]));
        tool.grid.Clear();
        tool.panels.clear();
        f->RunCommand(QStringLiteral("Audio CD Maker"));
        EXPECT_EQ(tool.count, QLatin1String(c.count));
        EXPECT_EQ(tool.panels.value(QStringLiteral("Total Size")), QLatin1String(c.panel));
        EXPECT_FALSE(tool.panels.contains(QStringLiteral("Total Time")));
        EXPECT_EQ(tool.gaugeValue, c.gauge);
        EXPECT_EQ(tool.gaugeMax, 83);
        EXPECT_EQ(tool.dataSize, QLatin1String(c.label));
        EXPECT_EQ(tool.grid.Rows(), 3);
        EXPECT_TRUE(tool.subFolder.isEmpty());
    }
    EXPECT_EQ(tool.shown, int(std::size(cases)));

    // Nothing marked: the message, no window.
    f->MarkAllItems(false);
    box.shown.clear();
    f->RunCommand(QStringLiteral("Audio CD Maker"));
    EXPECT_EQ(prompts(), QStringList{QStringLiteral("Mark the items to burn.") + QString(29, u' ')});
    EXPECT_EQ(tool.shown, int(std::size(cases)));
    ToolWindows::Register(QStringLiteral("Audio CD Maker"), {});
}

}  // namespace

namespace {

TEST_F(CDMakerLauncherTest, TheDataMakersHandTheFormatOfTheirKeyAndTheVolumeName)
{
    g_lAppIncMP3Burner = 1;
    g_lAppIncWMABurner = 1;
    const QString list = makeList(QStringLiteral("Road Trip (2024)"), makeWavs(3), {QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("1")});
    FrmMain* f = openMain();
    openList(f, list);
    for (const char* key : {"MP3 CD Maker", "WMA CD Maker"}) {
        SCOPED_TRACE(key);
        DataTool tool;
        ToolWindows::Register(QLatin1String(key), [&] { return &tool; });
        f->RunCommand(QLatin1String(key));
        ASSERT_EQ(tool.shown, 1);
        EXPECT_EQ(tool.title, QLatin1String(key));
        EXPECT_EQ(tool.caption, QLatin1String(key));
        EXPECT_EQ(tool.count, QStringLiteral("2 items to burn."));
        EXPECT_EQ(tool.format, QLatin1String(key) == QLatin1String("MP3 CD Maker") ? QStringLiteral("MP3 - MPEG-1 Audio Layer 3 (*.mp3)")
                                                                                   : QStringLiteral("WMA - Windows Media Audio files (*.wma)"));
        EXPECT_EQ(tool.volume, MakeSafeName(QStringLiteral("Road Trip (2024)")));
        EXPECT_EQ(tool.secondsTotal, f->GetTotalTime(true).toLong());
        EXPECT_TRUE(tool.panels.value(QStringLiteral("Total Size")).startsWith(QStringLiteral("Total Time: ")));
        EXPECT_TRUE(tool.panels.value(QStringLiteral("Total Time")).startsWith(QStringLiteral("Total Size: ")));
        EXPECT_EQ(tool.grid.Rows(), 2);
        ToolWindows::Register(QLatin1String(key), {});
    }
}

}  // namespace
