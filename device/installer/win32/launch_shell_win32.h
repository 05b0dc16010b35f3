// The installer's run on the device: the card question, the wait cursor, the
// restart shortcut, the single-instance rule, the main window and the
// message loop.
#pragma once

#include <windows.h>

#include "device/installer/launch.h"
#include "device/installer/win32/installer_window_win32.h"

namespace zk {

class Win32LaunchShell : public LaunchShell {
public:
    Win32LaunchShell(HINSTANCE instance, int showCommand, InstallerMainWindow& window);
    ~Win32LaunchShell() override;
    Win32LaunchShell(const Win32LaunchShell&) = delete;
    Win32LaunchShell& operator=(const Win32LaunchShell&) = delete;

    bool AskProceedFromCard() override;
    void ShowWaitCursor() override;
    void RestoreCursor() override;
    bool StartupFolder(std::u16string* folder) override;
    std::u16string ModulePath() override;
    bool CreateShortcut(std::u16string_view path, std::u16string_view target) override;
    bool ClaimSingleInstance() override;
    bool BringRunningWindowForward() override;
    bool CreateMainWindow() override;
    int RunMessageLoop() override;

private:
    HINSTANCE instance_;
    int showCommand_;
    InstallerMainWindow& window_;
    HCURSOR previousCursor_ = nullptr;
    HANDLE mutex_ = nullptr;
};

}  // namespace zk
