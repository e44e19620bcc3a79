// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/mdlModes.h"
#include "mainwindow/MainMenus.h"
#include "mainwindow/cPopupMenu.h"
#include "mainwindow/cToolbar.h"

#include <gtest/gtest.h>

namespace {

class ProfileTest : public testing::Test {
protected:
    void SetUp() override { InitProductConfig(); }
    void TearDown() override { InitProductConfig(); }

    static void allToolsOff()
    {
        for (long* f : {&g_lAppIncConverter, &g_lAppIncJoin, &g_lAppIncSplit, &g_lAppIncMicRec, &g_lAppIncEditor,
                        &g_lAppIncAudioBurner, &g_lAppIncCDRipper, &g_lAppIncTagsEditor, &g_lAppIncMP3Burner,
                        &g_lAppIncWMABurner, &g_lAppIncACMConverter, &g_lAppIncTTS, &g_lAppIncDuplicator,
                        &g_lAppIncItemsLists})
            *f = 0;
    }
    static QStringList groupKeys(const cPopupMenu& m, const char* group)
    {
        return m.ChildKeys(m.MenuIndexOfKey(QLatin1String(group)));
    }
    static QStringList buttonKeys(const cToolbar& t)
    {
        QStringList keys;
        for (long i = 1; i <= t.ButtonCount(); ++i)
            keys.append(t.ButtonStyle(i) == cToolbar::tbrSeparator ? QStringLiteral("|") : t.ButtonKey(i));
        return keys;
    }
};

const QString S = QStringLiteral("mnuFile(4)");

TEST_F(ProfileTest, CommandTableOfThisBuild)
{
    cPopupMenu m;
    BuildMainMenus(m);
    QStringList top;
    for (long i : m.Children(0))
        top.append(m.MenuItemKey(i));
    EXPECT_EQ(top, (QStringList{"mnuFileTop", "mnuEditTop", "Tools", "mnuOptionsTop", "Mode", "Options", "Help",
                                "mnuSysTry", "Player", "mnuProjects", "mnuFilesList", "mnuAdd"}));
    for (const char* shown : {"mnuFileTop", "mnuEditTop", "Tools", "mnuOptionsTop", "Mode"})
        EXPECT_TRUE(m.MenuItemVisible(m.MenuIndexOfKey(QLatin1String(shown)))) << shown;
    for (const char* hidden : {"Options", "Help", "mnuSysTry", "Player", "mnuProjects", "mnuFilesList", "mnuAdd"})
        EXPECT_FALSE(m.MenuItemVisible(m.MenuIndexOfKey(QLatin1String(hidden)))) << hidden;

    EXPECT_EQ(groupKeys(m, "Tools"), (QStringList{S, "Audio Converter", "ACM Converter", S, "Audio Joiner", S, S,
                                                  "Master Volume", S, "Notes"}));
    EXPECT_EQ(groupKeys(m, "Mode"), (QStringList{"Transparent", "On Top", S, "Minimize", "GoSysTray", S, "Exit"}));
    EXPECT_EQ(groupKeys(m, "mnuFilesList"),
              (QStringList{"MarkUnmark All", "st1", "Move Up", "Move Down", "st1", "Move To First", "Move To Last", "st1",
                           "Rename Item", "Save As", "st1", "Remove Item", "ClearLine", "Clear the List"}));
    EXPECT_EQ(groupKeys(m, "mnuSysTry"), (QStringList{"RC Exit", "st1", "RC Open"}));
    EXPECT_EQ(groupKeys(m, "mnuAdd"), (QStringList{"Add Files", "st1", "Add Directories"}));

    // Captions keep their trailing blanks; icons are those of the shared image list.
    EXPECT_EQ(m.MenuItemCaption(m.MenuIndexOfKey(QStringLiteral("General"))).size(), 28);
    EXPECT_EQ(m.MenuItemCaption(m.MenuIndexOfKey(QStringLiteral("HelpTopic"))).size(), 16);
    EXPECT_EQ(m.MenuItemCaption(m.MenuIndexOfKey(QStringLiteral("RC Exit"))).size(), 26);
    EXPECT_EQ(m.MenuItemCaption(m.MenuIndexOfKey(QStringLiteral("RC Open"))), QStringLiteral("Hide"));
    EXPECT_EQ(m.MenuItemCaption(m.MenuIndexOfKey(QStringLiteral("Save As"))), QStringLiteral("Save As..."));
    EXPECT_EQ(m.MenuItemIcon(m.MenuIndexOfKey(QStringLiteral("Audio Joiner"))), 64);
    EXPECT_EQ(m.MenuItemIcon(m.MenuIndexOfKey(QStringLiteral("Tools"))), -1);

    // "Exit" is the key of two items; the lookup finds one of them. Unknown keys find none.
    EXPECT_NE(m.MenuIndexOfKey(QStringLiteral("Exit")), 0);
    EXPECT_EQ(m.MenuIndexOfKey(QStringLiteral("Main")), 0);
    EXPECT_EQ(m.MenuIndexOfKey(QStringLiteral("audio joiner")), 0);
}

TEST_F(ProfileTest, CommandTableWithEveryFlagOff)
{
    allToolsOff();
    cPopupMenu m;
    BuildMainMenus(m);
    EXPECT_EQ(groupKeys(m, "Tools"), (QStringList{S, S, "Master Volume", S, "Notes"}));
    EXPECT_NE(m.MenuIndexOfKey(QStringLiteral("Add Files")), 0);  // the add group still exists
    EXPECT_EQ(m.MenuIndexOfKey(QStringLiteral("Audio Joiner")), 0);
}

TEST_F(ProfileTest, ConditionalToolsAndSeparators)
{
    allToolsOff();
    g_lAppIncDuplicator = 1;  // no CD maker or ripper: no separator of its own
    g_lAppIncEditor = 1;
    g_lAppIncCDRipper = 0;
    cPopupMenu m;
    BuildMainMenus(m);
    EXPECT_EQ(groupKeys(m, "Tools"),
              (QStringList{S, "Audio Analyser", "Audio CD Duplicator", S, S, "Master Volume", S, "Notes"}));
    const QStringList items = groupKeys(m, "mnuFilesList");
    EXPECT_TRUE(items.contains(QStringLiteral("Audio Analyser")));
    EXPECT_FALSE(items.contains(QStringLiteral("FreeDB")));

    cToolbar tools;
    EXPECT_EQ(BuildToolsToolbar(tools, 500), 500 + 100 + 1000 + 1000);
    EXPECT_EQ(buttonKeys(tools), (QStringList{"|", "Audio Analyser", "Audio CD Duplicator"}));
}

TEST_F(ProfileTest, ToolbarsOfThisBuild)
{
    cToolbar top;
    BuildTopToolbar(top);
    EXPECT_EQ(buttonKeys(top), (QStringList{"Add", "|", "Items List", "|", "Audio Joiner", "Tools", "|", "Options", "|",
                                            "Mode", "Help"}));
    EXPECT_EQ(top.ButtonCaption(1), QStringLiteral("  Add File(s)  "));
    EXPECT_EQ(top.ButtonTip(1), QStringLiteral("Add Files(s) to The Items List"));
    EXPECT_EQ(top.ButtonCaption(5), QStringLiteral("Join"));
    EXPECT_EQ(top.ButtonIcon(5), 64);
    EXPECT_EQ(top.ButtonStyle(3), cToolbar::tbrDropDown);
    EXPECT_EQ(top.ButtonTip(top.ButtonIndex(QStringLiteral("Mode"))), QStringLiteral("Modes"));

    cToolbar tools;
    EXPECT_EQ(BuildToolsToolbar(tools, 0), 4000);
    EXPECT_EQ(buttonKeys(tools), (QStringList{"Audio Converter", "ACM Converter", "|", "Audio Joiner"}));
    EXPECT_EQ(tools.ButtonCaption(1), QStringLiteral("Convert"));
    EXPECT_EQ(tools.ButtonCaption(2), QStringLiteral("Convert"));

    cToolbar list;
    BuildListToolbar(list);
    EXPECT_EQ(buttonKeys(list).first(), QStringLiteral("Add Files"));
    EXPECT_FALSE(buttonKeys(list).contains(QStringLiteral("FreeDB")));

    cToolbar play;
    BuildPlayToolbar(play);
    EXPECT_EQ(buttonKeys(play), (QStringList{"Play", "Pause", "Stop"}));
    EXPECT_EQ(play.ButtonStyle(2), cToolbar::tbrCheck);
}

TEST_F(ProfileTest, ToolbarsWithoutListsOrLeadTool)
{
    allToolsOff();
    g_sAppMode = QStringLiteral("lAppIncNothing");
    cToolbar top;
    BuildTopToolbar(top);
    EXPECT_EQ(buttonKeys(top), (QStringList{"Items List", "|", "Tools", "|", "Options", "|", "Mode", "Help"}));
    cToolbar list;
    BuildListToolbar(list);
    EXPECT_EQ(buttonKeys(list).first(), QStringLiteral("MarkUnmark All"));
    cToolbar tools;
    EXPECT_EQ(BuildToolsToolbar(tools, 1234), 1234);
    EXPECT_EQ(tools.ButtonCount(), 0);

    g_sAppMode = QStringLiteral("lAppIncConverter");
    cToolbar top2;
    BuildTopToolbar(top2);
    EXPECT_EQ(top2.ButtonKey(3), QStringLiteral("Audio Converter"));
    EXPECT_EQ(top2.ButtonCaption(3), QStringLiteral("Convert"));
}

TEST_F(ProfileTest, EveryToolbarCommandHasAMenuItem)
{
    for (long* f : {&g_lAppIncConverter, &g_lAppIncJoin, &g_lAppIncSplit, &g_lAppIncMicRec, &g_lAppIncEditor,
                    &g_lAppIncAudioBurner, &g_lAppIncCDRipper, &g_lAppIncMP3Burner, &g_lAppIncWMABurner,
                    &g_lAppIncACMConverter, &g_lAppIncTTS, &g_lAppIncDuplicator})
        *f = 1;
    cPopupMenu m;
    BuildMainMenus(m);
    cToolbar projects, list, tools;
    BuildProjectsToolbar(projects);
    BuildListToolbar(list);
    BuildToolsToolbar(tools, 0);
    for (const cToolbar* t : {&projects, &list, &tools})
        for (long i = 1; i <= t->ButtonCount(); ++i)
            if (t->ButtonStyle(i) != cToolbar::tbrSeparator) {
                EXPECT_NE(m.MenuIndexOfKey(t->ButtonKey(i)), 0) << t->ButtonKey(i).toStdString();
            }
}

}  // namespace
