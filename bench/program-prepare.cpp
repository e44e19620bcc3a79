// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
//
// program-prepare: readies a settings folder for timing the real program as a user drives it,
// and says where the user clicks. It starts the program the way `quillmere` does (its own
// start-up, on the display it is given), adds the files named in LIST to the first items list
// through the real adding pass, saves the list, puts OUT_FOLDER at the head of the destination
// history, and prints two lines:
//   main X Y     the centre of the main toolbar's "Join" button, from the main window's corner
//   joiner X Y   the centre of the joiner's "Join" button, from the joiner window's corner
// The program started afterwards with the same XDG folders and display lays its windows out
// the same way, so a click at those points (relative to each window) is a click on the button.
//
//   program-prepare LIST OUT_FOLDER
//
// Run it with XDG_DATA_HOME and XDG_CONFIG_HOME pointing at the folders the program will use,
// after quillmere-setup has filled them.
#include "batchtools/FrmJoiner.h"
#include "bench/PathList.h"
#include "commands/ToolWindows.h"
#include "components/cGrid.h"
#include "foundation/mdlFunctions.h"
#include "foundation/mdlMain.h"
#include "itemsgrid/FrmStat.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/ItemsListTree.h"
#include "mainwindow/MainStartupWindows.h"
#include "mainwindow/cToolbar.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QToolButton>
#include <QWindow>

#include <cstdio>

namespace {

void settle(QWidget* w)
{
    QElapsedTimer t;
    t.start();
    while (!(w->windowHandle() && w->windowHandle()->isExposed()) && t.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    while (t.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

void printCentre(const char* label, QWidget* button)
{
    const QPoint c = button->mapTo(button->window(), button->rect().center());
    std::printf("%s %d %d\n", label, c.x(), c.y());
}

}  // namespace

int main(int argc, char* argv[])
{
    const QStringList arguments = RawArguments(argc, argv);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (argc != 3) {
        std::fprintf(stderr, "usage: program-prepare LIST OUT_FOLDER\n");
        return 2;
    }
    QStringList paths;
    if (!pathlist::read(argv[1], &paths))
        return 2;

    // Nobody is there to answer: what the program would ask is printed and answered Yes.
    pathlist::PrintedMessages messages(platform::vbYes);
    platform::setMessageBoxService(&messages);
    MainStartupWindows windows;
    if (!Main(windows, {}))
        return 1;
    FrmMain* f = frmMain.get();
    while (f->m_lists->IsBusy())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);

    g_frmStat.get()->AddFilesToList(paths, f->cGrid1, f, false);
    g_frmStat.unload();
    f->SaveGridToFile();
    if (f->cGrid1->Rows() != paths.size()) {
        std::fprintf(stderr, "the list holds %ld rows of %lld files\n", f->cGrid1->Rows(),
                     static_cast<long long>(paths.size()));
        return 1;
    }

    QComboBox history;
    LoadPathHistory(&history);
    history.insertItem(0, QString::fromLocal8Bit(argv[2]) + QLatin1Char('/'));
    history.setCurrentIndex(0);
    SavePathHistory(&history);

    settle(f);
    QToolButton* join = f->tlbrTop->Button(f->tlbrTop->ButtonIndex(QStringLiteral("Audio Joiner")));
    if (!join || !join->isVisible()) {
        std::fprintf(stderr, "the main toolbar shows no Join button\n");
        return 1;
    }
    printCentre("main", join);

    FrmJoiner* joiner = g_frmJoiner.get();
    joiner->show();
    settle(joiner);
    printCentre("joiner", joiner->cmdConvert);
    std::fflush(stdout);

    forms::unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    platform::setMessageBoxService(nullptr);
    return 0;
}
