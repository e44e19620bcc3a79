// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/mdlSupportedDestination.h"

#include <QComboBox>

QStringList DestinationFormatTexts()
{
    return {QStringLiteral("WAV - Waveform Audio Format (*.wav)"), QStringLiteral("ACM - Waveform ACM Codecs (*.wav)"),
            QStringLiteral("MP3 - MPEG-1 Audio Layer 3 (*.mp3)"), QStringLiteral("WMA - Windows Media Audio files (*.wma)"),
            QStringLiteral("OGG - Ogg Media Format (*.ogg)"), QStringLiteral("APE - Monkey 's Audio (*.ape)")};
}

void InitDestinationFormats()
{
    g_lDestWAV = 1;
    g_lDestACM = 1;
    g_lDestMP3 = 1;
    g_lDestWMA = 1;
    g_lDestOGG = 0;
    g_lDestAPE = 0;
}

void FillDestinationFormats(QComboBox* cbo)
{
    InitDestinationFormats();
    if (!cbo)
        return;
    cbo->clear();
    const long flags[] = {g_lDestWAV, g_lDestACM, g_lDestMP3, g_lDestWMA, g_lDestOGG, g_lDestAPE};
    const QStringList texts = DestinationFormatTexts();
    for (int i = 0; i < 6; ++i)
        if (flags[i] == 1)
            cbo->addItem(texts.at(i));
}

uint8_t GetDestinationFormatIndex(const QString& sText)
{
    static const char* const keys[] = {"WAV", "ACM", "MP3", "WMA", "OGG", "APE"};
    const QString head = sText.left(3);
    for (uint8_t i = 0; i < 6; ++i)
        if (head.compare(QLatin1String(keys[i]), Qt::CaseInsensitive) == 0)
            return i;
    return 0;
}
