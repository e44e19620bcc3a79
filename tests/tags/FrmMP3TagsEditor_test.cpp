// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tags/editor/FrmMP3TagsEditor.h"

#include "foundation/mdlModes.h"
#include "tags/lib/cMP3ID3v2.h"
#include "tests/support/FakeFileDialogs.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/SmallDisk.h"
#include "tests/tags_lib/TagFixtures.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>

#include <gtest/gtest.h>

using namespace tagfix;

namespace {

QStringList tabs(QTabBar* bar)
{
    QStringList out;
    for (int i = 0; i < bar->count(); ++i)
        out << bar->tabText(i);
    return out;
}

class TagsEditorWindowTest : public ::testing::Test {
protected:
    QString path(const QString& name = QStringLiteral("a.mp3")) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

TEST_F(TagsEditorWindowTest, LoadsWithAllVersionsAndTheGeneralTab)
{
    FrmMP3TagsEditor* w = g_frmMP3TagsEditor.get();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("MP3 Tags Editor"));
    EXPECT_EQ(w->cboID3->count(), 3);
    EXPECT_EQ(w->cboID3->currentText(), QStringLiteral("ID3 v1+v2"));
    EXPECT_EQ(tabs(w->cTabControl1), QStringList({"General", "Advanced", "Lyrics"}));
    EXPECT_TRUE(w->froGeneral->isVisibleTo(w));
    EXPECT_FALSE(w->froAdvanced->isVisibleTo(w));
    EXPECT_FALSE(w->cmdApply->isEnabled());
    EXPECT_EQ(w->cboGenre->count(), 148);
    EXPECT_EQ(w->cboGenre->itemData(0).toInt(), 255);

    w->cTabControl1->setCurrentIndex(2);
    EXPECT_TRUE(w->froLyric->isVisibleTo(w));
    EXPECT_FALSE(w->froGeneral->isVisibleTo(w));

    w->cboID3->setCurrentIndex(0);
    w->cboID3_Click();
    EXPECT_EQ(tabs(w->cTabControl1), QStringList({"General"}));
    EXPECT_TRUE(w->froGeneral->isVisibleTo(w));
}

TEST_F(TagsEditorWindowTest, ChoosingAFileReadsItAndApplyWritesIt)
{
    const QByteArray audio = fakeAudio(2000);
    writeAll(path(), buildTag(3, {{"TIT2", latin1Text("Old")}, {"TCON", latin1Text("(17)")}}, 100) + audio);
    FakeFileDialogs dialogs;
    FakeMessageBox boxes;
    FrmMP3TagsEditor* w = g_frmMP3TagsEditor.get();

    dialogs.cancelOpen();
    w->cmdSelectFile_Click();
    EXPECT_FALSE(w->cmdApply->isEnabled());
    EXPECT_TRUE(w->sSourceFile->toPlainText().isEmpty());

    dialogs.chooseFiles({path()});
    w->cmdSelectFile_Click();
    ASSERT_EQ(dialogs.requests.size(), 2);
    EXPECT_EQ(dialogs.requests.last().title, QStringLiteral("Open MP3 audio file"));
    EXPECT_TRUE(dialogs.requests.last().filter.contains(QStringLiteral("*.mp3")));
    EXPECT_EQ(w->sSourceFile->toPlainText(), path());
    EXPECT_TRUE(w->cmdApply->isEnabled());
    EXPECT_EQ(w->txtTitle->text(), QStringLiteral("Old"));
    EXPECT_EQ(w->cboGenre->currentText(), QStringLiteral("Rock"));

    w->txtTitle->setText(QStringLiteral("New"));
    w->txtCopyright->setText(QStringLiteral("me"));
    w->cboGenre->setEditText(QStringLiteral("Class"));
    w->cmdApply_Click();
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].prompt, QStringLiteral("Done."));
    EXPECT_EQ(boxes.shown[0].style, platform::vbInformation);
    EXPECT_EQ(boxes.shown[0].title, g_sAppName + QLatin1Char(' ') + g_sAppVersion);
    EXPECT_EQ(w->cboGenre->currentText(), QStringLiteral("Classic Rock"));

    cMP3ID3v2 back;
    back.MP3File(path());
    EXPECT_EQ(back.Title(), QStringLiteral("New"));
    EXPECT_EQ(back.Copyright(), QStringLiteral("me"));
    EXPECT_EQ(back.Genre(), 1);
    const QByteArray after = readAll(path());
    EXPECT_EQ(after.mid(after.size() - 128 - audio.size(), audio.size()), audio);

    // Editing and then changing the version re-reads the file and drops the edit.
    w->txtTitle->setText(QStringLiteral("unsaved"));
    w->cboID3->setCurrentIndex(1);
    w->cboID3_Click();
    EXPECT_EQ(w->txtTitle->text(), QStringLiteral("New"));
}

TEST_F(TagsEditorWindowTest, ApplyErrorIsShownWithItsNumber)
{
    FakeFileDialogs dialogs;
    FakeMessageBox boxes;
    FrmMP3TagsEditor* w = g_frmMP3TagsEditor.get();
    dialogs.chooseFiles({path(QStringLiteral("absent.mp3"))});
    w->cmdSelectFile_Click();
    EXPECT_TRUE(w->txtTitle->text().isEmpty());
    w->cmdApply_Click();
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].prompt, QStringLiteral("File not found(53)\r\n\r\nThe file '") + path(QStringLiteral("absent.mp3")) +
                                         QStringLiteral("' is not there; nothing was written."));
    EXPECT_EQ(boxes.shown[0].style, platform::vbInformation);
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("absent.mp3"))));

    // A tag that could not be read through is left as it is, and the user is told.
    QByteArray tag = buildTag(3, {{"TIT2", latin1Text("x")}, {"PRIV", QByteArray("o\0data", 6)}}, 10);
    tag.replace(tag.indexOf("PRIV") + 4, 4, be32(900));
    const QByteArray content = tag + fakeAudio(1000);
    writeAll(path(), content);
    dialogs.chooseFiles({path()});
    w->cboID3->setCurrentIndex(1);
    w->cboID3_Click();
    w->cmdSelectFile_Click();
    w->txtTitle->setText(QStringLiteral("y"));
    w->cmdApply_Click();
    ASSERT_EQ(boxes.shown.size(), 2);
    EXPECT_TRUE(boxes.shown[1].prompt.startsWith(path())) << boxes.shown[1].prompt.toStdString();
    EXPECT_TRUE(boxes.shown[1].prompt.endsWith(QStringLiteral("(321)\r\n\r\nThe file '") + path() +
                                               QStringLiteral("' was not changed.")))
        << boxes.shown[1].prompt.toStdString();
    EXPECT_EQ(readAll(path()), content);
}

TEST_F(TagsEditorWindowTest, AFileDeletedWhileShownIsAnErrorAndIsNotCreatedAgain)
{
    FakeFileDialogs dialogs;
    FakeMessageBox boxes;
    FrmMP3TagsEditor* w = g_frmMP3TagsEditor.get();
    for (int version : {0, 1, 2}) {
        SCOPED_TRACE(version);
        writeAll(path(), buildTag(3, {{"TIT2", latin1Text("Old")}}) + fakeAudio(3000) + "TAG" +
                             QByteArray("Old").leftJustified(125, ' '));
        w->cboID3->setCurrentIndex(version);
        w->cboID3_Click();
        dialogs.chooseFiles({path()});
        w->cmdSelectFile_Click();
        ASSERT_EQ(w->txtTitle->text(), QStringLiteral("Old"));
        ASSERT_TRUE(QFile::remove(path()));
        w->txtTitle->setText(QStringLiteral("New"));
        boxes.shown.clear();
        w->cmdApply_Click();
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_EQ(boxes.shown[0].prompt, QStringLiteral("File not found(53)\r\n\r\nThe file '") + path() +
                                             QStringLiteral("' is not there; nothing was written."));
        EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }
}

TEST_F(TagsEditorWindowTest, ApplyOntoAFullDiskLeavesBothTagsAsTheyWere)
{
    const QString small = path(QStringLiteral("small"));
    const smalldisk::SmallDisk disk(small, "64k");
    if (!disk.mounted())
        GTEST_SKIP() << disk.refusal();
    // Room for an ID3v1 record at the end of the file, none for a copy of the file with a new
    // ID3v2 tag in front.
    const QString file = small + QStringLiteral("/song.mp3");
    const QByteArray content = fakeAudio(40000);
    writeAll(file, content);
    FakeFileDialogs dialogs;
    FakeMessageBox boxes;
    FrmMP3TagsEditor* w = g_frmMP3TagsEditor.get();
    ASSERT_EQ(w->cboID3->currentText(), QStringLiteral("ID3 v1+v2"));
    dialogs.chooseFiles({file});
    w->cmdSelectFile_Click();
    w->txtTitle->setText(QStringLiteral("New"));
    w->txtYear->setText(QStringLiteral("2011"));
    w->cmdApply_Click();
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].prompt, QStringLiteral("Disk full(61)\r\n\r\nThe file '") + file + QStringLiteral("' was not changed."));
    EXPECT_TRUE(readAll(file) == content) << "the file is " << readAll(file).size() << " bytes";
    EXPECT_EQ(QDir(small).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{QStringLiteral("song.mp3")});
}

TEST_F(TagsEditorWindowTest, ApplyOnAFileThatCannotBeWrittenSaysItWasNotChanged)
{
    const QString small = path(QStringLiteral("small"));
    smalldisk::SmallDisk disk(small, "256k");
    if (!disk.mounted())
        GTEST_SKIP() << disk.refusal();
    const QString file = small + QStringLiteral("/song.mp3");
    const QByteArray content = buildTag(3, {{"TIT2", latin1Text("Old")}}, 100) + fakeAudio(3000) + "TAG" +
                               QByteArray("Old").leftJustified(125, ' ');
    writeAll(file, content);
    ASSERT_TRUE(disk.makeReadOnly());
    FakeFileDialogs dialogs;
    FakeMessageBox boxes;
    FrmMP3TagsEditor* w = g_frmMP3TagsEditor.get();
    // Each version writes first what the other does not: ID3v1 alone, ID3v2 alone, both.
    for (int version : {0, 1, 2}) {
        SCOPED_TRACE(version);
        w->cboID3->setCurrentIndex(version);
        w->cboID3_Click();
        dialogs.chooseFiles({file});
        w->cmdSelectFile_Click();
        ASSERT_EQ(w->txtTitle->text(), QStringLiteral("Old"));
        w->txtTitle->setText(QStringLiteral("New"));
        boxes.shown.clear();
        w->cmdApply_Click();
        ASSERT_EQ(boxes.shown.size(), 1);
        EXPECT_EQ(boxes.shown[0].prompt,
                  QStringLiteral("Permission denied(70)\r\n\r\nThe file '") + file + QStringLiteral("' was not changed."));
        EXPECT_TRUE(readAll(file) == content);
    }
    disk.makeWritable();
}

TEST_F(TagsEditorWindowTest, GenreTextNoEntryHoldsStaysAndOnlyThePlainCommentIsEdited)
{
    writeAll(path(), buildTag(4, {{"TCON", utf8Text(QStringLiteral("Bigbeat"))},
                                  {"COMM", QByteArray("\0engiTunNORM\0 0001", 19)},
                                  {"COMM", QByteArray("\0eng\0mine", 9)}},
                              20) +
                         fakeAudio(1000));
    FakeFileDialogs dialogs;
    FakeMessageBox boxes;
    FrmMP3TagsEditor* w = g_frmMP3TagsEditor.get();
    dialogs.chooseFiles({path()});
    w->cmdSelectFile_Click();
    EXPECT_EQ(w->cboGenre->currentText(), QStringLiteral("Bigbeat"));
    EXPECT_EQ(w->txtDescription->toPlainText(), QStringLiteral("mine"));
    w->txtDescription->setPlainText(QStringLiteral("edited"));
    w->cmdApply_Click();
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].prompt, QStringLiteral("Done."));
    EXPECT_EQ(w->cboGenre->currentText(), QStringLiteral("Bigbeat"));

    cMP3ID3v2 back;
    back.MP3File(path());
    EXPECT_EQ(back.Genre(), 255);
    EXPECT_EQ(back.OtherGenreName(), QStringLiteral("Bigbeat"));
    EXPECT_EQ(back.Comment(), QStringLiteral("edited"));
    EXPECT_EQ(back.TagsInFrame(QStringLiteral("COMM")), 2);
    EXPECT_TRUE(readAll(path()).contains(QByteArray("COMM\0\0\0\x13\0\0\0engiTunNORM\0 0001", 29)));
}

TEST_F(TagsEditorWindowTest, SeveralChosenFilesEditTheFirst)
{
    writeAll(path(QStringLiteral("one.mp3")), buildTag(3, {{"TIT2", latin1Text("First")}}) + fakeAudio(100));
    writeAll(path(QStringLiteral("two.mp3")), fakeAudio(100));
    FakeFileDialogs dialogs;
    FrmMP3TagsEditor* w = g_frmMP3TagsEditor.get();
    dialogs.chooseFiles({path(QStringLiteral("one.mp3")), path(QStringLiteral("two.mp3"))});
    w->cmdSelectFile_Click();
    EXPECT_EQ(w->sSourceFile->toPlainText(), path(QStringLiteral("one.mp3")));
    EXPECT_EQ(w->txtTitle->text(), QStringLiteral("First"));
}

TEST_F(TagsEditorWindowTest, CloseUnloadsAndTheNextOpeningStartsFresh)
{
    FrmMP3TagsEditor* w = g_frmMP3TagsEditor.get();
    w->txtTitle->setText(QStringLiteral("typed"));
    w->cmdClose_Click();
    EXPECT_FALSE(g_frmMP3TagsEditor.isLoaded());
    EXPECT_TRUE(g_frmMP3TagsEditor->txtTitle->text().isEmpty());
}

}  // namespace
