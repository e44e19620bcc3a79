// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// The main window with an empty settings store and a lists folder of its own, plus audio files
// made at test time: PCM WAV written here, MP3 made by the lame encoder from them.

#include "components/cGrid.h"
#include "foundation/RegistryRoutines.h"
#include "foundation/mdlModes.h"
#include "itemsgrid/FrmStat.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/ItemsListFile.h"
#include "mainwindow/ItemsListTree.h"
#include "platform/Paths.h"
#include "platform/RegistryHive.h"
#include "settings/FrmOptions.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/cTreeView.h"
#include "tests/components/WavFixtures.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/FakeShell.h"
#include "tests/support/ListFixtures.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

class ItemsGridFixture : public testing::Test {
protected:
    void SetUp() override
    {
        testenv::wipeUserFolders();
        platform::resetRegistryHives();
        InitProductConfig();
        RegistryRoutines reg;
        reg.hkey(platform::HKEY_LOCAL_MACHINE);
        reg.KeyRoot(SettingsKeyRoot());
        ASSERT_EQ(reg.CreateKey(QStringLiteral("General")), QStringLiteral("0"));
        frmOptions.get();
        ProgramOptions = ProgramOptionsData{};
        ProgramOptions.chkDisplayPlayer = true;
        listsFolder = QDir(platform::programFolder()).filePath(QStringLiteral("Lists"));
        QDir().mkpath(listsFolder);
        ProgramOptions.txtToPath = listsFolder + QLatin1Char('/');
        media = QDir(platform::programFolder()).filePath(QStringLiteral("media"));
        QDir().mkpath(media);
        g_bCancelAdding = false;
    }
    void TearDown() override { forms::unloadAll(); }

    QString path(const QString& name) const { return QDir(media).filePath(name); }

    QString makeWav(const QString& name, double seconds, int bits = 16, int rate = 44100, int channels = 2)
    {
        fixtures::Pcm pcm;
        pcm.bits = bits;
        pcm.rate = rate;
        pcm.channels = channels;
        const QString p = path(name);
        EXPECT_TRUE(fixtures::writeFile(p, fixtures::wavBytes(pcm, fixtures::sine(pcm, int64_t(seconds * rate)))));
        return p;
    }
    // An MP3 made by lame from a WAV of the given length; extra arguments pick the bitrate mode
    // and tags.
    QString makeMp3(const QString& name, double seconds, const QStringList& lameArgs)
    {
        const QString wav = makeWav(name + QStringLiteral(".src.wav"), seconds);
        const QString p = path(name);
        QProcess lame;
        lame.start(QStringLiteral("lame"), QStringList{QStringLiteral("--quiet")} + lameArgs + QStringList{wav, p});
        EXPECT_TRUE(lame.waitForFinished(60000));
        EXPECT_EQ(lame.exitCode(), 0) << lame.readAllStandardError().toStdString();
        QFile::remove(wav);
        return p;
    }
    QString makeFile(const QString& name, const QByteArray& bytes)
    {
        const QString p = path(name);
        EXPECT_TRUE(fixtures::writeFile(p, bytes));
        return p;
    }

    // A list file of records; a record whose file is missing is held by the loader.
    QString makeListOf(const QString& name, const QStringList& sources)
    {
        return listfixtures::writeListOf(listsFolder, name, sources);
    }
    static QList<ItemsListRecord> listRecords(const QString& file) { return ParseItemsListText(ReadItemsListFile(file).text); }
    static QStringList listFiles(const QString& file)
    {
        QStringList files;
        for (const ItemsListRecord& r : listRecords(file))
            files << r[fldFile];
        return files;
    }

    FrmMain* openMain()
    {
        FrmMain* f = frmMain.get();
        waitIdle(f);
        return f;
    }
    static void waitIdle(FrmMain* f)
    {
        QElapsedTimer t;
        t.start();
        while ((f->m_lists->IsBusy() || f->tmrRemove->isActive()) && t.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    static QString cell(cGrid* g, long row, const QString& key) { return g->Cell(row, g->ColumnIndex(key)).Text(); }
    static QStringList column(cGrid* g, const QString& key)
    {
        QStringList texts;
        for (long r = 1; r <= g->Rows(); ++r)
            texts << cell(g, r, key);
        return texts;
    }
    static QString selectedKey(FrmMain* f) { return cTreeView::Key(f->cTreeView1->SelectedNode()); }

    FakeMessageBox box{platform::vbYes};
    FakeDesktop desktop{true};
    FakeShell shell;
    QString listsFolder;
    QString media;
};
