// zephyrkit-package on POSIX systems: device paths below host folders.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "common/checked_output.h"
#include "common/utf16_text.h"
#include "device/platform/device_platform_posix.h"
#include "inspector/package_tool.h"
#include "platform/desktop_platform_posix.h"

int main(int argc, char** argv) {
    zk::PosixDesktopPlatform desktop(argc > 0 ? argv[0] : "");
    zk::PackageToolPorts ports{
        desktop,
        [](const std::string& folder) -> std::unique_ptr<zk::DevicePlatform> {
            return std::make_unique<zk::PosixDevicePlatform>(folder);
        },
        [](std::string_view name) { return zk::Utf8ToUtf16(name); },
    };
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const int code = zk::RunPackageTool(ports, arguments, std::cout, std::cerr);
    // A report or extraction list cut short by a full disk is no success.
    return zk::CheckedExit("zephyrkit-package", code,
                           code != zk::PACKAGE_OK ? code : zk::PACKAGE_CANNOT_RUN);
}
