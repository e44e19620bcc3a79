// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
//
// converter-window: converts files to MP3 through the converter window's own task (its Convert
// button, the row runner, the real converter, the progress and log handlers), filled the way
// the "Audio Converter" command fills it, and prints the seconds from the press of Convert to
// Done.
//
//   converter-window OUT_FOLDER SECONDS_EACH FILE...
//
// Each FILE becomes OUT_FOLDER/<name>.mp3, 128 kbit/s CBR, 44.1 kHz joint stereo, encoder
// quality 3. SECONDS_EACH is the length written into each row's "Time" (for the time-left
// estimate). QUILLMERE_SHOW_SECONDS=n shows the window and keeps it open n seconds before and
// after the task (for a look at it). Run it with XDG_DATA_HOME and XDG_CONFIG_HOME pointing at a
// scratch folder: it writes settings there.
#include "batchtools/FrmConverter.h"
#include "commands/ToolWindows.h"
#include "components/cGrid.h"
#include "foundation/mdlFunctions.h"
#include "foundation/mdlModes.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/FrmMain.h"
#include "platform/MessageBox.h"
#include "settings/FrmOptions.h"
#include "settings/OutputFormatOptions.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace {

// Nobody is there to answer: the overwrite question is answered Yes.
class YesMessages final : public platform::MessageBoxService {
public:
    int show(const platform::MessageBoxRequest&, QWidget*) override { return platform::vbYes; }
};

void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

int main(int argc, char* argv[])
{
    const int showSeconds = qEnvironmentVariableIntValue("QUILLMERE_SHOW_SECONDS");
    if (showSeconds == 0 && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (argc < 4) {
        std::fprintf(stderr, "usage: converter-window OUT_FOLDER SECONDS_EACH FILE...\n");
        return 2;
    }
    YesMessages answers;
    platform::setMessageBoxService(&answers);
    InitProductConfig();
    if (showSeconds > 0) {
        frmOptions.get();  // the colours of the options
        frmMain.get();     // the menu icons of the tabs and the tray of the balloons
    }

    OutputFormatOptions.cboMP3Bitrate = 128;
    OutputFormatOptions.cboMP3Samplerate = 44100;
    OutputFormatOptions.cboMP3Quality = 3;
    OutputFormatOptions.cboMP3Mode = 1;  // joint stereo
    const long secondsEach = QString::fromLocal8Bit(argv[2]).toLong();
    const long rows = argc - 3;
    FrmConverter* w = g_frmConverter.get();
    cGrid* g = w->cGrid1;
    const long nameCol = g->ColumnIndex(ItemRow::COL_ITEM_NAME);
    g->Redraw(false);
    for (long row = 1; row <= rows; ++row) {
        const QString path = QString::fromLocal8Bit(argv[row + 2]);
        g->SetCell(row, g->ColumnIndex(ItemRow::COL_TYPE), QStringLiteral("Audio"));
        g->SetCell(row, nameCol, QFileInfo(path).fileName());
        g->SetCell(row, g->ColumnIndex(ItemRow::COL_SIZE),
                   QString(QString::number(QFileInfo(path).size() / 1024) + QStringLiteral(" KB")));
        g->SetCell(row, g->ColumnIndex(ItemRow::COL_TIME), FormatSecondsHMS(static_cast<int32_t>(secondsEach)));
        g->SetCell(row, g->ColumnIndex(ItemRow::COL_RANGE), QStringLiteral("All"));
        g->SetCell(row, g->ColumnIndex(COL_FILE), path);
        g->SetCell(row, g->ColumnIndex(COL_RANGE_ALL), QStringLiteral("1"));
    }
    g->Redraw(true);
    g->CurrentRow(1);
    ToolWindow& h = w->ConverterHandOver();
    h.lblFilesToConvert(QString::number(rows) + QStringLiteral(" items to convert."));
    h.g_ltmrItemSecsTotal(rows * secondsEach);
    h.txtUndeForlder(QStringLiteral("Bench"));
    h.StatusPanelText(QStringLiteral("Total Size"),
                      QStringLiteral("Total Time: ") + FormatSecondsHMS(static_cast<int32_t>(rows * secondsEach)));
    h.StatusPanelText(QStringLiteral("Total Time"), QStringLiteral("Total Size: ") + QString::number(rows * secondsEach * 172) +
                                                        QStringLiteral(" KB"));
    w->txtToPath->setEditText(QString::fromLocal8Bit(argv[1]) + QLatin1Char('/'));
    w->cboFileName->setCurrentIndex(0);  // "[file_name].[dest_extension]"
    w->cboTargetFormat->setCurrentIndex(w->cboTargetFormat->findText(QStringLiteral("MP3"), Qt::MatchStartsWith));
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
