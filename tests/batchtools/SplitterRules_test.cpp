// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "batchtools/SplitterRules.h"

#include <gtest/gtest.h>

using namespace Splitter;

namespace {

enum Mode { Parts, Seconds };

struct Case {
    long durationMs;
    Mode mode;
    const char* text;
    bool refused;
    long partLength;
    long parts;     // how many ranges the split makes
    long totalMax;  // scale of the whole-task bar
};

}  // namespace

TEST(SplitterRules, PartLengthRefusalsCountsAndBarMaximum)
{
    const Case cases[] = {
        // The default 6 parts.
        {60000, Parts, "6", false, 10, 6, 600},
        {62000, Parts, "6", false, 10, 7, 600},   // a seventh part of 2 s
        {2000, Parts, "6", true, 0, 0, 0},        // 0.33 s rounds to 0
        {65000, Parts, "6", false, 11, 6, 600},   // 10.83 s -> 11 s
        {60000, Parts, "1", false, 60, 1, 100},   // one part holds it all
        {60000, Parts, "0", true, 0, 0, 0},
        {60000, Parts, "-1", true, 0, 0, 0},
        {60000, Parts, "", true, 0, 0, 0},
        {60000, Parts, "   ", true, 0, 0, 0},
        {60000, Parts, "abc", true, 0, 0, 0},
        {60000, Parts, "6x", true, 0, 0, 0},
        {60000, Parts, " 4 ", false, 15, 4, 400},
        {60000, Parts, "2.5", false, 24, 3, 250}, // 60 / 2.5 = 24
        {0, Parts, "6", true, 0, 0, 0},           // a source that could not be opened
        // 10 seconds each.
        {60000, Seconds, "10", false, 10, 6, 600},
        {62000, Seconds, "10", false, 10, 7, 620},
        {65000, Seconds, "10", false, 10, 7, 650},  // the last of 5 s
        {2000, Seconds, "10", true, 0, 0, 0},       // longer than the source
        {60000, Seconds, "60", true, 0, 0, 0},      // equal to the source
        {60000, Seconds, "61", true, 0, 0, 0},
        {60000, Seconds, "0", true, 0, 0, 0},
        {60000, Seconds, "-1", true, 0, 0, 0},
        {60000, Seconds, "0.4", true, 0, 0, 0},     // rounds to 0
        {60000, Seconds, "", true, 0, 0, 0},
        {60000, Seconds, "ten", true, 0, 0, 0},
        {60000, Seconds, "2.5", false, 2, 30, 2400}, // parts of 2 s; the maximum from 2.5
        {60000, Seconds, "3.5", false, 4, 15, 1714}, // halves to even: 4; 60/3.5*100 = 1714.29
        {60000, Seconds, "0.5", true, 0, 0, 0},      // halves to even: 0
        {60000, Seconds, "1.5", false, 2, 30, 4000},
        {65000, Seconds, "64.9", false, 65, 1, 100}, // below the length, rounded to all of it
        // Length rounded up to the next millisecond: 60 s and a few samples leave a short tail.
        {60001, Parts, "6", false, 10, 7, 600},
        {60001, Seconds, "10", false, 10, 7, 600},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromLatin1(c.text);
        const Plan plan = c.mode == Parts ? PlanByParts(c.durationMs, text, QStringLiteral("."))
                                          : PlanBySeconds(c.durationMs, text, QStringLiteral("."));
        const QString where = QStringLiteral("%1 ms, %2 \"%3\"").arg(c.durationMs).arg(c.mode == Parts ? "parts" : "seconds", text);
        EXPECT_EQ(plan.refused, c.refused) << where.toStdString();
        if (c.refused)
            continue;
        EXPECT_EQ(plan.partLength, c.partLength) << where.toStdString();
        EXPECT_EQ(plan.totalMax, c.totalMax) << where.toStdString();
        const QList<PartRange> ranges = PartRanges(c.durationMs, plan.partLength);
        ASSERT_EQ(ranges.size(), c.parts) << where.toStdString();
        for (int i = 0; i < ranges.size(); ++i)
            EXPECT_EQ(ranges[i], (PartRange{i + 1, i * c.partLength, c.partLength})) << where.toStdString();
    }
}

TEST(SplitterRules, NumbersReadWithThePointAndTheDesktopsComma)
{
    struct NumberCase {
        const char* text;
        const char* desktopPoint;
        std::optional<double> value;
    };
    const NumberCase cases[] = {
        {"2.5", ".", 2.5},      {"2.5", ",", 2.5},        {"2,5", ",", 2.5},         {"2,5", ".", std::nullopt},
        {"1,000", ".", std::nullopt}, {"1,000", ",", 1.0}, {"1.000,5", ",", std::nullopt},
        {" 7 ", ".", 7.0},      {"+4", ".", 4.0},         {"-1", ".", -1.0},         {"1e1", ".", 10.0},
        {"", ".", std::nullopt}, {"x", ".", std::nullopt}, {"inf", ".", std::nullopt}, {"nan", ".", std::nullopt},
        {"1 0", ".", std::nullopt},
    };
    for (const NumberCase& c : cases)
        EXPECT_EQ(ReadNumber(QString::fromLatin1(c.text), QString::fromLatin1(c.desktopPoint)), c.value)
            << c.text << " with " << c.desktopPoint;

    // A desktop that writes "2,5" splits by 2,5 seconds as others by 2.5.
    EXPECT_EQ(PlanBySeconds(60000, QStringLiteral("2,5"), QStringLiteral(",")).totalMax, 2400);
    EXPECT_TRUE(PlanBySeconds(60000, QStringLiteral("2,5"), QStringLiteral(".")).refused);
}

TEST(SplitterRules, HugeAndTinyValuesAreRefusedRatherThanOverflowing)
{
    EXPECT_TRUE(PlanByParts(60000, QStringLiteral("1e-300")).refused);  // a length beyond any range
    EXPECT_TRUE(PlanByParts(60000, QStringLiteral("1e300")).refused);
    EXPECT_TRUE(PlanBySeconds(60000, QStringLiteral("1e300")).refused);
    EXPECT_TRUE(PartRanges(60000, 0).isEmpty());
}

TEST(SplitterRules, PartFileNames)
{
    struct NameCase {
        long part;
        const char* source;
        const char* target;
        const char* name;
    };
    const NameCase cases[] = {
        {1, "/music/song.wav", "MP3 - MPEG-1 Audio Layer 3 (*.mp3)", "Part_1_song.MP3"},
        {10, "/music/song.wav", "MP3 - MPEG-1 Audio Layer 3 (*.mp3)", "Part_10_song.MP3"},
        {1, "/music/song.flac", "MP3 - MPEG-1 Audio Layer 3 (*.mp3)", "Part_1_song.MP3"},
        {1, "/music/track", "MP3 - MPEG-1 Audio Layer 3 (*.mp3)", "Part_1_track.MP3"},
        {2, "/music/my.live.song.ogg", "WAV - Waveform Audio Format (*.wav)", "Part_2_my.live.song.WAV"},
        {1, "/mu.sic/track", "WAV - Waveform Audio Format (*.wav)", "Part_1_track.WAV"},
        {3, "/music/song.wav", "ACM - Waveform ACM Codecs (*.wav)", "Part_3_song.ACM"},
        {1, "/music/song.wav", "", "Part_1_song.WAV"},  // nothing chosen: WAV is handed over
        {1, "song.mp3", "WMA - Windows Media Audio files (*.wma)", "Part_1_song.WMA"},
    };
    for (const NameCase& c : cases)
        EXPECT_EQ(MakePartFileName(c.part, QString::fromUtf8(c.source), QString::fromLatin1(c.target)), QLatin1String(c.name))
            << c.source;
}
