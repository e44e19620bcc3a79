// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>

#include <functional>

class QComboBox;
class QWidget;
class cGrid;

// What the main window's commands hand to a tool window before showing it, and what they ask
// of it. Each tool window (converter, joiner, splitter, ACM converter, CD tools, editor,
// recorder, speech) implements the members it has; the others keep their harmless defaults.
// The window itself stays owned by its own single instance; GUI thread.
class ToolWindow {
public:
    virtual ~ToolWindow() = default;

    // The window shown by ShowToolModal and brought forward while it is open.
    virtual QWidget* Window() = 0;
    // Shows the window modally and returns once it has closed. The default runs a local event
    // loop over Window() with application modality.
    virtual void ShowModal();

    // Batch tools and CD tools.
    virtual void lblFilesToConvert(const QString& caption) {}
    // A panel of the window's cStatusBar1 ("Total Size", "Total Time"), by key.
    virtual void StatusPanelText(const QString& key, const QString& text) {}
    // txtUndeForlder: the sub-folder name used when the window's sub-folder option is on.
    virtual void txtUndeForlder(const QString& text) {}
    // cGrid1: the rows to work on, columns in the main grid's order. Null: the tool has none.
    virtual cGrid* Grid() { return nullptr; }
    virtual void g_sFileToSplit(const QString& path) {}
    virtual void g_ltmrItemSecsTotal(long seconds) {}
    // cboBestAccordItem: entries added one by one, then the text chosen.
    virtual void cboBestAccordItem_AddItem(const QString& entry) {}
    virtual void cboBestAccordItem_Text(const QString& text) {}

    // CD tools.
    // The ripper's source drives (one entry per drive, each beginning with its letter) and its
    // "Open" button; the launcher selects the drive node's entry and locks both.
    virtual QComboBox* cboDevices() { return nullptr; }
    virtual QWidget* cmdOpenCD() { return nullptr; }
    virtual void lblTitle(const QString& caption) {}
    virtual void Caption(const QString& caption) {}
    virtual void txtCDName(const QString& name) {}
    // cboTargetFormat: the text of the entry to choose.
    virtual void cboTargetFormat_Text(const QString& text) {}
    // prgSize (the disc-fill bar) and lblDataSize.
    virtual void prgSize(long value, long max) {}
    virtual void lblDataSize(const QString& caption) {}
    // The CD database window: starts the lookup; false when it has told the user why not and
    // unloaded itself.
    virtual bool GetFreeDB() { return false; }

    // Recording, editing and speech.
    // The one-file conversion window: remembers both paths; the conversion starts once shown.
    virtual void ConvertFile(const QString& source, const QString& destination) {}
    virtual void txtWavFile(const QString& path) {}
    // The editor's component loads and shows the WAV file.
    virtual void LoadEditorFile(const QString& path) {}
    // The speech window's cboTargetFormat text ("MP3 ...", "WAV ...").
    virtual QString cboTargetFormat() { return {}; }
};

namespace ToolWindows {

// Loads the tool window of a command key (creating it when absent) and returns its hand-over,
// or null when it cannot be loaded.
using Loader = std::function<ToolWindow*()>;

// Makes `key` ("Audio Joiner", "Audio CD Ripper", ...) open the window `loader` returns.
// An empty loader takes the key out again.
void Register(const QString& key, Loader loader);
bool IsRegistered(const QString& key);
// The hand-over of the key's window, loading it; null when no window is registered.
ToolWindow* Load(const QString& key);

// Whether the product profile of this build carries the tool of a command key (the twelve
// tool keys and "MP3 Tags Editor"); a tool that is off has no menu item and no button.
bool InProfile(const QString& key);

// The message a command shows for a tool this build has no window for.
QString NotPartOfThisVersion(const QString& key);

// Shows the window modally without an owner and remembers it as the open modal window while
// it runs, so a command that must not run under it can bring it forward instead.
void ShowToolModal(ToolWindow& tool);
// The innermost modal window a command has open (a tool or any other modal dialog), or null.
QWidget* OpenModalWindow();
// Brings that window forward; false when there is none.
bool BringModalWindowForward();

}  // namespace ToolWindows
