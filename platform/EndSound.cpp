// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "platform/EndSound.h"

#include <QApplication>

namespace platform {

namespace {

class BeepOnly final : public EndSoundService {
public:
    void play(const QString&) override { QApplication::beep(); }
    void stop() override {}
};

BeepOnly g_beep;
EndSoundService* g_player = nullptr;
EndSoundService* g_double = nullptr;

}  // namespace

EndSoundService& endSound()
{
    if (g_double)
        return *g_double;
    return g_player ? *g_player : g_beep;
}

void registerEndSoundPlayer(EndSoundService* player) { g_player = player; }
void setEndSoundService(EndSoundService* service) { g_double = service; }

}  // namespace platform
