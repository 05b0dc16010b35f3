#include "emulator/rapi/device_folder.h"

#include <cwchar>
#include <vector>

namespace zk::rapi {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDeviceLevel(const std::wstring& level, bool wildcards) {
    if (level.empty() || level.size() > 255) return false;
    for (wchar_t c : level) {
        if (c < 0x20) return false;
        if (c == L'*' || c == L'?') {
            if (!wildcards) return false;
            continue;
        }
        if (std::wcschr(L"\\/:\"<>|", c)) return false;
    }
    return level.back() != L'.' && level.back() != L' ';
}

}  // namespace

std::wstring Setting(const wchar_t* value, const wchar_t* variable) {
    wchar_t text[1024];
    DWORD bytes = sizeof text - sizeof(wchar_t);
    DWORD type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, EMULATED_ACTIVESYNC_KEY, value, RRF_RT_REG_SZ, &type, text,
                     &bytes) == ERROR_SUCCESS) {
        text[bytes / sizeof(wchar_t) < 1024 ? bytes / sizeof(wchar_t) : 1023] = 0;
        if (text[0]) return text;
    }
    const DWORD length = GetEnvironmentVariableW(variable, text, 1024);
    if (length > 0 && length < 1024) return text;
    return {};
}

std::wstring DeviceRoot() {
    std::wstring root = Setting(DEVICE_ROOT_VALUE, DEVICE_ROOT_VARIABLE);
    while (!root.empty() && IsSeparator(root.back())) root.pop_back();
    // A drive's root keeps its separator: "C:" alone is the current
    // folder of drive C.
    if (root.size() == 2 && root[1] == L':') root += L'\\';
    return root;
}

bool FolderExists(const std::wstring& path) {
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool HostPath(const std::wstring& root, const wchar_t* devicePath, bool lastIsPattern,
              std::wstring* host) {
    if (root.empty() || !devicePath) return false;
    const std::size_t length = wcsnlen(devicePath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || !IsSeparator(devicePath[0])) return false;

    std::vector<std::wstring> levels;
    std::wstring level;
    for (std::size_t i = 0; i <= length; ++i) {
        if (i < length && !IsSeparator(devicePath[i])) {
            level += devicePath[i];
            continue;
        }
        if (level == L"..") return false;
        if (!level.empty() && level != L".") levels.push_back(level);
        level.clear();
    }
    for (std::size_t i = 0; i < levels.size(); ++i) {
        if (!IsDeviceLevel(levels[i], lastIsPattern && i + 1 == levels.size())) return false;
    }
    if (lastIsPattern && levels.empty()) return false;

    *host = root;
    for (const std::wstring& name : levels) {
        if (!IsSeparator(host->back())) *host += L'\\';
        *host += name;
    }
    return true;
}

}  // namespace zk::rapi
