// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "platform/PowerOff.h"
#include "platform/Shell.h"

#include <gtest/gtest.h>

namespace {

TEST(PowerOff, TheRealBackendRefusesWhileTheGuardIsSet)
{
    ASSERT_TRUE(platform::powerOffForbidden());
    platform::setPowerService(nullptr);
    EXPECT_EQ(platform::power().canPowerOff().status, platform::PowerAnswer::Forbidden);
    EXPECT_EQ(platform::power().powerOff().status, platform::PowerAnswer::Forbidden);
    EXPECT_EQ(platform::power().reboot().status, platform::PowerAnswer::Forbidden);
    // Any value counts, "0" included: nothing but removing the variable lifts the guard.
    qputenv("QUILLMERE_FORBID_POWEROFF", "0");
    EXPECT_EQ(platform::power().powerOff().status, platform::PowerAnswer::Forbidden);
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
