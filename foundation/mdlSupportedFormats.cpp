// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/mdlSupportedFormats.h"

QString GetSupportedFilesFilter()
{
    static const char* const parts[] = {
        "All supported audio files (*.acm;*.wav;*.mp3;*.wav;*.wma;)", "*.acm;*.wav;*.mp3;*.wav;*.wma;",
        "Windows legacy audio components (*.acm;*.wav)", "*.acm;*.wav",
        "MPEG-1 Audio Layer 3 (MP3) (*.mp3)", "*.mp3",
        "Waveform audio format (*.wav)", "*.wav",
        "Windows Media Audio files (*.wma)", "*.wma",
    };
    QString filter;
    for (const char* part : parts)
        filter += QLatin1String(part) + QChar(0);
    return filter;
}
