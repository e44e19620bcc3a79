// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/mdlFileSystem.h"
#include "foundation/mdlFunctions.h"
#include "platform/Paths.h"
#include "tests/support/FakeClock.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

namespace {

class TextTest : public testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

TEST_F(TextTest, FormatSecondsHMS)
{
    const struct {
        int64_t seconds;
        const char* text;
    } cases[] = {
        {0, "0:00:00"}, {59, "0:00:59"}, {60, "0:01:00"}, {3599, "0:59:59"}, {3600, "1:00:00"},
        {90061, "25:01:01"}, {360000, "100:00:00"}, {-1, "-1:59:-01"}, {-61, "-1:58:-01"}, {-3600, "-1:00:00"},
        {2147483647, "596523:14:07"},
        // Totals of long lists pass 32 bits and keep their hours.
        {6000000000, "1666666:40:00"}, {99999999999, "27777777:46:39"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatSecondsHMS(c.seconds), QLatin1String(c.text)) << c.seconds;
}

TEST_F(TextTest, TimeTextToSeconds)
{
    FakeClock clock;
    const struct {
        const char* text;
        int32_t seconds;
    } cases[] = {
        {"0:03:25", 205}, {"00:03:25", 205}, {"23:59:59", 86399}, {"25:01:01", 90061}, {"100:00:00", 360000},
        {"2:05:09 PM", 50709}, {"12:00:00 AM", 0}, {"1:30", 5400}, {"", 0}, {"abc", 0}, {"1:2", 3720},
        {"125", 0}, {"1.5", 43200}, {"05.03.2024 14:05:09", 50709}, {"05.03.2024", 0}, {"a:b:c", 0},
        {"10:00:00.5", 36000}, {"10:00:01.5", 36002},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TimeTextToSeconds(QString::fromUtf8(c.text)), c.seconds) << c.text;
    for (int32_t s : {0, 1, 59, 61, 3599, 3600, 86399})
        EXPECT_EQ(TimeTextToSeconds(FormatSecondsHMS(s)), s) << s;
}

TEST_F(TextTest, FormatByteCount)
{
    const struct {
        int64_t bytes;
        const char* text;
    } cases[] = {
        {-1, ""}, {0, "0"}, {5, "5.00"}, {99, "99.0"}, {512, "512"}, {999, "999"}, {1000, "0.98 KB"},
        {10240, "10.0 KB"}, {102400, "100 KB"}, {1536000, "1.46 MB"}, {2147483647, "2.00 GB"},
        {1024000, "0.98 MB"}, {922337203685477LL, "839 TB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatByteCount(c.bytes), QLatin1String(c.text)) << c.bytes;
}

TEST_F(TextTest, FormatFileSizeUsesThe999Thresholds)
{
    const struct {
        double bytes;
        const char* text;
    } cases[] = {
        {0, "0 bytes"}, {999, "999 bytes"}, {1000, "0.98 KB"}, {10240, "10.0 KB"}, {102400, "100 KB"},
        {1022976, "999 KB"}, {1022977, "0.98 MB"}, {1048576, "1.00 MB"},
        // 100.5 KB: the whole-number rule rounds halves to even.
        {102912, "100 KB"}, {103936, "102 KB"}, {1e30, "827181 YB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFileSize(c.bytes), QLatin1String(c.text)) << c.bytes;
    EXPECT_EQ(FormatSizeNumber(100.5), QStringLiteral("100"));
    EXPECT_EQ(FormatSizeNumber(101.5), QStringLiteral("102"));
    EXPECT_EQ(FormatSizeNumber(10.25), QStringLiteral("10.3"));
    EXPECT_EQ(FormatSizeNumber(0.125), QStringLiteral("0.13"));
}

TEST_F(TextTest, AFigureThatRoundsUpTakesTheNextFormatOrUnit)
{
    // Rounding must not produce a figure its own format never writes ("1000 KB", "100.0 KB",
    // "10.00 KB"): such a figure is written as the next format, or the next unit, writes it.
    const struct {
        int64_t bytes;
        const char* byteCount;
        const char* fileSize;
    } cases[] = {
        {1023500, "0.98 MB", "0.98 MB"},  // 999.5 KB
        {1023487, "999 KB", "0.98 MB"},   // just below 999.5 KB; above 999 KB for file sizes
        {1048063, "1.00 MB", "1.00 MB"},  // 1023.5 KB
        {102399, "100 KB", "100 KB"},     // 99.999 KB
        {102348, "99.9 KB", "99.9 KB"},   // 99.949 KB
        {10235, "10.0 KB", "10.0 KB"},    // 9.995 KB
        {10234, "9.99 KB", "9.99 KB"},
        {1048051712, "0.98 GB", "0.98 GB"},  // 999.5 MB
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatByteCount(c.bytes), QLatin1String(c.byteCount)) << c.bytes;
        EXPECT_EQ(FormatFileSize(static_cast<double>(c.bytes)), QLatin1String(c.fileSize)) << c.bytes;
    }
}

TEST_F(TextTest, FormatsUseTheUsersDecimalSeparator)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(FormatFileSize(1000), QStringLiteral("0,98 KB"));
    EXPECT_EQ(FormatByteCount(1536000), QStringLiteral("1,46 MB"));
}

TEST_F(TextTest, AddLogLineAppendsTimeColonMessage)
{
    FakeClock clock(QDateTime(QDate(2024, 3, 5), QTime(14, 5, 9)), QStringLiteral("dd.MM.yyyy"), QStringLiteral("h:mm:ss AP"));
    QPlainTextEdit log;
    AddLogLine(QStringLiteral("Start"), &log);
    clock.advance(61000);
    AddLogLine(QStringLiteral("Done."), &log);
    EXPECT_EQ(log.toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n")),
              QStringLiteral("2:05:09 PM:Start\r\n2:06:10 PM:Done.\r\n"));
    EXPECT_EQ(log.textCursor().position(), log.document()->characterCount() - 1);
    AddLogLine(QStringLiteral("ignored"), static_cast<QPlainTextEdit*>(nullptr));
}

class PathHistoryTest : public testing::Test {
protected:
    void SetUp() override { QFile::remove(PathHistoryFile()); }
    QByteArray file() const
    {
        QFile f(PathHistoryFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void writeFile(const QByteArray& bytes) const
    {
        QDir().mkpath(platform::programFolder());
        QFile f(PathHistoryFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray lines(int from, int to)
    {
        QByteArray b;
        for (int i = from; i <= to; ++i)
            b += "/d" + QByteArray::number(i) + "/\r\n";
        return b;
    }
};

TEST_F(PathHistoryTest, LoadWithoutAFileCreatesAnEmptyOne)
{
    QComboBox cbo;
    cbo.addItem(QStringLiteral("stale"));
    LoadPathHistory(&cbo);
    EXPECT_EQ(cbo.count(), 0);
    EXPECT_EQ(cbo.currentIndex(), -1);
    EXPECT_EQ(file(), QByteArray());
    EXPECT_EQ(PathHistoryFile(), platform::programFolder() + QStringLiteral("/PathHistory"));
}

TEST_F(PathHistoryTest, LoadKeepsOrderAndEmptyLinesAndSelectsTheFirst)
{
    writeFile("/b/\r\n\r\n/a/\n");
    QComboBox cbo;
    LoadPathHistory(&cbo);
    ASSERT_EQ(cbo.count(), 3);
    EXPECT_EQ(cbo.itemText(1), QString());
    EXPECT_EQ(cbo.currentIndex(), 0);
    EXPECT_EQ(cbo.currentText(), QStringLiteral("/b/"));
}

TEST_F(PathHistoryTest, SaveMovesTheTextToTheFrontAndKeeps16)
{
    QComboBox cbo;
    cbo.setEditable(true);
    cbo.setEditText(QStringLiteral("/new/"));
    SavePathHistory(&cbo);
    EXPECT_EQ(file(), QByteArray("/new/\r\n"));

    writeFile(lines(1, 16));
    SavePathHistory(&cbo);
    EXPECT_EQ(file(), "/new/\r\n" + lines(1, 15));

    writeFile(lines(1, 16));
    cbo.setEditText(QStringLiteral("/d3/"));
    SavePathHistory(&cbo);
    EXPECT_EQ(file(), "/d3/\r\n" + lines(1, 2) + lines(4, 16));

    writeFile("/Music/\r\n");
    cbo.setEditText(QStringLiteral("/music/"));
    SavePathHistory(&cbo);
    EXPECT_EQ(file(), QByteArray("/music/\r\n/Music/\r\n"));
}

TEST_F(PathHistoryTest, SaveDropsEveryCopyOfTheText)
{
    writeFile("/a/\r\n/b/\r\n/a/\r\n");
    QComboBox cbo;
    cbo.setEditable(true);
    cbo.setEditText(QStringLiteral("/a/"));
    SavePathHistory(&cbo);
    EXPECT_EQ(file(), QByteArray("/a/\r\n/b/\r\n"));
}

}  // namespace
