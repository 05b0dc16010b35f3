// zephyrkit-package: what a built installer holds, whether it is whole, which
// cabinets each kind of device installs, and its files taken out.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "device/platform/device_platform.h"

namespace zk {

class DesktopPlatform;

inline constexpr int PACKAGE_OK = 0;
inline constexpr int PACKAGE_FAULTY = 1;  // the package has faults (each printed)
inline constexpr int PACKAGE_USAGE = 2;
inline constexpr int PACKAGE_CANNOT_RUN = 3;  // the package cannot be opened, or a folder made

// What the tool needs of the system beyond the desktop platform.
struct PackageToolPorts {
    DesktopPlatform& desktop;
    // A device platform whose root is the existing host folder `folder`
    // (no trailing separator): device paths stay below it.
    std::function<std::unique_ptr<DevicePlatform>(const std::string& folder)> deviceAt;
    // A host file name as a device path level (the host's own text encoding).
    std::function<std::u16string(std::string_view name)> deviceName;
};

// `arguments` follow the program name.
int RunPackageTool(PackageToolPorts& ports, const std::vector<std::string>& arguments,
                   std::ostream& out, std::ostream& err);

}  // namespace zk
