// What the tests of the emulated device share: a profile of their own in the
// registry (removed afterwards), the current folder on the device's drive so
// that drive-less device paths land in the Wine prefix, windows that need a
// display, and a message pump.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/temp_folder.h"

namespace zk::test {

class EmulatedDeviceTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the screen part of the profile.
    void SetScreen(DWORD width, DWORD height, DWORD taskBarHeight);
    // A top-level window to own bars and views; skips the test when there is
    // no display to create it on.
    HWND MakeOwner();
    // Tells every top-level window that the settings changed, as a driver
    // turning the device does.
    void BroadcastSettingChange();
};

// Handles what is queued for this thread.
void PumpMessages();

// The owner windows' WM_COMMAND ids, in order, since the last ClearCommands.
const std::wstring& CommandsSeen();
void ClearCommands();
// Called with the command id before it is recorded (null: nothing).
void OnCommand(void (*action)(WORD command));

std::wstring WindowText(HWND window);
std::wstring ClassOf(HWND window);
RECT WindowRect(HWND window);
std::string Describe(const RECT& r);

}  // namespace zk::test

// First statement of a test that needs windows: declares `name`, the owner.
#define ZK_OWNER_OR_SKIP(name) \
    HWND name = MakeOwner();   \
    if (!name) GTEST_SKIP() << "no display for windows (run under Xvfb)"
