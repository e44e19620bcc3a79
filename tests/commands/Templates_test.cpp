// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/commands/CommandsFixture.h"

#include "commands/Templates.h"
#include "tests/support/FakeClock.h"

namespace {

class TemplatesTest : public CommandsFixture {
protected:
    // Gives the grid's last row known texts.
    static void setRow(cGrid* g, long row, const QString& name, const QString& size, const QString& time, const QString& created)
    {
        g->Cell(row, g->ColumnIndex(ItemRow::COL_ITEM_NAME)).Text(name);
        g->Cell(row, g->ColumnIndex(ItemRow::COL_SIZE)).Text(size);
        g->Cell(row, g->ColumnIndex(ItemRow::COL_TIME)).Text(time);
        g->Cell(row, g->ColumnIndex(ItemRow::COL_CREATED)).Text(created);
    }
    // A tool window whose target format combo reads as given.
    struct SpeechWindow : ToolWindow {
        QWidget w;
        QString format;
        QWidget* Window() override { return &w; }
        QString cboTargetFormat() override { return format; }
    };
};

}  // namespace

TEST_F(TemplatesTest, NoticePlaceholdersComeFromTheLastRow)
{
    const QString list = makeList(QStringLiteral("Songs"), makeWavs(2));
    FrmMain* f = openMain();
    openList(f, list);
    setRow(f->cGrid1, 1, QStringLiteral("first.wav"), QStringLiteral("1 KB"), QStringLiteral("0:00:01"), QStringLiteral("then"));
    setRow(f->cGrid1, 2, QStringLiteral("take [FILE_SIZE].wav"), QStringLiteral("2.5 MB"), QStringLiteral("0:03:07"),
           QStringLiteral("08.12.2024"));
    f->cGrid1->CurrentRow(1);
    struct Case {
        QString notice;
        QString expected;
    };
    const Case cases[] = {
        {QStringLiteral("notify-send done"), QStringLiteral("notify-send done")},
        {QStringLiteral("[PROG_NAME] [PROG_VERSION]"), g_sAppName + QLatin1Char(' ') + g_sAppVersion},
        {QStringLiteral("[FILE_SIZE]/[FILE_SIZE] [file_size]"), QStringLiteral("2.5 MB/2.5 MB [file_size]")},
        {QStringLiteral("[FILE_TIME_LENGTH] [FILE_CREATED]"), QStringLiteral("0:03:07 08.12.2024")},
        // A name holding a later placeholder: it is replaced in the later step.
        {QStringLiteral("\"[FILE_RECORDED]\""), QStringLiteral("\"take 2.5 MB.wav\"")},
    };
    for (const Case& c : cases) {
        ProgramOptions.txtAppNotice = c.notice;
        EXPECT_EQ(f->GetNoticAppParameters(), c.expected) << c.notice.toStdString();
    }
    // An empty grid gives the file placeholders nothing.
    f->cGrid1->Clear();
    ProgramOptions.txtAppNotice = QStringLiteral("a[FILE_RECORDED]b[FILE_SIZE]c[PROG_NAME]");
    EXPECT_EQ(f->GetNoticAppParameters(), QStringLiteral("abc") + g_sAppName);
}

TEST_F(TemplatesTest, TagPlaceholdersUseTheClockAndTheCurrentRow)
{
    FakeClock clock(QDateTime(QDate(2024, 12, 8), QTime(14, 5, 9)), QStringLiteral("dd/MM/yyyy"), QStringLiteral("HH:mm:ss"));
    const QString list = makeList(QStringLiteral("Songs"), makeWavs(3));
    FrmMain* f = openMain();
    openList(f, list);
    f->cGrid1->CurrentRow(2);
    EXPECT_EQ(f->CreateID3TagsString(QStringLiteral("[DATE] [TIME] #[TRACK_NUM] [PROG_NAME] [PROG_VERSION] [YEAR] [YEAR] [year]")),
              QStringLiteral("08/12/2024 14:05:09 #3 ") + g_sAppName + QLatin1Char(' ') + g_sAppVersion +
                  QStringLiteral(" 2024 2024 [year]"));
    EXPECT_EQ(f->CreateID3TagsString(QStringLiteral("plain")), QStringLiteral("plain"));
}

TEST_F(TemplatesTest, ExtensionsAndTimeStampedNames)
{
    const std::pair<const char*, const char*> table[] = {
        {"WAV PCM", "wav"}, {"ACM codec", "wav"}, {"acm codec", "wav"}, {"MP3 (LAME)", "mp3"}, {"WMA", "wma"},
        {"OGG Vorbis", "ogg"}, {"APE", "ape"}, {"FLAC", ""}, {"", ""}, {"WA", ""},
    };
    for (const auto& [text, ext] : table)
        EXPECT_EQ(Templates::ExtForTargetFormat(QLatin1String(text)), QLatin1String(ext)) << text;

    FakeClock slashes(QDateTime(QDate(2024, 12, 8), QTime(14, 5, 9)), QStringLiteral("MM/dd/yyyy"));
    FrmMain* f = openMain();
    SpeechWindow speech;
    ToolWindows::Register(QStringLiteral("Text To Speech"), [&] { return &speech; });
    speech.format = QStringLiteral("MP3 128 kbit/s");
    EXPECT_EQ(f->CreateFileName(QStringLiteral("ignored")), QStringLiteral("14-05-09_12-08-2024.mp3"));
    EXPECT_EQ(f->CreateFileName(QString()), f->CreateFileName(QStringLiteral("other")));

    FakeClock dots(QDateTime(QDate(2024, 12, 8), QTime(14, 5, 9)), QStringLiteral("dd.MM.yyyy"));
    speech.format = QStringLiteral("FLAC");
    EXPECT_EQ(f->CreateFileName(QString()), QStringLiteral("14-05-09_08.12.2024."));
    // Without a speech window there is no format.
    ToolWindows::Register(QStringLiteral("Text To Speech"), {});
    EXPECT_EQ(f->GetExt(), QString());
}

TEST_F(TemplatesTest, NoticeProgramGetsEachArgumentWhole)
{
    const QString list = makeList(QStringLiteral("Songs"), makeWavs(1));
    FrmMain* f = openMain();
    openList(f, list);
    const QString hostile = QStringLiteral("my \"best\" take; rm -rf ~ $(id) `id` 'x'.wav");
    setRow(f->cGrid1, 1, hostile, QStringLiteral("3 KB"), QStringLiteral("0:00:02"), QStringLiteral("today"));

    ProgramOptions.txtAppNotice = QStringLiteral("notify-send '[PROG_NAME] done' [FILE_RECORDED] --size=[FILE_SIZE]");
    ASSERT_TRUE(RunNoticeApp());
    ASSERT_EQ(shell.started.size(), 1);
    EXPECT_EQ(shell.started[0].program, QStringLiteral("notify-send"));
    EXPECT_EQ(shell.started[0].arguments,
              (QStringList{g_sAppName + QStringLiteral(" done"), hostile, QStringLiteral("--size=3 KB")}));

    ProgramOptions.txtAppNotice = QStringLiteral("   ");
    EXPECT_FALSE(RunNoticeApp());
    EXPECT_EQ(shell.started.size(), 1);
}
