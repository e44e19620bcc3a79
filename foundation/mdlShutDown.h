// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "foundation/NumberedError.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

// Turning the computer off at the end of a task. The session manager decides (platform::power());
// every failure is recorded as a numbered error for the caller to read, nothing is thrown.

// Flags in the numbering the callers pass.
inline constexpr long EWX_LOGOFF = 0;
inline constexpr long EWX_SHUTDOWN = 1;
inline constexpr long EWX_REBOOT = 2;
inline constexpr long EWX_FORCE = 4;
inline constexpr long EWX_POWEROFF = 8;

inline constexpr long ERR_SHUTDOWN_FAILED = static_cast<int32_t>(0x8004062Bu);
inline constexpr long ERR_NO_PRIVILEGE_VALUE = static_cast<int32_t>(0x8004062Cu);
inline constexpr long ERR_NO_CURRENT_PROCESS = static_cast<int32_t>(0x8004062Du);
inline constexpr long ERR_NO_PRIVILEGE = static_cast<int32_t>(0x8004062Eu);
inline constexpr long ERR_INVALID_SHUTDOWN_FLAGS = static_cast<int32_t>(0x8004062Fu);

// Loads g_frmTurnOff, starts its count-down and shows it modal; returns when it has closed.
void ShowTurnOffDialog(long lSeconds);
// Asks for the shut-down the flags name (EWX_REBOOT restarts, anything else with EWX_SHUTDOWN or
// EWX_POWEROFF turns off). The session manager may first ask the user to authenticate, so the
// answer comes later: `answered` runs once on the GUI thread, never inside this call, with true
// when the request was accepted. Flags outside 0..31, a missing privilege and a refusal are
// recorded (ShutDownError) before `answered` runs with false.
void ShutdownSystem(long lFlags, std::function<void(bool accepted)> answered);
// Whether this user may turn the computer off; records the reason when not. Answers as above.
void EnableShutdownPrivilege(std::function<void(bool enabled)> answered);
// Whether a shut-down needs the privilege check first: on this platform it always does.
bool IsWindowsNT();
// The system's text for an errno value; empty for 0.
QString GetApiErrorText(long lCode);

// The error the last failing call recorded, until cleared.
std::optional<NumberedError> ShutDownError();
void ClearShutDownError();
// "<program file name>.mShutDown"
QString ShutDownErrorSource();
