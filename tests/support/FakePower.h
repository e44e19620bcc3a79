// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "platform/PowerOff.h"

#include <vector>

// A session manager that answers as told and counts what it was asked. Answers come as the real
// ones do: later, on the GUI thread. With holdAct set, the answer to powerOff/reboot waits until
// releaseAct() (a user still at the password prompt). Installs itself on construction and puts
// the real service back when destroyed.
class FakePower : public platform::PowerService {
public:
    FakePower();
    ~FakePower() override;

    void canPowerOff(Answered answered) override;
    void powerOff(Answered answered) override;
    void reboot(Answered answered) override;

    // Sends the held answers of powerOff/reboot (actAnswer as it is now).
    void releaseAct();

    platform::PowerAnswer canAnswer{platform::PowerAnswer::Ok, QStringLiteral("yes")};
    platform::PowerAnswer actAnswer{platform::PowerAnswer::Ok, {}};
    bool holdAct = false;
    int canCalls = 0;
    int powerOffCalls = 0;
    int rebootCalls = 0;

private:
    void act(Answered answered);
    std::vector<Answered> m_held;
};
