// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "recording/RecordingUi.h"

#include "components/cAudioConverter.h"
#include "components/cGrid.h"
#include "foundation/VbNumbers.h"
#include "foundation/mdlFileSystem.h"
#include "foundation/mdlFunctions.h"
#include "foundation/mdlModes.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/ItemsListLoader.h"
#include "itemsgrid/FrmStat.h"
#include "mainwindow/FrmMain.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/ColorSwatch.h"
#include "settings/controls/TwipsGeometry.h"
#include "foundation/Twips.h"

#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPixmap>

namespace recording {

void SetBackColor(QWidget* w, int32_t bgr)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, ColorSwatch::ToQColor(bgr));
    p.setColor(QPalette::Base, ColorSwatch::ToQColor(bgr));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void ApplyAppBackColor(std::initializer_list<QWidget*> widgets)
{
    bool ok = false;
    const long back = g_sAppBackColor.toLong(&ok);
    if (!ok)
        return;
    for (QWidget* w : widgets) {
        if (!w)
            continue;
        QPalette p = w->palette();
        p.setColor(QPalette::Window, ColorSwatch::ToQColor(static_cast<int32_t>(back)));
        w->setPalette(p);
        w->setAutoFillBackground(true);
    }
}

bool ApplyViewPicture(QWidget* w, const QString& name)
{
    if (name.isEmpty())
        return false;
    const QPixmap pic(platform::programFolder() + QStringLiteral("/View/") + name);
    if (pic.isNull())
        return false;
    QPalette p = w->palette();
    p.setBrush(QPalette::Window, pic);
    w->setPalette(p);
    w->setAutoFillBackground(true);
    return true;
}

void SetUpFixedWindow(QWidget* w, const QString& title, int widthTw, int heightTw, QFrame** picTitle,
                      QLabel** lblTitle)
{
    w->setWindowTitle(title);
    w->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    w->setFont(font);
    w->setFixedSize(TwipsToPixels(widthTw), TwipsToPixels(heightTw));

    *picTitle = new QFrame(w);
    PlaceTw(*picTitle, 0, 0, widthTw, 495);
    *lblTitle = new QLabel(title, *picTitle);
    QFont tf = (*lblTitle)->font();
    tf.setBold(true);
    tf.setPointSize(10);
    (*lblTitle)->setFont(tf);
    PlaceTw(*lblTitle, 120, 105, 6000, 300);
}

void ApplyTitleColors(QFrame* picTitle, QLabel* lblTitle)
{
    SetBackColor(picTitle, ProgramOptions.picColor);
    QPalette p = lblTitle->palette();
    p.setColor(QPalette::WindowText, ColorSwatch::ToQColor(ProgramOptions.picTextColor));
    lblTitle->setPalette(p);
}

void AddFileToMainList(const QString& path)
{
    FrmMain* main = frmMain.loaded();
    if (!main)
        return;
    g_frmStat.get();
    g_frmStat->AddFilesToList(QStringList{path}, main->cGrid1, main, false);
    g_frmStat.unload();
}

void RefreshMainListRows(const QString& path)
{
    FrmMain* main = frmMain.loaded();
    const QString file = QFileInfo(path).canonicalFilePath();
    if (!main || !main->cAudioConverter1 || file.isEmpty())
        return;
    cGrid& grid = *main->cGrid1;
    const long colFile = grid.ColumnIndex(COL_FILE);
    for (long row = 1; row <= grid.Rows(); ++row) {
        if (QFileInfo(grid.Cell(row, colFile).Text()).canonicalFilePath() != file)
            continue;
        cAudioConverter& probe = *main->cAudioConverter1;
        if (probe.OpenSource(file) != 0)
            continue;
        const long seconds = static_cast<long>(RoundHalfEven(static_cast<double>(probe.SourceDuration()) / 1000.0));
        probe.CloseSource();
        const qint64 bytes = QFileInfo(file).size();
        grid.SetCell(row, grid.ColumnIndex(ItemRow::COL_TIME), PadTimeText(probe.FormatTime(seconds)));
        grid.SetCell(row, grid.ColumnIndex(ItemRow::COL_SIZE), FormatFileSize(static_cast<double>(bytes)));
        grid.SetCell(row, grid.ColumnIndex(COL_BYTES_SIZE), QVariant::fromValue<qint64>(bytes));
    }
}

bool CheckProducedFile(const QString& name, QWidget* owner)
{
    const QFileInfo fi(name);
    const auto say = [&](const QString& text) {
        platform::MsgBox(text, platform::vbInformation | platform::vbOKOnly, QString(), owner);
    };
    if (name.isEmpty() || !fi.isFile()) {
        say(QStringLiteral("The file:") + name + QStringLiteral(" was not found."));
        return false;
    }
    if (fi.size() <= 64) {
        say(QStringLiteral("The file:") + name + QStringLiteral(" is empty."));
        return false;
    }
    return true;
}

}  // namespace recording
