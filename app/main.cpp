// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/mdlMain.h"
#include "mainwindow/MainStartupWindows.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The main window decides when the program ends (it may live hidden in the tray).
    QApplication::setQuitOnLastWindowClosed(false);
    MainStartupWindows windows;
    if (!Main(windows, app.arguments().mid(1)))
        return 0;
    return app.exec();
}
