// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/FrmNotes.h"
#include "foundation/WindowLinks.h"
#include "platform/Paths.h"

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
    int panelRefreshes = 0;
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

}  // namespace
