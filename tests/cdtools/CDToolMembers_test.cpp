// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/cdtools/CDFixture.h"

#include "cdtools/CDToolMembers.h"
#include "settings/controls/cTabControl.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QPushButton>
#include <QTimer>

namespace {

// The controls of a CD tool window, as a window hands them to the shared members.
class CDToolMembersTest : public CDFixture {
protected:
    void SetUp() override
    {
        CDFixture::SetUp();
        tabs->AddTab(QStringLiteral("Ripper Options    "), QStringLiteral("Settings"));
        tabs->AddTab(QStringLiteral("Events        "), QStringLiteral("Events"));
        tabs->AddTab(QStringLiteral("Log             "), QStringLiteral("Log"));
        tabs->AddTab(QStringLiteral("Other"), QStringLiteral("log"));
        c = {tabs, new QWidget(&window), new QWidget(&window), new QWidget(&window), new QCheckBox(&window),
             new QCheckBox(&window), new QCheckBox(&window), new QCheckBox(&window), new QPushButton(&window)};
    }
    QStringList visiblePanels() const
    {
        QStringList names;
        const std::pair<QWidget*, const char*> panels[] = {{c.TabSettings, "Settings"}, {c.TabEvents, "Events"}, {c.TabLog, "Log"}};
        for (const auto& [panel, name] : panels)
            if (panel->isVisibleTo(&window))
                names << QLatin1String(name);
        return names;
    }

    QWidget window;
    cTabControl* tabs = new cTabControl(&window);
    CDToolControls c;
};

TEST_F(CDToolMembersTest, TheSelectedTabsKeyShowsItsPanelOnly)
{
    struct Case {
        const char* select;
        QStringList shown;
    } cases[] = {
        {"Events", {QStringLiteral("Events")}},
        {"Log", {QStringLiteral("Log")}},
        {"Settings", {QStringLiteral("Settings")}},
        {"log", {}},  // keys compare exactly
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.select);
        for (QWidget* p : {c.TabSettings, c.TabEvents, c.TabLog})
            p->setVisible(true);
        ASSERT_TRUE(tabs->SelectTab(QLatin1String(k.select)));
        CDToolMembers::TabClick(c);
        EXPECT_EQ(visiblePanels(), k.shown);
    }
}

TEST_F(CDToolMembersTest, ClosingIsRefusedWhileTheTaskRuns)
{
    c.cmdConvert->setEnabled(true);
    EXPECT_FALSE(CDToolMembers::RefuseClose(c));
    c.cmdConvert->setEnabled(false);
    EXPECT_TRUE(CDToolMembers::RefuseClose(c));
    CDToolControls unreadable = c;
    unreadable.cmdConvert = nullptr;
    EXPECT_TRUE(CDToolMembers::RefuseClose(unreadable));
}

TEST_F(CDToolMembersTest, TheEventsLinkPutsTheOptionsBackEvenWhenCancelled)
{
    ProgramOptions.chkNoticeApp = true;
    ProgramOptions.chkOpenDestFolder = false;
    ProgramOptions.chkPlaySound = true;
    ProgramOptions.chkTurnOffComputer = false;
    // The user's own ticks in the window, the opposite of the options.
    c.chkNoticeApp->setChecked(false);
    c.chkOpenDestFolder->setChecked(true);
    c.chkPlaySound->setChecked(false);
    c.chkTurnOffComputer->setChecked(true);
    bool sawEvents = false;
    QTimer::singleShot(50, [&] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            sawEvents = d == frmOptions.loaded();
            d->reject();
        }
    });
    CDToolMembers::EventsSettings(c);
    EXPECT_TRUE(sawEvents);
    EXPECT_TRUE(c.chkNoticeApp->isChecked());
    EXPECT_FALSE(c.chkOpenDestFolder->isChecked());
    EXPECT_TRUE(c.chkPlaySound->isChecked());
    EXPECT_FALSE(c.chkTurnOffComputer->isChecked());
}

TEST_F(CDToolMembersTest, TheGridShowsTheMainGridsMarksAndTrackTypes)
{
    FrmMain* f = loadMain();
    cGrid grid;
    CDToolMembers::InitGrid(&grid);
    EXPECT_EQ(grid.model().ImageList(), &f->imgGrid);
    ASSERT_EQ(grid.Columns(), 19);
    EXPECT_EQ(grid.ColumnIndex(ItemRow::COL_INC), 1);
    EXPECT_EQ(grid.ColumnIndex(COL_FILE), 8);
    EXPECT_EQ(grid.ColumnIndex(COL_TAG_TRACK), 19);
    EXPECT_EQ(grid.RowHeight(), 24);
    // Rows copied from a drive listing keep their marks, and their cells land in the same columns.
    const QString cue = discimages::WriteBinCue(dir.path(), QStringLiteral("two"), {{true, 75}, {false, 150}});
    setDrives({cue});
    forms::unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    f = loadMain();
    cGrid copy;
    CDToolMembers::InitGrid(&copy);
    click(f, driveNode(0));
    f->CopyGridRows(*f->cGrid1, copy, false);
    ASSERT_EQ(copy.Rows(), 2);
    EXPECT_EQ(icon(&copy, 1, ItemRow::COL_INC), 1);
    EXPECT_EQ(icon(&copy, 2, ItemRow::COL_INC), 0);
    EXPECT_EQ(cell(&copy, 2, ItemRow::COL_ITEM_NAME), QStringLiteral("Track02.cda"));
    EXPECT_EQ(cell(&copy, 2, COL_FILE), QStringLiteral("D:/Track02.cda"));
}

}  // namespace
