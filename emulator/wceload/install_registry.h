// What the emulated platform installer needs of the registry: the values of
// the installer's key (HKEY_LOCAL_MACHINE\SOFTWARE\Apps\Microsoft
// Application Installer\Install), where the device installer leaves an
// override folder for a cabinet, and removing a value it has used.
// install_registry_posix.h keeps them in the POSIX device's registry file,
// install_registry_win32.h in the system's registry.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zk {

class InstallRegistry {
public:
    virtual ~InstallRegistry() = default;

    // The key's text values as name and value, in the key's own order;
    // empty when the key is missing. Values of other types are left out.
    virtual std::vector<std::pair<std::u16string, std::u16string>> Values() = 0;
    // False when there was no such value.
    virtual bool Delete(std::u16string_view name) = 0;
};

}  // namespace zk
