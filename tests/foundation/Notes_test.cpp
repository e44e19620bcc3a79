// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/FrmNotes.h"
#include "foundation/WindowLinks.h"
#include "platform/Paths.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/SmallDisk.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

// A device that delivers some bytes and then fails, like a disk error part-way.
class FailingDevice : public QIODevice {
public:
    explicit FailingDevice(QByteArray good) : m_good(std::move(good)) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }
    bool atEnd() const override { return false; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (m_pos >= m_good.size())
            return -1;
        const qint64 n = std::min<qint64>(maxSize, m_good.size() - m_pos);
        memcpy(data, m_good.constData() + m_pos, static_cast<size_t>(n));
        m_pos += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_good;
    qint64 m_pos = 0;
};

class NotesTest : public testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(platform::programFolder());
        QFile::remove(NotesFile());
        g_notesChangedLink = [this] { ++panelRefreshes; };
    }
    void TearDown() override
    {
        g_notesChangedLink = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QByteArray file() const
    {
        QFile f(NotesFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void writeFile(const QByteArray& b) const
    {
        QFile f(NotesFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(b);
    }
    // Opens the window, puts `text` in, closes it and returns what the file then holds.
    QByteArray saveThroughWindow(const QString& text)
    {
        g_frmNotes->Text1->setPlainText(text);
        g_frmNotes->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return file();
    }
    static QStringList keptCopies()
    {
        return QDir(platform::programFolder()).entryList({QStringLiteral("Notes.kept-*")});
    }
    int panelRefreshes = 0;
    FakeMessageBox messages;
};

TEST_F(NotesTest, OpeningWithoutAFileCreatesAnEmptyOne)
{
    FrmNotes* form = g_frmNotes.get();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Notes"));
    EXPECT_EQ(form->Text1->toPlainText(), QString());
    EXPECT_TRUE(QFileInfo(NotesFile()).isFile());
    EXPECT_EQ(file(), QByteArray());
}

TEST_F(NotesTest, TextsSurviveClosingAndReopening)
{
    const struct {
        QString typed;
        QByteArray stored;
        QString reopened;
    } cases[] = {
        {QStringLiteral("abc"), "abc\r\n", QStringLiteral("abc")},
        {QString(), "\r\n", QString()},
        {QStringLiteral("abc\n"), "abc\r\n\r\n", QStringLiteral("abc\n")},
        {QStringLiteral("one\ntwo"), "one\r\ntwo\r\n", QStringLiteral("one\ntwo")},
        {QStringLiteral("\u00E9t\u00E9"), "\xc3\xa9t\xc3\xa9\r\n", QStringLiteral("\u00E9t\u00E9")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        EXPECT_EQ(saveThroughWindow(c.typed), c.stored);
        EXPECT_EQ(g_frmNotes->Text1->toPlainText(), c.reopened);
        g_frmNotes->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_EQ(panelRefreshes, 10);
}

TEST_F(NotesTest, ReadsLinesEndedByCrOrLfToo)
{
    writeFile("a\nb\rc\r\n");
    EXPECT_EQ(g_frmNotes->Text1->toPlainText(), QStringLiteral("a\nb\nc"));
}

TEST_F(NotesTest, APartReadIsNotWrittenBack)
{
    QString text;
    FailingDevice device("first line\r\nsecond li");
    EXPECT_FALSE(ReadNotesText(device, text));
    EXPECT_EQ(text, QStringLiteral("first line\r\nsecond li"));
    QBuffer whole;
    whole.setData("first line\r\nsecond line\r\n");
    whole.open(QIODevice::ReadOnly);
    EXPECT_TRUE(ReadNotesText(whole, text));
    EXPECT_EQ(text, QStringLiteral("first line\r\nsecond line"));

    // A notes file that cannot be opened (here a link pointing at itself) is left alone.
    ASSERT_TRUE(QFile::link(NotesFile(), NotesFile()));
    FrmNotes* form = g_frmNotes.get();
    EXPECT_FALSE(form->NotesLoadedWhole());
    form->Text1->setPlainText(QStringLiteral("would overwrite"));
    form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(QFileInfo(NotesFile()).isSymLink());
    EXPECT_EQ(panelRefreshes, 1);
    QFile::remove(NotesFile());
}

TEST_F(NotesTest, UnloadingWithoutClosingStillSaves)
{
    g_frmNotes->show();
    g_frmNotes->Text1->setPlainText(QStringLiteral("kept"));
    g_frmNotes.unload();
    EXPECT_EQ(file(), QByteArray("kept\r\n"));  // before the window is destroyed
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(file(), QByteArray("kept\r\n"));

    // A window that was never shown is saved when it is destroyed.
    g_frmNotes->Text1->setPlainText(QStringLiteral("hidden"));
    g_frmNotes.unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(file(), QByteArray("hidden\r\n"));
}

// A second instance of the program keeps its own notes window over the same file: what it
// writes while this window is open is replaced only when the user says so.
TEST_F(NotesTest, NotesAnotherInstanceWroteAreReplacedOnlyWhenTheUserSaysSo)
{
    const struct {
        const char* name;
        QString typed;        // empty: nothing typed in this window
        int answer;           // 0: no question expected
        QByteArray file;      // the notes file afterwards
        bool copyOfMine;      // this window's text saved beside the file
        bool stillOpen;
    } cases[] = {
        {"Yes replaces theirs", QStringLiteral("mine"), platform::vbYes, "mine\r\n", false, false},
        {"No keeps theirs and saves mine beside it", QStringLiteral("mine"), platform::vbNo, "theirs\r\n", true, false},
        {"Cancel keeps the window and its text", QStringLiteral("mine"), platform::vbCancel, "theirs\r\n", false, true},
        {"nothing typed here: theirs stays unasked", QString(), 0, "theirs\r\n", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const QString& k : keptCopies())
            QFile::remove(QDir(platform::programFolder()).filePath(k));
        writeFile("old\r\n");
        messages.shown.clear();
        FrmNotes* mine = g_frmNotes.get();
        {
            FrmNotes theirs;  // the other instance's window, closed first
            theirs.Text1->setPlainText(QStringLiteral("theirs"));
        }
        ASSERT_EQ(file(), QByteArray("theirs\r\n"));
        if (!c.typed.isEmpty())
            mine->Text1->setPlainText(c.typed);
        if (c.answer)
            messages.answer(c.answer);
        mine->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        EXPECT_EQ(file(), c.file);
        if (c.answer) {
            ASSERT_GE(messages.shown.size(), 1);
            EXPECT_TRUE(messages.shown[0].prompt.contains(NotesFile())) << messages.shown[0].prompt.toStdString();
        } else {
            EXPECT_TRUE(messages.shown.isEmpty());
        }
        const QStringList copies = keptCopies();
        ASSERT_EQ(copies.size(), c.copyOfMine ? 1 : 0);
        if (c.copyOfMine) {
            QFile copy(QDir(platform::programFolder()).filePath(copies.first()));
            ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
            EXPECT_EQ(copy.readAll(), QByteArray("mine\r\n"));
            EXPECT_TRUE(messages.shown.last().prompt.contains(copy.fileName())) << messages.shown.last().prompt.toStdString();
        }
        EXPECT_EQ(g_frmNotes.isLoaded(), c.stillOpen);
        if (c.stillOpen) {
            EXPECT_EQ(g_frmNotes->Text1->toPlainText(), c.typed);
            // Closed again, the user is asked again; Yes saves the text.
            messages.answer(platform::vbYes);
            g_frmNotes->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_FALSE(g_frmNotes.isLoaded());
            EXPECT_EQ(file(), QByteArray("mine\r\n"));
        }
    }
}

TEST_F(NotesTest, AFailedSaveIsToldWithItsReasonAndTheTextStays)
{
    const struct {
        const char* name;
        bool readOnly;  // else the disk is full
        const char* reason;
    } cases[] = {
        {"read-only data folder", true, "Read-only file system"},
        {"full data folder", false, "No space left on device"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        smalldisk::SmallDisk disk(platform::programFolder(), "64k");
        if (!disk.mounted())
            GTEST_SKIP() << disk.refusal();
        writeFile("old\r\n");
        messages.shown.clear();
        const QString typed = QStringLiteral("typed while the folder could not take it ") + QString(2000, QLatin1Char('x'));
        g_frmNotes->Text1->setPlainText(typed);
        const QString filler = QDir(platform::programFolder()).filePath(QStringLiteral("filler"));
        if (c.readOnly)
            ASSERT_TRUE(disk.makeReadOnly());
        else
            smalldisk::SmallDisk::fill(filler);

        // Closed by hand: told, with the file and the reason; No keeps the window and its text.
        messages.answer(platform::vbNo);
        g_frmNotes->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_EQ(messages.shown.size(), 1);
        EXPECT_TRUE(messages.shown[0].prompt.contains(NotesFile())) << messages.shown[0].prompt.toStdString();
        EXPECT_TRUE(messages.shown[0].prompt.contains(QLatin1String(c.reason))) << messages.shown[0].prompt.toStdString();
        ASSERT_TRUE(g_frmNotes.isLoaded());
        EXPECT_EQ(g_frmNotes->Text1->toPlainText(), typed);
        EXPECT_EQ(file(), QByteArray("old\r\n"));
        EXPECT_EQ(panelRefreshes, 0);

        // Room again: the next close saves the text.
        if (c.readOnly)
            ASSERT_TRUE(disk.makeWritable());
        else
            ASSERT_TRUE(QFile::remove(filler));
        g_frmNotes->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(g_frmNotes.isLoaded());
        EXPECT_EQ(file(), (QString(typed) + QStringLiteral("\r\n")).toUtf8());
        EXPECT_EQ(panelRefreshes, 1);
        panelRefreshes = 0;

        // Unloaded with the program (the window cannot stay): the text goes to the temporary
        // folder and the message names it.
        g_frmNotes->Text1->setPlainText(QStringLiteral("at exit"));
        ASSERT_TRUE(disk.makeReadOnly());
        messages.shown.clear();
        g_frmNotes.unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_EQ(messages.shown.size(), 1);
        const QString prompt = messages.shown[0].prompt;
        EXPECT_TRUE(prompt.contains(QLatin1String("Read-only file system"))) << prompt.toStdString();
        const QString rescue = prompt.section(QStringLiteral("\r\n"), -1);
        QFile saved(rescue);
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly)) << prompt.toStdString();
        EXPECT_EQ(saved.readAll(), QByteArray("at exit\r\n"));
        saved.remove();
    }
}

}  // namespace
