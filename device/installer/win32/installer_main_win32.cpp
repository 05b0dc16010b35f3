// MobileZephyrkit: the device installer. Its own file carries the package:
// the program, then the sections the wizard appended. The Windows CE
// toolchain calls this entry point WinMain.
#include <windows.h>

#include "common/wide_text_win32.h"
#include "device/ce/ce_api.h"
#include "device/installer/installer_workers.h"
#include "device/installer/launch.h"
#include "device/installer/win32/installer_window_win32.h"
#include "device/installer/win32/launch_shell_win32.h"
#include "device/platform/device_platform_win32.h"

namespace {

// The device's own file system and programs; a reset goes to the kernel.
class InstallerDevicePlatform : public zk::Win32DevicePlatform {
public:
    bool ResetDevice() override {
        return zk::ce::DeviceKernelIoControl(zk::ce::CE_IOCTL_HAL_REBOOT, nullptr, 0, nullptr, 0,
                                             nullptr) != FALSE;
    }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int showCommand) {
    InstallerDevicePlatform platform;
    zk::InstallerSession session(platform);

    wchar_t modulePath[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, modulePath, MAX_PATH);

    zk::InstallerWorkers workers(session, zk::Text16(modulePath), nullptr);
    zk::InstallerMainWindow window(instance, session, workers);
    workers.SetWindow(&window);
    zk::Win32LaunchShell shell(instance, showCommand, window);
    const int code =
        zk::RunInstaller(shell, session, workers, zk::Text16(commandLine ? commandLine : L""));
    // The threads may still post to the window object: they end first.
    workers.WaitForUnpacking();
    workers.WaitForInstallation();
    return code;
}
