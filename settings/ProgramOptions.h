// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

// The program-wide options. Every window reads them at the moment it needs one; only the
// options window fills them (GetOptions), apart from the set-as-default links of the tool
// windows. Member, stored value and control share one name. GUI thread only.
struct ProgramOptionsData {
    // "General"
    long cboDevices = -1;
    QString cboTargetFormat;
    QString txtToPath;
    bool chkSelectTheLastItem = false;
    bool chkAutoFreeDB = false;
    QString cboFileName;
    bool chkSaveLogWhenExit = false;
    bool chkDisplayMSGWhenExit = false;
    bool chkDisplayMSGWhenErase = false;
    bool chkGoToNextItem = false;
    bool chkDisplayPlayer = false;
    bool chkClearOnExit = false;
    bool chkDisplayAudioGraph = false;
    bool chkMenuXPStyle = false;
    bool chkDisplayGridHotTrack = false;
    bool chkDisplayTitle = false;
    bool chkDisplayGridLine = false;
    int32_t picColor = 0;      // 0x00BBGGRR
    int32_t picTextColor = 0;  // 0x00BBGGRR
    bool chkDisplayLiveUpdateWindow = false;
    bool chkAutoUpdate = false;
    // "Events"
    bool chkOpenDestFolder = false;
    bool chkTurnOffComputer = false;
    bool chkPlaySound = false;
    QString txtPlayAtEnd;  // full path of the end sound
    bool chkNoticeApp = false;
    QString txtAppNotice;
    // "ID3 Tags"
    bool chkCopyID3FromSource = true;
    QString txtTagArtist;
    QString txtTagSong;
    QString txtTagAlbum;
    QString txtTagTrack;
    QString txtTagGenre;
    QString txtTagYear;
    QString txtTagComment;
};

inline ProgramOptionsData ProgramOptions;

// True from the moment the main window starts to unload; the options and audio-format windows
// then really unload instead of hiding.
inline bool g_bMainUnloading = false;

// The output file-name templates offered when "FileNameFormats.txt" is absent.
QStringList BuiltInFileNameFormats();
// program folder + "/FileNameFormats.txt"
QString FileNameFormatsPath();
// The templates the list offers: the non-empty lines of "FileNameFormats.txt" (a regular file;
// CR LF or LF) in file order, or the built-in ones when there is no such file.
QStringList LoadFileNameFormatList();

// Defaults that depend on the program folder.
QString DefaultItemsListsFolder();  // program folder + "/Main/"
QString DefaultEndSoundPath();      // program folder + "/sound/notify.wav"
