// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The command dispatcher: every command key reaches m_cMenu_Click and runs the branch of the
// first equal key of one table.
#include "commands/Launchers.h"
#include "commands/ToolWindows.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/ItemsListTree.h"
#include "mainwindow/cPopupMenu.h"
#include "platform/MessageBox.h"
#include "settings/controls/cTreeView.h"

#include <QPointer>

void FrmMain::RunCommand(const QString& key) { m_cMenu_Click(m_cMenu ? m_cMenu->MenuIndexOfKey(key) : 0); }

ItemsListHost& FrmMain::PreviewSeam() { return m_preview ? *m_preview : *m_host; }

void FrmMain::SetPreviewSeam(ItemsListHost* seam) { m_preview = seam; }

const std::vector<FrmMain::CommandRow>& FrmMain::CommandTable()
{
    // In the order the keys are compared; the first equal key runs, at most one. A row without
    // a branch goes straight to the common end.
    static const std::vector<CommandRow> table{
        {"Audio Converter", &FrmMain::cmdAudioConverter},
        {"MP3 CD Maker", &FrmMain::cmdRegisteredTool},
        {"WMA CD Maker", &FrmMain::cmdRegisteredTool},
        {"Audio CD Duplicator", &FrmMain::cmdRegisteredTool},
        {"Audio CD Ripper", &FrmMain::cmdAudioCDRipper},
        {"ACM Converter", &FrmMain::cmdACMConverter},
        {"Audio Joiner", &FrmMain::cmdAudioJoiner},
        {"Audio Splitter", &FrmMain::cmdAudioSplitter},
        {"Audio CD Maker", &FrmMain::cmdRegisteredTool},
        {"Audio Analyser", &FrmMain::cmdRegisteredTool},
        {"Audio Recorder", &FrmMain::cmdRegisteredTool},
        {"Text To Speech", &FrmMain::cmdRegisteredTool},
        {"Add Files", &FrmMain::cmdAddFiles},
        {"Add Directories", nullptr},
        {"New Items List", &FrmMain::cmdNewItemsList},
        {"Rename Items List", &FrmMain::cmdRenameItemsList},
        {"Remove Items List", &FrmMain::cmdRemoveItemsList},
        {"Items List Properties", &FrmMain::cmdItemsListProperties},
        {"Open Destination Folder", &FrmMain::cmdOpenDestinationFolder},
        {"Save As", &FrmMain::cmdSaveAs},
        {"Rename Item", &FrmMain::cmdRenameItem},
        {"MarkUnmark All", &FrmMain::cmdMarkUnmarkAll},
        {"Remove Item", &FrmMain::cmdRemoveItem},
        {"Clear the List", &FrmMain::cmdClearTheList},
        {"Move Up", &FrmMain::cmdMoveRow},
        {"Move Down", &FrmMain::cmdMoveRow},
        {"Move To First", &FrmMain::cmdMoveRow},
        {"Move To Last", &FrmMain::cmdMoveRow},
        {"Transparent", &FrmMain::cmdTransparent},
        {"Minimize", &FrmMain::cmdMinimize},
        {"GoSysTray", &FrmMain::cmdGoSysTray},
        {"Exit", &FrmMain::cmdExit},
        {"FreeDB", &FrmMain::cmdFreeDB},
        {"On Top", &FrmMain::cmdOnTop},
        {"Master Volume", &FrmMain::cmdMasterVolume},
        {"Burn From List", nullptr},
        {"Burn From Files", nullptr},
        {"Events", &FrmMain::cmdOptionsPage},
        {"View", &FrmMain::cmdOptionsPage},
        {"General", &FrmMain::cmdOptionsPage},
        {"ID3 Tags", &FrmMain::cmdOptionsPage},
        {"Advanced", &FrmMain::cmdOptionsPage},
        {"About", &FrmMain::cmdAbout},
        {"MP3 Tags Editor", &FrmMain::cmdMP3TagsEditor},
        {"Notes", &FrmMain::cmdNotes},
        {"Live Update", nullptr},
        {"HelpTopic", &FrmMain::cmdHelpTopic},
        {"Support", &FrmMain::cmdSupport},
        {"RC Exit", &FrmMain::cmdExit},
        {"RC Open", &FrmMain::cmdRcOpen},
        {"Open Default Player", &FrmMain::cmdOpenDefaultPlayer},
    };
    return table;
}

QStringList FrmMain::CommandKeys()
{
    QStringList keys;
    for (const CommandRow& row : CommandTable())
        keys << QLatin1String(row.key);
    return keys;
}

void FrmMain::m_cMenu_Click(long ItemNumber)
{
    // Every call stops a playing preview first, a call without an item too. The player's own
    // stop: its end event then starts no next row behind the window a command opens.
    if (m_host) {
        ItemsListHost& preview = PreviewSeam();
        if (preview.PreviewIsPlaying())
            preview.StopPlayer();
    }
    if (ItemNumber == 0 || !m_cMenu)
        return;
    const QString key = m_cMenu->MenuItemKey(ItemNumber);
    if (commandObserver)
        commandObserver(key);
    emit commandRun(key);
    const QPointer<FrmMain> self(this);
    bool commonEnd = true;
    for (const CommandRow& row : CommandTable()) {
        if (key == QLatin1String(row.key)) {
            if (row.run)
                commonEnd = (this->*row.run)(ItemNumber);
            break;
        }
    }
    // "Exit" may have unloaded this window: only a window still loaded refreshes.
    if (commonEnd && self && frmMain.loaded() == this)
        PreviewSeam().RefreshItemInfo();
}

bool FrmMain::cmdAudioConverter(long) { return Launchers::AudioConverter(*this); }
bool FrmMain::cmdACMConverter(long) { return Launchers::ACMConverter(*this); }
bool FrmMain::cmdAudioJoiner(long) { return Launchers::AudioJoiner(*this); }
bool FrmMain::cmdAudioSplitter(long) { return Launchers::AudioSplitter(*this); }
bool FrmMain::cmdAudioCDRipper(long) { return Launchers::AudioCDRipper(*this); }
bool FrmMain::cmdRegisteredTool(long item) { return Launchers::RegisteredTool(*this, m_cMenu->MenuItemKey(item)); }

bool FrmMain::CheckItemsListSelected()
{
    QTreeWidgetItem* node = cTreeView1->SelectedNode();
    if (!IsMainNode(cTreeView::Key(node)))
        return false;
    platform::MsgBox(QStringLiteral("Select the Items List.") + QString(40, u' '), platform::vbInformation | platform::vbOKOnly,
                     QString(), this);
    if (node && node->childCount() > 0)
        cTreeView1_NodeClick(node->child(0));
    return true;
}
