// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/FrmTurnOff.h"
#include "foundation/WindowLinks.h"
#include "foundation/mdlModes.h"
#include "foundation/mdlShutDown.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/FakePower.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <optional>

#include <gtest/gtest.h>

namespace {

class TurnOffTest : public testing::Test {
protected:
    void SetUp() override
    {
        InitProductConfig();
        ClearShutDownError();
        g_unloadMainLink = [this] { ++mainUnloads; };
    }
    void TearDown() override { g_unloadMainLink = nullptr; }

    FakePower power;
    FakeMessageBox boxes;
    int mainUnloads = 0;
};

TEST_F(TurnOffTest, CountsThirtyOneLabelsAndPowersOffOnceAtZero)
{
    FrmTurnOff* form = g_frmTurnOff.get();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Turn Off Computer"));
    EXPECT_EQ(form->lblApplInfo->text(), QStringLiteral("Quillmere 1.2"));
    form->StartShutDown(30);
    QStringList labels{form->lblSecToShutDown->text()};
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(form->Timer1->interval(), 1000);
    while (g_frmTurnOff.loaded() == form && labels.size() < 40) {
        EXPECT_EQ(power.powerOffCalls, 0);
        form->Timer1_Timer();
        labels << form->lblSecToShutDown->text();
    }
    QStringList expected;
    for (int s = 30; s >= 0; --s)
        expected << QString::number(s);
    EXPECT_EQ(labels, expected);
    EXPECT_TRUE(QTest::qWaitFor([&] { return mainUnloads > 0; }, 3000));
    EXPECT_EQ(power.canCalls, 1);
    EXPECT_EQ(power.powerOffCalls, 1);
    EXPECT_EQ(mainUnloads, 1);
    EXPECT_FALSE(g_frmTurnOff.isLoaded());
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(TurnOffTest, TheTimerDrivesTheCountDown)
{
    FrmTurnOff* form = g_frmTurnOff.get();
    form->StartShutDown(1);
    EXPECT_EQ(form->lblSecToShutDown->text(), QStringLiteral("1"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return mainUnloads > 0; }, 3000));
    QTest::qWait(50);
    EXPECT_EQ(power.powerOffCalls, 1);
    EXPECT_FALSE(g_frmTurnOff.isLoaded());
}

TEST_F(TurnOffTest, ZeroShutsDownAtOnceAndShowTurnOffDialogDoesNotBlock)
{
    ShowTurnOffDialog(0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return mainUnloads > 0; }, 3000));
    EXPECT_EQ(power.powerOffCalls, 1);
    EXPECT_EQ(mainUnloads, 1);
    EXPECT_FALSE(g_frmTurnOff.isLoaded());
}

TEST_F(TurnOffTest, CancelStopsEverything)
{
    QTimer::singleShot(0, [] {
        FrmTurnOff* form = g_frmTurnOff.loaded();
        ASSERT_NE(form, nullptr);
        EXPECT_TRUE(form->isVisible());
        form->Timer1_Timer();
        form->cmdCancel->click();
    });
    ShowTurnOffDialog(30);
    QTest::qWait(20);
    EXPECT_FALSE(g_frmTurnOff.isLoaded());
    EXPECT_EQ(power.canCalls, 0);
    EXPECT_EQ(power.powerOffCalls, 0);
    EXPECT_EQ(mainUnloads, 0);
}

TEST_F(TurnOffTest, ClosingTheWindowCancels)
{
    FrmTurnOff* form = g_frmTurnOff.get();
    form->StartShutDown(30);
    form->show();
    form->close();
    QTest::qWait(20);
    EXPECT_FALSE(g_frmTurnOff.isLoaded());
    EXPECT_EQ(power.powerOffCalls, 0);
}

TEST_F(TurnOffTest, ShutdownNowSkipsTheRest)
{
    FrmTurnOff* form = g_frmTurnOff.get();
    form->StartShutDown(30);
    form->cmdTurnOffNow->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return mainUnloads > 0; }, 3000));
    EXPECT_EQ(power.powerOffCalls, 1);
    EXPECT_EQ(mainUnloads, 1);
}

TEST_F(TurnOffTest, TheAnswerIsAwaitedWithoutBlockingAndActedOnWhenItComes)
{
    // The session manager holds the request while the user types a password: the count-down
    // window goes at once, the program keeps handling events, and nothing is decided yet.
    power.holdAct = true;
    FrmTurnOff* form = g_frmTurnOff.get();
    form->StartShutDown(30);
    form->cmdTurnOffNow->click();
    EXPECT_FALSE(g_frmTurnOff.isLoaded());
    bool ticked = false;
    QTimer::singleShot(10, [&] { ticked = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticked && power.powerOffCalls == 1; }, 3000));
    QTest::qWait(50);
    EXPECT_EQ(mainUnloads, 0);
    EXPECT_TRUE(boxes.shown.isEmpty());

    power.releaseAct();
    EXPECT_TRUE(QTest::qWaitFor([&] { return mainUnloads == 1; }, 3000));
    EXPECT_TRUE(boxes.shown.isEmpty());

    // A refusal that comes late is reported when it comes.
    power.actAnswer = {platform::PowerAnswer::Denied, QStringLiteral("Interactive authentication required.")};
    g_frmTurnOff->StartShutDown(0);
    QTest::qWait(50);
    EXPECT_TRUE(boxes.shown.isEmpty());
    power.releaseAct();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !boxes.shown.isEmpty(); }, 3000));
    EXPECT_EQ(mainUnloads, 1);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].prompt, QStringLiteral("ShutdownSystem failed: Interactive authentication required. (-2147219925)"));
}

TEST_F(TurnOffTest, ARefusalIsReportedAndTheProgramKeepsRunning)
{
    power.canAnswer = {platform::PowerAnswer::Denied, QStringLiteral("no")};
    FrmTurnOff* form = g_frmTurnOff.get();
    form->StartShutDown(0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !boxes.shown.isEmpty(); }, 3000));
    EXPECT_EQ(power.powerOffCalls, 0);  // no attempt without the privilege
    EXPECT_EQ(mainUnloads, 0);
    EXPECT_FALSE(g_frmTurnOff.isLoaded());
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].prompt,
              QStringLiteral("Can't enable shutdown: You do not have the privileges to shutdown this system. [no] (-2147219922)"));

    power.canAnswer = {platform::PowerAnswer::Ok, QStringLiteral("yes")};
    power.actAnswer = {platform::PowerAnswer::Denied, QStringLiteral("Interactive authentication required.")};
    g_frmTurnOff->cmdTurnOffNow->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return boxes.shown.size() == 2; }, 3000));
    EXPECT_EQ(power.powerOffCalls, 1);
    EXPECT_EQ(mainUnloads, 0);
    ASSERT_EQ(boxes.shown.size(), 2);
    EXPECT_EQ(boxes.shown[1].prompt,
              QStringLiteral("ShutdownSystem failed: Interactive authentication required. (-2147219925)"));
}

// Runs ShutdownSystem and waits for its answer, which never comes inside the call.
bool shutdownAnswer(long flags)
{
    std::optional<bool> answer;
    ShutdownSystem(flags, [&](bool accepted) { answer = accepted; });
    EXPECT_FALSE(answer.has_value());
    EXPECT_TRUE(QTest::qWaitFor([&] { return answer.has_value(); }, 3000));
    return answer.value_or(false);
}

TEST_F(TurnOffTest, ShutdownSystemRecordsNumberedErrors)
{
    for (long flags : {32L, -1L}) {
        ClearShutDownError();
        EXPECT_FALSE(shutdownAnswer(flags));
        ASSERT_TRUE(ShutDownError().has_value());
        EXPECT_EQ(ShutDownError()->number(), -2147219921);
        EXPECT_EQ(ShutDownError()->description(), QStringLiteral("Invalid parameter to ShutdownSystem: ") + QString::number(flags));
        EXPECT_TRUE(ShutDownError()->source().endsWith(QStringLiteral(".mShutDown")));
    }
    EXPECT_EQ(power.canCalls, 0);

    ClearShutDownError();
    power.canAnswer = {platform::PowerAnswer::Unavailable, QStringLiteral("no bus")};
    EXPECT_FALSE(shutdownAnswer(EWX_SHUTDOWN));
    EXPECT_EQ(ShutDownError()->number(), -2147219924);
    EXPECT_EQ(power.powerOffCalls, 0);

    ClearShutDownError();
    power.canAnswer = {platform::PowerAnswer::Ok, QStringLiteral("challenge")};
    EXPECT_TRUE(shutdownAnswer(EWX_SHUTDOWN));
    EXPECT_FALSE(ShutDownError().has_value());
    EXPECT_TRUE(shutdownAnswer(EWX_REBOOT));
    EXPECT_EQ(power.powerOffCalls, 1);
    EXPECT_EQ(power.rebootCalls, 1);
}

TEST(ShutDownGuard, TheRealBackendRefusesUnderTheTestGuard)
{
    ASSERT_TRUE(qEnvironmentVariableIsSet("QUILLMERE_FORBID_POWEROFF"));
    ClearShutDownError();
    EXPECT_FALSE(shutdownAnswer(EWX_SHUTDOWN));
    ASSERT_TRUE(ShutDownError().has_value());
    EXPECT_EQ(ShutDownError()->number(), -2147219922);
}

}  // namespace
