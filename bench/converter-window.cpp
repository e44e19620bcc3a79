// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
//
// converter-window: converts files to MP3 through the converter window's own task (its Convert
// button, the row runner, the real converter, the progress and log handlers), filled the way
// the "Audio Converter" command fills it, and prints the seconds from the press of Convert to
// the last output in place, then to Done (see WindowDriver.h for the click through a real
// display).
//
//   converter-window OUT_FOLDER SECONDS_EACH FILE...
//
// Each FILE becomes OUT_FOLDER/<name>.mp3, 128 kbit/s CBR, 44.1 kHz joint stereo, encoder
// quality 3. SECONDS_EACH is the length written into each row's "Time" (for the time-left
// estimate). QUILLMERE_SHOW_SECONDS=n shows the window and keeps it open n seconds before and
// after the task (for a look at it). Run it with XDG_DATA_HOME and XDG_CONFIG_HOME pointing at a
// scratch folder: it writes settings there.
#include "batchtools/FrmConverter.h"
#include "bench/WindowDriver.h"
#include "commands/ToolWindows.h"
#include "foundation/mdlFunctions.h"
#include "settings/OutputFormatOptions.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>

int main(int argc, char* argv[])
{
    const int showSeconds = windowdriver::showSecondsFromEnvironment();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (argc < 4) {
        std::fprintf(stderr, "usage: converter-window OUT_FOLDER SECONDS_EACH FILE...\n");
        return 2;
    }
    windowdriver::YesMessages answers;
    platform::setMessageBoxService(&answers);
    windowdriver::prepare(showSeconds);

    OutputFormatOptions.cboMP3Bitrate = 128;
    OutputFormatOptions.cboMP3Samplerate = 44100;
    OutputFormatOptions.cboMP3Quality = 3;
    OutputFormatOptions.cboMP3Mode = 1;  // joint stereo
    const long secondsEach = QString::fromLocal8Bit(argv[2]).toLong();
    const long rows = argc - 3;
    FrmConverter* w = g_frmConverter.get();
    cGrid* g = w->cGrid1;
    g->Redraw(false);
    for (long row = 1; row <= rows; ++row)
        windowdriver::fillAudioRow(g, row, QString::fromLocal8Bit(argv[row + 2]),
                                   FormatSecondsHMS(static_cast<int32_t>(secondsEach)));
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
    QStringList outputs;
    for (long row = 1; row <= rows; ++row)
        outputs << QFileInfo(QString::fromLocal8Bit(argv[row + 2])).completeBaseName() + QStringLiteral(".mp3");
    return windowdriver::timeTask(w, showSeconds, QString::fromLocal8Bit(argv[1]), outputs);
}
