// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/mdlMain.h"
#include "mainwindow/MainStartupWindows.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // Taken before the toolkit removes its own switches ("-reverse", "-style" ...) from argv:
    // the start in the tray counts only when "-st" is the whole line the user gave.
    const QStringList arguments = RawArguments(argc, argv);
    QApplication app(argc, argv);
    // The main window decides when the program ends (it may live hidden in the tray).
    QApplication::setQuitOnLastWindowClosed(false);
    MainStartupWindows windows;
    if (!Main(windows, arguments))
        return 0;
    return app.exec();
}
