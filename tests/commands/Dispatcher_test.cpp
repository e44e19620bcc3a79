// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/commands/CommandsFixture.h"

#include "platform/MessageBox.h"

namespace {

class DispatcherTest : public CommandsFixture {
protected:
    // The item of a key, added as a hidden item when the build's menus carry none, so that the
    // table row itself is reached.
    long itemOf(FrmMain* f, const QString& key)
    {
        long item = f->m_cMenu->MenuIndexOfKey(key);
        if (item == 0) {
            item = f->m_cMenu->MenuAddItem(key, QString(), 0, 0, -1, false, true, key);
            f->m_cMenu->MenuItemVisible(item, false);
        }
        return item;
    }
};

struct Expect {
    const char* key;
    int refreshes;
};

// Every row of the table in its order, with the refreshes it ends with on a list of three
// items of which one is marked: refusals and "GoSysTray" none, "Rename Items List" two.
const Expect kRows[] = {
    {"Audio Converter", 0}, {"MP3 CD Maker", 0}, {"WMA CD Maker", 0}, {"Audio CD Duplicator", 0},
    {"Audio CD Ripper", 0}, {"ACM Converter", 0}, {"Audio Joiner", 0}, {"Audio Splitter", 0},
    {"Audio CD Maker", 0}, {"Audio Analyser", 0}, {"Audio Recorder", 0}, {"Text To Speech", 0},
    {"Add Files", 1}, {"Add Directories", 1}, {"New Items List", 1}, {"Rename Items List", 2},
    {"Remove Items List", 1}, {"Items List Properties", 1}, {"Open Destination Folder", 1}, {"Save As", 1},
    {"Rename Item", 1}, {"MarkUnmark All", 1}, {"Remove Item", 1}, {"Clear the List", 1},
    {"Move Up", 1}, {"Move Down", 1}, {"Move To First", 1}, {"Move To Last", 1},
    {"Transparent", 1}, {"Minimize", 1}, {"GoSysTray", 0}, {"Exit", 1},
    {"FreeDB", 0}, {"On Top", 1}, {"Master Volume", 1}, {"Burn From List", 1},
    {"Burn From Files", 1}, {"Events", 1}, {"View", 1}, {"General", 1},
    {"ID3 Tags", 1}, {"Advanced", 1}, {"About", 1}, {"MP3 Tags Editor", 1},
    {"Notes", 1}, {"Live Update", 1}, {"HelpTopic", 1}, {"Support", 1},
    {"RC Exit", 1}, {"RC Open", 1}, {"Open Default Player", 1},
};

}  // namespace

TEST_F(DispatcherTest, TheTableHoldsTheFiftyOneKeysInTheirOrder)
{
    QStringList expected;
    for (const Expect& e : kRows)
        expected << QLatin1String(e.key);
    EXPECT_EQ(FrmMain::CommandKeys(), expected);
    EXPECT_EQ(FrmMain::CommandKeys().size(), 51);
}

TEST_F(DispatcherTest, EveryKeyStopsThePreviewAndEndsAsItsRowSays)
{
    const QString songs = makeList(QStringLiteral("Songs"), makeWavs(3), {QStringLiteral("1")});
    ProgramOptions.chkDisplayMSGWhenExit = true;
    FrmMain* f = openMain();
    openList(f, songs);
    ASSERT_EQ(f->cGrid1->Rows(), 3);
    f->show();
    closeModalsAsTheyOpen();

    for (const Expect& e : kRows) {
        const QString key = QLatin1String(e.key);
        SCOPED_TRACE(e.key);
        const long item = itemOf(f, key);
        preview.playing = true;
        const int stops = preview.stops;
        const int refreshes = preview.refreshes;
        const qsizetype messages = box.shown.size();
        f->m_cMenu_Click(item);
        f->tmrRemove->stop();
        ASSERT_TRUE(frmMain.isLoaded());
        EXPECT_EQ(preview.stops - stops, 1);
        EXPECT_FALSE(preview.playing);
        EXPECT_EQ(preview.refreshes - refreshes, e.refreshes);
        if (key == QLatin1String("Exit")) {
            EXPECT_TRUE(box.shown.size() == messages + 1 && box.shown.last().prompt.startsWith(QStringLiteral("Are you sure you want to exit")));
        }
        if (cTreeView::Key(f->cTreeView1->SelectedNode()) != songs)
            openList(f, songs);
        if (!f->isVisible() || f->isMinimized()) {
            f->m_bInTray = false;
            f->setWindowState(Qt::WindowNoState);
            f->show();
        }
    }
}

TEST_F(DispatcherTest, ItemZeroOnlyStopsThePreview)
{
    FrmMain* f = openMain();
    preview.playing = true;
    f->m_cMenu_Click(0);
    EXPECT_EQ(preview.stops, 1);
    EXPECT_EQ(preview.refreshes, 0);
    // Not playing: nothing to stop.
    f->m_cMenu_Click(0);
    EXPECT_EQ(preview.stops, 1);
}

TEST_F(DispatcherTest, KeysOfNoRowOnlyRefresh)
{
    makeList(QStringLiteral("Songs"), makeWavs(3), {QStringLiteral("1"), QStringLiteral("1")});
    FrmMain* f = openMain();
    // A key in other letter case matches no row: no tool, no message, one refresh.
    for (const char* key : {"audio joiner", "Remove", "ADD FILES"}) {
        SCOPED_TRACE(key);
        preview.playing = true;
        const int refreshes = preview.refreshes;
        const int stops = preview.stops;
        f->m_cMenu_Click(itemOf(f, QLatin1String(key)));
        EXPECT_EQ(preview.stops - stops, 1);
        EXPECT_EQ(preview.refreshes - refreshes, 1);
        EXPECT_TRUE(box.shown.isEmpty());
        EXPECT_TRUE(dialogs.requests.isEmpty());
    }
}

TEST_F(DispatcherTest, RenameItemsListRunsPropertiesAsAWholeNestedCommand)
{
    const QString songs = makeList(QStringLiteral("Songs"), makeWavs(1));
    FrmMain* f = openMain();
    openList(f, songs);
    QStringList seen;
    FrmMain::commandObserver = [&](const QString& key) { seen << key; };
    f->RunCommand(QStringLiteral("Rename Items List"));
    FrmMain::commandObserver = nullptr;
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Rename Items List"), QStringLiteral("Items List Properties")}));
    EXPECT_EQ(preview.refreshes, 2);
}

TEST_F(DispatcherTest, ExitUnloadsTheWindowWithoutTouchingItAfterwards)
{
    FrmMain* f = openMain();
    f->show();
    f->RunCommand(QStringLiteral("Exit"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(frmMain.isLoaded());
    EXPECT_EQ(preview.refreshes, 0);
}

TEST_F(DispatcherTest, TrayExitUnderAModalToolWindowBringsItForward)
{
    makeList(QStringLiteral("Songs"), makeWavs(2), {QStringLiteral("1"), QStringLiteral("1")});
    FrmMain* f = openMain();
    f->show();

    // A real modal window, as a tool's launcher shows it; the tray's "Exit" is chosen meanwhile.
    struct ModalTool : ToolWindow {
        QDialog dialog;
        QWidget* Window() override { return &dialog; }
    };
    ModalTool tool;
    tool.dialog.setWindowTitle(QStringLiteral("Joiner"));
    ToolWindows::Register(QStringLiteral("Audio Joiner"), [&] { return &tool; });
    bool stillLoaded = false;
    bool forward = false;
    QTimer::singleShot(50, [&] {
        ASSERT_EQ(ToolWindows::OpenModalWindow(), &tool.dialog);
        frmMain->RunCommand(QStringLiteral("RC Exit"));
        stillLoaded = frmMain.isLoaded() && tool.dialog.isVisible();
        forward = QApplication::activeModalWidget() == &tool.dialog;
        tool.dialog.accept();
    });
    f->RunCommand(QStringLiteral("Audio Joiner"));
    EXPECT_TRUE(stillLoaded);
    EXPECT_TRUE(forward);
    ASSERT_TRUE(frmMain.isLoaded());
    EXPECT_EQ(ToolWindows::OpenModalWindow(), nullptr);
    // Once the window has closed, "Exit" ends the program as before.
    frmMain->RunCommand(QStringLiteral("RC Exit"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(frmMain.isLoaded());
}
