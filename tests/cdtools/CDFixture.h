// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// The main window of a build that carries the CD tools, over image drives the test writes
// (QUILLMERE_DRIVES), loaded the way start-up loads it.

#include "components/cGrid.h"
#include "foundation/FormRef.h"
#include "foundation/RegistryRoutines.h"
#include "foundation/mdlModes.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/ItemsListTree.h"
#include "mainwindow/MainStartupWindows.h"
#include "platform/Paths.h"
#include "platform/RegistryHive.h"
#include "settings/FrmOptions.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/cTreeView.h"
#include "tests/support/DiscImages.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

class CDFixture : public testing::Test {
protected:
    void SetUp() override
    {
        testenv::wipeUserFolders();
        platform::resetRegistryHives();
        InitProductConfig();
        g_lAppIncCDRipper = 1;
        RegistryRoutines reg;
        reg.hkey(platform::HKEY_LOCAL_MACHINE);
        reg.KeyRoot(SettingsKeyRoot());
        ASSERT_EQ(reg.CreateKey(QStringLiteral("General")), QStringLiteral("0"));
        frmOptions.get();
        ProgramOptions = ProgramOptionsData{};
        const QString lists = QDir(platform::programFolder()).filePath(QStringLiteral("Main"));
        QDir().mkpath(lists);
        ProgramOptions.txtToPath = lists + QLatin1Char('/');
    }
    void TearDown() override
    {
        FrmMain::commandObserver = nullptr;
        forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        qputenv("QUILLMERE_DRIVES", "");
        g_lAppIncCDRipper = 0;
    }

    static void setDrives(const QStringList& paths) { qputenv("QUILLMERE_DRIVES", paths.join(QLatin1Char(':')).toUtf8()); }

    // The main window as start-up loads it, its first list open.
    FrmMain* loadMain()
    {
        MainStartupWindows windows;
        windows.LoadMain();
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
    }
    static QTreeWidgetItem* driveNode(int i) { return g_nodeMainCDs ? g_nodeMainCDs->child(i) : nullptr; }
    static void click(FrmMain* f, QTreeWidgetItem* node)
    {
        f->cTreeView1_NodeClick(node);
        waitIdle(f);
    }
    static QString cell(cGrid* g, long row, const QString& key) { return g->Cell(row, g->ColumnIndex(key)).Text(); }
    static long icon(cGrid* g, long row, const QString& key) { return g->Cell(row, g->ColumnIndex(key)).Icon(); }
    static QStringList column(cGrid* g, const QString& key)
    {
        QStringList texts;
        for (long r = 1; r <= g->Rows(); ++r)
            texts << cell(g, r, key);
        return texts;
    }

    QTemporaryDir dir;
    FakeMessageBox box{platform::vbOK};
};
