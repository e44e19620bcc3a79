// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cGrid.h"
#include "foundation/FrmAbout.h"
#include "foundation/FrmNotes.h"
#include "foundation/RegistryRoutines.h"
#include "foundation/Twips.h"
#include "foundation/mdlFunctions.h"
#include "foundation/mdlModes.h"
#include "foundation/mdlWindowUtils.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/FrmDirProperties.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/ItemsListFile.h"
#include "mainwindow/ItemsListTree.h"
#include "mainwindow/cPopupMenu.h"
#include "mainwindow/cStatusBar.h"
#include "mainwindow/cSysTray.h"
#include "mainwindow/cToolbar.h"
#include "platform/Desktop.h"
#include "platform/Paths.h"
#include "platform/RegistryHive.h"
#include "settings/FrmOptions.h"
#include "settings/MainWindowLink.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/cTreeView.h"
#include "tests/components/WavFixtures.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/FakeFileDialogs.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/FakeShell.h"
#include "tests/support/ListFixtures.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <QWindow>

#include <gtest/gtest.h>

namespace {

class MainWindow : public testing::Test {
protected:
    void SetUp() override
    {
        testenv::wipeUserFolders();
        platform::resetRegistryHives();
        InitProductConfig();
        reg.hkey(platform::HKEY_LOCAL_MACHINE);
        reg.KeyRoot(SettingsKeyRoot());
        ASSERT_EQ(reg.CreateKey(QStringLiteral("General")), QStringLiteral("0"));
        reg.Subkey(QStringLiteral("General"));
        frmOptions.get();  // its loading fills the options from the (empty) store
        ProgramOptions = ProgramOptionsData{};
        ProgramOptions.chkDisplayTitle = true;
        ProgramOptions.chkDisplayPlayer = true;
        ProgramOptions.chkDisplayAudioGraph = true;
        listsFolder = QDir(platform::programFolder()).filePath(QStringLiteral("Main"));
        QDir().mkpath(listsFolder);
        ProgramOptions.txtToPath = listsFolder + QLatin1Char('/');
        g_bMainUnloading = false;
        FrmMain::commandObserver = [this](const QString& key) { commands.append(key); };
    }
    void TearDown() override
    {
        FrmMain::commandObserver = nullptr;
        forms::unloadAll();
        g_bMainUnloading = false;
    }

    QString makeList(const QString& name, const QByteArray& content = "\r\n")
    {
        const QString path = QDir(listsFolder).filePath(name + QStringLiteral(".flst"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return path;
    }
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    // A one-second WAV file the window's own converter can open.
    QString makeWav(const QString& name)
    {
        const QString path = QDir(platform::programFolder()).filePath(name);
        const fixtures::Pcm pcm;
        EXPECT_TRUE(fixtures::writeFile(path, fixtures::wavBytes(pcm, fixtures::sine(pcm, pcm.rate))));
        return path;
    }
    QString makeListOf(const QString& name, const QStringList& sources)
    {
        QList<ItemsListRecord> records;
        for (const QString& source : sources)
            records << listfixtures::plainRecord(source, QFileInfo(source).completeBaseName());
        const QString path = QDir(listsFolder).filePath(name + QStringLiteral(".flst"));
        EXPECT_TRUE(listfixtures::writeList(path, records));
        return path;
    }
    // Lists load in slices between events; this waits for the one running to end.
    static void waitIdle(FrmMain* f)
    {
        QElapsedTimer t;
        t.start();
        while ((f->m_lists->IsBusy() || f->tmrRemove->isActive()) && t.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_FALSE(f->m_lists->IsBusy());
    }
    static QStringList itemNames(FrmMain* f)
    {
        QStringList names;
        const long col = f->cGrid1->ColumnIndex(ItemRow::COL_ITEM_NAME);
        for (long r = 1; r <= f->cGrid1->Rows(); ++r)
            names << f->cGrid1->Cell(r, col).Text();
        return names;
    }
    static QString selectedKey(FrmMain* f) { return cTreeView::Key(f->cTreeView1->SelectedNode()); }

    FakeMessageBox box{platform::vbYes};
    FakeDesktop desktop{true};
    FakeShell shell;
    FakeFileDialogs dialogs;  // a dialog a command opens is cancelled
    RegistryRoutines reg;
    QString listsFolder;
    QStringList commands;
};

TEST_F(MainWindow, LoadBuildsTheFrameInOrder)
{
    const QString first = makeList(QStringLiteral("Alpha"));
    makeList(QStringLiteral("Beta"));
    QFile notes(QDir(platform::programFolder()).filePath(QStringLiteral("Notes")));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("call the studio\r\nat nine");
    notes.close();

    FrmMain* f = frmMain.get();
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Quillmere 1.2"));
    EXPECT_EQ(f->lblTitle->text(), QStringLiteral("Quillmere 1.2"));
    EXPECT_EQ(f->cGrid1->Columns(), 19);
    EXPECT_EQ(f->cGridInfo->Columns(), 2);

    ASSERT_EQ(f->cStatusBar1->PanelCount(), 4);
    const QStringList keys{f->cStatusBar1->StatusPanelKey(1), f->cStatusBar1->StatusPanelKey(2),
                           f->cStatusBar1->StatusPanelKey(3), f->cStatusBar1->StatusPanelKey(4)};
    EXPECT_EQ(keys, (QStringList{"Main", "Items List Properties", "Notes", "Master Volume"}));
    EXPECT_EQ(f->cStatusBar1->StatusPanelText(QStringLiteral("Main")), QStringLiteral("Ready."));
    EXPECT_EQ(f->cStatusBar1->StatusPanelIcon(QStringLiteral("Main")), 47);
    EXPECT_EQ(f->cStatusBar1->StatusPanelText(QStringLiteral("Notes")), QStringLiteral("Notes [ call the studio at nine ]"));
    EXPECT_EQ(f->cStatusBar1->StatusPanelText(QStringLiteral("Master Volume")), QStringLiteral("Master Volume"));

    EXPECT_TRUE(f->cSysTray1->TrayIconAdded());
    EXPECT_EQ(f->cSysTray1->TrayTip(), QStringLiteral("Quillmere 1.2"));
    EXPECT_EQ(f->cSysTray1->TrayIconFile(), platform::programFolder() + QStringLiteral("/SysIcon/systrayicon.ico"));
    EXPECT_TRUE(f->m_cMenu->MenuItemsReady());
    EXPECT_EQ(f->tlbrTop->ButtonKey(5), QStringLiteral("Audio Joiner"));
    EXPECT_EQ(f->tlbrRecorder->ButtonCount(), 4);
    EXPECT_EQ(f->tlbrPlayButtons->ButtonCount(), 3);
    EXPECT_FALSE(f->windowIcon().isNull());

    // The first list is open; nothing ran a command to get there.
    ASSERT_NE(f->cTreeView1->SelectedNode(), nullptr);
    EXPECT_EQ(cTreeView::Key(f->cTreeView1->SelectedNode()), first);
    EXPECT_EQ(f->lblListName->text(), QStringLiteral("Alpha"));
    EXPECT_TRUE(commands.isEmpty());

    // Default size, in twips of the outer window, as far as the screen's free area holds it,
    // and the tree hidden in this profile.
    const QRect freeArea = f->screen()->availableGeometry();
    EXPECT_EQ(f->width(), std::min(13140 / 15, freeArea.width()));
    EXPECT_EQ(f->height(), std::min(7440 / 15, freeArea.height()));
    EXPECT_FALSE(f->m_layout.cTreeView1.visible);
    EXPECT_EQ(f->m_layout.cGrid1.left, 80);
}

TEST_F(MainWindow, LoadWithoutAnyListRunsNewItemsList)
{
    // A folder that holds files, none of them a list, gets no first list from the tree.
    QFile readme(QDir(listsFolder).filePath(QStringLiteral("readme.txt")));
    ASSERT_TRUE(readme.open(QIODevice::WriteOnly));
    readme.close();
    FrmMain* f = frmMain.get();
    waitIdle(f);
    EXPECT_EQ(commands, QStringList{QStringLiteral("New Items List")});
    const QString created = QDir(listsFolder).filePath(QStringLiteral("New Items List 1.flst"));
    EXPECT_TRUE(QFileInfo(created).isFile());
    ASSERT_NE(g_nodeMainItems, nullptr);
    EXPECT_EQ(g_nodeMainItems->childCount(), 1);
    EXPECT_EQ(selectedKey(f), created);
    EXPECT_EQ(f->lblListName->text(), QStringLiteral("New Items List 1"));
    EXPECT_TRUE(f->m_lists->LabelEdit());
    EXPECT_EQ(f->cGrid1->Rows(), 0);
}

TEST_F(MainWindow, LoadWithAnEmptyListsFolderOpensItsNewFirstList)
{
    FrmMain* f = frmMain.get();
    waitIdle(f);
    const QString created = QDir(listsFolder).filePath(QStringLiteral("New Items List 1.flst"));
    EXPECT_TRUE(commands.isEmpty());  // the tree made the list; no command was needed
    EXPECT_TRUE(QFileInfo(created).isFile());
    ASSERT_NE(g_nodeMainItems, nullptr);
    EXPECT_EQ(g_nodeMainItems->childCount(), 1);
    EXPECT_EQ(selectedKey(f), created);
    EXPECT_EQ(f->lblListName->text(), QStringLiteral("New Items List 1"));
    EXPECT_FALSE(f->picEmptyMsg->isHidden());
    EXPECT_EQ(f->cStatusBar1->StatusPanelText(QStringLiteral("Items List Properties")), QStringLiteral("0 Items, 0 KB, 00:00:00"));
}

TEST_F(MainWindow, LoadOpensTheFirstListIntoTheGridAndSelectingAnotherLoadsItOnce)
{
    const QString a = makeWav(QStringLiteral("a.wav"));
    const QString b = makeWav(QStringLiteral("b.wav"));
    const QString alpha = makeListOf(QStringLiteral("Alpha"), {a, b});
    const QString beta = makeListOf(QStringLiteral("Beta"), {b});

    FrmMain* f = frmMain.get();
    waitIdle(f);
    EXPECT_TRUE(f->prgStatus->isHidden());
    EXPECT_EQ(selectedKey(f), alpha);
    EXPECT_EQ(f->lblListName->text(), QStringLiteral("Alpha"));
    EXPECT_EQ(itemNames(f), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(f->cGrid1->Cell(1, f->cGrid1->ColumnIndex(ItemRow::COL_TIME)).Text(), QStringLiteral("00:00:01"));
    EXPECT_TRUE(f->picEmptyMsg->isHidden());
    EXPECT_EQ(f->cStatusBar1->StatusPanelText(QStringLiteral("Items List Properties")),
              QStringLiteral("2 Items, ") + FormatByteCount(2 * QFileInfo(a).size()) + QStringLiteral(", 00:00:02"));

    // A click in the tree reports both a click and a change of selection; the list opens once.
    f->show();
    QCoreApplication::processEvents();
    f->cTreeView1->setGeometry(0, 0, 240, 240);  // this profile's layout hides the tree
    f->cTreeView1->show();
    QTreeWidgetItem* betaNode = f->m_lists->NodeByKey(beta);
    ASSERT_NE(betaNode, nullptr);
    f->cTreeView1->scrollToItem(betaNode);
    const QPoint at = f->cTreeView1->visualItemRect(betaNode).center();
    QSignalSpy loaded(f->m_lists.get(), &ItemsListTree::ListLoaded);
    QTest::mouseClick(f->cTreeView1->viewport(), Qt::LeftButton, {}, at);
    waitIdle(f);
    EXPECT_EQ(selectedKey(f), beta);
    EXPECT_EQ(loaded.count(), 1);
    EXPECT_EQ(f->lblListName->text(), QStringLiteral("Beta"));
    EXPECT_EQ(itemNames(f), QStringList{QStringLiteral("b")});
}

TEST_F(MainWindow, ClearAndRemoveActOnTheOpenList)
{
    const QString a = makeWav(QStringLiteral("a.wav"));
    const QString alpha = makeListOf(QStringLiteral("Alpha"), {a});
    const QString beta = makeListOf(QStringLiteral("Beta"), {a});
    FrmMain* f = frmMain.get();
    waitIdle(f);
    ASSERT_EQ(f->cGrid1->Rows(), 1);

    box.answer(platform::vbNo);
    f->RunCommand(QStringLiteral("Clear the List"));
    waitIdle(f);
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].prompt,
              QStringLiteral("This operation will erase all the items under the 'Alpha' list.\r\n\r\nAre you sure?"));
    EXPECT_EQ(f->cGrid1->Rows(), 1);
    EXPECT_TRUE(ReadItemsListFile(alpha).text.contains(QLatin1String("<ITEM>")));

    box.answer(platform::vbYes);
    f->RunCommand(QStringLiteral("Clear the List"));
    waitIdle(f);
    EXPECT_EQ(box.shown.size(), 2);
    EXPECT_EQ(f->cGrid1->Rows(), 0);
    EXPECT_FALSE(ReadItemsListFile(alpha).text.contains(QLatin1String("<ITEM>")));
    EXPECT_TRUE(ReadItemsListFile(beta).text.contains(QLatin1String("<ITEM>")));
    EXPECT_EQ(selectedKey(f), alpha);

    // Roots are refused: nothing is removed while one is selected.
    f->cTreeView1->SelectNode(g_nodeMainItems);
    f->RunCommand(QStringLiteral("Remove Items List"));
    EXPECT_TRUE(QFileInfo::exists(alpha));
    EXPECT_EQ(g_nodeMainItems->childCount(), 2);

    // The cleared list holds no item, so it goes without a question; the last one stays.
    f->cTreeView1_NodeClick(f->m_lists->NodeByKey(alpha));
    waitIdle(f);
    box.shown.clear();
    f->RunCommand(QStringLiteral("Remove Items List"));
    waitIdle(f);
    EXPECT_TRUE(box.shown.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(alpha));
    EXPECT_EQ(g_nodeMainItems->childCount(), 1);
    EXPECT_EQ(selectedKey(f), beta);
    EXPECT_EQ(f->lblListName->text(), QStringLiteral("Beta"));
    EXPECT_EQ(itemNames(f), QStringList{QStringLiteral("a")});

    f->RunCommand(QStringLiteral("Remove Items List"));
    waitIdle(f);
    EXPECT_TRUE(QFileInfo::exists(beta));
    EXPECT_EQ(g_nodeMainItems->childCount(), 1);
}

TEST_F(MainWindow, PropertiesRenameTheListTheyWereOpenedFor)
{
    const QString alpha = makeList(QStringLiteral("Alpha"));
    const QString beta = makeList(QStringLiteral("Beta"));
    FrmMain* f = frmMain.get();
    waitIdle(f);
    commands.clear();
    f->RunCommand(QStringLiteral("Rename Items List"));
    EXPECT_EQ(commands, (QStringList{QStringLiteral("Rename Items List"), QStringLiteral("Items List Properties")}));
    ASSERT_TRUE(g_frmDirProperties.isLoaded());
    EXPECT_TRUE(g_frmDirProperties->isVisible());
    EXPECT_EQ(g_frmDirProperties->txtFolderName->text(), QStringLiteral("Alpha"));
    EXPECT_EQ(g_frmDirProperties->txtPath->text(), alpha);

    // Another list is opened meanwhile; OK still renames the one the window shows.
    f->cTreeView1_NodeClick(f->m_lists->NodeByKey(beta));
    waitIdle(f);
    g_frmDirProperties->txtFolderName->setText(QStringLiteral("Gamma"));
    g_frmDirProperties->cmdOk_Click();
    const QString gamma = QDir(listsFolder).filePath(QStringLiteral("Gamma.flst"));
    EXPECT_FALSE(QFileInfo::exists(alpha));
    EXPECT_TRUE(QFileInfo::exists(gamma));
    EXPECT_TRUE(QFileInfo::exists(beta));
    ASSERT_NE(f->m_lists->NodeByKey(gamma), nullptr);
    EXPECT_EQ(cTreeView::Text(f->m_lists->NodeByKey(gamma)), QStringLiteral("Gamma"));
    EXPECT_EQ(selectedKey(f), beta);
}

TEST_F(MainWindow, LoadRestoresTheStoredSize)
{
    const QRect freeArea = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
        const char* width;
        const char* height;
        int pixelsWide;
        int pixelsHigh;
        bool atCorner;  // cut to the screen: placed at the free area's corner
    } cases[] = {
        {"11000", "999", 733, 7440 / 15, false},
        {"15000", "999", std::min(1000, freeArea.width()), 7440 / 15, 1000 > freeArea.width()},
        {"200000", "200000", freeArea.width(), freeArea.height(), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        reg.SetRegistryValue(QStringLiteral("lWidth"), QString::fromLatin1(c.width), platform::REG_SZ);
        reg.SetRegistryValue(QStringLiteral("lHeight"), QString::fromLatin1(c.height), platform::REG_SZ);
        FrmMain* f = frmMain.get();
        EXPECT_EQ(f->width(), c.pixelsWide);
        EXPECT_EQ(f->height(), c.pixelsHigh);
        if (c.atCorner) {
            EXPECT_EQ(f->pos(), freeArea.topLeft());
        }
        frmMain.unload();
        forms::unloadAll();
    }
}

TEST_F(MainWindow, ExitQuestionAnsweredNoKeepsEverything)
{
    ProgramOptions.chkDisplayMSGWhenExit = true;
    ProgramOptions.chkClearOnExit = true;
    const QString list = makeList(QStringLiteral("Keep"), "<item>\r\n");
    FrmMain* f = frmMain.get();
    frmOptions.get();
    f->show();
    f->SetOnTop(true);
    box.answer(platform::vbNo);

    EXPECT_FALSE(f->close());
    settle();
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].prompt, QStringLiteral("Are you sure you want to exit 'Quillmere 1.2' ?"));
    EXPECT_EQ(box.shown[0].style, platform::vbInformation | platform::vbYesNo);
    EXPECT_EQ(box.shown[0].title, QStringLiteral("Quillmere 1.2"));
    EXPECT_TRUE(frmMain.isLoaded());
    EXPECT_TRUE(f->isVisible());
    EXPECT_FALSE(g_bMainUnloading);
    EXPECT_TRUE(f->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(f->cSysTray1->TrayIconAdded());
    EXPECT_TRUE(frmOptions.isLoaded());
    QFile file(list);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("<item>\r\n"));
    EXPECT_FALSE(reg.GetRegistryValue(QStringLiteral("lWidth")).isValid());

    // The options window still only hides when closed.
    frmOptions->close();
    settle();
    EXPECT_TRUE(frmOptions.isLoaded());
}

TEST_F(MainWindow, ExitCleansUpAndSavesTheSize)
{
    ProgramOptions.chkClearOnExit = true;
    const QString list = makeList(QStringLiteral("Work"), "<item>\r\n");
    const QString folder = platform::programFolder();
    for (const char* name : {"tmpeditor.wav", "tmptts.wav"}) {
        QFile tmp(QDir(folder).filePath(QLatin1String(name)));
        ASSERT_TRUE(tmp.open(QIODevice::WriteOnly));
    }
    FrmMain* f = frmMain.get();
    frmOptions.get();
    f->resize(900, 600);
    // The outer size is kept: the window plus the frame its platform reports.
    const QMargins frame = f->windowHandle() ? f->windowHandle()->frameMargins() : QMargins();
    const QString width = QString::number(PixelsToTwips(900 + frame.left() + frame.right()));
    const QString height = QString::number(PixelsToTwips(600 + frame.top() + frame.bottom()));
    f->RunCommand(QStringLiteral("Exit"));
    settle();

    EXPECT_TRUE(box.shown.isEmpty());  // the option is off: no question
    EXPECT_FALSE(frmMain.isLoaded());
    EXPECT_FALSE(frmOptions.isLoaded());
    EXPECT_TRUE(g_bMainUnloading);
    EXPECT_FALSE(QFile::exists(QDir(folder).filePath(QStringLiteral("tmpeditor.wav"))));
    EXPECT_FALSE(QFile::exists(QDir(folder).filePath(QStringLiteral("tmptts.wav"))));
    QFile cleared(list);  // the open list was cleared: an empty list is one line break
    ASSERT_TRUE(cleared.open(QIODevice::ReadOnly));
    EXPECT_EQ(cleared.readAll(), QByteArray("\r\n"));
    EXPECT_EQ(reg.GetRegistryValue(QStringLiteral("lWidth")).toString(), width);
    EXPECT_EQ(reg.GetRegistryValue(QStringLiteral("lHeight")).toString(), height);
}

TEST_F(MainWindow, ClosingEndsTheProgram)
{
    frmMain->show();
    QTimer::singleShot(0, [] { frmMain->close(); });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, qApp, &QCoreApplication::quit);
    guard.start(5000);
    QElapsedTimer t;
    t.start();
    QApplication::exec();
    EXPECT_LT(t.elapsed(), 4000);
    EXPECT_FALSE(frmMain.isLoaded());
}

TEST_F(MainWindow, ClearOnExitLeavesACdDriveAlone)
{
    ProgramOptions.chkClearOnExit = true;
    const QString list = makeList(QStringLiteral("Work"), "<item>\r\n");
    FrmMain* f = frmMain.get();
    QTreeWidgetItem* drive = f->cTreeView1->AddNode(QStringLiteral("##CDE:"), QStringLiteral("E:"), -1, -1, g_nodeMainCDs);
    f->cTreeView1->SelectNode(drive);
    f->close();
    settle();
    EXPECT_FALSE(frmMain.isLoaded());
    EXPECT_EQ(QFileInfo(list).size(), 8);
}

TEST_F(MainWindow, SavedSizeIsTheNormalOneWhenMaximised)
{
    FrmMain* f = frmMain.get();
    f->show();
    f->resize(700, 500);
    QCoreApplication::processEvents();
    const QSize frame = f->frameGeometry().size() - f->geometry().size();
    f->showMaximized();
    QCoreApplication::processEvents();
    ASSERT_TRUE(f->isMaximized());
    f->close();
    settle();
    EXPECT_EQ(reg.GetRegistryValue(QStringLiteral("lWidth")).toString(), QString::number((700 + frame.width()) * 15));
    EXPECT_EQ(reg.GetRegistryValue(QStringLiteral("lHeight")).toString(), QString::number((500 + frame.height()) * 15));
}

TEST_F(MainWindow, ToolbarsAndPanelsRouteByKey)
{
    FakeFileDialogs dialogs;  // "Add Files" opens its dialog: cancelled
    FrmMain* f = frmMain.get();
    commands.clear();
    f->tlbrTop->Click(f->tlbrTop->ButtonIndex(QStringLiteral("Add")));
    f->tlbrTop->Click(f->tlbrTop->ButtonIndex(QStringLiteral("Audio Joiner")));
    f->tlbrList->Click(f->tlbrList->ButtonIndex(QStringLiteral("Move Up")));
    f->tlbrProjects->Click(f->tlbrProjects->ButtonIndex(QStringLiteral("Items List Properties")));
    f->tlbrRecorder->Click(f->tlbrRecorder->ButtonIndex(QStringLiteral("ACM Converter")));
    f->cStatusBar1->ClickPanel(1);  // "Main": no item carries its key
    f->cStatusBar1->ClickPanel(4);
    // The tools find the new list empty and run "Add Files" in their place.
    EXPECT_EQ(commands, (QStringList{"Add Files", "Audio Joiner", "Add Files", "Move Up", "Items List Properties",
                                     "ACM Converter", "Add Files", "Master Volume"}));
    ASSERT_EQ(shell.started.size(), 1);  // the desktop's mixer stands in for the volume control

    // A drop-down button pops up its group instead of running a command.
    commands.clear();
    f->tlbrTop->Click(f->tlbrTop->ButtonIndex(QStringLiteral("Tools")));
    EXPECT_TRUE(commands.isEmpty());
    ASSERT_NE(f->m_cMenu->LastPopup(), nullptr);
    QStringList shown;
    for (QAction* a : f->m_cMenu->LastPopup()->actions())
        if (!a->isSeparator())
            shown.append(a->text());
    EXPECT_EQ(shown, (QStringList{"Audio Converter", "ACM Converter", "Audio Joiner", "Master Volume", "Notes"}));
    f->tlbrTop->DropDown(f->tlbrTop->ButtonIndex(QStringLiteral("Mode")));
    EXPECT_EQ(f->m_cMenu->LastPopup()->actions().first()->text(), QStringLiteral("Transparent"));

    // A choice in a pop-up arrives as a menu click.
    f->m_cMenu->LastPopup()->actions().first()->trigger();
    EXPECT_EQ(commands, QStringList{QStringLiteral("Transparent")});
    EXPECT_TRUE(IsLayered(f));
}

TEST_F(MainWindow, ListToolbarsReleaseAlwaysOnTop)
{
    FrmMain* f = frmMain.get();
    f->show();
    f->RunCommand(QStringLiteral("On Top"));
    const long onTop = f->m_cMenu->MenuIndexOfKey(QStringLiteral("On Top"));
    EXPECT_TRUE(f->m_cMenu->MenuItemChecked(onTop));
    EXPECT_TRUE(f->windowFlags() & Qt::WindowStaysOnTopHint);
    f->tlbrRecorder->Click(1);  // the tools toolbar leaves the mode alone
    EXPECT_TRUE(f->m_cMenu->MenuItemChecked(onTop));
    f->tlbrList->Click(f->tlbrList->ButtonIndex(QStringLiteral("Move Down")));
    EXPECT_FALSE(f->m_cMenu->MenuItemChecked(onTop));
    EXPECT_FALSE(f->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(f->isVisible());
}

TEST_F(MainWindow, WindowModesFollowTheirCheckMarks)
{
    FrmMain* f = frmMain.get();
    f->show();
    const long transparent = f->m_cMenu->MenuIndexOfKey(QStringLiteral("Transparent"));
    f->RunCommand(QStringLiteral("Transparent"));
    EXPECT_TRUE(IsLayered(f));
    EXPECT_EQ(LayeredAlpha(f), 90);
    EXPECT_TRUE(f->m_cMenu->MenuItemChecked(transparent));
    f->RunCommand(QStringLiteral("Transparent"));
    EXPECT_FALSE(IsLayered(f));
    EXPECT_FALSE(f->m_cMenu->MenuItemChecked(transparent));

    f->RunCommand(QStringLiteral("Minimize"));
    EXPECT_TRUE(f->isMinimized());
    EXPECT_FALSE(f->m_bInTray);
}

TEST_F(MainWindow, TrayStateMachine)
{
    FrmMain* f = frmMain.get();
    f->show();
    f->RunCommand(QStringLiteral("RC Open"));  // shown -> in the tray
    EXPECT_FALSE(f->isVisible());
    EXPECT_TRUE(f->isMinimized());
    EXPECT_TRUE(f->m_bInTray);
    EXPECT_EQ(f->TrayOpenCaption(), QStringLiteral("Show"));
    f->cSysTray1_TrayClick(1);  // in the tray -> shown
    EXPECT_TRUE(f->isVisible());
    EXPECT_FALSE(f->isMinimized());
    EXPECT_FALSE(f->m_bInTray);
    EXPECT_EQ(f->TrayOpenCaption(), QStringLiteral("Hide"));

    f->showMinimized();  // minimised with the title bar: hidden by the first click
    f->cSysTray1_TrayClick(1);
    EXPECT_FALSE(f->isVisible());
    EXPECT_TRUE(f->m_bInTray);
    f->cSysTray1_TrayClick(1);
    EXPECT_TRUE(f->isVisible());

    f->showMaximized();
    f->cSysTray1_TrayClick(1);  // maximised: nothing
    EXPECT_TRUE(f->isVisible());
    EXPECT_FALSE(f->m_bInTray);
    EXPECT_EQ(f->TrayOpenCaption(), QStringLiteral("Hide"));

    f->showNormal();
    commands.clear();
    f->RunCommand(QStringLiteral("GoSysTray"));
    EXPECT_FALSE(f->isVisible());
    EXPECT_TRUE(f->m_bInTray);
    EXPECT_EQ(f->TrayOpenCaption(), QStringLiteral("Show"));
    f->RunCommand(QStringLiteral("RC Open"));
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(f->TrayOpenCaption(), QStringLiteral("Hide"));

    // Kind 2 pops up the tray group.
    f->cSysTray1_TrayClick(2);
    ASSERT_NE(f->m_cMenu->LastPopup(), nullptr);
    EXPECT_EQ(f->m_cMenu->LastPopup()->actions().last()->text(), QStringLiteral("Hide"));
}

TEST_F(MainWindow, WithoutATrayTheWindowIsNeverHidden)
{
    FakeDesktop bare(false);
    FrmMain* f = frmMain.get();
    f->show();
    f->RunCommand(QStringLiteral("GoSysTray"));
    EXPECT_TRUE(f->isVisible());
    EXPECT_TRUE(f->isMinimized());
    EXPECT_FALSE(f->m_bInTray);
    f->showNormal();
    f->cSysTray1_TrayClick(1);
    EXPECT_TRUE(f->isVisible());
    EXPECT_FALSE(f->m_bInTray);
}

TEST_F(MainWindow, ReleasingOnTopDoesNotBringBackAWindowInTheTray)
{
    FrmMain* f = frmMain.get();
    f->show();
    f->RunCommand(QStringLiteral("GoSysTray"));
    ASSERT_FALSE(f->isVisible());
    f->SetOnTop(false);
    f->RunCommand(QStringLiteral("Master Volume"));
    EXPECT_FALSE(f->isVisible());
    EXPECT_TRUE(f->m_bInTray);
}

TEST_F(MainWindow, OptionPageCommandsOpenThatPage)
{
    FrmMain* f = frmMain.get();
    FrmOptions* options = frmOptions.get();
    f->show();
    f->SetOnTop(true);
    QString pageShown;
    QTimer::singleShot(0, options, [&] {
        pageShown = cTreeView::Key(options->cTreeView1->SelectedNode());
        options->close();
    });
    f->RunCommand(QStringLiteral("View"));
    EXPECT_EQ(pageShown, QStringLiteral("View"));
    EXPECT_FALSE(f->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(frmOptions.isLoaded());
}

TEST_F(MainWindow, OpenDestFolderOpensTheFolderOfAList)
{
    const QString list = makeList(QStringLiteral("Songs"));
    FrmMain* f = frmMain.get();
    f->RunCommand(QStringLiteral("Open Destination Folder"));
    EXPECT_EQ(shell.opened, QStringList{listsFolder + QLatin1Char('/')});

    shell.opened.clear();
    const QString missing = QDir(platform::programFolder()).filePath(QStringLiteral("out/new"));
    box.answer(platform::vbNo);
    f->OpenDestFolder(missing);
    EXPECT_TRUE(shell.opened.isEmpty());
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].prompt, QStringLiteral("The folder ") + missing + QStringLiteral("/ does not exist.") +
                                       QString(44, QLatin1Char(' ')) + QStringLiteral("\r\n\r\nWould you like to create it?"));
    box.answer(platform::vbYes);
    f->OpenDestFolder(missing);
    EXPECT_TRUE(QFileInfo(missing).isDir());
    EXPECT_EQ(shell.opened, QStringList{missing + QLatin1Char('/')});
}

TEST_F(MainWindow, OpenDestFolderStillOpensAFolderThatCouldNotBeMade)
{
    FrmMain* f = frmMain.get();
    // A file stands where a folder of the path would have to be made.
    const QString blocker = QDir(platform::programFolder()).filePath(QStringLiteral("blocker"));
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QString path = blocker + QStringLiteral("/sub/");
    box.answer(platform::vbYes);
    f->OpenDestFolder(path);
    ASSERT_EQ(box.shown.size(), 2);
    EXPECT_EQ(box.shown[1].prompt, QStringLiteral("The path: ") + path + QStringLiteral(" cannot be created."));
    EXPECT_EQ(shell.opened, QStringList{path});
}

TEST_F(MainWindow, AListsFolderWithoutListsShowsNothingOfTheOldList)
{
    const QString a = makeWav(QStringLiteral("a.wav"));
    makeListOf(QStringLiteral("Alpha"), {a});
    FrmMain* f = frmMain.get();
    waitIdle(f);
    ASSERT_EQ(f->cGrid1->Rows(), 1);

    // A folder of other files: as at start, a new list is made there and opened.
    const QString other = QDir(platform::programFolder()).filePath(QStringLiteral("Other"));
    QDir().mkpath(other);
    QFile readme(QDir(other).filePath(QStringLiteral("readme.txt")));
    ASSERT_TRUE(readme.open(QIODevice::WriteOnly));
    readme.close();
    ProgramOptions.txtToPath = other + QLatin1Char('/');
    mainWindowLink().ListsFolderChanged();
    waitIdle(f);
    const QString created = QDir(other).filePath(QStringLiteral("New Items List 1.flst"));
    EXPECT_TRUE(QFileInfo(created).isFile());
    EXPECT_EQ(selectedKey(f), created);
    EXPECT_EQ(f->lblListName->text(), QStringLiteral("New Items List 1"));
    EXPECT_EQ(f->cGrid1->Rows(), 0);
    EXPECT_FALSE(f->picEmptyMsg->isHidden());

    // A folder where no list can be made: no list is open and nothing of the old one shows.
    f->cTreeView1_NodeClick(f->m_lists->NodeByKey(created));
    waitIdle(f);
    ProgramOptions.txtToPath = QDir(other).filePath(QStringLiteral("readme.txt/lists/"));
    mainWindowLink().ListsFolderChanged();
    waitIdle(f);
    EXPECT_FALSE(IsListNodeKey(selectedKey(f)));
    EXPECT_EQ(f->lblListName->text(), QString());
    EXPECT_EQ(f->cGrid1->Rows(), 0);
    EXPECT_EQ(f->cStatusBar1->StatusPanelText(QStringLiteral("Items List Properties")), QStringLiteral("0 Items, 0 KB, 00:00:00"));

    // Rows that arrive meanwhile belong to no list: "Remove All" asks about none.
    f->cGrid1->SetCell(1, f->cGrid1->ColumnIndex(ItemRow::COL_ITEM_NAME), QVariant(QStringLiteral("x")));
    box.shown.clear();
    f->RunCommand(QStringLiteral("Clear the List"));
    waitIdle(f);
    EXPECT_TRUE(box.shown.isEmpty());
}

TEST_F(MainWindow, TheEmptyListHintAndARangeShowWhole)
{
    makeList(QStringLiteral("Empty"));
    FrmMain* f = frmMain.get();
    waitIdle(f);
    f->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f));
    QCoreApplication::processEvents();
    ASSERT_FALSE(f->picEmptyMsg->isHidden());
    EXPECT_EQ(f->lblAddorDrag->text(), QStringLiteral("Add or Drag and Drop audio items to here."));
    const QRect box = f->picEmptyMsg->rect();
    for (QLabel* label : {f->lblEmptylist, f->lblAddorDrag}) {
        const int needed = label->fontMetrics().horizontalAdvance(label->text());
        EXPECT_GE(label->contentsRect().width(), needed) << label->text().toStdString();
        EXPECT_TRUE(box.contains(label->geometry())) << label->text().toStdString();
        EXPECT_GE(label->height(), label->fontMetrics().height());
    }
    // The box is no smaller than designed, and stays centred over the grid.
    EXPECT_GE(f->picEmptyMsg->width(), TwipsToPixels(3615));
    EXPECT_GE(f->picEmptyMsg->height(), TwipsToPixels(735));
    const QRect grid = f->cGrid1->geometry();
    EXPECT_LE(std::abs(f->picEmptyMsg->geometry().center().x() - grid.center().x()), 2);

    // A range of the longest form fits its column in the grid's own measure.
    cGrid& g = *f->cGrid1;
    const long range = g.ColumnIndex(ItemRow::COL_RANGE);
    const QString text = QStringLiteral("00:00:30 - 00:01:15");
    g.SetCell(1, range, QVariant(text));
    QCoreApplication::processEvents();
    EXPECT_GE(g.columnWidth(static_cast<int>(range - 1)),
              g.sizeHintForIndex(g.model().index(0, static_cast<int>(range - 1))).width() + (g.GridLines() ? 1 : 0));
    EXPECT_GE(g.columnWidth(static_cast<int>(range - 1)), g.fontMetrics().horizontalAdvance(text));
}

// The window's bottom edge is the status bar's, and no pane above it runs past its parent's edge
// (a cut-off pane would show as a strip of a control along the edge). At the size it opens with
// and smaller and larger ones, with the player and the title strip on and off.
TEST_F(MainWindow, NoPaneIsCutByTheBottomEdge)
{
    makeListOf(QStringLiteral("Songs"), {makeWav(QStringLiteral("a.wav"))});
    FrmMain* f = frmMain.get();
    waitIdle(f);
    f->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f));
    const QSize opened = f->size();
    const struct {
        QSize size;
        bool player;
        bool title;
    } cases[] = {
        {opened, true, true},
        {QSize(640, 420), true, true},
        {QSize(1200, 900), false, false},
        {opened, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1x%2 player %3 title %4")
                         .arg(c.size.width())
                         .arg(c.size.height())
                         .arg(c.player)
                         .arg(c.title)
                         .toStdString());
        ProgramOptions.chkDisplayPlayer = c.player;
        ProgramOptions.chkDisplayTitle = c.title;
        f->resize(c.size);
        f->Form_Resize();
        QCoreApplication::processEvents();
        const QRect bar = f->cStatusBar1->geometry();
        EXPECT_EQ(bar.bottom(), f->height() - 1);
        EXPECT_EQ(bar.width(), f->width());
        QWidget* panes = f->centralWidget();
        ASSERT_NE(panes, nullptr);
        EXPECT_LT(panes->geometry().bottom(), bar.top());
        for (QWidget* w : panes->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!w->isVisible() || w->width() == 0 || w->height() == 0)
                continue;
            EXPECT_LE(w->geometry().bottom(), panes->height() - 1) << w->objectName().toStdString();
            EXPECT_GE(w->geometry().top(), 0) << w->objectName().toStdString();
        }
    }
}

TEST_F(MainWindow, ListNameClickRunsPropertiesUnlessARootIsSelected)
{
    makeList(QStringLiteral("Songs"));
    FrmMain* f = frmMain.get();
    commands.clear();
    f->lblListName_Click();
    EXPECT_EQ(commands, QStringList{QStringLiteral("Items List Properties")});
    f->cTreeView1->SelectNode(g_nodeMainItems);
    commands.clear();
    f->lblListName_Click();
    EXPECT_TRUE(commands.isEmpty());
}

TEST_F(MainWindow, NotesPanelOpensTheNotesAndShowsThemWhenClosed)
{
    FrmMain* f = frmMain.get();
    f->cStatusBar1->ClickPanel(3);
    ASSERT_TRUE(g_frmNotes.isLoaded());
    EXPECT_TRUE(g_frmNotes->isVisible());
    EXPECT_EQ(g_frmNotes->parentWidget(), nullptr);
    FrmNotes* first = g_frmNotes.get();
    f->RunCommand(QStringLiteral("Notes"));  // a loaded notes window is brought forward
    EXPECT_EQ(g_frmNotes.get(), first);
    g_frmNotes->Text1->setPlainText(QStringLiteral("master the album\nby Friday"));
    g_frmNotes->close();
    settle();
    EXPECT_FALSE(g_frmNotes.isLoaded());
    EXPECT_EQ(f->cStatusBar1->StatusPanelText(QStringLiteral("Notes")), QStringLiteral("Notes [ master the album by Friday ]"));
}

TEST_F(MainWindow, AboutOpensModallyAfterReleasingOnTop)
{
    FrmMain* f = frmMain.get();
    f->show();
    f->SetOnTop(true);
    bool shownModal = false;
    QTimer::singleShot(0, f, [&] {
        shownModal = frmAbout.isLoaded() && frmAbout->isModal() && frmAbout->isVisible();
        if (frmAbout.isLoaded())
            frmAbout->done(0);
    });
    f->RunCommand(QStringLiteral("About"));
    EXPECT_TRUE(shownModal);
    EXPECT_FALSE(f->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(MainWindow, OptionsWindowChangesReachTheWindow)
{
    makeList(QStringLiteral("First"));
    FrmMain* f = frmMain.get();
    mainWindowLink().SetGridLines(false);
    mainWindowLink().SetGridHotTrack(false);
    EXPECT_FALSE(f->cGrid1->GridLines());
    EXPECT_FALSE(f->cGrid1->HotTrack());

    const int gridWidth = f->m_layout.cGrid1.width;
    ProgramOptions.chkDisplayPlayer = false;
    mainWindowLink().Relayout();
    EXPECT_EQ(f->m_layout.cGrid1.width, gridWidth + 3495);
    EXPECT_FALSE(f->m_layout.cGridInfo.visible);

    mainWindowLink().SetTitleBackColor(0x0000FF);  // red in the lowest byte
    EXPECT_EQ(f->picTitle->palette().color(QPalette::Window), QColor(255, 0, 0));

    makeList(QStringLiteral("Another"), "");
    const QString otherFolder = QDir(platform::programFolder()).filePath(QStringLiteral("Other"));
    QDir().mkpath(otherFolder);
    QFile(QDir(otherFolder).filePath(QStringLiteral("Zed.flst"))).open(QIODevice::WriteOnly);
    ProgramOptions.txtToPath = otherFolder + QLatin1Char('/');
    mainWindowLink().ListsFolderChanged();
    ASSERT_NE(f->cTreeView1->SelectedNode(), nullptr);
    EXPECT_EQ(f->lblListName->text(), QStringLiteral("Zed"));
}

TEST_F(MainWindow, UnknownKeysAndItemZeroDoNothing)
{
    FrmMain* f = frmMain.get();
    commands.clear();
    f->RunCommand(QStringLiteral("audio joiner"));
    f->m_cMenu_Click(0);
    EXPECT_TRUE(commands.isEmpty());
    f->RunCommand(QStringLiteral("Remove"));  // an item without a branch
    EXPECT_EQ(commands, QStringList{QStringLiteral("Remove")});
    EXPECT_TRUE(frmMain.isLoaded());
}

}  // namespace
