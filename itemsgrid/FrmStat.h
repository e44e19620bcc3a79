// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "foundation/FormRef.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class cAudioConverter;
class cGrid;
struct AddFileFacts;

// Set by Cancel and by the window's unloading; the adding pass reads it before each path.
inline bool g_bCancelAdding = false;

// Why a path handed to the adding pass got no row. Only Unreadable is the converter's verdict;
// the others are found before the file is opened: Fifo, Device, Socket and NotRegular name what
// the path is instead of a regular file, Unnamable a name that is not UTF-8, SizeZeroWithData a
// file that gives a size of 0 yet holds data (the kernel's status files).
enum class AddRefusal {
    Unreadable, Folder, Empty, Missing, Unsupported, NotLocal,
    Fifo, Device, Socket, NotRegular, Unnamable, SizeZeroWithData
};

struct AddFileRefusal {
    QString path;
    AddRefusal reason = AddRefusal::Unreadable;
    // Unreadable: the reader's own reason, a sentence naming the file.
    QString detail;
    bool operator==(const AddFileRefusal&) const = default;
};

// The closing message of one pass: a line per refusal, at most 20 and then "... and N more.",
// each "Cannot add " + path and why: the reader's reason after ": " for a file it could not
// read (the file it names called "it", so the path stands once in the line), a short reason in
// parentheses otherwise. Empty when nothing was refused.
QString AddRefusalsMessage(const QList<AddFileRefusal>& refusals);

// The progress window of adding files ("Add Files"). A caller loads it, hands it the paths with
// AddFilesToList, and unloads it (the pass has unloaded it already). Its hidden converter opens
// each file for its length and tags; nothing is decoded. GUI thread.
class FrmStat : public QWidget {
    Q_OBJECT
public:
    FrmStat();
    ~FrmStat() override;

    void Form_Load();
    void Form_Unload();
    void cmdCancel_Click();

    // Appends one item row per audio file of Data to cGrid1 and returns when the pass is over;
    // does not save the list. The pass runs in slices of about 25 ms inside a local event loop,
    // with this window modal to frm, so the window repaints and Cancel acts before the next file.
    // bHide has no effect. Every refusal is named in one message at the end.
    void AddFilesToList(const QStringList& Data, cGrid* cGrid1, QWidget* frm, bool bHide);
    // A path a caller filtered out before the pass; it is named in the pass's closing message.
    void NoteRefusal(const QString& sPath, AddRefusal reason, const QString& detail = {});

    // True when the lower-cased extension occurs anywhere in the supported-input filter text
    // (so also "wa", "audio" and the empty extension).
    static bool SupportAudioFile(const QString& sFileName);
    // sPath without the first ":", "?", "<", ">", "\", "/", "*" and "|" (one of each, in order).
    static QString getLegaName(const QString& sPath);

    // A pass is running (the main window's close waits for it to stop).
    static bool IsAdding() { return s_running > 0; }
    // 0: the whole pass in one go.
    void SetSliceMilliseconds(int ms) { m_sliceMs = ms; }
    // The refusals of the last pass, in order (tests and the closing message).
    const QList<AddFileRefusal>& Refusals() const { return m_refusals; }

    QProgressBar* cProgressBar1 = nullptr;
    QLabel* lblStat = nullptr;
    QPushButton* cmdCancel = nullptr;
    std::unique_ptr<cAudioConverter> cAudioConverter1;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The grid's columns a row is written to, found once a slice.
    struct Columns {
        long inc, type, itemName, time, size, file, created, range, rangeAll, bytesSize;
        long album, artist, comment, genre, year, title, track;
    };
    void findColumns(const cGrid& grid);
    // One row from the facts read of its file; false (and a refusal noted) for none.
    bool addOne(const QString& path, const AddFileFacts& facts, cGrid& grid);
    AddFileFacts factsHere(const QString& path);
    // Caption and label: "Adding " and the file added last.
    void showAdding();

    QString m_adding;
    Columns m_columns{};

    QList<AddFileRefusal> m_refusals;
    int m_sliceMs = 25;
    bool m_unloaded = false;
    static inline int s_running = 0;
};

inline FormRef<FrmStat> g_frmStat;
