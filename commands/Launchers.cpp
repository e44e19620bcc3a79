// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "commands/Launchers.h"

#include "commands/ToolWindows.h"
#include "components/cGrid.h"
#include "foundation/mdlFileSystem.h"
#include "foundation/VbNumbers.h"
#include "foundation/mdlFunctions.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/ItemsListTree.h"
#include "mainwindow/FrmMain.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "recording/FrmAudioEditorProc.h"
#include "settings/controls/cTreeView.h"

#include <QDir>
#include <QFile>
#include <QComboBox>
#include <QPointer>
#include <QTimer>

#include <optional>

namespace {

enum class Tool { Joiner, Converter, ACMConverter, Splitter };

struct Variant {
    const char* key;
    const char* markText;   // step 3
    bool needsTwo;          // step 4
    const char* countText;  // step 7
};

const Variant& variantOf(Tool tool)
{
    static const Variant variants[] = {
        {"Audio Joiner", "Mark the items to join.", true, " items to join."},
        {"Audio Converter", "Mark the items to convert.", false, " items to convert."},
        {"ACM Converter", "Mark the items to convert.", false, " items to convert."},
        {"Audio Splitter", "Mark the items to split.", false, nullptr},
    };
    return variants[static_cast<int>(tool)];
}

void say(FrmMain& f, const QString& text) { platform::MsgBox(text, platform::vbInformation | platform::vbOKOnly, QString(), &f); }

QString cellText(cGrid& grid, long row, const QString& key) { return grid.Cell(row, grid.ColumnIndex(key)).Text(); }

// The hourglass is the main window's own pointer; it is undone on every way out.
class Hourglass {
public:
    explicit Hourglass(FrmMain& f) : m_f(&f) { f.setCursor(Qt::WaitCursor); }
    ~Hourglass() { release(); }
    void release()
    {
        if (m_f)
            m_f->unsetCursor();
    }

private:
    QPointer<FrmMain> m_f;
};

// Steps 12 to 14: the drive polling is off while the modal window is open, and back on only
// when a drive node is selected once it has closed.
void showPaused(FrmMain& f, ToolWindow& tool)
{
    const QPointer<FrmMain> self(&f);
    f.tmrCDs->stop();
    ToolWindows::ShowToolModal(tool);
    if (!self)
        return;
    if (FrmMain::IsCDNode(cTreeView::Key(f.cTreeView1->SelectedNode())))
        f.tmrCDs->start();
}

// Steps 1 to 6, shared by every launcher of a window over the marked rows: the root check, an
// empty list adds files instead, the mark checks, then the window is loaded under the hourglass.
// Null when the launch ends here.
ToolWindow* loadForMarked(FrmMain& f, const QString& key, const QString& markText, bool needsTwo,
                          std::optional<Hourglass>& hourglass, long* marked)
{
    if (f.CheckItemsListSelected())
        return nullptr;
    if (f.cGrid1->Rows() == 0) {
        f.RunCommand(QStringLiteral("Add Files"));
        return nullptr;
    }
    *marked = f.GetMarkedCount();
    if (*marked == 0) {
        say(f, markText + QString(29, u' '));
        return nullptr;
    }
    if (needsTwo && *marked < 2) {
        say(f, QStringLiteral("Nothing to join.") + QString(55, u' ') + QStringLiteral("\r\n\r\n"));
        return nullptr;
    }
    hourglass.emplace(f);
    ToolWindow* tool = ToolWindows::Load(key);
    if (!tool) {
        hourglass->release();
        say(f, ToolWindows::NotPartOfThisVersion(key));
    }
    return tool;
}

// Steps 11 to 15: the window is shown modal with the polling paused; false when the main window
// went meanwhile.
bool showLoaded(FrmMain& f, ToolWindow& tool, Hourglass& hourglass)
{
    hourglass.release();
    const QPointer<FrmMain> self(&f);
    showPaused(f, tool);
    if (self)
        f.unsetCursor();
    return static_cast<bool>(self);
}

bool launch(FrmMain& f, Tool which)
{
    const Variant& v = variantOf(which);
    const QString key = QLatin1String(v.key);

    std::optional<Hourglass> hourglass;
    long marked = 0;
    ToolWindow* tool = loadForMarked(f, key, QLatin1String(v.markText), v.needsTwo, hourglass, &marked);
    if (!tool)
        return false;
    cGrid& grid = *f.cGrid1;

    const QString listName = cTreeView::Text(f.cTreeView1->SelectedNode());
    const long current = grid.CurrentRow();
    const long totalSeconds = f.GetTotalTime(true).toLong();

    if (which == Tool::Splitter) {
        tool->lblFilesToConvert(QStringLiteral("Split: ") + cellText(grid, current, ItemRow::COL_ITEM_NAME));
        tool->StatusPanelText(QStringLiteral("Total Size"), QStringLiteral("Total Time: ") + cellText(grid, current, ItemRow::COL_TIME));
        tool->StatusPanelText(QStringLiteral("Total Time"),
                              QStringLiteral("Total Size: ") +
                                  FormatFileSize(cellText(grid, current, COL_BYTES_SIZE).toDouble()));
        tool->txtUndeForlder(MakeSafeName(listName));
        tool->g_sFileToSplit(cellText(grid, current, COL_FILE));
        if (cGrid* into = tool->Grid()) {
            // The type picture goes with the row where both grids draw from the same pictures.
            const bool sameIcons = grid.model().ImageList() && grid.model().ImageList() == into->model().ImageList();
            for (long c = 2; c <= grid.Columns(); ++c) {
                into->Cell(1, c).Text(grid.Cell(current, c).Text());
                const long icon = grid.Cell(current, c).Icon();
                if (sameIcons && icon != cGridModel::kNoIcon)
                    into->Cell(1, c).Icon(icon);
            }
        }
    } else {
        tool->lblFilesToConvert(QString::number(marked) + QLatin1String(v.countText));
        if (which == Tool::Converter)
            tool->g_ltmrItemSecsTotal(totalSeconds);
        // The time goes to the wider first panel, keyed "Total Size", and the size to the other.
        tool->StatusPanelText(QStringLiteral("Total Size"),
                              QStringLiteral("Total Time: ") + FormatSecondsHMS(totalSeconds));
        tool->StatusPanelText(QStringLiteral("Total Time"), QStringLiteral("Total Size: ") + f.GetTotalSize(true));
        tool->txtUndeForlder(MakeSafeName(listName));
        if (which == Tool::ACMConverter)
            tool->g_ltmrItemSecsTotal(totalSeconds);
        if (cGrid* into = tool->Grid())
            f.CopyGridRows(grid, *into, true);
        if (which == Tool::ACMConverter) {
            tool->cboBestAccordItem_AddItem(QStringLiteral("All ACM Codecs"));
            for (long r = 1; r <= grid.Rows(); ++r)
                tool->cboBestAccordItem_AddItem(cellText(grid, r, COL_FILE));
            tool->cboBestAccordItem_Text(cellText(grid, current, COL_FILE));
        }
    }

    return showLoaded(f, *tool, *hourglass);
}

// "Audio CD Maker": the marked rows, their minutes against the 80 of a CD. The limit is only
// shown; the burner does not read it.
bool audioCDMaker(FrmMain& f, const QString& key)
{
    std::optional<Hourglass> hourglass;
    long marked = 0;
    ToolWindow* tool = loadForMarked(f, key, QStringLiteral("Mark the items to burn."), false, hourglass, &marked);
    if (!tool)
        return false;
    cGrid& grid = *f.cGrid1;
    const long seconds = f.GetTotalTime(true).toLong();
    const long minutes = long(RoundHalfEven(double(seconds) / 60.0));
    const QString m = QString::number(minutes);
    tool->lblFilesToConvert(QString::number(marked) + QStringLiteral(" items to burn (") + m + QStringLiteral(" minutes)."));
    tool->StatusPanelText(QStringLiteral("Total Size"), m + QStringLiteral(" Min / 80 Min."));
    tool->prgSize(minutes, 83);
    if (double(seconds) / 60.0 > 80.0)
        tool->lblDataSize(QStringLiteral("Data is to big (more then 80 min). Please remove some tracks."));
    else
        tool->lblDataSize(QStringLiteral("Data Size: ") + QString::number(marked) + QStringLiteral(" files, ") + m +
                          QStringLiteral(" Min / 80 Min."));
    if (cGrid* into = tool->Grid())
        f.CopyGridRows(grid, *into, true);
    return showLoaded(f, *tool, *hourglass);
}

// "MP3 CD Maker" and "WMA CD Maker": one launcher, two keys; the key names the format.
bool dataCDMaker(FrmMain& f, const QString& key)
{
    std::optional<Hourglass> hourglass;
    long marked = 0;
    ToolWindow* tool = loadForMarked(f, key, QStringLiteral("Mark the items to burn."), false, hourglass, &marked);
    if (!tool)
        return false;
    cGrid& grid = *f.cGrid1;
    const long totalSeconds = f.GetTotalTime(true).toLong();
    tool->lblTitle(key);
    tool->Caption(key);
    tool->lblFilesToConvert(QString::number(marked) + QStringLiteral(" items to burn."));
    tool->cboTargetFormat_Text(key == QLatin1String("WMA CD Maker") ? QStringLiteral("WMA - Windows Media Audio files (*.wma)")
                                                                    : QStringLiteral("MP3 - MPEG-1 Audio Layer 3 (*.mp3)"));
    tool->g_ltmrItemSecsTotal(totalSeconds);
    tool->StatusPanelText(QStringLiteral("Total Size"),
                          QStringLiteral("Total Time: ") + FormatSecondsHMS(totalSeconds));
    tool->StatusPanelText(QStringLiteral("Total Time"), QStringLiteral("Total Size: ") + f.GetTotalSize(true));
    tool->txtCDName(MakeSafeName(cTreeView::Text(f.cTreeView1->SelectedNode())));
    if (cGrid* into = tool->Grid())
        f.CopyGridRows(grid, *into, true);
    return showLoaded(f, *tool, *hourglass);
}

}  // namespace

namespace Launchers {

bool AudioJoiner(FrmMain& f) { return launch(f, Tool::Joiner); }
bool AudioConverter(FrmMain& f) { return launch(f, Tool::Converter); }
bool ACMConverter(FrmMain& f) { return launch(f, Tool::ACMConverter); }
bool AudioSplitter(FrmMain& f) { return launch(f, Tool::Splitter); }

bool AudioAnalyser(FrmMain& f)
{
    const QString key = QStringLiteral("Audio Analyser");
    if (f.CheckItemsListSelected())
        return false;
    cGrid& grid = *f.cGrid1;
    if (grid.Rows() == 0) {
        f.RunCommand(QStringLiteral("Add Files"));
        return false;
    }
    if (f.GetMarkedCount() == 0) {
        say(f, QStringLiteral("Mark the item to edit.") + QString(29, u' '));
        return false;
    }
    Hourglass hourglass(f);
    if (!ToolWindows::Load(key)) {
        hourglass.release();
        say(f, ToolWindows::NotPartOfThisVersion(key));
        return false;
    }
    f.g_bAbortedAudioEditor = false;
    const long current = grid.CurrentRow();
    const QString source = cellText(grid, current, COL_FILE);
    QString editorFile = source;
    const QPointer<FrmMain> self(&f);
    if (GetFileExtension(source).toUpper() != QLatin1String("WAV")) {
        editorFile = QDir(platform::programFolder()).filePath(QStringLiteral("tmpeditor.wav"));
        // An earlier item's audio must never be shown for this one (a failed or closed conversion).
        QFile::remove(editorFile);
        f.setCursor(Qt::WaitCursor);
        FrmAudioEditorProc* proc = g_frmAudioEditorProc.get();
        proc->ConvertFile(source, editorFile);
        hourglass.release();
        ToolWindows::ShowToolModal(*proc);
        if (!self)
            return false;
    }
    if (!f.g_bAbortedAudioEditor) {
        if (ToolWindow* editor = ToolWindows::Load(key)) {
            editor->txtWavFile(editorFile);
            editor->LoadEditorFile(editorFile);
            editor->Caption(cellText(grid, current, ItemRow::COL_ITEM_NAME));
            hourglass.release();
            f.unsetCursor();
            showPaused(f, *editor);
            if (!self)
                return false;
        }
    }
    hourglass.release();
    f.unsetCursor();
    return true;
}

bool AudioRecorder(FrmMain& f)
{
    const QString key = QStringLiteral("Audio Recorder");
    Hourglass hourglass(f);
    ToolWindow* tool = ToolWindows::Load(key);
    hourglass.release();
    if (!tool) {
        say(f, ToolWindows::NotPartOfThisVersion(key));
        return false;
    }
    const QPointer<FrmMain> self(&f);
    ToolWindows::ShowToolModal(*tool);
    return static_cast<bool>(self);
}

bool TextToSpeech(FrmMain& f)
{
    const QString key = QStringLiteral("Text To Speech");
    // The main window keeps its hourglass while the window is open.
    Hourglass hourglass(f);
    ToolWindow* tool = ToolWindows::Load(key);
    if (!tool) {
        hourglass.release();
        say(f, ToolWindows::NotPartOfThisVersion(key));
        return false;
    }
    const QPointer<FrmMain> self(&f);
    ToolWindows::ShowToolModal(*tool);
    return static_cast<bool>(self);
}

bool AudioCDRipper(FrmMain& f)
{
    const QString key = QStringLiteral("Audio CD Ripper");
    QTreeWidgetItem* node = f.cTreeView1->SelectedNode();
    const QString nodeKey = cTreeView::Key(node);
    if (FrmMain::IsMainNode(nodeKey)) {
        say(f, QStringLiteral("Select the Items List of the CD.") + QString(40, u' '));
        if (node && node->childCount() > 0)
            f.cTreeView1_NodeClick(node->child(0));
        return false;
    }
    if (!FrmMain::IsCDNode(nodeKey)) {
        say(f, QStringLiteral("Select the the Audio CD device to rip from.") + QString(40, u' '));
        if (g_nodeMainCDs) {
            g_nodeMainCDs->setExpanded(true);
            if (g_nodeMainCDs->childCount() > 0)
                f.cTreeView1_NodeClick(g_nodeMainCDs->child(0));
        }
        return false;
    }
    // A drive without rows has no marked rows: there is no empty-list step here.
    const long marked = f.GetMarkedCount();
    if (marked == 0) {
        say(f, QStringLiteral("Mark the items to rip.") + QString(29, u' '));
        return false;
    }

    Hourglass hourglass(f);
    ToolWindow* tool = ToolWindows::Load(key);
    if (!tool) {
        hourglass.release();
        say(f, ToolWindows::NotPartOfThisVersion(key));
        return false;
    }
    const long totalSeconds = f.GetTotalTime(true).toLong();
    tool->lblFilesToConvert(QString::number(marked) + QStringLiteral(" items to convert."));
    tool->g_ltmrItemSecsTotal(totalSeconds);
    tool->StatusPanelText(QStringLiteral("Total Size"),
                          QStringLiteral("Total Time: ") + FormatSecondsHMS(totalSeconds));
    tool->StatusPanelText(QStringLiteral("Total Time"), QStringLiteral("Total Size: ") + f.GetTotalSize(true));
    tool->txtUndeForlder(MakeSafeName(cTreeView::Text(node)));
    // Every row, in order: the ripper rips the marked ones as the track of their row number.
    if (cGrid* into = tool->Grid())
        f.CopyGridRows(*f.cGrid1, *into, false);
    // The source is the drive of the node; the last entry of its letter wins.
    if (QComboBox* devices = tool->cboDevices()) {
        const QString drive = GetCDNameNode(nodeKey);
        for (int i = 0; i < devices->count(); ++i) {
            if (devices->itemText(i).startsWith(drive)) {
                devices->setCurrentIndex(i);
                devices->setEnabled(false);
                if (QWidget* open = tool->cmdOpenCD())
                    open->setEnabled(false);
            }
        }
    }
    return showLoaded(f, *tool, hourglass);
}

// "Audio CD Duplicator": no check and no hand-over; the polling is paused first and the
// hourglass stays over the main window while the duplicator is open.
bool AudioCDDuplicator(FrmMain& f)
{
    const QString key = QStringLiteral("Audio CD Duplicator");
    const QPointer<FrmMain> self(&f);
    f.tmrCDs->stop();
    Hourglass hourglass(f);
    ToolWindow* tool = ToolWindows::Load(key);
    if (tool)
        ToolWindows::ShowToolModal(*tool);
    if (!self)
        return false;
    hourglass.release();
    if (!tool)
        say(f, ToolWindows::NotPartOfThisVersion(key));
    if (FrmMain::IsCDNode(cTreeView::Key(f.cTreeView1->SelectedNode())))
        f.tmrCDs->start();
    return tool != nullptr;
}

bool RegisteredTool(FrmMain& f, const QString& key)
{
    if (key == QLatin1String("Audio Analyser"))
        return AudioAnalyser(f);
    if (key == QLatin1String("Audio Recorder"))
        return AudioRecorder(f);
    if (key == QLatin1String("Text To Speech"))
        return TextToSpeech(f);
    if (key == QLatin1String("Audio CD Maker"))
        return audioCDMaker(f, key);
    if (key == QLatin1String("MP3 CD Maker") || key == QLatin1String("WMA CD Maker"))
        return dataCDMaker(f, key);
    if (key == QLatin1String("Audio CD Duplicator"))
        return AudioCDDuplicator(f);
    ToolWindow* tool = ToolWindows::Load(key);
    if (!tool) {
        say(f, ToolWindows::NotPartOfThisVersion(key));
        return false;
    }
    const QPointer<FrmMain> self(&f);
    showPaused(f, *tool);
    return static_cast<bool>(self);
}

}  // namespace Launchers
