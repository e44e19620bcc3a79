// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>

// The product profile: fixed by InitProductConfig before anything else runs, read-only after.
inline QString g_sAppName;
inline QString g_sAppVersion;
inline QString g_sAppFullVersion;
inline QString g_sAppCompany;
inline QString g_sAppHomeURL;
inline QString g_sAppHomePage;
inline QString g_sAppSupportURL;
inline QString g_sAppDescription;
inline QString g_sAppBackColor;
inline QString g_sAppBackPicture;
inline QString g_sAppToolbarPicture;
inline QString g_sAppTitlePicture;

inline long g_lAppIncConverter = 0;
inline long g_lAppIncJoin = 0;
inline long g_lAppIncSplit = 0;
inline long g_lAppIncMicRec = 0;
inline long g_lAppIncEditor = 0;
inline long g_lAppIncAudioBurner = 0;
inline long g_lAppIncCDRipper = 0;
inline long g_lAppIncTagsEditor = 0;
inline long g_lAppIncMP3Burner = 0;
inline long g_lAppIncWMABurner = 0;
inline long g_lAppIncACMConverter = 0;
inline long g_lAppIncTTS = 0;
inline long g_lAppIncDuplicator = 0;
inline long g_lAppIncItemsLists = 0;
inline long g_lAppTreeRestore = 0;
inline QString g_sAppMode;

// Fills the profile of this build and sets the application title (name, blank, version).
void InitProductConfig();

// The settings key below HKEY_LOCAL_MACHINE: "SOFTWARE\" + company + "\" + name.
QString SettingsKeyRoot();
