// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tools/InstallerDefaults.h"

#include "platform/Paths.h"

QStringList InstallerSections()
{
    return {QStringLiteral("General"),     QStringLiteral("Events"),      QStringLiteral("ID3 Tags"),
            QStringLiteral("Display"),     QStringLiteral("Formats\\WAV"), QStringLiteral("Formats\\ACM"),
            QStringLiteral("Formats\\MP3"), QStringLiteral("Formats\\WMA"), QStringLiteral("Formats\\OGG"),
            QStringLiteral("Formats\\APE")};
}

QList<InstallerValue> InstallerDefaultValues()
{
    QList<InstallerValue> v;
    // Each settings window adds its own first values below, in its own block, from the
    // built-in defaults it would use for a missing value. A value left out here simply reads
    // as that window's default.

    // --- Main window
    // (the saved window size is written by the program itself when it ends)

    // --- Options window: General, Events, ID3 Tags, Display
    {
        const auto add = [&v](const char* section, const char* name, const QString& value) {
            v.append({QString::fromLatin1(section), QString::fromLatin1(name), value});
        };
        const auto s = [](const char* text) { return QString::fromLatin1(text); };
        // A dark title strip with white text: with both colours absent the titles would be
        // black on black.
        const QString titleColor = s("8404992");  // 0x804000: dark blue, red in the lowest byte
        const QString textColor = s("16777215");  // white
        add("General", "cboDevices", s("-1"));
        add("General", "cboTargetFormat", s("WAV - Waveform Audio Format (*.wav)"));
        add("General", "txtToPath", platform::programFolder() + s("/Main/"));
        add("General", "chkSelectTheLastItem", s("0"));
        add("General", "chkAutoFreeDB", s("0"));
        add("General", "cboFileName", s("[file_name].[dest_extension]"));
        add("General", "chkSaveLogWhenExit", s("0"));
        add("General", "chkDisplayMSGWhenExit", s("1"));
        add("General", "chkDisplayMSGWhenErase", s("1"));
        add("General", "chkGoToNextItem", s("0"));
        add("General", "chkDisplayPlayer", s("1"));
        add("General", "chkClearOnExit", s("0"));
        add("General", "chkDisplayAudioGraph", s("1"));
        add("General", "chkMenuXPStyle", s("1"));
        add("General", "chkDisplayGridHotTrack", s("1"));
        add("General", "chkDisplayTitle", s("1"));
        add("General", "chkDisplayGridLine", s("1"));
        add("General", "picColor", titleColor);
        add("General", "picTextColor", textColor);
        add("General", "chkDisplayLiveUpdateWindow", s("0"));
        add("General", "chkAutoUpdate", s("0"));
        add("Events", "chkOpenDestFolder", s("0"));
        add("Events", "chkTurnOffComputer", s("0"));
        add("Events", "chkPlaySound", s("0"));
        add("Events", "txtPlayAtEnd", platform::programFolder() + s("/sound/notify.wav"));
        add("Events", "chkNoticeApp", s("0"));
        add("Events", "txtAppNotice", QString());
        add("ID3 Tags", "chkCopyID3FromSource", s("1"));
        for (const char* tag : {"txtTagArtist", "txtTagSong", "txtTagAlbum", "txtTagTrack", "txtTagGenre",
                                "txtTagYear", "txtTagComment"})
            add("ID3 Tags", tag, QString());
        add("Display", "picColor", titleColor);
        add("Display", "picTextColor", textColor);

        // --- Output formats: Formats\WAV ... Formats\APE, the audio-format window's defaults
        add("Formats\\WAV", "cboSamplesWAV", s("44100"));
        add("Formats\\WAV", "cboBitrateWAV", s("16"));
        add("Formats\\WAV", "cboChannelsWAV", s("1"));  // stereo
        // The format of the tag is left to the program: its first format is the default.
        add("Formats\\ACM", "cboTags", s("PCM"));
        add("Formats\\MP3", "cboMP3Bitrate", s("128"));
        add("Formats\\MP3", "cboMP3Quality", s("5 "));  // the list entries carry a blank
        add("Formats\\MP3", "cboMP3Samplerate", s("44100"));
        add("Formats\\MP3", "cboMP3Mode", s("0"));
        add("Formats\\MP3", "chkMP3ErrorProtect", s("0"));
        add("Formats\\MP3", "chkMP3Original", s("1"));
        add("Formats\\MP3", "chkMP3Copyright", s("1"));
        add("Formats\\MP3", "chkMP3StrictISO", s("0"));
        add("Formats\\MP3", "cboMP3VBRQuality", s("5 "));
        add("Formats\\MP3", "cboMP3MinBitrate", s("96"));
        add("Formats\\MP3", "cboMP3MaxBitrate", s("128"));
        add("Formats\\MP3", "chkMP3VBRTag", s("1"));
        add("Formats\\MP3", "chkMP3VBRForceMinBitrate", s("0"));
        add("Formats\\MP3", "chkMP3ABR", s("0"));
        add("Formats\\MP3", "cboMP3ABRBitrate", s("96"));
        add("Formats\\MP3", "lblMP3Advanced", s("Advanced..."));
        add("Formats\\WMA", "cboWMACodecs", s("0"));
        add("Formats\\WMA", "cboWMAFormat", s("0"));
        add("Formats\\OGG", "ptnQualityOGG", s("True"));
        add("Formats\\OGG", "sldOGG", s("50"));
        add("Formats\\OGG", "optOggBit", s("False"));
        add("Formats\\OGG", "cboOggBitNom", s("32"));
        add("Formats\\APE", "cboAPELevel", s("0"));
    }

    return v;
}
