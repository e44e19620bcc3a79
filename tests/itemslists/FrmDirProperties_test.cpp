// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/itemslists/ItemsListFixtures.h"

#include "foundation/mdlModes.h"
#include "mainwindow/FrmDirProperties.h"
#include "mainwindow/ItemsListTree.h"
#include "platform/Shell.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/LinkLabel.h"
#include "settings/controls/cTabControl.h"
#include "settings/controls/cTreeView.h"
#include "tests/support/FakeMessageBox.h"

#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>

namespace {

class RecordingShell : public platform::ShellService {
public:
    QStringList opened;
    RecordingShell() { platform::setShellService(this); }
    ~RecordingShell() override { platform::setShellService(nullptr); }
    bool open(const QString& target) override
    {
        opened << target;
        return true;
    }
    bool startProgram(const QString&, const QStringList&, const QString&) override { return false; }
};

class CdHost : public ItemsListHost {
public:
    long CDDriveCount() override { return 1; }
    QString CDDriveName(long) override { return QStringLiteral("D: Writer"); }
};

class FrmDirPropertiesTest : public testing::Test {
protected:
    QTemporaryDir dir;
    QString folder = dir.filePath(QStringLiteral("Main")) + QLatin1Char('/');
    FakeProbe probe;
    CdHost host;
    QWidget window;
    cTreeView* tree = new cTreeView(&window);
    std::unique_ptr<cGrid> grid = makeItemGrid();
    QLabel* lblListName = new QLabel(&window);
    QProgressBar* prgStatus = new QProgressBar(&window);
    std::unique_ptr<ItemsListTree> lists;
    FakeMessageBox box;

    void SetUp() override
    {
        ProgramOptions = ProgramOptionsData{};
        ProgramOptions.txtToPath = folder;
        g_lAppIncItemsLists = 1;
        g_lAppIncCDRipper = 1;
        prgStatus->setVisible(false);
        QDir().mkpath(folder);
        for (const char* name : {"Rock.flst", "Jazz.flst"})
            writeBytes(folder + QString::fromLatin1(name), "\r\n");
        ItemsListControls c;
        c.tree = tree;
        c.grid = grid.get();
        c.lblListName = lblListName;
        c.prgStatus = prgStatus;
        lists = std::make_unique<ItemsListTree>(c, probe, host);
        lists->loader().SetSliceMilliseconds(0);
        lists->setTree();
        lists->cTreeView1_NodeClick(node(QStringLiteral("Rock.flst")));
    }
    void TearDown() override
    {
        g_lAppIncItemsLists = 0;
        g_lAppIncCDRipper = 0;
        ProgramOptions = ProgramOptionsData{};
    }
    QTreeWidgetItem* node(const QString& name) { return lists->NodeByKey(folder + name); }
    FrmDirProperties* open(QTreeWidgetItem* n)
    {
        ShowItemsListProperties(*lists, n, QStringLiteral("0 Items, 0 KB, 00:00:00"));
        return g_frmDirProperties.loaded();
    }
};

TEST_F(FrmDirPropertiesTest, ShowsTheNodeItWasOpenedFor)
{
    FrmDirProperties* w = open(node(QStringLiteral("Rock.flst")));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Items List Properties"));
    EXPECT_EQ(w->txtFolderName->text(), QStringLiteral("Rock"));
    EXPECT_EQ(w->txtPath->text(), folder + QStringLiteral("Rock.flst"));
    EXPECT_EQ(w->lblContain->text(), QStringLiteral("0 Items, 0 KB, 00:00:00"));
    EXPECT_TRUE(w->bEditFolderName);
    EXPECT_TRUE(w->txtFolderName->isEnabled());
    EXPECT_EQ(w->cTabControl1->TabCount(), 1);

    g_frmDirProperties.unload();
    EXPECT_EQ(open(lists->g_nodeMainItems()), nullptr);
}

// The largest difference in grey between a pixel of the picture and its most common colour
// (the background): text that can be read stands well apart from what it is drawn on.
int textContrast(const QImage& image)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb background = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            background = it.key();
        }
    int contrast = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        contrast = std::max(contrast, std::abs(qGray(it.key()) - qGray(background)));
    return contrast;
}

TEST_F(FrmDirPropertiesTest, TextsAreReadableAndTheFolderPictureIsDrawn)
{
    // The installer's first colours: white title text on a dark blue strip, on a white window.
    const QString backColor = g_sAppBackColor;
    g_sAppBackColor = QStringLiteral("16777215");
    ProgramOptions.picColor = 8404992;
    ProgramOptions.picTextColor = 16777215;
    FrmDirProperties* w = open(node(QStringLiteral("Rock.flst")));
    g_sAppBackColor = backColor;
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));

    const QImage window = w->grab().toImage();
    auto shot = [&](QWidget* c) { return window.copy(QRect(c->mapTo(w, QPoint(0, 0)), c->size())); };
    for (QLabel* label : {w->lblTitle, w->lblFolderName, w->lblPath, w->lblThisFolderContain, w->lblContain,
                          static_cast<QLabel*>(w->lblOpenDestinationDestinationFolder)}) {
        EXPECT_GE(textContrast(shot(label)), 120) << label->text().toStdString();
    }
    // The title keeps the title-text colour; the page's labels keep their own.
    EXPECT_EQ(w->lblTitle->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_NE(w->lblFolderName->palette().color(QPalette::WindowText), QColor(Qt::white));

    const QImage folder = w->imgOpenDestFolder->pixmap().toImage();
    ASSERT_FALSE(folder.isNull());
    int drawn = 0;
    for (int y = 0; y < folder.height(); ++y)
        for (int x = 0; x < folder.width(); ++x)
            drawn += qAlpha(folder.pixel(x, y)) > 128 ? 1 : 0;
    EXPECT_GT(drawn, folder.width() * folder.height() / 4);
    EXPECT_GE(textContrast(shot(w->imgOpenDestFolder)), 60);
}

TEST_F(FrmDirPropertiesTest, RefusedNamesKeepTheWindowOpen)
{
    struct Case {
        QString typed;
        QString message;
        QString boxAfter;
    } cases[] = {
        {QStringLiteral("   "), QStringLiteral("Empty Item Name.") + QString(42, u' '), QString()},
        {QStringLiteral(" a/b "), QStringLiteral("Illegal Item Name.") + QString(42, u' '), QStringLiteral("a/b")},
        {QStringLiteral("Jazz"), QStringLiteral("Folder name already exists, please select a different name."), QStringLiteral("Jazz")},
    };
    for (const Case& c : cases) {
        FrmDirProperties* w = open(node(QStringLiteral("Rock.flst")));
        box.shown.clear();
        w->txtFolderName->setText(c.typed);
        w->cmdOk_Click();
        ASSERT_EQ(box.shown.size(), 1) << c.typed.toStdString();
        EXPECT_EQ(box.shown.at(0).prompt, c.message);
        EXPECT_EQ(w->txtFolderName->text(), c.boxAfter);
        EXPECT_TRUE(g_frmDirProperties.isLoaded());
        EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("Rock.flst")));
        g_frmDirProperties.unload();
    }
}

TEST_F(FrmDirPropertiesTest, IllegalCharactersCannotBeTyped)
{
    FrmDirProperties* w = open(node(QStringLiteral("Rock.flst")));
    w->txtFolderName->clear();
    w->show();
    QTest::keyClicks(w->txtFolderName, QStringLiteral("a/b:c?d"));
    EXPECT_EQ(w->txtFolderName->text(), QStringLiteral("abcd"));
}

TEST_F(FrmDirPropertiesTest, RenamesTheListItShowsEvenWhenAnotherIsSelected)
{
    FrmDirProperties* w = open(node(QStringLiteral("Rock.flst")));
    lists->cTreeView1_NodeClick(node(QStringLiteral("Jazz.flst")));
    w->txtFolderName->setText(QStringLiteral("  Blues  "));
    w->cmdOk_Click();

    EXPECT_TRUE(box.shown.isEmpty());
    EXPECT_FALSE(g_frmDirProperties.isLoaded());
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("Blues.flst")));
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("Rock.flst")));
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("Jazz.flst")));
    QTreeWidgetItem* blues = node(QStringLiteral("Blues.flst"));
    ASSERT_NE(blues, nullptr);
    EXPECT_EQ(cTreeView::Text(blues), QStringLiteral("Blues"));
    EXPECT_EQ(lblListName->text(), QStringLiteral("Jazz"));  // the open list keeps its label
}

TEST_F(FrmDirPropertiesTest, AnUnchangedNameOrCancelTouchesNothing)
{
    const QDateTime before = QFileInfo(folder + QStringLiteral("Rock.flst")).lastModified();
    FrmDirProperties* w = open(node(QStringLiteral("Rock.flst")));
    w->cmdOk_Click();
    EXPECT_FALSE(g_frmDirProperties.isLoaded());

    w = open(node(QStringLiteral("Rock.flst")));
    w->txtFolderName->setText(QStringLiteral("Other"));
    w->cmdCancel_Click();
    EXPECT_FALSE(g_frmDirProperties.isLoaded());
    EXPECT_EQ(QFileInfo(folder + QStringLiteral("Rock.flst")).lastModified(), before);
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("Other.flst")));
}

TEST_F(FrmDirPropertiesTest, AFailedRenameIsReportedAndChangesNothing)
{
    FrmDirProperties* w = open(node(QStringLiteral("Rock.flst")));
    QFile::remove(folder + QStringLiteral("Rock.flst"));
    w->txtFolderName->setText(QStringLiteral("Blues"));
    w->cmdOk_Click();
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_TRUE(box.shown.at(0).prompt.startsWith(QStringLiteral("File not found (53).")));
    EXPECT_TRUE(g_frmDirProperties.isLoaded());
    EXPECT_NE(node(QStringLiteral("Rock.flst")), nullptr);
    EXPECT_EQ(cTreeView::Text(node(QStringLiteral("Rock.flst"))), QStringLiteral("Rock"));
    EXPECT_EQ(lblListName->text(), QStringLiteral("Rock"));
}

TEST_F(FrmDirPropertiesTest, ADriveGetsACaptionAndNoFile)
{
    QTreeWidgetItem* drive = lists->g_nodeMainCDs()->child(0);
    lists->cTreeView1_NodeClick(drive);
    FrmDirProperties* w = open(drive);
    w->txtFolderName->setText(QStringLiteral("Artist - Album"));
    w->cmdOk_Click();
    EXPECT_EQ(cTreeView::Text(drive), QStringLiteral("Artist - Album"));
    EXPECT_EQ(lblListName->text(), QStringLiteral("Artist - Album"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 2);
}

TEST_F(FrmDirPropertiesTest, TheLinkOpensTheFolderOfTheList)
{
    RecordingShell shell;
    FrmDirProperties* w = open(node(QStringLiteral("Rock.flst")));
    w->lblOpenDestinationDestinationFolder_Click();
    EXPECT_EQ(shell.opened, QStringList{folder});
    EXPECT_TRUE(box.shown.isEmpty());

    // A folder that is not there is offered for creation; the box shows the closing "/".
    const QString missing = dir.filePath(QStringLiteral("new/place"));
    w->txtPath->setText(missing);
    box.answer(platform::vbYes);
    w->lblOpenDestinationDestinationFolder_Click();
    EXPECT_EQ(w->txtPath->text(), missing + QLatin1Char('/'));
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_TRUE(box.shown.at(0).prompt.startsWith(QStringLiteral("The folder ") + missing + QStringLiteral("/ does not exist.")));
    EXPECT_TRUE(QFileInfo(missing).isDir());
    EXPECT_EQ(shell.opened.last(), missing + QLatin1Char('/'));
}

}  // namespace
