// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "mainwindow/MainWindowRules.h"

#include <gtest/gtest.h>

namespace {

TEST(TrayToggle, StatesAndOutcomes)
{
    using S = MainWindowState;
    struct Case {
        S state;
        bool inTray;
        bool changes, show;
        const char* caption;
        bool inTrayAfter;
    };
    const Case cases[] = {
        {S::Normal, false, true, false, "Show", true},
        {S::Minimised, true, true, true, "Hide", false},
        {S::Minimised, false, true, false, "Show", true},  // minimised with the title bar
        {S::Maximised, false, false, false, "", false},
        {S::Maximised, true, false, false, "", false},
    };
    for (const Case& c : cases) {
        const TrayToggleResult r = TrayToggle(c.state, c.inTray);
        EXPECT_EQ(r.changes, c.changes);
        if (!c.changes)
            continue;
        EXPECT_EQ(r.show, c.show);
        EXPECT_EQ(r.caption, QLatin1String(c.caption));
        EXPECT_EQ(r.inTray, c.inTrayAfter);
    }
}

TEST(NotesStatusText, SummarisesTheNotesFile)
{
    const QString s36(36, QLatin1Char('a'));
    const QString s37 = s36 + QLatin1Char('b');
    EXPECT_EQ(NotesStatusText(false, {}), QStringLiteral("Notes [ Empty ]"));
    EXPECT_EQ(NotesStatusText(true, {}), QStringLiteral("Notes [ Empty ]"));
    EXPECT_EQ(NotesStatusText(true, QStringLiteral("\r\n")), QStringLiteral("Notes [ Empty ]"));
    EXPECT_EQ(NotesStatusText(true, s36), QStringLiteral("Notes [ ") + s36 + QStringLiteral(" ]"));
    EXPECT_EQ(NotesStatusText(true, s37), QStringLiteral("Notes [ ") + s36.left(35) + QStringLiteral("... ]"));
    EXPECT_EQ(NotesStatusText(true, QStringLiteral("buy milk\r\ncall Ann")), QStringLiteral("Notes [ buy milk call Ann ]"));
}

TEST(GetTypeIcon, ComparesCaseSensitively)
{
    long index = -1;
    GetTypeIcon(QStringLiteral("Audio"), index);
    EXPECT_EQ(index, 3);
    GetTypeIcon(QStringLiteral("Data"), index);
    EXPECT_EQ(index, 4);
    GetTypeIcon(QStringLiteral("audio"), index);
    EXPECT_EQ(index, 0);
    GetTypeIcon(QString(), index);
    EXPECT_EQ(index, 0);
}

}  // namespace
