// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// The main window over a lists folder of its own, with lists of WAV files made by the test, for
// the tests of the windows that work on the items grid.

#include "components/cGrid.h"
#include "foundation/RegistryRoutines.h"
#include "foundation/mdlModes.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/ItemsListFile.h"
#include "mainwindow/ItemsListTree.h"
#include "platform/Paths.h"
#include "platform/RegistryHive.h"
#include "settings/FrmOptions.h"
#include "settings/ProgramOptions.h"
#include "tests/components/WavFixtures.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/FakeShell.h"
#include "tests/support/ListFixtures.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <gtest/gtest.h>

class ItemWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        testenv::wipeUserFolders();
        platform::resetRegistryHives();
        InitProductConfig();
        reg.hkey(platform::HKEY_LOCAL_MACHINE);
        reg.KeyRoot(SettingsKeyRoot());
        ASSERT_EQ(reg.CreateKey(QStringLiteral("General")), QStringLiteral("0"));
        frmOptions.get();
        ProgramOptions = ProgramOptionsData{};
        ProgramOptions.chkDisplayTitle = true;
        ProgramOptions.chkDisplayPlayer = true;
        listsFolder = QDir(platform::programFolder()).filePath(QStringLiteral("Main"));
        sourceFolder = QDir(platform::programFolder()).filePath(QStringLiteral("Sources"));
        QDir().mkpath(listsFolder);
        QDir().mkpath(sourceFolder);
        ProgramOptions.txtToPath = listsFolder + QLatin1Char('/');
        g_bMainUnloading = false;
    }
    void TearDown() override
    {
        forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        g_bMainUnloading = false;
    }

    // A WAV of the given format and length (a quiet sine, so every codec takes it).
    QString makeWav(const QString& name, fixtures::Pcm pcm, int seconds)
    {
        const QString path = QDir(sourceFolder).filePath(name);
        EXPECT_TRUE(fixtures::writeFile(path, fixtures::wavBytes(pcm, fixtures::sine(pcm, int64_t(pcm.rate) * seconds))));
        return path;
    }
    QString makeListOf(const QString& name, const QStringList& sources)
    {
        return listfixtures::writeListOf(listsFolder, name, sources);
    }
    // Loads the main window, which opens the first list, and waits for the list to be in.
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
        while (f->m_lists->IsBusy() && t.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_FALSE(f->m_lists->IsBusy());
    }
    static QString cell(long row, const QString& key)
    {
        cGrid* g = frmMain->cGrid1;
        return g->Cell(row, g->ColumnIndex(key)).Text();
    }
    static void setCell(long row, const QString& key, const QString& text)
    {
        cGrid* g = frmMain->cGrid1;
        g->Cell(row, g->ColumnIndex(key)).Text(text);
    }

    FakeClock clock{QDateTime(QDate(2024, 3, 5), QTime(14, 5, 9)), QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss")};
    FakeMessageBox box{platform::vbOK};
    FakeDesktop desktop{true};
    FakeShell shell;
    RegistryRoutines reg;
    QString listsFolder;
    QString sourceFolder;
};
