// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Adds the files named in a list file (one path a line) to a fresh items list through the main
// window's real adding pass (the progress window, its converter, the grid, the save), and reports
// the time, the rows, the summed seconds and the longest gap of the event loop while it ran.
// Usage: add-files LIST [SLICE_MS]. Run it with XDG_DATA_HOME and XDG_CONFIG_HOME pointing at
// a scratch folder: it writes settings and a list there.
#include "bench/PathList.h"
#include "components/cGrid.h"
#include "foundation/RegistryRoutines.h"
#include "foundation/mdlModes.h"
#include "itemsgrid/FrmStat.h"
#include "itemsgrid/GridRows.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/ItemsListTree.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/RegistryHive.h"
#include "settings/FrmOptions.h"
#include "settings/ProgramOptions.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (argc < 2) {
        std::fprintf(stderr, "usage: add-files LIST [SLICE_MS]\n");
        return 2;
    }
    QStringList paths;
    if (!pathlist::read(argv[1], &paths))
        return 2;

    // A closing message of refusals goes to the error stream: nobody is there to press OK.
    pathlist::PrintedMessages messages(platform::vbOK);
    // ADD_FILES_SHOW_MESSAGES=1 shows the real message box (for looking at it).
    if (qEnvironmentVariableIsEmpty("ADD_FILES_SHOW_MESSAGES"))
        platform::setMessageBoxService(&messages);
    InitProductConfig();
    RegistryRoutines reg;
    reg.hkey(platform::HKEY_LOCAL_MACHINE);
    reg.KeyRoot(SettingsKeyRoot());
    reg.CreateKey(QStringLiteral("General"));
    frmOptions.get();
    const QString lists = QDir(platform::programFolder()).filePath(QStringLiteral("bench-lists"));
    QDir(lists).removeRecursively();
    QDir().mkpath(lists);
    ProgramOptions.txtToPath = lists + QLatin1Char('/');
    ProgramOptions.chkCopyID3FromSource = true;

    FrmMain* f = frmMain.get();
    f->show();
    while (f->m_lists->IsBusy())
        QCoreApplication::processEvents();

    // A timer of the window's thread: the longest time between two of its ticks is the longest
    // the window went without handling events.
    QElapsedTimer sinceTick;
    qint64 longestGapNs = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longestGapNs = std::max(longestGapNs, sinceTick.nsecsElapsed());
        sinceTick.restart();
    });

    QElapsedTimer t;
    t.start();
    sinceTick.start();
    tick.start();
    FrmStat* stat = g_frmStat.get();
    if (argc > 2)
        stat->SetSliceMilliseconds(std::atoi(argv[2]));
    stat->AddFilesToList(paths, f->cGrid1, f, false);
    g_frmStat.unload();
    tick.stop();
    longestGapNs = std::max(longestGapNs, sinceTick.nsecsElapsed());
    f->SaveGridToFile();
    f->DisplayGridInfoStatusBar();
    const double seconds = t.nsecsElapsed() / 1e9;

    std::printf("files %lld rows %ld seconds %lld time %.3f gap_ms %.1f\n", static_cast<long long>(paths.size()),
                f->cGrid1->Rows(), static_cast<long long>(GridRows::TotalSeconds(*f->cGrid1, false)), seconds,
                longestGapNs / 1e6);
    forms::unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    platform::setMessageBoxService(nullptr);
    return 0;
}
