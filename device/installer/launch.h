// The installer program's run from start to end: the command-line rule, the
// restart shortcut, the saved state, the single-instance rule, the window and
// its message loop, and the clean-up after it.
//
// The same program lies on removable cards as autorun.exe, which the device
// starts with "install" when the card goes in and "uninstall" when it comes
// out. Words are compared as whole strings, without regard to case.
#pragma once

#include <string>
#include <string_view>

#include "device/installer/installer_state.h"
#include "device/installer/installer_workers.h"

namespace zk {

// "/noui" is a silent start, as device-management tools give it: no window,
// every cabinet that suits the device installed without questions, the
// outcome in the exit code.
enum class LaunchWord { Uninstall, Install, Empty, Silent, Other };

LaunchWord ClassifyCommandLine(std::u16string_view commandLine);

// What the run needs of the shell and the window system (Win32: message box,
// cursor, aygshell shortcut, named mutex, the main window; zk-device: the
// host's answers).
class LaunchShell {
public:
    virtual ~LaunchShell() = default;
    // "Proceed with installer from removable card ?" / "autorun", OK and
    // Cancel; true for OK.
    virtual bool AskProceedFromCard() = 0;
    virtual void ShowWaitCursor() = 0;
    virtual void RestoreCursor() = 0;
    // The device's Startup folder; false when it cannot be had.
    virtual bool StartupFolder(std::u16string* folder) = 0;
    // The program's own file.
    virtual std::u16string ModulePath() = 0;
    virtual bool CreateShortcut(std::u16string_view path, std::u16string_view target) = 0;
    // The named mutex; false when another copy already holds it.
    virtual bool ClaimSingleInstance() = 0;
    // A main window of another copy brought to the foreground; true when
    // there was one.
    virtual bool BringRunningWindowForward() = 0;
    // Creates and shows the main window (its creation starts the page flow);
    // false when it cannot be made.
    virtual bool CreateMainWindow() = 0;
    // Runs until the quit message; its exit code.
    virtual int RunMessageLoop() = 0;
};

// The whole run; the program's exit code: 0 when it declines to run or
// every cabinet that suits the device was installed, 1 when the package is
// damaged or a cabinet could not be installed (EndRun).
int RunInstaller(LaunchShell& shell, InstallerSession& session, InstallerWork& work,
                 std::u16string_view commandLine);

}  // namespace zk
