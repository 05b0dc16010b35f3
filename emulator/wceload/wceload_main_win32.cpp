// wceload.exe: the platform installer of the Wine device, "\Windows\wceload.exe"
// in a prefix whose C: drive plays the device. It runs without a window, as
// the device's does with "/noui", and is started with its current folder at
// the device root, so the device's drive-less paths are used as they stand.
//
// Installing a cabinet may reset a device. The profile can ask for that to
// happen during a given start: the device then restarts with the cabinet
// unpacked and its installer (the program that started this one) cut off, as
// on a device, and the request is used up.
#include <windows.h>
#include <tlhelp32.h>

#include <string>

#include "device/platform/device_platform_win32.h"
#include "emulator/ce/emulated_device_profile.h"
#include "emulator/ce/emulated_reset.h"
#include "emulator/wceload/emulated_wceload.h"
#include "emulator/wceload/install_registry_win32.h"

namespace {

constexpr wchar_t RUN_LOG[] = L"\\Windows\\wceload.log";

// How many starts the run log holds, this one included (its lines of
// problems are no starts).
DWORD StartsSoFar() {
    HANDLE log = CreateFileW(RUN_LOG, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return 0;
    DWORD lines = 0, got = 0;
    bool lineStart = true, problem = false;
    char block[4096];
    while (ReadFile(log, block, sizeof block, &got, nullptr) && got > 0) {
        for (DWORD i = 0; i < got; ++i) {
            if (lineStart) problem = block[i] == static_cast<char>(zk::WCELOAD_PROBLEM_MARK);
            lineStart = block[i] == '\n';
            if (lineStart && !problem) ++lines;
        }
    }
    CloseHandle(log);
    return lines;
}

// True once: when the profile asks for a reset during this start.
bool ResetAskedForNow() {
    DWORD wanted = 0, size = sizeof wanted, type = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, zk::ce::EMULATED_DEVICE_KEY,
                     zk::ce::RESET_DURING_INSTALL_VALUE, RRF_RT_REG_DWORD, &type, &wanted,
                     &size) != ERROR_SUCCESS ||
        wanted == 0 || StartsSoFar() != wanted) {
        return false;
    }
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, zk::ce::EMULATED_DEVICE_KEY, 0, KEY_SET_VALUE, &key) ==
        ERROR_SUCCESS) {
        RegDeleteValueW(key, zk::ce::RESET_DURING_INSTALL_VALUE);
        RegCloseKey(key);
    }
    return true;
}

// A reset ends every program of the device: first the one that started this
// installer, then this one.
[[noreturn]] void ResetDevice() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    const DWORD self = GetCurrentProcessId();
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID != self) continue;
        if (HANDLE parent =
                OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ParentProcessID)) {
            TerminateProcess(parent, zk::ce::EMULATED_RESET_EXIT_CODE);
            WaitForSingleObject(parent, 5000);
            CloseHandle(parent);
        }
        break;
    }
    CloseHandle(snapshot);
    zk::ce::EmulatedReset();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const wchar_t* line = GetCommandLineW();
    const std::u16string full(line, line + lstrlenW(line));
    zk::Win32DevicePlatform device;
    zk::Win32InstallRegistry registry;
    zk::EmulatedWceload wceload(device, registry);
    const DWORD code = wceload.Run(zk::CommandLineArguments(full));
    if (ResetAskedForNow()) ResetDevice();
    return static_cast<int>(code);
}
