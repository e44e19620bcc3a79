// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "cdtools/RipperRules.h"
#include "components/cAudioCDRipper.h"
#include "tests/support/DiscImages.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(RipperRules, TheDiscCheckNamesWhatIsWrongWithTheDrive)
{
    QTemporaryDir dir;
    const QString audio = discimages::WriteBinCue(dir.path(), QStringLiteral("audio"), {{true, 75}, {true, 75}, {false, 150}});
    const QString data = discimages::WriteIso(dir.path(), QStringLiteral("data"), 150);
    const QString empty = dir.filePath(QStringLiteral("empty.cue"));
    qputenv("QUILLMERE_DRIVES", QStringList{audio, data, empty}.join(QLatin1Char(':')).toUtf8());
    auto ripper = CreateAudioCDRipper();
    struct Case {
        long index;
        const char* entry;
        const char* text;
        int color;
    } cases[] = {
        {0, "D: audio.cue", "OK: 3 CDA tracks", 0},
        {1, "E: data.iso", "'E:/' is not an Audio CD.", 255},
        {2, "F: empty.cue", "'F:/' is not an Audio CD.", 255},
        {7, "K: gone", "Cannot select 'K:/' as an Audio CD.", 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        const RipperRules::DiscCheck check = RipperRules::CheckDisc(*ripper, c.index, QLatin1String(c.entry));
        EXPECT_EQ(check.text, QLatin1String(c.text));
        EXPECT_EQ(check.color, c.color);
    }
    // The drive checked last stays the current one.
    RipperRules::CheckDisc(*ripper, 0, QStringLiteral("D: audio.cue"));
    EXPECT_EQ(ripper->TrackCount(), 3);
    qputenv("QUILLMERE_DRIVES", "");
}

TEST(RipperRules, TrackNumInATagIsTheRowsOwnNumber)
{
    const QDateTime now(QDate(2026, 12, 10), QTime(20, 5, 9));
    struct Case {
        const char* text;
        long row;
        const char* expected;
    } cases[] = {
        {"[TRACK_NUM]", 1, "1"},
        {"[TRACK_NUM]", 5, "5"},
        {"[TRACK_NUM]/12 [YEAR]", 12, "12/12 2026"},
        {"[track_num]", 3, "[track_num]"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RipperRules::ExpandRowTags(QLatin1String(c.text), c.row, now, QStringLiteral("dd/MM/yyyy"), QStringLiteral("HH:mm:ss")),
                  QLatin1String(c.expected))
            << c.text;
}

}  // namespace
