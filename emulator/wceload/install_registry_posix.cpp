#include "emulator/wceload/install_registry_posix.h"

#include "device/installer/installer_texts.h"

namespace zk {

std::vector<std::pair<std::u16string, std::u16string>> PosixInstallRegistry::Values() {
    return device_.ReadRegistryValues(INSTALL_REGISTRY_KEY);
}

bool PosixInstallRegistry::Delete(std::u16string_view name) {
    return device_.DeleteRegistryValue(INSTALL_REGISTRY_KEY, name);
}

}  // namespace zk
