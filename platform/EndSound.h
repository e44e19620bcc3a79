// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>

namespace platform {

// Plays the end-of-task sound (a WAV or MP3 file). play() returns at once and the sound runs on
// while the program goes on; a file that cannot be played gives the desktop's beep instead.
// stop() ends a sound this service started; a new play() replaces a running one. GUI thread.
class EndSoundService {
public:
    virtual ~EndSoundService() = default;
    virtual void play(const QString& path) = 0;
    virtual void stop() = 0;
};

// The service in use: a test double when one is set, else the registered player, else a
// stand-in that can only beep (the platform layer cannot decode audio by itself).
EndSoundService& endSound();
// The program registers its decoding player at start. The caller keeps ownership.
void registerEndSoundPlayer(EndSoundService* player);
// A test double; nullptr puts the real service back. The caller keeps ownership.
void setEndSoundService(EndSoundService* service);

}  // namespace platform
