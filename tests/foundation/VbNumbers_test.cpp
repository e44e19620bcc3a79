// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/DateValue.h"
#include "foundation/VbNumbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(VbNumbers, RoundHalfEven)
{
    const struct {
        double in;
        double out;
    } cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2}, {2.4999, 2}, {2.5001, 3},
                 {-2.6, -3}, {1e15 + 0.5, 1e15}, {0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(RoundHalfEven(c.in), c.out) << c.in;
    EXPECT_DOUBLE_EQ(RoundHalfEven(2.675, 2), 2.68);
    EXPECT_DOUBLE_EQ(RoundHalfEven(2.665, 2), 2.66);
    EXPECT_DOUBLE_EQ(RoundHalfEven(-1.25, 1), -1.2);
}

TEST(VbNumbers, CLngRoundsHalvesToEvenAndReportsOverflow)
{
    bool overflow = true;
    EXPECT_EQ(CLng(2.5, &overflow), 2);
    EXPECT_FALSE(overflow);
    EXPECT_EQ(CLng(-3.5), -4);
    EXPECT_EQ(CLng(2147483647.4, &overflow), 2147483647);
    EXPECT_FALSE(overflow);
    CLng(2147483647.5, &overflow);
    EXPECT_TRUE(overflow);
    EXPECT_EQ(CLng(-2147483648.0, &overflow), std::numeric_limits<int32_t>::min());
    EXPECT_FALSE(overflow);
    CLng(std::nan(""), &overflow);
    EXPECT_TRUE(overflow);
    EXPECT_EQ(CLngLng(4294967296.5), 4294967296LL);
}

TEST(VbNumbers, ValReadsTheLeadingNumber)
{
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"12abc", 12}, {" 1 2 3", 123}, {"abc", 0}, {"", 0}, {"-3.5x", -3.5}, {"+7", 7}, {"1.2.3", 1.2},
        {"1e3x", 1000}, {"2D2", 200}, {"5e", 5}, {".5", 0.5}, {"&HFF", 255}, {"&hFFFF", -1}, {"&O17", 15},
        {"&H", 0}, {"\t42\n", 42}, {"1,5", 1}, {"--1", 0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(Val(QString::fromUtf8(c.text)), c.value) << c.text;
}

TEST(VbNumbers, FormatFixedRoundsHalvesAwayFromZero)
{
    EXPECT_EQ(FormatFixed(0.5, 0), QStringLiteral("1"));
    EXPECT_EQ(FormatFixed(2.5, 0), QStringLiteral("3"));
    EXPECT_EQ(FormatFixed(0.125, 2), QStringLiteral("0.13"));
    EXPECT_EQ(FormatFixed(-0.001, 2), QStringLiteral("0.00"));
    EXPECT_EQ(FormatFixed(1234567.0, 1), QStringLiteral("1234567.0"));
}

TEST(DateValue, CountsDaysFrom30December1899)
{
    const struct {
        double days;
        QDateTime when;
    } cases[] = {
        {0.0, QDateTime(QDate(1899, 12, 30), QTime(0, 0))},
        {1.5, QDateTime(QDate(1899, 12, 31), QTime(12, 0))},
        {25569.0, QDateTime(QDate(1970, 1, 1), QTime(0, 0))},
        {45356.25, QDateTime(QDate(2024, 3, 5), QTime(6, 0))},
        // Before the epoch the fraction still counts forward within the day.
        {-1.25, QDateTime(QDate(1899, 12, 29), QTime(6, 0))},
        {-0.5, QDateTime(QDate(1899, 12, 30), QTime(12, 0))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.days);
        EXPECT_EQ(DateValue(c.days).toDateTime(), c.when);
        EXPECT_DOUBLE_EQ(DateValue::fromDateTime(c.when).days, c.days == -0.5 ? 0.5 : c.days);
    }
    // Just below midnight rounds to the next day rather than to 24:00.
    EXPECT_EQ(DateValue(1.0 - 1e-9).toDateTime(), QDateTime(QDate(1899, 12, 31), QTime(0, 0)));
    EXPECT_EQ(DateValue::fromParts(2024, 3, 5, 14, 5, 9).time(), QTime(14, 5, 9));
    EXPECT_EQ(DateValue(-1.25).totalSeconds(), -64800);
}

}  // namespace
