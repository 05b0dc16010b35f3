// Where the emulated ActiveSync finds its device, and how a device path
// becomes a host path below it.
//
// The device is a folder that plays the device's file system (the Wine
// device's drive_c, "C:\"), named by the registry value HKCU
// "Software\Morvane\Zephyrkit\Emulated ActiveSync" "DeviceRoot", or else by
// the environment variable ZK_EMULATED_DEVICE_ROOT. The device counts as
// plugged in while that folder exists.
//
// A device path is absolute ("\Temp\x.exe"; '/' separates too). It never
// leaves the folder: ".." and any level holding a drive, a colon, a
// character no device name may hold, or a trailing dot or space (which
// Windows strips, so ".. " would be "..") are refused, as is a path of
// MAX_PATH characters or more.
#pragma once

#include <windows.h>

#include <string>

namespace zk::rapi {

inline constexpr wchar_t EMULATED_ACTIVESYNC_KEY[] =
    L"Software\\Morvane\\Zephyrkit\\Emulated ActiveSync";
inline constexpr wchar_t DEVICE_ROOT_VALUE[] = L"DeviceRoot";
inline constexpr wchar_t DEVICE_ROOT_VARIABLE[] = L"ZK_EMULATED_DEVICE_ROOT";
// An optional file that gets one line per call (what was asked of the
// device), for tests that look at how the wizard talks to it.
inline constexpr wchar_t LOG_VALUE[] = L"Log";
inline constexpr wchar_t LOG_VARIABLE[] = L"ZK_EMULATED_ACTIVESYNC_LOG";

// The configured text of a setting: the registry value first, then the
// environment variable. Empty when neither is set.
std::wstring Setting(const wchar_t* value, const wchar_t* variable);

// The device folder, without a closing separator unless it is a drive's
// root ("C:\"). Empty when none is configured.
std::wstring DeviceRoot();

bool FolderExists(const std::wstring& path);

// The host path of a device path below `root`. With `lastIsPattern` the
// last level may hold the wildcards '*' and '?'. False when the path is
// refused; a path of no levels ("\") gives the root itself.
bool HostPath(const std::wstring& root, const wchar_t* devicePath, bool lastIsPattern,
              std::wstring* host);

}  // namespace zk::rapi
