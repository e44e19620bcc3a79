// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "foundation/FormRef.h"

#include <QPlainTextEdit>
#include <QWidget>

class QIODevice;

// The notes file beside the program.
QString NotesFile();
// Reads notes text: every line followed by CR LF, the last CR LF dropped when the text is
// longer than two characters. False when the device failed before its end; `text` then holds
// what was read.
bool ReadNotesText(QIODevice& device, QString& text);

// "Notes": shows the notes file for editing and writes it back when closed. Modeless, no owner.
// A file that could not be read whole is not written back, so a partial view never cuts the
// user's notes short. GUI thread.
class FrmNotes : public QWidget {
    Q_OBJECT
public:
    FrmNotes();
    ~FrmNotes() override;

    QPlainTextEdit* Text1 = nullptr;

    // Whether the notes file was read to its end (or created empty).
    bool NotesLoadedWhole() const { return m_loadedWhole; }

protected:
    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void SaveNotes();  // once per window
    bool m_loadedWhole = false;
    bool m_saved = false;
};

inline FormRef<FrmNotes> g_frmNotes;
