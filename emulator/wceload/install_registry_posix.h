// The installer's registry key in the POSIX device's registry file.
#pragma once

#include "device/platform/device_platform_posix.h"
#include "emulator/wceload/install_registry.h"

namespace zk {

class PosixInstallRegistry : public InstallRegistry {
public:
    explicit PosixInstallRegistry(PosixDevicePlatform& device) : device_(device) {}

    std::vector<std::pair<std::u16string, std::u16string>> Values() override;
    bool Delete(std::u16string_view name) override;

private:
    PosixDevicePlatform& device_;
};

}  // namespace zk
