// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cDateTimePick.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(cDateTimePick, ShowsHoursMinutesSecondsUpTo99Hours)
{
    cDateTimePick p;
    EXPECT_EQ(p.Text(), QStringLiteral("00:00:00"));
    QSignalSpy changes(&p, &cDateTimePick::Change);
    const struct {
        long in;
        long value;
        const char* text;
    } cases[] = {
        {90, 90, "00:01:30"},
        {86399, 86399, "23:59:59"},
        {90000, 90000, "25:00:00"},  // a day and an hour: no wrap to 01:00:00
        {cDateTimePick::kMaxSeconds, cDateTimePick::kMaxSeconds, "99:59:59"},
        {cDateTimePick::kMaxSeconds + 1, cDateTimePick::kMaxSeconds, "99:59:59"},
        {-5, 0, "00:00:00"},
    };
    for (const auto& c : cases) {
        p.Value(c.in);
        EXPECT_EQ(p.Value(), c.value) << c.in;
        EXPECT_EQ(p.Text(), QLatin1String(c.text)) << c.in;
        EXPECT_EQ(p.findChild<QLineEdit*>()->text(), QLatin1String(c.text)) << c.in;
    }
    // One event per change of the value, carrying the new value; the same value again is silent.
    ASSERT_EQ(changes.count(), 5);
    EXPECT_EQ(changes.at(2).at(0).toLongLong(), 90000);
    EXPECT_EQ(changes.at(4).at(0).toLongLong(), 0);
}

TEST(cDateTimePick, ParsesOnlyWholeTimes)
{
    const struct {
        const char* text;
        long seconds;
    } cases[] = {{"01:02:03", 3723}, {"99:59:59", cDateTimePick::kMaxSeconds}, {"1:2:3", 3723},
                 {"00:60:00", -1},   {"00:00:60", -1},                       {"12:00", -1},
                 {"", -1},           {"ab:cd:ef", -1},                       {"100:00:00", -1}};
    for (const auto& c : cases)
        EXPECT_EQ(cDateTimePick::ParseValue(QLatin1String(c.text)), c.seconds) << c.text;
}

TEST(cDateTimePick, TypingAndSteppingRaiseChange)
{
    cDateTimePick p;
    p.Value(3600);
    QSignalSpy changes(&p, &cDateTimePick::Change);
    QLineEdit* edit = p.findChild<QLineEdit*>();

    // The arrows step the section under the cursor.
    edit->setCursorPosition(1);
    p.stepBy(1);
    EXPECT_EQ(p.Value(), 7200);
    edit->setCursorPosition(4);
    p.stepBy(-1);
    EXPECT_EQ(p.Value(), 7140);
    edit->setCursorPosition(8);
    p.stepBy(5);
    EXPECT_EQ(p.Value(), 7145);
    ASSERT_EQ(changes.count(), 3);

    // Typed text counts once it is a whole time.
    p.show();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("26:00:"));
    EXPECT_EQ(p.Value(), 7145);
    EXPECT_EQ(changes.count(), 3);
    QTest::keyClicks(edit, QStringLiteral("07"));
    EXPECT_EQ(p.Value(), 26 * 3600 + 7);
    EXPECT_EQ(changes.last().at(0).toLongLong(), 26 * 3600 + 7);

    // A handler that holds the value back is shown at once.
    QObject::connect(&p, &cDateTimePick::Change, &p, [&p](long s) {
        if (s > 3600)
            p.Value(3600);
    });
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("05:00:00"));
    EXPECT_EQ(p.Value(), 3600);
    EXPECT_EQ(edit->text(), QStringLiteral("01:00:00"));
}

}  // namespace
