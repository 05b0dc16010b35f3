// zephyrkit-package.exe: a console program. Arguments arrive in the ANSI code
// page, as the C runtime splits them.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "common/checked_output.h"
#include "common/ansi_text.h"
#include "device/platform/device_platform_win32.h"
#include "inspector/package_tool.h"
#include "platform/desktop_platform_win32.h"

int main(int argc, char** argv) {
    zk::Win32DesktopPlatform desktop;
    zk::PackageToolPorts ports{
        desktop,
        [](const std::string& folder) -> std::unique_ptr<zk::DevicePlatform> {
            return std::make_unique<zk::Win32DevicePlatform>(folder);
        },
        [](std::string_view name) { return zk::WideFromAnsi(name); },
    };
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const int code = zk::RunPackageTool(ports, arguments, std::cout, std::cerr);
    // A report or extraction list cut short by a full disk is no success.
    return zk::CheckedExit("zephyrkit-package", code,
                           code != zk::PACKAGE_OK ? code : zk::PACKAGE_CANNOT_RUN);
}
