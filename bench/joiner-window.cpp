// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
//
// joiner-window: joins files through the joiner window's own task (its Join button, the real
// join component, the progress handler and log), the way the "Audio Joiner" command fills it,
// and prints the seconds from the press of Join to Done.
//
//   joiner-window OUT_FOLDER FILE...
//
// The result is OUT_FOLDER/joined.wav, 44.1 kHz stereo 16 bit. QUILLMERE_SHOW_SECONDS=n shows
// the window and keeps it open n seconds after the join (for a look at it). Run it with
// XDG_DATA_HOME and XDG_CONFIG_HOME pointing at a scratch folder: it writes settings there.
#include "batchtools/FrmJoiner.h"
#include "commands/ToolWindows.h"
#include "components/cGrid.h"
#include "foundation/mdlModes.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/FrmMain.h"
#include "platform/MessageBox.h"
#include "settings/FrmOptions.h"
#include "settings/OutputFormatOptions.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QEventLoop>
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
    if (argc < 3) {
        std::fprintf(stderr, "usage: joiner-window OUT_FOLDER FILE...\n");
        return 2;
    }
    YesMessages answers;
    platform::setMessageBoxService(&answers);
    InitProductConfig();
    if (showSeconds > 0) {
        frmOptions.get();  // the colours of the options
        frmMain.get();     // the menu icons of the tabs and the tray of the balloons
    }

    OutputFormatOptions.cboSamplesWAV = 44100;
    OutputFormatOptions.cboBitrateWAV = 16;
    OutputFormatOptions.cboChannelsWAV = 1;
    FrmJoiner* j = g_frmJoiner.get();
    cGrid* g = j->cGrid1;
    const long nameCol = g->ColumnIndex(ItemRow::COL_ITEM_NAME);
    const long typeCol = g->ColumnIndex(ItemRow::COL_TYPE);
    const long timeCol = g->ColumnIndex(ItemRow::COL_TIME);
    const long sizeCol = g->ColumnIndex(ItemRow::COL_SIZE);
    const long rangeCol = g->ColumnIndex(ItemRow::COL_RANGE);
    g->Redraw(false);
    for (int i = 2; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        const long row = i - 1;
        g->SetCell(row, typeCol, QStringLiteral("Audio"));
        g->SetCell(row, nameCol, QFileInfo(path).fileName());
        g->SetCell(row, sizeCol, QString(QString::number(QFileInfo(path).size() / 1024) + QStringLiteral(" KB")));
        g->SetCell(row, timeCol, QStringLiteral("00:00:02"));
        g->SetCell(row, rangeCol, QStringLiteral("All"));
        g->SetCell(row, g->ColumnIndex(COL_FILE), path);
        g->SetCell(row, g->ColumnIndex(COL_RANGE_ALL), QStringLiteral("1"));
    }
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
    if (showSeconds > 0) {
        j->show();
        wait(showSeconds * 1000);
    }

    QElapsedTimer t;
    t.start();
    j->cmdConvert_Click();
    while (!j->cmdConvert->isEnabled())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double seconds = t.nsecsElapsed() / 1e9;
    const bool done = j->lblCurrentTrack->text() == QLatin1String("Done.");
    std::printf("%.6f\n", seconds);
    if (showSeconds > 0)
        wait(showSeconds * 1000);
    j->cmdExit_Click();
    forms::unloadAll();
    platform::setMessageBoxService(nullptr);
    return done ? 0 : 1;
}
