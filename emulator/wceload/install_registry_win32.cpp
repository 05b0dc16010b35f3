#include "emulator/wceload/install_registry_win32.h"

#include <windows.h>

#include "device/installer/installer_texts.h"

namespace zk {
namespace {

std::wstring KeyName() {
    const std::u16string_view key = INSTALL_REGISTRY_KEY;
    return std::wstring(key.begin(), key.end());
}

std::u16string Text16(const wchar_t* text, std::size_t length) {
    return std::u16string(text, text + length);
}

}  // namespace

std::vector<std::pair<std::u16string, std::u16string>> Win32InstallRegistry::Values() {
    std::vector<std::pair<std::u16string, std::u16string>> values;
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, KeyName().c_str(), 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
        return values;
    }
    DWORD count = 0, longestName = 0, longestData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                         &longestName, &longestData, nullptr, nullptr) == ERROR_SUCCESS) {
        std::wstring name(longestName + 1, L'\0');
        // Room for a terminator the stored data may lack.
        std::wstring data(longestData / sizeof(wchar_t) + 2, L'\0');
        for (DWORD i = 0; i < count; ++i) {
            DWORD nameLength = static_cast<DWORD>(name.size());
            DWORD dataBytes = static_cast<DWORD>((data.size() - 1) * sizeof(wchar_t));
            DWORD type = 0;
            if (RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type,
                              reinterpret_cast<BYTE*>(data.data()), &dataBytes) != ERROR_SUCCESS) {
                continue;
            }
            if (type != REG_SZ && type != REG_EXPAND_SZ) continue;
            std::size_t length = dataBytes / sizeof(wchar_t);
            // The stored length counts the terminator; stop at the first one.
            for (std::size_t at = 0; at < length; ++at) {
                if (data[at] == L'\0') {
                    length = at;
                    break;
                }
            }
            values.emplace_back(Text16(name.data(), nameLength), Text16(data.data(), length));
        }
    }
    RegCloseKey(key);
    return values;
}

bool Win32InstallRegistry::Delete(std::u16string_view name) {
    const std::wstring value(name.begin(), name.end());
    if (value.find(L'\0') != std::wstring::npos) return false;
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, KeyName().c_str(), 0, KEY_SET_VALUE, &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    const LONG status = RegDeleteValueW(key, value.c_str());
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

}  // namespace zk
