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
// user's notes short; one another program wrote since it was read is replaced only when the
// user says so; a failed write is told with its reason, and closing by hand then keeps the
// window with its text. GUI thread.
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
    // Once per window. `canStayOpen`: closed by hand, so the window may stay with its text
    // (answer false) rather than lose it; unloading cannot keep it.
    bool SaveNotes(bool canStayOpen);
    // The file's size and a hash of its bytes; "-" for a file that cannot be read.
    static QByteArray NotesStamp(const QString& path);
    // Empty, or the system's reason why the file was not written (the old one is then whole).
    static QString WriteNotesFile(const QString& path, const QByteArray& data);
    QByteArray m_loadedStamp;
    QString m_loadedText;
    bool m_loadedWhole = false;
    bool m_saved = false;
};

inline FormRef<FrmNotes> g_frmNotes;
