// The installer's registry key in the system's registry, below
// HKEY_LOCAL_MACHINE: on the Wine device, the prefix's registry.
#pragma once

#include "emulator/wceload/install_registry.h"

namespace zk {

class Win32InstallRegistry : public InstallRegistry {
public:
    std::vector<std::pair<std::u16string, std::u16string>> Values() override;
    bool Delete(std::u16string_view name) override;
};

}  // namespace zk
