// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/AppSettings.h"
#include "foundation/mdlCommDialog.h"
#include "foundation/mdlModes.h"
#include "foundation/mdlSupportedFormats.h"
#include "platform/FileDialogs.h"
#include "platform/RegistryHive.h"
#include "tests/support/FakeFileDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

class CommDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        platform::useMemoryRegistry();
        ResetDialogRecords();
        g_FileDialog.lpstrFilter = QStringLiteral("Wave files") + QChar(0) + QStringLiteral("*.wav") + QChar(0)
            + QStringLiteral("All") + QChar(0) + QStringLiteral("*.*") + QChar(0) + QChar(0);
        g_FileDialog.lpstrTitle = QStringLiteral("Add audio files");
        music = dir.filePath(QStringLiteral("Music"));
        QDir().mkpath(music);
    }
    void TearDown() override { ResetDialogRecords(); }

    FakeFileDialogs dialogs;
    QWidget owner;
    QTemporaryDir dir;
    QString music;
};

TEST_F(CommDialogTest, OpenCancelled)
{
    dialogs.cancelOpen();
    const FileDialogResult r = ShowOpen(&owner);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.fileCount, 0);
    EXPECT_TRUE(r.fileNames.isEmpty());
    EXPECT_EQ(r.folder, QString());
    EXPECT_EQ(LastOpenLocation(), QString());
}

TEST_F(CommDialogTest, OpenOneFileGivesFullPathAndNameAndIsRemembered)
{
    dialogs.chooseFiles({music + QStringLiteral("/a.wav")});
    const FileDialogResult r = ShowOpen(&owner);
    EXPECT_FALSE(r.cancelled);
    EXPECT_EQ(r.fileCount, 1);
    EXPECT_EQ(r.folder, music);
    ASSERT_EQ(r.fileNames.size(), 2);
    EXPECT_EQ(r.fileNames[0], music + QStringLiteral("/a.wav"));
    EXPECT_EQ(r.fileNames[1], QStringLiteral("a.wav"));
    EXPECT_EQ(LastOpenLocation(), music + QStringLiteral("/a.wav"));

    ASSERT_EQ(dialogs.requests.size(), 1);
    const platform::FileDialogRequest& q = dialogs.requests[0];
    EXPECT_EQ(q.kind, platform::FileDialogRequest::Open);
    EXPECT_TRUE(q.multiSelect);
    EXPECT_EQ(q.title, QStringLiteral("Add audio files"));
    EXPECT_EQ(q.filter, QStringLiteral("Wave files (*.wav);;All (*)"));
    EXPECT_EQ(q.initialFolder, QString());  // nothing remembered yet: the home folder
    EXPECT_EQ(dialogs.parents[0], &owner);
    EXPECT_EQ(g_FileDialog.Flags, OFN_OPEN_FLAGS);

    // The next open dialog starts where the last file was.
    dialogs.cancelOpen();
    ShowOpen(&owner);
    EXPECT_EQ(dialogs.requests[1].initialFolder, music);
}

TEST_F(CommDialogTest, OpenFileInTheRootLeavesAnEmptyFolder)
{
    dialogs.chooseFiles({QStringLiteral("/a.wav")});
    const FileDialogResult r = ShowOpen(&owner);
    EXPECT_EQ(r.folder, QString());
    EXPECT_EQ(r.fileNames[0], QStringLiteral("/a.wav"));
    dialogs.chooseFiles({QStringLiteral("/a.wav"), QStringLiteral("/b.wav")});
    EXPECT_EQ(ShowOpen(&owner).folder, QStringLiteral("/"));
}

TEST_F(CommDialogTest, OpenSeveralFilesKeepsOrderWithoutEntryZeroAndRemembersNothing)
{
    QStringList chosen;
    for (int i = 1; i <= 1200; ++i)
        chosen << music + QStringLiteral("/t%1.wav").arg(i, 4, 10, QLatin1Char('0'));
    std::swap(chosen[0], chosen[5]);
    dialogs.chooseFiles(chosen);
    const FileDialogResult r = ShowOpen(&owner);
    EXPECT_FALSE(r.cancelled);
    EXPECT_EQ(r.folder, music);
    EXPECT_EQ(r.fileCount, 1200);
    ASSERT_EQ(r.fileNames.size(), 1201);
    EXPECT_EQ(r.fileNames[0], QString());
    EXPECT_EQ(r.fileNames[1], QStringLiteral("t0006.wav"));
    EXPECT_EQ(r.fileNames[6], QStringLiteral("t0001.wav"));
    // Every name is kept, also past the first thousand.
    EXPECT_EQ(r.fileNames[1200], QStringLiteral("t1200.wav"));
    EXPECT_EQ(LastOpenLocation(), QString());
}

TEST_F(CommDialogTest, SaveGivesEntryOneAndItsFolder)
{
    g_FileDialog.lpstrDefExt = QStringLiteral("flst");
    dialogs.saveAs(music + QStringLiteral("/list.flst"));
    const FileDialogResult r = ShowSave(&owner, QString());
    EXPECT_FALSE(r.cancelled);
    EXPECT_EQ(r.fileCount, 1);
    ASSERT_EQ(r.fileNames.size(), 2);
    EXPECT_EQ(r.fileNames[0], QString());
    EXPECT_EQ(r.fileNames[1], music + QStringLiteral("/list.flst"));
    EXPECT_EQ(r.folder, music + QStringLiteral("/"));
    const platform::FileDialogRequest& q = dialogs.requests.last();
    EXPECT_EQ(q.kind, platform::FileDialogRequest::Save);
    EXPECT_EQ(q.defaultSuffix, QStringLiteral("flst"));
    EXPECT_TRUE(q.confirmOverwrite);
    EXPECT_EQ(g_FileDialog.Flags, OFN_SAVE_FLAGS);

    dialogs.cancelSave();
    const FileDialogResult c = ShowSave(&owner, QStringLiteral("x.wav"));
    EXPECT_TRUE(c.cancelled);
    EXPECT_EQ(c.fileCount, 0);
    EXPECT_TRUE(c.fileNames.isEmpty());
    EXPECT_EQ(c.folder, QString());
    EXPECT_EQ(dialogs.requests.last().defaultName, QStringLiteral("x.wav"));
}

TEST_F(CommDialogTest, SaveAfterOpenStillAsksBeforeOverwritingAndStartsWhereOpenDid)
{
    // The save dialog starts in the folder the last open dialog started in.
    dialogs.chooseFiles({music + QStringLiteral("/a.wav")});
    ShowOpen(&owner);
    dialogs.cancelOpen();
    ShowOpen(&owner);
    dialogs.saveAs(QStringLiteral("typed.wav"));
    const FileDialogResult r = ShowSave(&owner, QStringLiteral("typed.wav"));
    const platform::FileDialogRequest& q = dialogs.requests.last();
    EXPECT_TRUE(q.confirmOverwrite);
    EXPECT_EQ(q.initialFolder, music);
    EXPECT_EQ(g_FileDialog.Flags, OFN_OPEN_FLAGS);  // the record keeps what open left
    // A bare name is completed with the folder the dialog showed.
    EXPECT_EQ(r.fileNames[1], music + QStringLiteral("/typed.wav"));
}

TEST_F(CommDialogTest, BrowseForFolder)
{
    dialogs.chooseFolder(music);
    EXPECT_EQ(BrowseForFolder(QStringLiteral("Select a new directory"), music, &owner, true, QString(), true, false), music);
    EXPECT_EQ(dialogs.requests[0].kind, platform::FileDialogRequest::Folder);
    EXPECT_EQ(dialogs.requests[0].title, QStringLiteral("Select a new directory"));
    EXPECT_EQ(dialogs.requests[0].initialFolder, music);
    EXPECT_FALSE(dialogs.requests[0].includeFiles);

    dialogs.cancelFolder();
    EXPECT_EQ(BrowseForFolder(QStringLiteral("t"), QStringLiteral("/no/such/folder"), &owner), QString());
    EXPECT_EQ(dialogs.requests[1].initialFolder, QString());
}

TEST_F(CommDialogTest, ColourOpensWhiteAndKeepsCustomColoursForTheRun)
{
    QList<QColor> changed;
    for (int i = 0; i < 16; ++i)
        changed << QColor(i, i, i);
    dialogs.chooseColour(QColor(0x11, 0x22, 0x33), changed);
    const ColorDialogResult r = ShowColor(&owner, false);
    EXPECT_FALSE(r.cancelled);
    EXPECT_EQ(r.colour, 0x332211);
    ASSERT_EQ(dialogs.colourRequests.size(), 1);
    EXPECT_EQ(dialogs.colourRequests[0].initial, QColor(Qt::white));
    EXPECT_FALSE(dialogs.colourRequests[0].centreOverOwner);
    EXPECT_EQ(dialogs.colourRequests[0].customColours[0], QColor(139, 155, 184));
    EXPECT_EQ(dialogs.colourRequests[0].customColours[7], QColor(236, 164, 236));
    EXPECT_EQ(dialogs.colourRequests[0].customColours[15], QColor(160, 160, 160));

    dialogs.cancelColour();
    const ColorDialogResult c = ShowColor(&owner, false);
    EXPECT_TRUE(c.cancelled);
    EXPECT_EQ(c.colour, -1);
    EXPECT_EQ(dialogs.colourRequests[1].initial, QColor(Qt::white));
    EXPECT_EQ(dialogs.colourRequests[1].customColours, changed);
}

TEST(CommDialogFilter, TheRealOpenDialogShowsEachDescriptionAsGivenAndFiltersByItsPatterns)
{
    platform::useMemoryRegistry();
    platform::setFileDialogService(nullptr);
    ResetDialogRecords();
    g_FileDialog.lpstrFilter = GetSupportedFilesFilter() + QChar(0);
    g_FileDialog.lpstrTitle = QStringLiteral("Add audio files");

    QStringList shown;
    QStringList patterns;
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || seen)
            return;
        seen = true;
        if (auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
            for (int i = 0; i < combo->count(); ++i)
                shown << combo->itemText(i);
        if (auto* model = dialog->findChild<QFileSystemModel*>())
            patterns = model->nameFilters();
        dialog->reject();
    });
    poll.start(20);
    QWidget owner;
    const FileDialogResult r = ShowOpen(&owner);
    ResetDialogRecords();
    ASSERT_TRUE(seen);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(shown, (QStringList{QStringLiteral("All supported audio files (*.acm;*.wav;*.mp3;*.wav;*.wma;)"),
                                  QStringLiteral("Windows legacy audio components (*.acm;*.wav)"),
                                  QStringLiteral("MPEG-1 Audio Layer 3 (MP3) (*.mp3)"),
                                  QStringLiteral("Waveform audio format (*.wav)"),
                                  QStringLiteral("Windows Media Audio files (*.wma)")}));
    EXPECT_EQ(patterns, (QStringList{QStringLiteral("*.acm"), QStringLiteral("*.wav"), QStringLiteral("*.mp3"),
                                     QStringLiteral("*.wav"), QStringLiteral("*.wma")}));
}

TEST(AppSettings, RoundTripAndDefault)
{
    platform::useMemoryRegistry();
    EXPECT_EQ(GetSetting(QStringLiteral("App"), QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("def")), QStringLiteral("def"));
    SaveSetting(QStringLiteral("App"), QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("v"));
    EXPECT_EQ(GetSetting(QStringLiteral("App"), QStringLiteral("s"), QStringLiteral("k")), QStringLiteral("v"));
    EXPECT_EQ(GetSetting(QStringLiteral("Other"), QStringLiteral("s"), QStringLiteral("k")), QString());
}

}  // namespace
