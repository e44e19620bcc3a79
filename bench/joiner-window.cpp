// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
//
// joiner-window: joins files through the joiner window's own task (its Join button, the real
// join component, the progress handler and log), the way the "Audio Joiner" command fills it,
// and prints the seconds from the press of Join to the output in place, then to Done (see
// WindowDriver.h for the click through a real display).
//
//   joiner-window OUT_FOLDER FILE...
//
// The result is OUT_FOLDER/joined.wav, 44.1 kHz stereo 16 bit. QUILLMERE_SHOW_SECONDS=n shows
// the window and keeps it open n seconds after the join (for a look at it). Run it with
// XDG_DATA_HOME and XDG_CONFIG_HOME pointing at a scratch folder: it writes settings there.
#include "batchtools/FrmJoiner.h"
#include "bench/WindowDriver.h"
#include "commands/ToolWindows.h"
#include "settings/OutputFormatOptions.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>

int main(int argc, char* argv[])
{
    const int showSeconds = windowdriver::showSecondsFromEnvironment();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (argc < 3) {
        std::fprintf(stderr, "usage: joiner-window OUT_FOLDER FILE...\n");
        return 2;
    }
    windowdriver::YesMessages answers;
    platform::setMessageBoxService(&answers);
    windowdriver::prepare(showSeconds);

    OutputFormatOptions.cboSamplesWAV = 44100;
    OutputFormatOptions.cboBitrateWAV = 16;
    OutputFormatOptions.cboChannelsWAV = 1;
    FrmJoiner* j = g_frmJoiner.get();
    cGrid* g = j->cGrid1;
    g->Redraw(false);
    for (int i = 2; i < argc; ++i)
        windowdriver::fillAudioRow(g, i - 1, QString::fromLocal8Bit(argv[i]), QStringLiteral("00:00:02"));
    g->Redraw(true);
    g->CurrentRow(1);
    j->HandOver().lblFilesToConvert(QString::number(argc - 2) + QStringLiteral(" items to join."));
    j->HandOver().txtUndeForlder(QStringLiteral("Bench"));
    j->HandOver().StatusPanelText(QStringLiteral("Total Size"), QStringLiteral("Total Time: 0:00:") +
                                                                    QString::number((argc - 2) * 2));
    j->HandOver().StatusPanelText(QStringLiteral("Total Time"), QStringLiteral("Total Size: ") +
                                                                    QString::number((argc - 2) * 344) + QStringLiteral(" KB"));
    j->txtToPath->setEditText(QString::fromLocal8Bit(argv[1]) + QLatin1Char('/'));
    j->txtJoinedFileName->setText(QStringLiteral("joined.[dest_extension]"));
    j->cboTargetFormat->setCurrentIndex(0);
    return windowdriver::timeTask(j, showSeconds, QString::fromLocal8Bit(argv[1]), {QStringLiteral("joined.wav")});
}
