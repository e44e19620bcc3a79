// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// What the window drivers share: no one answers questions, rows are filled the way the main
// window's commands fill them, and a task is timed from the press of its button to its end.

#include "components/cGrid.h"
#include "foundation/mdlModes.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/FrmMain.h"
#include "platform/MessageBox.h"
#include "settings/FrmOptions.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace windowdriver {

// Nobody is there to answer: the overwrite question is answered Yes.
class YesMessages final : public platform::MessageBoxService {
public:
    int show(const platform::MessageBoxRequest&, QWidget*) override { return platform::vbYes; }
};

inline void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// QUILLMERE_SHOW_SECONDS=n shows the window for a look at it; without it the driver runs
// offscreen. Call before the application object exists.
inline int showSecondsFromEnvironment()
{
    const int showSeconds = qEnvironmentVariableIntValue("QUILLMERE_SHOW_SECONDS");
    if (showSeconds == 0 && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return showSeconds;
}

inline void prepare(int showSeconds)
{
    InitProductConfig();
    if (showSeconds > 0) {
        frmOptions.get();  // the colours of the options
        frmMain.get();     // the menu icons of the tabs and the tray of the balloons
    }
}

// One row as the main grid copies it: a whole-file audio item.
inline void fillAudioRow(cGrid* g, long row, const QString& path, const QString& time)
{
    g->SetCell(row, g->ColumnIndex(ItemRow::COL_TYPE), QStringLiteral("Audio"));
    g->SetCell(row, g->ColumnIndex(ItemRow::COL_ITEM_NAME), QFileInfo(path).fileName());
    g->SetCell(row, g->ColumnIndex(ItemRow::COL_SIZE),
               QString(QString::number(QFileInfo(path).size() / 1024) + QStringLiteral(" KB")));
    g->SetCell(row, g->ColumnIndex(ItemRow::COL_TIME), time);
    g->SetCell(row, g->ColumnIndex(ItemRow::COL_RANGE), QStringLiteral("All"));
    g->SetCell(row, g->ColumnIndex(COL_FILE), path);
    g->SetCell(row, g->ColumnIndex(COL_RANGE_ALL), QStringLiteral("1"));
}

// Presses the window's start button, waits for the task to end, prints the seconds it took and
// closes everything. Exit code 0 only when the task ended "Done.".
template <class Window>
int timeTask(Window* w, int showSeconds)
{
    if (showSeconds > 0) {
        w->show();
        wait(showSeconds * 1000);
    }
    QElapsedTimer t;
    t.start();
    w->cmdConvert_Click();
    while (!w->cmdConvert->isEnabled())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double seconds = t.nsecsElapsed() / 1e9;
    const bool done = w->lblCurrentTrack->text() == QLatin1String("Done.");
    std::printf("%.6f\n", seconds);
    if (showSeconds > 0)
        wait(showSeconds * 1000);
    w->cmdExit_Click();
    forms::unloadAll();
    platform::setMessageBoxService(nullptr);
    return done ? 0 : 1;
}

}  // namespace windowdriver
