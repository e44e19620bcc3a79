// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/engine/AudioEngine.h"
#include "components/engine/DiscTrackHook.h"

#include "components/engine/FfmpegReader.h"
#include "components/engine/Mp3Info.h"
#include "components/engine/PositionedFile.h"
#include "components/engine/SourceFile.h"
#include "components/engine/WavFile.h"

#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace engine {

namespace {

// What the file turned out to be once opened.
enum class Opened { Failed, PcmWav, Other };

// Opens the file once and reads a WAV's chunk list from it; a file that is not integer-PCM WAV
// is left for the codec module (Other). Every system call here is paid once per file when
// thousands are added or joined.
Opened openAndParse(const QString& path, PositionedFile& file, WavLayout& layout, QString* error)
{
    auto failWith = [&](const QString& text) {
        if (error)
            *error = text.arg(fileText(path));
        return Opened::Failed;
    };
    if (!file.open(path)) {
        SourceOpen failed;
        failed.error = file.error();
        failed.kind = file.kind();
        if (error)
            *error = sourceOpenErrorText(path, failed);
        return Opened::Failed;
    }
    if (file.isFolder()) {
        if (error)
            *error = notRegularFileText(path, FileKind::Folder);
        return Opened::Failed;
    }

    // WAV files are probed from their chunk list alone; integer PCM is then read directly.
    switch (parseWav(file, &layout)) {
    case WavParse::Ok:
        return layout.integerPcm ? Opened::PcmWav : Opened::Other;
    case WavParse::Truncated:
        return failWith(QStringLiteral("The file '%1' is truncated: it ends before its audio data does."));
    case WavParse::Damaged:
        return failWith(QStringLiteral("The file '%1' is a damaged WAV file."));
    case WavParse::UnsupportedRate:
        if (error)
            *error = unsupportedRateText(path, layout.fmtRate);
        return Opened::Failed;
    case WavParse::UnsupportedChannels:
        if (error)
            *error = unsupportedChannelsText(path, layout.fmtChannels);
        return Opened::Failed;
    case WavParse::MissingPad:
        if (error)
            *error = QStringLiteral("The file '%1' is a damaged WAV file: its \"%2\" chunk has an odd size and lacks "
                                    "the pad byte that must follow it.")
                         .arg(fileText(path), QString::fromLatin1(layout.unpaddedChunk));
        return Opened::Failed;
    case WavParse::NotWav:
        if (file.size() == 0) {
            // The kernel's status files read as text although their size is 0.
            if (file.readAt(0, 1).isEmpty())
                return failWith(QStringLiteral("The file '%1' is empty."));
            if (error)
                *error = sizeZeroWithBytesText(path);
            return Opened::Failed;
        }
        break;
    }
    return Opened::Other;
}

std::unique_ptr<AudioReader> discTrack(const QString& path, QString* error)
{
    if (const DiscTrackOpener opener = CurrentDiscTrackOpener())
        return opener(path, error);
    if (error)
        *error = QStringLiteral("'%1' is a CD track, and no CD reader is available.").arg(fileText(path));
    return nullptr;
}

}  // namespace

std::unique_ptr<AudioReader> AudioReader::open(const QString& path, QString* error)
{
    if (IsDiscTrackPath(path))
        return discTrack(path, error);
    PositionedFile file;
    WavLayout layout;
    switch (openAndParse(path, file, layout, error)) {
    case Opened::Failed:
        return nullptr;
    case Opened::PcmWav:
        // The reader goes on with the descriptor the chunk list came from.
        return openPcmWavReader(path, layout, file.release(), error);
    case Opened::Other:
        break;
    }
    file.close();
    return openFfmpegReader(path, error);
}

bool probeAudioSource(const QString& path, SourceInfo* info, QString* error)
{
    if (IsDiscTrackPath(path)) {
        const std::unique_ptr<AudioReader> reader = discTrack(path, error);
        if (reader)
            *info = reader->info();
        return bool(reader);
    }
    PositionedFile file;
    WavLayout layout;
    switch (openAndParse(path, file, layout, error)) {
    case Opened::Failed:
        return false;
    case Opened::PcmWav:
        *info = pcmWavInfo(layout);
        return true;
    case Opened::Other:
        break;
    }
    // An untagged MP3 whose info frame gives its length needs nothing of the codec module:
    // loading it costs about 100 ms and slows every other thread of the program meanwhile.
    // Tags, and lengths that take a walk over the frames, are left to the module's probe.
    Mp3Stream mp3;
    if (readMp3Stream(file, &mp3) && !mp3.hasTags && !mp3.framesWalked && mp3SourceInfo(file, mp3, info))
        return true;
    file.close();
    return probeFfmpegSource(path, info, error);
}

namespace {

// How far short of its stated length a decoded source may end, in its own frames: what a decoder
// may drop at the ends (two MP3 frames hold an encoder's delay and padding and the decoder's own
// delay). Anything more is audio the file claims and does not hold.
constexpr int64_t kDecodePaddingFrames = 2 * 1152;

}  // namespace

QString shortDecodeError(const QString& path, const SourceInfo& info, int rate, int64_t first, int64_t wanted,
                         int64_t decoded)
{
    const int sourceRate = info.format.sampleRate;
    if (info.totalFrames <= 0 || sourceRate <= 0 || rate <= 0 || !info.vouchesForLength())
        return {};
    auto atRate = [&](int64_t frames) { return int64_t((__int128)frames * rate / sourceRate); };
    int64_t slack = kDecodePaddingFrames;
    if (!info.lengthExact)
        slack += int64_t((__int128)info.totalFrames * info.estimateSlackPercent / 100) + info.estimateSlackFrames;
    const int64_t total = atRate(info.totalFrames);
    // How far the decode had to get: the end of the range asked for, or else the stated end less
    // what that figure may be off by. Ends, not counts: a short range well inside the stated
    // length that yields nothing is as wrong as a whole file that does.
    int64_t required = std::max<int64_t>(0, total - atRate(slack) - 1);
    if (wanted >= 0 && first < required && wanted < required - first)
        required = first + wanted;
    if (first >= required || first + decoded >= required)
        return {};
    return QStringLiteral("The file '%1' holds less audio than it claims: %2 ms of its %3 ms could be decoded.")
        .arg(fileText(path))
        .arg(int64_t((__int128)(first + decoded) * 1000 / rate))
        .arg(int64_t((__int128)total * 1000 / rate));
}

}  // namespace engine
