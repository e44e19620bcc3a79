// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "platform/EndSound.h"

#include <QObject>

#include <memory>

class QIODevice;
namespace sound {
class PcmSource;
class SoundOutput;
}  // namespace sound

// The end-of-task sound player: decodes the file with the audio engine while the sound output
// pulls it (a few milliseconds of decoding per pull, on the GUI thread) and plays it on the
// default output, so play() returns at once. Falls back to the desktop's beep when the file
// cannot be read or no output device takes it. Registered as the platform's player at start.
class EndSoundPlayer final : public QObject, public platform::EndSoundService {
    Q_OBJECT
public:
    EndSoundPlayer();
    ~EndSoundPlayer() override;
    void play(const QString& path) override;
    void stop() override;
    bool isPlaying() const;

    // Makes the one player of the program the platform's player (idempotent).
    static void Register();

    // Opens the file for playing: the PCM stream the sink would pull, or nullptr with a reason.
    // `channels`/`sampleRate` receive the format of the stream (16-bit signed).
    static std::unique_ptr<QIODevice> OpenStream(const QString& path, int sampleRate, int channels, QString* error);

private:
    std::unique_ptr<sound::SoundOutput> m_output;
    std::unique_ptr<QIODevice> m_stream;
};
