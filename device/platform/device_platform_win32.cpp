#include "device/platform/device_platform_win32.h"

#include <windows.h>

#include <vector>

namespace zk {
namespace {

constexpr std::size_t MAX_TRANSFER = 1u << 30;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

FILETIME FileTimeOf(std::uint64_t ticks) {
    FILETIME t;
    t.dwLowDateTime = static_cast<DWORD>(ticks);
    t.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return t;
}

class Win32DeviceFile : public DeviceFile {
public:
    Win32DeviceFile(HANDLE h, bool append) : h_(h), append_(append) {}
    ~Win32DeviceFile() override { Close(); }

    std::size_t Read(void* buffer, std::size_t bytes) override {
        std::size_t done = 0;
        while (h_ != INVALID_HANDLE_VALUE && done < bytes) {
            DWORD want =
                static_cast<DWORD>(bytes - done < MAX_TRANSFER ? bytes - done : MAX_TRANSFER);
            DWORD got = 0;
            if (!ReadFile(h_, static_cast<char*>(buffer) + done, want, &got, nullptr)) break;
            done += got;
            if (got < want) break;
        }
        return done;
    }

    std::size_t Write(const void* buffer, std::size_t bytes) override {
        if (append_ && !Seek(0, DeviceSeek::End)) return 0;
        std::size_t done = 0;
        while (h_ != INVALID_HANDLE_VALUE && done < bytes) {
            DWORD want =
                static_cast<DWORD>(bytes - done < MAX_TRANSFER ? bytes - done : MAX_TRANSFER);
            DWORD put = 0;
            BOOL ok = WriteFile(h_, static_cast<const char*>(buffer) + done, want, &put, nullptr);
            done += put;
            if (!ok || put < want) break;
        }
        return done;
    }

    bool Seek(std::int64_t offset, DeviceSeek origin) override {
        if (h_ == INVALID_HANDLE_VALUE) return false;
        DWORD method = origin == DeviceSeek::Start     ? FILE_BEGIN
                       : origin == DeviceSeek::Current ? FILE_CURRENT
                                                       : FILE_END;
        LARGE_INTEGER to;
        to.QuadPart = offset;
        // The system refuses a position before the start of the file.
        return SetFilePointerEx(h_, to, nullptr, method) != 0;
    }

    bool Tell(std::uint64_t* position) override {
        if (h_ == INVALID_HANDLE_VALUE) return false;
        LARGE_INTEGER zero, at;
        zero.QuadPart = 0;
        if (!SetFilePointerEx(h_, zero, &at, FILE_CURRENT)) return false;
        *position = static_cast<std::uint64_t>(at.QuadPart);
        return true;
    }

    bool SetTimes(const DeviceFileTimes& times) override {
        if (h_ == INVALID_HANDLE_VALUE) return false;
        FILETIME c = FileTimeOf(times.creation), a = FileTimeOf(times.access),
                 m = FileTimeOf(times.modification);
        return SetFileTime(h_, &c, &a, &m) != 0;
    }

    bool Close() override {
        if (h_ == INVALID_HANDLE_VALUE) return true;
        HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        return CloseHandle(h) != 0;
    }

private:
    HANDLE h_;
    bool append_;
};

}  // namespace

Win32DevicePlatform::Win32DevicePlatform(const std::string& root) {
    int units =
        MultiByteToWideChar(CP_ACP, 0, root.data(), static_cast<int>(root.size()), nullptr, 0);
    root_.assign(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, root.data(), static_cast<int>(root.size()), root_.data(), units);
    while (root_.size() > 1 && IsSeparator(root_.back())) root_.pop_back();
}

std::wstring Win32DevicePlatform::SystemPath(std::u16string_view devicePath) const {
    if (devicePath.find(u'\0') != std::u16string_view::npos) return {};
    std::wstring path(devicePath.begin(), devicePath.end());
    if (root_.empty()) return path;
    // Below the root: the device's one volume, "." dropped, ".." stopping at
    // the root.
    if (path.size() >= 2 && path[1] == L':') path.erase(0, 2);
    std::vector<std::wstring> levels;
    std::size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && IsSeparator(path[i])) ++i;
        std::size_t start = i;
        while (i < path.size() && !IsSeparator(path[i])) ++i;
        std::wstring level = path.substr(start, i - start);
        if (level.empty() || level == L".") continue;
        if (level == L"..") {
            if (!levels.empty()) levels.pop_back();
            continue;
        }
        levels.push_back(level);
    }
    std::wstring out = root_;
    for (const std::wstring& level : levels) out += L"\\" + level;
    return out;
}

std::unique_ptr<DeviceFile> Win32DevicePlatform::OpenFile(std::u16string_view path,
                                                          DeviceOpenMode mode,
                                                          std::uint32_t attributes) {
    std::wstring system = SystemPath(path);
    if (system.empty()) return nullptr;
    DWORD access = GENERIC_READ;
    DWORD share = FILE_SHARE_READ;
    DWORD disposition = OPEN_EXISTING;
    DWORD flags = FILE_ATTRIBUTE_NORMAL;
    if (mode == DeviceOpenMode::CreateWrite) {
        access = GENERIC_WRITE;
        share = 0;
        disposition = CREATE_ALWAYS;
        flags = attributes & (DEVICE_ATTR_READONLY | DEVICE_ATTR_HIDDEN | DEVICE_ATTR_SYSTEM |
                              DEVICE_ATTR_ARCHIVE);
        if (flags == 0) flags = FILE_ATTRIBUTE_NORMAL;
    } else if (mode == DeviceOpenMode::Append) {
        access = GENERIC_WRITE;
        share = FILE_SHARE_READ;
        disposition = OPEN_ALWAYS;
    }
    // The device never writes over a read-only file. Say so here rather than
    // trust the system to: a desktop account that may write anything (root
    // under Wine) would replace it.
    if (mode != DeviceOpenMode::Read) {
        DWORD existing = GetFileAttributesW(system.c_str());
        if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY))
            return nullptr;
    }
    HANDLE h = CreateFileW(system.c_str(), access, share, nullptr, disposition, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    // CREATE_ALWAYS keeps the attributes of a file it replaces: set them.
    if (mode == DeviceOpenMode::CreateWrite) SetFileAttributesW(system.c_str(), flags);
    return std::make_unique<Win32DeviceFile>(h, mode == DeviceOpenMode::Append);
}

bool Win32DevicePlatform::RemoveFile(std::u16string_view path) {
    std::wstring system = SystemPath(path);
    return !system.empty() && DeleteFileW(system.c_str()) != 0;
}

bool Win32DevicePlatform::CreateFolder(std::u16string_view path) {
    std::wstring system = SystemPath(path);
    if (system.empty() || system == root_) return false;
    return CreateDirectoryW(system.c_str(), nullptr) != 0;
}

bool Win32DevicePlatform::GetAttributes(std::u16string_view path, std::uint32_t* attributes) {
    std::wstring system = SystemPath(path);
    if (system.empty()) return false;
    DWORD found = GetFileAttributesW(system.c_str());
    if (found == INVALID_FILE_ATTRIBUTES) return false;
    *attributes = found;
    return true;
}

bool Win32DevicePlatform::SetAttributes(std::u16string_view path, std::uint32_t attributes) {
    std::wstring system = SystemPath(path);
    if (system.empty()) return false;
    DWORD kept = attributes & (DEVICE_ATTR_READONLY | DEVICE_ATTR_HIDDEN | DEVICE_ATTR_SYSTEM |
                               DEVICE_ATTR_ARCHIVE);
    return SetFileAttributesW(system.c_str(), kept ? kept : FILE_ATTRIBUTE_NORMAL) != 0;
}

bool Win32DevicePlatform::RenameFile(std::u16string_view from, std::u16string_view to) {
    std::wstring a = SystemPath(from), b = SystemPath(to);
    return !a.empty() && !b.empty() && MoveFileW(a.c_str(), b.c_str()) != 0;
}

bool Win32DevicePlatform::FreeStorage(std::u16string_view path, std::uint64_t* bytes) {
    std::wstring system = SystemPath(path);
    if (system.empty()) return false;
    // The folder the path names, or the one it would be made in.
    DWORD found = GetFileAttributesW(system.c_str());
    if (found == INVALID_FILE_ATTRIBUTES || !(found & FILE_ATTRIBUTE_DIRECTORY)) {
        const std::size_t slash = system.find_last_of(L"\\/");
        system = slash == std::wstring::npos || slash == 0 ? std::wstring(L"\\")
                                                           : system.substr(0, slash + 1);
    }
    ULARGE_INTEGER available = {};
    if (!GetDiskFreeSpaceExW(system.c_str(), &available, nullptr, nullptr)) return false;
    *bytes = available.QuadPart;
    return true;
}

std::uint64_t Win32DevicePlatform::LocalFileTimeToUtc(std::uint64_t localTime) {
    FILETIME local = FileTimeOf(localTime), utc;
    if (!LocalFileTimeToFileTime(&local, &utc)) return localTime;
    return static_cast<std::uint64_t>(utc.dwHighDateTime) << 32 | utc.dwLowDateTime;
}

bool Win32DevicePlatform::StartProgramAndWait(std::u16string_view program,
                                              std::u16string_view commandLine,
                                              std::uint32_t* exitCode) {
    std::wstring path = SystemPath(program);
    if (path.empty() || commandLine.find(u'\0') != std::u16string_view::npos) return false;
    std::wstring command = L"\"" + path + L"\"";
    if (!commandLine.empty())
        command += L" " + std::wstring(commandLine.begin(), commandLine.end());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    if (exitCode && GetExitCodeProcess(process.hProcess, &code)) *exitCode = code;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

namespace {

// A key as the registry takes it: the device writes keys with a leading or
// trailing separator too.
bool RegistryKeyName(std::u16string_view key, std::wstring* name) {
    std::wstring k(key.begin(), key.end());
    while (!k.empty() && k.front() == L'\\') k.erase(0, 1);
    while (!k.empty() && k.back() == L'\\') k.pop_back();
    if (k.find(L'\0') != std::wstring::npos) return false;
    *name = k;
    return true;
}

}  // namespace

bool Win32DevicePlatform::WriteRegistryText(std::u16string_view key, std::u16string_view name,
                                            std::u16string_view value) {
    std::wstring k, n(name.begin(), name.end()), v(value.begin(), value.end());
    if (!RegistryKeyName(key, &k) || n.find(L'\0') != std::wstring::npos) return false;
    HKEY opened;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, k.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &opened, nullptr) != ERROR_SUCCESS)
        return false;
    LONG status =
        RegSetValueExW(opened, n.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()),
                       static_cast<DWORD>((v.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(opened);
    return status == ERROR_SUCCESS;
}

bool Win32DevicePlatform::WriteRegistryNumber(std::u16string_view key, std::u16string_view name,
                                              std::uint32_t value) {
    std::wstring k, n(name.begin(), name.end());
    if (!RegistryKeyName(key, &k) || n.find(L'\0') != std::wstring::npos) return false;
    HKEY opened;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, k.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &opened, nullptr) != ERROR_SUCCESS)
        return false;
    const DWORD number = value;
    LONG status = RegSetValueExW(opened, n.c_str(), 0, REG_DWORD,
                                 reinterpret_cast<const BYTE*>(&number), sizeof number);
    RegCloseKey(opened);
    return status == ERROR_SUCCESS;
}

bool Win32DevicePlatform::ReadRegistryNumber(std::u16string_view key, std::u16string_view name,
                                             std::uint32_t* value) {
    std::wstring k, n(name.begin(), name.end());
    if (!RegistryKeyName(key, &k) || n.find(L'\0') != std::wstring::npos) return false;
    HKEY opened;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, k.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return false;
    DWORD number = 0, size = sizeof number, type = 0;
    LONG status = RegQueryValueExW(opened, n.c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(&number), &size);
    RegCloseKey(opened);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof number) return false;
    *value = number;
    return true;
}

std::uint32_t Win32DevicePlatform::TickCount() { return GetTickCount(); }

}  // namespace zk
