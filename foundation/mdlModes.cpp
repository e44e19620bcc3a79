// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/mdlModes.h"

#include "platform/MessageBox.h"

#include <QCoreApplication>

void InitProductConfig()
{
    g_sAppName = QStringLiteral("Quillmere");
    g_sAppVersion = QStringLiteral("1.2");
    g_sAppFullVersion = QStringLiteral("1.2.0");
    g_sAppCompany = QStringLiteral("Brindlecote");
    // A reserved name: the links go nowhere until a real site exists.
    g_sAppHomeURL = QStringLiteral("https://www.brindlecote.example");
    g_sAppHomePage = g_sAppHomeURL + QStringLiteral("/");
    g_sAppSupportURL = g_sAppHomePage + QStringLiteral("support.html");
    g_sAppDescription = QStringLiteral("Join, combine and merge many files of WAV files.");
    g_sAppBackColor = QStringLiteral("16777215");
    g_sAppBackPicture.clear();
    g_sAppToolbarPicture.clear();
    g_sAppTitlePicture.clear();

    g_lAppIncConverter = 1;
    g_lAppIncJoin = 1;
    g_lAppIncSplit = 0;
    g_lAppIncMicRec = 0;
    g_lAppIncEditor = 0;
    g_lAppIncAudioBurner = 0;
    g_lAppIncCDRipper = 0;
    g_lAppIncTagsEditor = 0;
    g_lAppIncMP3Burner = 0;
    g_lAppIncWMABurner = 0;
    g_lAppIncACMConverter = 1;
    g_lAppIncTTS = 0;
    g_lAppIncDuplicator = 0;
    g_lAppIncItemsLists = 1;
    g_lAppTreeRestore = 0;
    g_sAppMode = QStringLiteral("lAppIncJoin");

    const QString title = g_sAppName + QLatin1Char(' ') + g_sAppVersion;
    platform::setAppTitle(title);
    if (QCoreApplication::instance())
        QCoreApplication::setApplicationName(g_sAppName);
}

QString SettingsKeyRoot()
{
    return QStringLiteral("SOFTWARE\\") + g_sAppCompany + QLatin1Char('\\') + g_sAppName;
}
