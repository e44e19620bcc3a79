// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/engine/AudioEngine.h"
#include "components/engine/DiscTrackHook.h"

#include "components/engine/FfmpegReader.h"
#include "components/engine/WavFile.h"

#include <QFile>
#include <QFileInfo>

namespace engine {

std::unique_ptr<AudioReader> AudioReader::open(const QString& path, QString* error)
{
    auto failWith = [&](const QString& text) -> std::unique_ptr<AudioReader> {
        if (error)
            *error = text.arg(fileText(path));
        return nullptr;
    };
    if (IsDiscTrackPath(path)) {
        if (const DiscTrackOpener opener = CurrentDiscTrackOpener())
            return opener(path, error);
        return failWith(QStringLiteral("'%1' is a CD track, and no CD reader is available."));
    }
    // Opened first and looked at only when that fails: a join of many short files pays for
    // every system call made per file.
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        const QFileInfo fi(path);
        if (path.isEmpty() || !fi.exists())
            return failWith(QStringLiteral("The file '%1' does not exist."));
        if (fi.isDir())
            return failWith(QStringLiteral("'%1' is a folder, not an audio file."));
        return failWith(QStringLiteral("Cannot open the file '%1': ") + file.errorString());
    }

    // WAV files are probed from their chunk list alone; integer PCM is then read directly.
    WavLayout layout;
    switch (parseWav(file, &layout)) {
    case WavParse::Ok:
        file.close();
        if (layout.integerPcm)
            return openPcmWavReader(path, layout, error);
        break;
    case WavParse::Truncated:
        return failWith(QStringLiteral("The file '%1' is truncated: it ends before its audio data does."));
    case WavParse::Damaged:
        return failWith(QStringLiteral("The file '%1' is a damaged WAV file."));
    case WavParse::NotWav:
        // An empty file is no WAV either; asked only here, so that WAV files skip the question.
        if (file.size() == 0)
            return failWith(QStringLiteral("The file '%1' is empty."));
        break;
    }
    file.close();
    return openFfmpegReader(path, error);
}

}  // namespace engine
