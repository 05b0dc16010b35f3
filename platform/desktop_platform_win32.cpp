#include "platform/desktop_platform_win32.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

namespace zk {
namespace {

// ReadFile and WriteFile count in DWORDs: larger requests go in pieces.
constexpr std::size_t MAX_TRANSFER = 1u << 30;

// Registry texts are read into a buffer of this size, as the wizard's
// "Install_Dir" is: a longer value does not fit and counts as unreadable.
constexpr DWORD REGISTRY_TEXT_BYTES = 1040;

// Keeps the system's code of a failure where the platform can tell it later.
void Remember(unsigned long* lastError) {
    const DWORD code = GetLastError();
    *lastError = code != 0 ? code : ERROR_GEN_FAILURE;
}

class Win32File : public FileHandle {
public:
    Win32File(HANDLE h, unsigned long* lastError) : h_(h), lastError_(lastError) {}
    ~Win32File() override { Close(); }

    std::size_t Read(void* buffer, std::size_t bytes) override {
        std::size_t done = 0;
        auto* at = static_cast<char*>(buffer);
        while (h_ != INVALID_HANDLE_VALUE && done < bytes) {
            DWORD want =
                static_cast<DWORD>(bytes - done < MAX_TRANSFER ? bytes - done : MAX_TRANSFER);
            DWORD got = 0;
            if (!ReadFile(h_, at + done, want, &got, nullptr)) {
                Remember(lastError_);
                failed_ = true;
                break;
            }
            done += got;
            if (got < want) break;  // end of file
        }
        return done;
    }

    std::size_t Write(const void* buffer, std::size_t bytes) override {
        std::size_t done = 0;
        const auto* at = static_cast<const char*>(buffer);
        while (h_ != INVALID_HANDLE_VALUE && done < bytes) {
            DWORD want =
                static_cast<DWORD>(bytes - done < MAX_TRANSFER ? bytes - done : MAX_TRANSFER);
            DWORD put = 0;
            if (!WriteFile(h_, at + done, want, &put, nullptr) || put < want) {
                Remember(lastError_);
                done += put;
                failed_ = true;
                break;
            }
            done += put;
        }
        return done;
    }

    bool Seek(std::uint64_t offset) override {
        if (h_ == INVALID_HANDLE_VALUE || offset > static_cast<std::uint64_t>(INT64_MAX))
            return false;
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(offset);
        return SetFilePointerEx(h_, to, nullptr, FILE_BEGIN) != 0;
    }

    bool SeekToEnd() override {
        if (h_ == INVALID_HANDLE_VALUE) return false;
        LARGE_INTEGER zero;
        zero.QuadPart = 0;
        return SetFilePointerEx(h_, zero, nullptr, FILE_END) != 0;
    }

    std::uint64_t Tell() override {
        if (h_ == INVALID_HANDLE_VALUE) return 0;
        LARGE_INTEGER zero, at;
        zero.QuadPart = 0;
        if (!SetFilePointerEx(h_, zero, &at, FILE_CURRENT)) return 0;
        return static_cast<std::uint64_t>(at.QuadPart);
    }

    bool Close() override {
        if (h_ == INVALID_HANDLE_VALUE) return true;
        bool ok = !failed_;
        if (!CloseHandle(h_)) {
            Remember(lastError_);
            ok = false;
        }
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE h_;
    unsigned long* lastError_;
    bool failed_ = false;
};

class Win32FileLock : public FileLock {
public:
    explicit Win32FileLock(HANDLE h) : h_(h) {}
    ~Win32FileLock() override { CloseHandle(h_); }  // unlocks, and deletes the file

private:
    HANDLE h_;
};

HKEY RootKey(RegistryRoot root) {
    switch (root) {
    case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    }
    return HKEY_CURRENT_USER;
}

UINT IconStyle(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::None: return 0;
    case MessageIcon::Information: return MB_ICONINFORMATION;
    case MessageIcon::Warning: return MB_ICONWARNING;
    case MessageIcon::Error: return MB_ICONERROR;
    }
    return 0;
}

std::uint64_t TicksOf(const FILETIME& t) {
    return static_cast<std::uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime;
}

// The text a buffer-filling call left, or the empty text when it failed or
// the text did not fit (such calls report the size they needed).
std::string FilledText(const std::vector<char>& buffer, DWORD length) {
    if (length == 0 || length >= buffer.size()) return {};
    return std::string(buffer.data(), length);
}

}  // namespace

void Win32DesktopPlatform::ShowMessage(const std::string& text, const std::string& caption,
                                       MessageIcon icon, bool owned) {
    HWND owner = owned ? static_cast<HWND>(ownerWindow_) : nullptr;
    MessageBoxA(owner, text.c_str(), caption.c_str(), MB_OK | IconStyle(icon));
}

std::string Win32DesktopPlatform::CurrentDirectory() {
    std::vector<char> buffer(MAX_PATH * 2);
    DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    }
    std::string folder = FilledText(buffer, length);
    return folder.empty() ? "." : folder;
}

std::string Win32DesktopPlatform::ProgramPath() {
    std::vector<char> buffer(1040);
    DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    return FilledText(buffer, length);
}

std::string Win32DesktopPlatform::TemporaryFolder() {
    std::vector<char> buffer(MAX_PATH + 1);
    std::string folder =
        FilledText(buffer, GetTempPathA(static_cast<DWORD>(buffer.size()), buffer.data()));
    // Keep "C:\" whole: only a separator after a folder name goes.
    while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return folder.empty() ? "." : folder;
}

std::int64_t Win32DesktopPlatform::CurrentUnixTime() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return static_cast<std::int64_t>((TicksOf(now) - FILETIME_UNIX_EPOCH) / 10000000);
}

bool Win32DesktopPlatform::ReadRegistryString(RegistryRoot root, const std::string& key,
                                              const std::string& value, std::string* out) {
    HKEY opened;
    if (RegOpenKeyExA(RootKey(root), key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    char buffer[REGISTRY_TEXT_BYTES];
    DWORD type = 0;
    DWORD size = sizeof buffer;
    LONG status = RegQueryValueExA(opened, value.c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(opened);
    if (status != ERROR_SUCCESS || type != REG_SZ) return false;
    // The stored text need not end in a zero, and may end in several.
    std::string text(buffer, size);
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    *out = text;
    return true;
}

bool Win32DesktopPlatform::ReadRegistryDword(RegistryRoot root, const std::string& key,
                                             const std::string& value, std::uint32_t* out) {
    HKEY opened;
    if (RegOpenKeyExA(RootKey(root), key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    DWORD data = 0;
    DWORD type = 0;
    DWORD size = sizeof data;
    LONG status = RegQueryValueExA(opened, value.c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(&data), &size);
    RegCloseKey(opened);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof data) return false;
    *out = data;
    return true;
}

bool Win32DesktopPlatform::WriteRegistryDword(RegistryRoot root, const std::string& key,
                                              const std::string& value, std::uint32_t data) {
    HKEY opened;
    char noClass[] = "";
    if (RegCreateKeyExA(RootKey(root), key.c_str(), 0, noClass, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &opened, nullptr) != ERROR_SUCCESS)
        return false;
    DWORD stored = data;
    LONG status = RegSetValueExA(opened, value.c_str(), 0, REG_DWORD,
                                 reinterpret_cast<const BYTE*>(&stored), sizeof stored);
    RegCloseKey(opened);
    return status == ERROR_SUCCESS;
}

bool Win32DesktopPlatform::WriteRegistryString(RegistryRoot root, const std::string& key,
                                               const std::string& value, const std::string& data) {
    HKEY opened;
    char noClass[] = "";
    if (RegCreateKeyExA(RootKey(root), key.c_str(), 0, noClass, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &opened, nullptr) != ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExA(opened, value.c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(data.c_str()),
                                 static_cast<DWORD>(data.size() + 1));
    RegCloseKey(opened);
    return status == ERROR_SUCCESS;
}

bool Win32DesktopPlatform::GetFileFacts(const std::string& path, FileFacts* out) {
    // FindFirstFileA takes wildcards: a pattern would describe some other
    // file that matches it.
    if (path.empty() || path.find_first_of("*?") != std::string::npos) return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    FileFacts facts;
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        facts.size = static_cast<std::uint64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow;
        facts.attributes = found.dwFileAttributes;
        facts.creationTime = TicksOf(found.ftCreationTime);
        facts.lastAccessTime = TicksOf(found.ftLastAccessTime);
        facts.lastWriteTime = TicksOf(found.ftLastWriteTime);
    } else {
        // A drive root or a folder named with a trailing separator is no
        // search result, but it is there.
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
        facts.size = static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
        facts.attributes = data.dwFileAttributes;
        facts.creationTime = TicksOf(data.ftCreationTime);
        facts.lastAccessTime = TicksOf(data.ftLastAccessTime);
        facts.lastWriteTime = TicksOf(data.ftLastWriteTime);
    }
    if (facts.attributes & FILE_ATTRIBUTE_DIRECTORY) facts.size = 0;
    *out = facts;
    return true;
}

std::unique_ptr<FileHandle> Win32DesktopPlatform::OpenFile(const std::string& path, FileMode mode) {
    DWORD access = GENERIC_READ;
    DWORD share = FILE_SHARE_READ;
    DWORD disposition = OPEN_EXISTING;
    if (mode == FileMode::CreateWrite) {
        access = GENERIC_WRITE;
        share = 0;
        disposition = CREATE_ALWAYS;
    } else if (mode == FileMode::AppendWrite) {
        access = GENERIC_READ | GENERIC_WRITE;
        share = 0;
    }
    HANDLE h = CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        Remember(&lastError_);
        return nullptr;
    }
    auto file = std::make_unique<Win32File>(h, &lastError_);
    if (mode == FileMode::AppendWrite && !file->SeekToEnd()) {
        Remember(&lastError_);
        return nullptr;
    }
    return file;
}

bool Win32DesktopPlatform::RemoveFile(const std::string& path) {
    if (DeleteFileA(path.c_str())) return true;
    Remember(&lastError_);
    return false;
}

bool Win32DesktopPlatform::RenameFile(const std::string& from, const std::string& to) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    Remember(&lastError_);
    return false;
}

std::string Win32DesktopPlatform::LastFailureReason() {
    if (lastError_ == 0) return {};
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, lastError_, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string reason = length && text ? std::string(text, length) : std::string();
    if (text) LocalFree(text);
    // The system's texts end in a full stop and a line break.
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == '.' || reason.back() == ' '))
        reason.pop_back();
    return reason.empty() ? "system error " + std::to_string(lastError_) : reason;
}

std::unique_ptr<FileLock> Win32DesktopPlatform::LockFile(const std::string& path,
                                                         int waitMilliseconds, bool* busy) {
    constexpr int POLL_MILLISECONDS = 50;
    *busy = false;
    for (int waited = 0;; waited += POLL_MILLISECONDS) {
        // Every holder opens it to be deleted on close: the last one to let
        // go removes it, and a process that ends lets go of its lock.
        HANDLE h =
            CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        // A file whose deletion is pending refuses to open until its last
        // holder closes it: that is waited for like a held lock.
        DWORD refused = 0;
        if (h == INVALID_HANDLE_VALUE) {
            refused = GetLastError();
            if (refused != ERROR_ACCESS_DENIED || waited >= waitMilliseconds) {
                lastError_ = refused;
                return nullptr;
            }
        } else {
            OVERLAPPED whole = {};
            if (LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole))
                return std::make_unique<Win32FileLock>(h);
            refused = GetLastError();
            CloseHandle(h);
            if (refused != ERROR_LOCK_VIOLATION && refused != ERROR_IO_PENDING) {
                lastError_ = refused;
                return nullptr;
            }
            if (waited >= waitMilliseconds) {
                *busy = true;
                return nullptr;
            }
        }
        Sleep(POLL_MILLISECONDS);
    }
}

bool Win32DesktopPlatform::RemoveFolder(const std::string& path) {
    if (RemoveDirectoryA(path.c_str())) return true;
    Remember(&lastError_);
    return false;
}

bool Win32DesktopPlatform::MakeFolder(const std::string& path) {
    if (CreateDirectoryA(path.c_str(), nullptr)) return true;
    Remember(&lastError_);
    // An existing folder is success; a file of that name is not.
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32DesktopPlatform::ShellStart(const std::string& path) {
    HINSTANCE result =
        ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool Win32DesktopPlatform::NotifyAssociationsChanged() {
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return true;
}

}  // namespace zk
