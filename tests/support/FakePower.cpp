// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/support/FakePower.h"

#include <QCoreApplication>
#include <QTimer>

namespace {

void answerLater(const platform::PowerService::Answered& answered, const platform::PowerAnswer& answer)
{
    QTimer::singleShot(0, QCoreApplication::instance(), [answered, answer] { answered(answer); });
}

}  // namespace

FakePower::FakePower() { platform::setPowerService(this); }

FakePower::~FakePower()
{
    if (&platform::power() == this)
        platform::setPowerService(nullptr);
}

void FakePower::canPowerOff(Answered answered)
{
    ++canCalls;
    answerLater(answered, canAnswer);
}

void FakePower::powerOff(Answered answered)
{
    ++powerOffCalls;
    act(std::move(answered));
}

void FakePower::reboot(Answered answered)
{
    ++rebootCalls;
    act(std::move(answered));
}

void FakePower::act(Answered answered)
{
    if (holdAct)
        m_held.push_back(std::move(answered));
    else
        answerLater(answered, actAnswer);
}

void FakePower::releaseAct()
{
    for (const Answered& answered : m_held)
        answerLater(answered, actAnswer);
    m_held.clear();
}
