// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/support/FakePower.h"

FakePower::FakePower() { platform::setPowerService(this); }

FakePower::~FakePower()
{
    if (&platform::power() == this)
        platform::setPowerService(nullptr);
}

platform::PowerAnswer FakePower::canPowerOff()
{
    ++canCalls;
    return canAnswer;
}

platform::PowerAnswer FakePower::powerOff()
{
    ++powerOffCalls;
    return actAnswer;
}

platform::PowerAnswer FakePower::reboot()
{
    ++rebootCalls;
    return actAnswer;
}
