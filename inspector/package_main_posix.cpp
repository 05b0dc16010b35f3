// zephyrkit-package on POSIX systems: device paths below host folders.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

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
    return zk::RunPackageTool(ports, arguments, std::cout, std::cerr);
}
