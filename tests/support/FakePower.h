// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "platform/PowerOff.h"

// A session manager that answers as told and counts what it was asked. Installs itself on
// construction and puts the real service back when destroyed.
class FakePower : public platform::PowerService {
public:
    FakePower();
    ~FakePower() override;

    platform::PowerAnswer canPowerOff() override;
    platform::PowerAnswer powerOff() override;
    platform::PowerAnswer reboot() override;

    platform::PowerAnswer canAnswer{platform::PowerAnswer::Ok, QStringLiteral("yes")};
    platform::PowerAnswer actAnswer{platform::PowerAnswer::Ok, {}};
    int canCalls = 0;
    int powerOffCalls = 0;
    int rebootCalls = 0;
};
