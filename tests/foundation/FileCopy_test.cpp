// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/FileCopyClass.h"
#include "foundation/FrmFileCopy.h"
#include "foundation/WindowLinks.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class FileCopyTest : public testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QByteArray pattern(qint64 size) const
    {
        QByteArray b(size, Qt::Uninitialized);
        for (qint64 i = 0; i < size; ++i)
            b[i] = static_cast<char>((i * 131 + 7) & 0xFF);
        return b;
    }
    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray read(const QString& name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QTemporaryDir dir;
};

TEST_F(FileCopyTest, ChunkingAndProgressOfAHundredThousandBytes)
{
    const QByteArray data = pattern(100000);
    write(QStringLiteral("src"), data);
    FileCopyClass c;
    c.CacheSize(8000);
    c.Copy(path(QStringLiteral("src")), path(QStringLiteral("dst")));
    EXPECT_TRUE(c.Sucessfull());
    EXPECT_EQ(read(QStringLiteral("dst")), data);
    EXPECT_EQ(c.readSizes.size(), 13);
    EXPECT_EQ(c.readSizes.last(), 4000);
    EXPECT_EQ(c.writeSizes, (QList<qint64>{16000, 16000, 16000, 16000, 16000, 16000, 4000}));
    EXPECT_EQ(c.PercentREady(), 96);
    EXPECT_GE(c.SecondsTaken(), 0);
}

TEST_F(FileCopyTest, SmallAndEmptyFilesGoInOneStep)
{
    for (qint64 size : {0, 1, 7999}) {
        SCOPED_TRACE(size);
        const QByteArray data = pattern(size);
        write(QStringLiteral("src"), data);
        FileCopyClass c;
        c.CacheSize(8000);
        c.Copy(path(QStringLiteral("src")), path(QStringLiteral("dst")));
        EXPECT_TRUE(c.Sucessfull());
        EXPECT_EQ(read(QStringLiteral("dst")), data);
        EXPECT_EQ(c.readSizes.size(), 1);
        EXPECT_EQ(c.PercentREady(), 0);
    }
    FileCopyClass c;
    write(QStringLiteral("big"), pattern(64000));
    c.Copy(path(QStringLiteral("big")), path(QStringLiteral("dst")));  // default chunk 32,000
    EXPECT_EQ(c.readSizes, (QList<qint64>{32000, 32000}));
    EXPECT_EQ(read(QStringLiteral("dst")), pattern(64000));
}

TEST_F(FileCopyTest, AnExistingDestinationIsReplaced)
{
    write(QStringLiteral("src"), "new content");
    write(QStringLiteral("dst"), "an older and longer destination");
    FileCopyClass c;
    c.Copy(path(QStringLiteral("src")), path(QStringLiteral("dst")));
    EXPECT_TRUE(c.Sucessfull());
    EXPECT_EQ(read(QStringLiteral("dst")), QByteArray("new content"));
}

TEST_F(FileCopyTest, TheSourceItselfIsNeverDestroyed)
{
    const QByteArray data = pattern(50000);
    write(QStringLiteral("src"), data);
    ASSERT_TRUE(QFile::link(path(QStringLiteral("src")), path(QStringLiteral("link"))));
    for (const QString& dest : QStringList{path(QStringLiteral("src")), path(QStringLiteral("link")),
                                dir.path() + QStringLiteral("/./src")}) {
        SCOPED_TRACE(dest.toStdString());
        FileCopyClass c;
        c.Copy(path(QStringLiteral("src")), dest);
        EXPECT_FALSE(c.Sucessfull());
        EXPECT_EQ(read(QStringLiteral("src")), data);
    }
}

TEST_F(FileCopyTest, FailuresLeaveTheOldDestinationAndNoLeftovers)
{
    write(QStringLiteral("dst"), "keep me");
    FileCopyClass c;
    c.Copy(path(QStringLiteral("missing")), path(QStringLiteral("dst")));
    EXPECT_FALSE(c.Sucessfull());
    EXPECT_EQ(read(QStringLiteral("dst")), QByteArray("keep me"));

    write(QStringLiteral("src"), pattern(20000));
    c.Copy(path(QStringLiteral("src")), path(QStringLiteral("no/such/folder/dst")));
    EXPECT_FALSE(c.Sucessfull());
    c.Copy(path(QStringLiteral("src")), dir.path());  // a folder is not a file to replace
    EXPECT_FALSE(c.Sucessfull());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST_F(FileCopyTest, TheWindowCopiesShowsReadyAndClosesItself)
{
    const QByteArray data = pattern(100000);
    write(QStringLiteral("src"), data);
    g_appColoursLink = [] { return AppColours{QColor(1, 2, 3), QColor(4, 5, 6)}; };
    QPointer<FrmFileCopy> form = g_frmFileCopy.get();
    g_appColoursLink = nullptr;
    EXPECT_EQ(form->windowTitle(), QStringLiteral("File Copy"));
    EXPECT_EQ(form->picTitle->palette().color(QPalette::Window), QColor(1, 2, 3));
    form->g_sSourceFile = path(QStringLiteral("src"));
    form->g_sDestFile = path(QStringLiteral("dst"));
    form->lblFrom->setText(form->g_sSourceFile);
    form->lblTo->setText(form->g_sDestFile);
    form->tmrStart->start();
    QStringList states;
    QObject::connect(form->tmrEnd, &QTimer::timeout, form, [&] {
        states << form->lblState->text() + QLatin1Char(' ') + QString::number(form->ProgressBar1->value());
    });
    form->exec();
    QTest::qWait(20);
    EXPECT_FALSE(g_frmFileCopy.isLoaded());
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(read(QStringLiteral("dst")), data);
    EXPECT_EQ(states, QStringList{QStringLiteral("Ready 100")});
}

TEST_F(FileCopyTest, AFailedCopyIsNotReportedAsReady)
{
    write(QStringLiteral("dst"), "keep me");
    FrmFileCopy* form = g_frmFileCopy.get();
    form->FileCopyEx(path(QStringLiteral("missing")), path(QStringLiteral("dst")));
    EXPECT_FALSE(form->LastCopySucceeded());
    EXPECT_EQ(form->lblState->text(), QStringLiteral("Failed"));
    EXPECT_NE(form->ProgressBar1->value(), 100);
    EXPECT_FALSE(form->tmrEnd->isActive());
    EXPECT_TRUE(form->cmdOK->isEnabled());
    EXPECT_EQ(read(QStringLiteral("dst")), QByteArray("keep me"));

    write(QStringLiteral("src"), "x");
    form->g_sSourceFile = path(QStringLiteral("src"));
    form->g_sDestFile = path(QStringLiteral("dst"));
    form->cmdOK->click();  // try again
    EXPECT_EQ(form->lblState->text(), QStringLiteral("Ready"));
    EXPECT_EQ(form->ProgressBar1->value(), 100);
    EXPECT_TRUE(form->tmrEnd->isActive());
}

TEST_F(FileCopyTest, ClosingIsRefusedWhileCopying)
{
    FrmFileCopy* form = g_frmFileCopy.get();
    form->show();
    write(QStringLiteral("src"), pattern(200000));
    bool closedDuringCopy = true;
    int attempts = 0;
    // The copy lets events run after each chunk: try to close the window from there.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (!form->cmdExit->isEnabled()) {
            ++attempts;
            form->close();
            closedDuringCopy = !form->isVisible();
        }
    });
    closer.start(0);
    form->FileCopyEx(path(QStringLiteral("src")), path(QStringLiteral("dst")));
    closer.stop();
    EXPECT_GT(attempts, 0);
    EXPECT_FALSE(closedDuringCopy);
    EXPECT_TRUE(g_frmFileCopy.isLoaded());
    EXPECT_EQ(read(QStringLiteral("dst")), pattern(200000));
}

TEST_F(FileCopyTest, UnloadingTheWindowDuringACopyIsSafe)
{
    write(QStringLiteral("src"), pattern(300000));
    QPointer<FrmFileCopy> form = g_frmFileCopy.get();
    form->g_sSourceFile = path(QStringLiteral("src"));
    form->g_sDestFile = path(QStringLiteral("dst"));
    QTimer killer;
    QObject::connect(&killer, &QTimer::timeout, [&] {
        if (form && !form->cmdExit->isEnabled()) {
            g_frmFileCopy.unload();
            delete form.data();  // as if the deferred deletion ran inside the copy's event loop
        }
    });
    killer.start(0);
    form->FileCopyEx(form->g_sSourceFile, form->g_sDestFile);
    killer.stop();
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(read(QStringLiteral("dst")), pattern(300000));
}

}  // namespace
