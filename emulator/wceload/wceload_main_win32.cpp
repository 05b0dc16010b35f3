// wceload.exe: the platform installer of the Wine device, "\Windows\wceload.exe"
// in a prefix whose C: drive plays the device. It runs without a window, as
// the device's does with "/noui", and is started with its current folder at
// the device root, so the device's drive-less paths are used as they stand.
#include <windows.h>

#include <string>

#include "device/platform/device_platform_win32.h"
#include "emulator/wceload/emulated_wceload.h"
#include "emulator/wceload/install_registry_win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const wchar_t* line = GetCommandLineW();
    const std::u16string full(line, line + lstrlenW(line));
    zk::Win32DevicePlatform device;
    zk::Win32InstallRegistry registry;
    zk::EmulatedWceload wceload(device, registry);
    wceload.Run(zk::CommandLineArguments(full));
    return 0;
}
