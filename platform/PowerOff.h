// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>

#include <functional>

namespace platform {

// What the session manager answered, with its own words when it refused or could not be asked.
struct PowerAnswer {
    enum Status {
        Ok,           // allowed / accepted
        Denied,       // the user may not do it
        Unavailable,  // nobody to ask (no system bus, no session manager)
        Forbidden,    // refused by this process's own guard (QUILLMERE_FORBID_POWEROFF)
    };
    Status status = Unavailable;
    QString text;
    bool ok() const { return status == Ok; }
};

// Turning the computer off. The real one asks logind over the system D-Bus
// (org.freedesktop.login1.Manager CanPowerOff / PowerOff, Reboot for a restart); it refuses
// while the environment variable QUILLMERE_FORBID_POWEROFF is set, as every test run sets it.
// Every request is asynchronous: the session manager may first ask the user to authenticate,
// which takes as long as the user takes. The answer comes later on the GUI thread, exactly
// once, and never from inside the call that asked.
class PowerService {
public:
    using Answered = std::function<void(const PowerAnswer&)>;
    virtual ~PowerService() = default;
    // Whether this user may turn the computer off (a password prompt counts as allowed).
    virtual void canPowerOff(Answered answered) = 0;
    virtual void powerOff(Answered answered) = 0;
    virtual void reboot(Answered answered) = 0;
};

PowerService& power();
// nullptr puts the real service back. The caller keeps ownership.
void setPowerService(PowerService* service);

// True while QUILLMERE_FORBID_POWEROFF is set, whatever its value.
bool powerOffForbidden();

}  // namespace platform
