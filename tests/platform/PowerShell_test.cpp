// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "platform/PowerOff.h"
#include "platform/Shell.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(PowerOff, TheRealBackendRefusesWhileTheGuardIsSetAndAnswersOutsideTheCall)
{
    ASSERT_TRUE(platform::powerOffForbidden());
    platform::setPowerService(nullptr);
    QList<platform::PowerAnswer::Status> answers;
    const auto record = [&](const platform::PowerAnswer& a) { answers << a.status; };
    platform::power().canPowerOff(record);
    platform::power().powerOff(record);
    platform::power().reboot(record);
    EXPECT_TRUE(answers.isEmpty());  // never inside the call
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.size() == 3; }, 3000));
    for (platform::PowerAnswer::Status s : answers)
        EXPECT_EQ(s, platform::PowerAnswer::Forbidden);
    // Any value counts, "0" included: nothing but removing the variable lifts the guard.
    qputenv("QUILLMERE_FORBID_POWEROFF", "0");
    platform::power().powerOff(record);
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.size() == 4; }, 3000));
    EXPECT_EQ(answers.last(), platform::PowerAnswer::Forbidden);
    qputenv("QUILLMERE_FORBID_POWEROFF", "1");
}

TEST(Shell, SplitCommandLineNeverExpandsAnything)
{
    const struct {
        const char* line;
        QStringList parts;
    } cases[] = {
        {"", {}},
        {"   ", {}},
        {"prog", {"prog"}},
        {"  prog  a   b ", {"prog", "a", "b"}},
        {"\"/my apps/prog\" \"x y\"", {"/my apps/prog", "x y"}},
        {"prog 'a \"b\"' c", {"prog", "a \"b\"", "c"}},
        {"prog a\\ b", {"prog", "a b"}},
        {"prog \"say \\\"hi\\\"\"", {"prog", "say \"hi\""}},
        {"prog $(rm -rf ~) ; `x` | y > z", {"prog", "$(rm", "-rf", "~)", ";", "`x`", "|", "y", ">", "z"}},
        {"prog \"\"", {"prog", ""}},
        {"prog \"unterminated arg", {"prog", "unterminated arg"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::splitCommandLine(QString::fromUtf8(c.line)), c.parts) << c.line;
}

TEST(Shell, EmptyTargetsAreRefused)
{
    platform::setShellService(nullptr);
    EXPECT_FALSE(platform::shell().open(QString()));
    EXPECT_FALSE(platform::shell().startProgram(QString(), {}));
}

}  // namespace
