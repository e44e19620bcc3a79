// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

class QWidget;

// The program's file, folder and colour dialogs. Callers fill parts of g_FileDialog (filter,
// title, default extension) before calling ShowOpen or ShowSave; what they leave alone keeps the
// value of the previous call. Cancel is never an error: it shows in the result. GUI thread only.

// The shared file-dialog record. Paths use "/".
struct OPENFILENAME {
    long lStructSize = 0;
    QWidget* hwndOwner = nullptr;
    // Pairs of description and pattern, each ended by "\0", the list ended by a further "\0";
    // several patterns in one entry are separated by ";" ("*.wav;*.mp3").
    QString lpstrFilter;
    QString lpstrFile;        // the selection of the last call
    QString lpstrFileTitle;   // the bare name of the last selection
    QString lpstrInitialDir;  // empty: the home folder
    QString lpstrTitle;
    long Flags = 0;
    QString lpstrDefExt;      // without the dot
};

struct CHOOSECOLOR {
    long lStructSize = 0;
    QWidget* hwndOwner = nullptr;
    uint32_t rgbResult = 0;                // 0x00BBGGRR
    std::array<uint32_t, 16> lpCustColors{};  // 0x00BBGGRR each
    long Flags = 0;
};

// Flags the file dialogs put into the record.
inline constexpr long OFN_OPEN_FLAGS = 0x382204;
inline constexpr long OFN_SAVE_FLAGS = 0x280006;

inline OPENFILENAME g_FileDialog;
inline CHOOSECOLOR g_ColorDialog;

struct FileDialogResult {
    int fileCount = 0;       // 0 when cancelled
    // Entry 0 and entries 1 to fileCount (so fileCount + 1 entries unless cancelled, then none).
    // ShowOpen, one file: entry 0 = full path, entry 1 = bare name. ShowOpen, several files:
    // entry 0 empty, entries 1.. = bare names in the dialog's order. ShowSave: entry 0 empty,
    // entry 1 = full path.
    QStringList fileNames;
    QString folder;          // the folder of the chosen files (see ShowOpen and ShowSave)
    bool cancelled = false;
};

struct ColorDialogResult {
    int32_t colour = -1;     // 0x00BBGGRR, -1 when cancelled
    bool cancelled = false;
};

// The chosen folder without a trailing "/", or an empty text when cancelled.
QString BrowseForFolder(const QString& sTitle, const QString& sInitDir, QWidget* hwndOwner,
                        bool bShowStatusText = true, const QString& vRoot = {}, bool bNewDialogStyle = true,
                        bool bIncludeFiles = false);
// One file: folder = the text in front of the name's "/" (empty for a file in the root), and the
// full path is remembered as the next start location. Several files: folder = their folder
// ("/" for the root), nothing remembered. Callers join folder and name with a "/" unless folder
// already ends with one.
FileDialogResult ShowOpen(QWidget* hwndOwner, bool bCenterOverOwner = true);
// folder = the chosen file's folder, ending with "/". Always asks before overwriting.
FileDialogResult ShowSave(QWidget* hwndOwner, const QString& sDefaultFileName, bool bCenterOverOwner = true);
ColorDialogResult ShowColor(QWidget* hwndOwner, bool bCenterOverOwner);

// The Qt filter text for the "\0"-separated pairs of OPENFILENAME::lpstrFilter: each entry is
// the description as given, then its patterns in Qt's form in parentheses, which the dialogs
// hide (platform::FileDialogRequest::filter).
QString QtFilterFromPairs(const QString& pairs);
// The remembered location the next open dialog starts in (per-user settings, "path" "last_path").
QString LastOpenLocation();
// Both records as at start, with the custom colours not yet filled in.
void ResetDialogRecords();
