// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/commands/CommandsFixture.h"

#include "foundation/mdlMain.h"
#include "foundation/mdlWindowUtils.h"
#include "mainwindow/MainStartupWindows.h"
#include "mainwindow/cToolbar.h"
#include "tools/Installer.h"

namespace {

class WindowCommandsTest : public CommandsFixture {};

}  // namespace

TEST_F(WindowCommandsTest, HelpTopicOpensThePageTheInstallerPutInPlace)
{
    FrmMain* f = openMain();
    const QString page = QDir(platform::programFolder()).filePath(QStringLiteral("Help.html"));
    // Without the page: nothing, and no message.
    QFile::remove(page);
    f->RunCommand(QStringLiteral("HelpTopic"));
    EXPECT_TRUE(shell.opened.isEmpty());
    EXPECT_TRUE(box.shown.isEmpty());

    const InstallReport report = RunInstaller(platform::programFolder(), QStringLiteral(QM_SOURCE_DIR "/resources"));
    ASSERT_TRUE(report.ok()) << report.errors.join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(QFileInfo(page).isFile());
    f->RunCommand(QStringLiteral("HelpTopic"));
    EXPECT_EQ(shell.opened, QStringList{page});
    QFile file(page);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("Mark/Unmark All")));
    EXPECT_TRUE(text.contains(QStringLiteral("-addfiles")));
}

TEST_F(WindowCommandsTest, SupportAndTheDesktopsPlayer)
{
    const QStringList files = makeWavs(2);
    const QString list = makeList(QStringLiteral("Songs"), files);
    const QString empty = makeList(QStringLiteral("Empty"), {});
    FrmMain* f = openMain();
    f->RunCommand(QStringLiteral("Support"));
    EXPECT_EQ(shell.opened, QStringList{g_sAppSupportURL});

    openList(f, list);
    f->cGrid1->CurrentRow(2);
    SetTopMost(f, true);
    shell.opened.clear();
    f->RunCommand(QStringLiteral("Open Default Player"));
    EXPECT_EQ(shell.opened, QStringList{files[1]});
    EXPECT_FALSE(f->windowFlags() & Qt::WindowStaysOnTopHint);

    openList(f, empty);
    shell.opened.clear();
    f->RunCommand(QStringLiteral("Open Default Player"));
    EXPECT_TRUE(shell.opened.isEmpty());
    EXPECT_TRUE(shell.started.isEmpty());
}

TEST_F(WindowCommandsTest, ToolbarsRouteAsTheirTablesSay)
{
    makeList(QStringLiteral("Songs"), makeWavs(2), {QStringLiteral("1"), QStringLiteral("1")});
    FrmMain* f = openMain();
    QStringList ran;
    FrmMain::commandObserver = [&](const QString& key) { ran << key; };
    auto click = [&](cToolbar* bar, const QString& key, bool arrow = false) {
        ran.clear();
        const long index = bar->ButtonIndex(key);
        EXPECT_NE(index, 0) << key.toStdString();
        if (arrow)
            f->tlbrTop_ButtonDropDown(index);
        else if (bar == f->tlbrTop)
            f->tlbrTop_ButtonClick(index);
        else if (bar == f->tlbrProjects)
            f->tlbrProjects_ButtonClick(index);
        else if (bar == f->tlbrList)
            f->tlbrList_ButtonClick(index);
        else
            f->tlbrRecorder_ButtonClick(index);
    };
    closeModalsAsTheyOpen();

    // The top toolbar: "Add" runs "Add Files", the lead tool its command; the drop-down
    // buttons pop up their group by body and by arrow alike, under the button.
    click(f->tlbrTop, QStringLiteral("Add"));
    EXPECT_EQ(ran, QStringList{QStringLiteral("Add Files")});
    click(f->tlbrTop, QStringLiteral("Audio Joiner"));
    EXPECT_EQ(ran, QStringList{QStringLiteral("Audio Joiner")});
    const std::pair<const char*, const char*> groups[] = {
        {"Items List", "Save As"}, {"Tools", "Notes"}, {"Mode", "Transparent"}, {"Options", "ID3 Tags"}, {"Help", "About"}};
    for (const auto& [button, member] : groups) {
        for (bool arrow : {false, true}) {
            SCOPED_TRACE(std::string(button) + (arrow ? " arrow" : " body"));
            click(f->tlbrTop, QLatin1String(button), arrow);
            EXPECT_TRUE(ran.isEmpty());
            QMenu* popup = f->m_cMenu->LastPopup();
            ASSERT_NE(popup, nullptr);
            // The group that holds the member's item, no other.
            QList<long> items;
            for (QAction* a : popup->actions())
                if (!a->isSeparator())
                    items << a->data().toLongLong();
            EXPECT_TRUE(items.contains(f->m_cMenu->MenuIndexOfKey(QLatin1String(member))));
            popup->close();
        }
    }

    // Top-toolbar clicks leave always-on-top alone: no pressed "On Top" button exists.
    SetTopMost(f, true);
    click(f->tlbrTop, QStringLiteral("Audio Joiner"));
    EXPECT_TRUE(f->windowFlags() & Qt::WindowStaysOnTopHint);
    // The tools toolbar leaves it alone too.
    click(f->tlbrRecorder, QStringLiteral("Audio Converter"));
    EXPECT_EQ(ran, QStringList{QStringLiteral("Audio Converter")});
    EXPECT_TRUE(f->windowFlags() & Qt::WindowStaysOnTopHint);
    // The lists and list toolbars release it before their command, also one that refuses.
    click(f->tlbrList, QStringLiteral("Remove Item"));
    EXPECT_EQ(ran, QStringList{QStringLiteral("Remove Item")});
    EXPECT_FALSE(f->windowFlags() & Qt::WindowStaysOnTopHint);
    f->tmrRemove->stop();
    SetTopMost(f, true);
    click(f->tlbrProjects, QStringLiteral("Items List Properties"));
    EXPECT_EQ(ran, QStringList{QStringLiteral("Items List Properties")});
    EXPECT_FALSE(f->windowFlags() & Qt::WindowStaysOnTopHint);

    // Every button of the lists and list toolbars runs its own key.
    for (cToolbar* bar : {f->tlbrProjects, f->tlbrList}) {
        for (long i = 1; i <= bar->ButtonCount(); ++i) {
            const QString key = bar->ButtonKey(i);
            if (key.isEmpty() || bar->ButtonStyle(i) == cToolbar::tbrSeparator)
                continue;
            if (key == QLatin1String("New Items List") || key == QLatin1String("Remove Items List") || key == QLatin1String("Rename Item"))
                continue;  // they change the tree or open a window; their routing is the same
            ran.clear();
            f->RunCommand(QString());  // nothing
            click(bar, key);
            f->tmrRemove->stop();
            EXPECT_EQ(ran.value(0), key);
        }
    }
    FrmMain::commandObserver = nullptr;
}

TEST_F(WindowCommandsTest, RoutingTablesIgnoreOtherKeysAndOtherCase)
{
    using namespace ToolbarRouting;
    struct Case {
        Route route;
        Action action;
        const char* target;
    };
    const Case cases[] = {
        {TopClick(QStringLiteral("Add")), Action::Command, "Add Files"},
        {TopClick(QStringLiteral("On Top")), Action::Command, "On Top"},
        {TopClick(QStringLiteral("Transparent")), Action::Command, "Transparent"},
        {TopClick(QStringLiteral("Audio CD Ripper")), Action::Command, "Audio CD Ripper"},
        {TopClick(QStringLiteral("Audio CD Duplicator")), Action::None, ""},
        {TopClick(QStringLiteral("Convert")), Action::None, ""},
        {TopClick(QStringLiteral("Edit")), Action::None, ""},
        {TopClick(QStringLiteral("add")), Action::None, ""},
        {TopClick(QStringLiteral("Mode")), Action::Popup, "Transparent"},
        {TopDropDown(QStringLiteral("Help")), Action::Popup, "About"},
        {TopDropDown(QStringLiteral("Add")), Action::None, ""},
        {ToolsClick(QStringLiteral("Audio CD Duplicator")), Action::Command, "Audio CD Duplicator"},
        {ToolsClick(QStringLiteral("Edit")), Action::None, ""},
        {ToolsClick(QStringLiteral("Notes")), Action::None, ""},
        {ToolsClick(QStringLiteral("audio joiner")), Action::None, ""},
        {ListClick(QStringLiteral("Move Up")), Action::Command, "Move Up"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.route.action, c.action) << c.target;
        if (c.action != Action::None) {
            EXPECT_EQ(c.route.target, QLatin1String(c.target));
        }
    }
}

TEST_F(WindowCommandsTest, StartupSwitchAddFilesThroughMain)
{
    const QString a = makeWav(QStringLiteral("a.wav"));
    const QString b = makeWav(QStringLiteral("b.wav"));
    struct Case {
        QStringList arguments;
        bool adds;
    };
    const Case cases[] = {
        {{QStringLiteral("-addfiles")}, true},
        {{QStringLiteral("-ADDFILES")}, true},
        {{QStringLiteral("-addfiles"), QStringLiteral("x.wav")}, false},
        {{QStringLiteral("-st"), QStringLiteral("-addfiles")}, false},
        {{QStringLiteral("-addaudiocd")}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        dialogs.requests.clear();
        // Only a run that asks gets the files; any other dialog would be cancelled.
        if (c.adds)
            dialogs.chooseFiles({a, b});
        MainStartupWindows windows;
        ASSERT_TRUE(Main(windows, c.arguments));
        ASSERT_TRUE(frmMain.isLoaded());
        waitIdle(frmMain.get());
        const QString list = cTreeView::Key(frmMain->cTreeView1->SelectedNode());
        if (c.adds) {
            ASSERT_EQ(dialogs.requests.size(), 1);
            EXPECT_EQ(column(frmMain->cGrid1, COL_FILE), (QStringList{a, b}));
            QStringList saved;
            for (const ItemsListRecord& r : ParseItemsListText(ReadItemsListFile(list).text))
                saved << r[fldFile];
            EXPECT_EQ(saved, (QStringList{a, b}));
        } else {
            EXPECT_TRUE(dialogs.requests.isEmpty());
            EXPECT_EQ(frmMain->cGrid1->Rows(), 0);
        }
        // The next start finds the list empty again.
        forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_TRUE(listfixtures::writeList(list, {}));
    }
    // Cancel changes nothing.
    forms::unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    dialogs.requests.clear();
    MainStartupWindows windows;
    ASSERT_TRUE(Main(windows, {QStringLiteral("-addfiles")}));
    waitIdle(frmMain.get());
    EXPECT_EQ(dialogs.requests.size(), 1);
    EXPECT_EQ(frmMain->cGrid1->Rows(), 0);
}
