// The emulated ActiveSync: rapi.dll's nine calls, answered by the device
// folder (device_folder.h). A connection opens once the folder exists and
// holds while it does; CeRapiInit waits for it the way ActiveSync waits for
// a device to be plugged in, until CeRapiUninit abandons the attempt.
// Everything opened through a connection is closed when it ends.
//
// Started programs run as the device would run them: their current folder
// is the device's root, so their drive-less paths ("\Temp\x") stay on the
// device when the root is a drive's root, as the Wine device's "C:\" is.
#include <windows.h>

#include <cwchar>
#include <set>
#include <string>
#include <type_traits>

#include "activesync/rapi_calls_win32.h"
#include "emulator/rapi/device_folder.h"

using zk::rapi::CE_FIND_DATA;
using zk::rapi::LPCE_FIND_DATA;

namespace {

// How often a waiting CeRapiInit looks for the device, and how long it
// waits at most, so that an attempt nobody abandons still ends.
constexpr DWORD LOOK_MS = 100;
constexpr DWORD GIVE_UP_MS = 60000;

struct Device {
    SRWLOCK lock = SRWLOCK_INIT;
    unsigned long long uninits = 0;  // a changed count abandons waiting attempts
    bool connected = false;
    std::wstring root;
    std::set<HANDLE> files;
    std::set<HANDLE> searches;
    std::set<HANDLE> processes;
};

Device device;

class Hold {
public:
    Hold() { AcquireSRWLockExclusive(&device.lock); }
    ~Hold() { ReleaseSRWLockExclusive(&device.lock); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;
};

void CloseEverything() {
    for (HANDLE file : device.files) CloseHandle(file);
    for (HANDLE search : device.searches) FindClose(search);
    for (HANDLE process : device.processes) CloseHandle(process);
    device.files.clear();
    device.searches.clear();
    device.processes.clear();
}

// Called with the lock held: true while a connection is open and its
// device still plugged in. An unplugged device ends the connection.
bool Connected() {
    if (!device.connected) return false;
    if (zk::rapi::FolderExists(device.root)) return true;
    device.connected = false;
    CloseEverything();
    return false;
}

std::string Utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(),
                            size, nullptr, nullptr);
    return out;
}

void Log(const std::wstring& line) {
    const std::wstring path = zk::rapi::Setting(zk::rapi::LOG_VALUE, zk::rapi::LOG_VARIABLE);
    if (path.empty()) return;
    const HANDLE log =
        CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return;
    const std::string text = Utf8(line) + "\n";
    DWORD written = 0;
    WriteFile(log, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(log);
}

std::wstring Text(const wchar_t* text) {
    return text ? std::wstring(text, wcsnlen(text, 1024)) : L"";
}

bool IsDotEntry(const wchar_t* name) { return !wcscmp(name, L".") || !wcscmp(name, L".."); }

void CopyFound(const WIN32_FIND_DATAW& found, LPCE_FIND_DATA data) {
    *data = CE_FIND_DATA{};
    data->dwFileAttributes = found.dwFileAttributes;
    data->ftCreationTime = found.ftCreationTime;
    data->ftLastAccessTime = found.ftLastAccessTime;
    data->ftLastWriteTime = found.ftLastWriteTime;
    data->nFileSizeHigh = found.nFileSizeHigh;
    data->nFileSizeLow = found.nFileSizeLow;
    wcsncpy(data->cFileName, found.cFileName, MAX_PATH - 1);
}

// The next entry that the device would report; a Windows CE device lists
// neither "." nor "..".
bool NextEntry(HANDLE search, WIN32_FIND_DATAW* found) {
    while (FindNextFileW(search, found)) {
        if (!IsDotEntry(found->cFileName)) return true;
    }
    return false;
}

}  // namespace

extern "C" {

HRESULT WINAPI CeRapiInit() {
    Log(L"CeRapiInit");
    const ULONGLONG start = GetTickCount64();
    unsigned long long attempt;
    {
        Hold hold;
        attempt = device.uninits;
    }
    for (;;) {
        {
            Hold hold;
            if (device.uninits != attempt) return E_ABORT;
            if (Connected()) return S_OK;
            const std::wstring root = zk::rapi::DeviceRoot();
            if (zk::rapi::FolderExists(root)) {
                device.root = root;
                device.connected = true;
                return S_OK;
            }
        }
        if (GetTickCount64() - start >= GIVE_UP_MS) return E_FAIL;
        Sleep(LOOK_MS);
    }
}

HRESULT WINAPI CeRapiUninit() {
    Log(L"CeRapiUninit");
    Hold hold;
    ++device.uninits;
    device.connected = false;
    CloseEverything();
    return S_OK;
}

HANDLE WINAPI CeCreateFile(LPCWSTR fileName, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES,
                           DWORD creation, DWORD flagsAndAttributes, HANDLE) {
    Log(L"CeCreateFile " + Text(fileName));
    Hold hold;
    std::wstring host;
    if (!Connected() || !zk::rapi::HostPath(device.root, fileName, false, &host) ||
        host == device.root) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    // The device refuses to write over a read-only file, whoever the desktop
    // runs as (Wine run by root would not).
    const DWORD existing = GetFileAttributesW(host.c_str());
    if ((access & GENERIC_WRITE) && existing != INVALID_FILE_ATTRIBUTES &&
        (existing & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    // No security, no template and no overlapped files on the device.
    const HANDLE file = CreateFileW(host.c_str(), access, shareMode, nullptr, creation,
                                    flagsAndAttributes & 0xFFFF, nullptr);
    if (file != INVALID_HANDLE_VALUE) device.files.insert(file);
    return file;
}

BOOL WINAPI CeWriteFile(HANDLE file, LPCVOID buffer, DWORD bytes, LPDWORD written, LPOVERLAPPED) {
    Log(L"CeWriteFile " + std::to_wstring(bytes));
    Hold hold;
    if (written) *written = 0;
    if (!Connected() || !device.files.count(file)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    DWORD stored = 0;
    const BOOL ok = WriteFile(file, buffer, bytes, &stored, nullptr);
    if (written) *written = stored;
    return ok;
}

BOOL WINAPI CeCloseHandle(HANDLE handle) {
    Log(L"CeCloseHandle");
    Hold hold;
    if (device.files.erase(handle) || device.processes.erase(handle)) return CloseHandle(handle);
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

BOOL WINAPI CeCreateProcess(LPCWSTR applicationName, LPCWSTR commandLine, LPSECURITY_ATTRIBUTES,
                            LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPWSTR, LPSTARTUPINFOW,
                            LPPROCESS_INFORMATION processInformation) {
    Log(L"CeCreateProcess " + Text(applicationName) + L" " + Text(commandLine));
    Hold hold;
    std::wstring host;
    if (!Connected() || !zk::rapi::HostPath(device.root, applicationName, false, &host)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD attributes = GetFileAttributesW(host.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    // The device gives a program its command line without its own name;
    // a desktop program expects the name first.
    std::wstring line = L"\"" + host + L"\"";
    if (commandLine && *commandLine) line += L" " + Text(commandLine);
    std::wstring folder = device.root;
    if (folder.back() != L'\\') folder += L'\\';
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(host.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process))
        return FALSE;
    if (processInformation) {
        device.processes.insert(process.hProcess);
        device.processes.insert(process.hThread);
        *processInformation = process;
    } else {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    return TRUE;
}

HANDLE WINAPI CeFindFirstFile(LPCWSTR pattern, LPCE_FIND_DATA data) {
    Log(L"CeFindFirstFile " + Text(pattern));
    Hold hold;
    std::wstring host;
    if (!data || !Connected() || !zk::rapi::HostPath(device.root, pattern, true, &host)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    WIN32_FIND_DATAW found = {};
    const HANDLE search = FindFirstFileW(host.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return search;
    if (IsDotEntry(found.cFileName) && !NextEntry(search, &found)) {
        FindClose(search);
        SetLastError(ERROR_NO_MORE_FILES);
        return INVALID_HANDLE_VALUE;
    }
    CopyFound(found, data);
    device.searches.insert(search);
    return search;
}

BOOL WINAPI CeFindNextFile(HANDLE search, LPCE_FIND_DATA data) {
    Hold hold;
    WIN32_FIND_DATAW found = {};
    if (!data || !Connected() || !device.searches.count(search)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!NextEntry(search, &found)) return FALSE;
    CopyFound(found, data);
    return TRUE;
}

BOOL WINAPI CeFindClose(HANDLE search) {
    Hold hold;
    if (!device.searches.erase(search)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return FindClose(search);
}

}  // extern "C"

// The exports keep the API's signatures exactly.
static_assert(std::is_same_v<decltype(&CeRapiInit), zk::rapi::CeRapiInitFn>);
static_assert(std::is_same_v<decltype(&CeRapiUninit), zk::rapi::CeRapiUninitFn>);
static_assert(std::is_same_v<decltype(&CeCreateFile), zk::rapi::CeCreateFileFn>);
static_assert(std::is_same_v<decltype(&CeWriteFile), zk::rapi::CeWriteFileFn>);
static_assert(std::is_same_v<decltype(&CeCloseHandle), zk::rapi::CeCloseHandleFn>);
static_assert(std::is_same_v<decltype(&CeCreateProcess), zk::rapi::CeCreateProcessFn>);
static_assert(std::is_same_v<decltype(&CeFindFirstFile), zk::rapi::CeFindFirstFileFn>);
static_assert(std::is_same_v<decltype(&CeFindNextFile), zk::rapi::CeFindNextFileFn>);
static_assert(std::is_same_v<decltype(&CeFindClose), zk::rapi::CeFindCloseFn>);
