// Device paths below a host folder: how a folder of the host plays a Windows
// CE file system. Shared by the POSIX device platform and by the wizard's
// folder-backed remote device, so that both find a device path in the same
// host file.
//
// A device path is absolute and UTF-16: "\Windows\Fonts". Both '\' and '/'
// separate levels; "." is dropped and ".." goes up one level but never above
// the root; a leading drive ("C:") is the device's one volume and is dropped.
// Names are compared without regard to ASCII letter case, because the device
// writes "\windows" and "\Windows" for one folder; an exact match wins.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zk {

// The levels of a device path; false when the path holds a NUL, which no
// device name can.
bool SplitDevicePath(std::u16string_view path, std::vector<std::u16string>* levels);

// The name in `folder` that the device level `level` stands for: the level
// itself when an entry has exactly that name (or nothing matches, so that a
// new entry gets the case given), otherwise the first entry, in the folder's
// own order, that differs from it only in case.
std::filesystem::path MatchDeviceLevel(const std::filesystem::path& folder,
                                       std::u16string_view level);

// A host path component from UTF-16, and back.
std::filesystem::path HostName(std::u16string_view name);
std::u16string DeviceName(const std::filesystem::path& hostName);

}  // namespace zk
