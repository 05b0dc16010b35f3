// The device platform on Windows: the device's paths go to the system as they
// stand (on Windows CE, and on the desktop where a Wine prefix plays the
// device and "\Temp" is the current drive's). Given a root folder, the device
// paths are placed below it instead, resolved the way the device resolves
// them and never above the root: tests run the device logic in a folder of
// their own that way.
#pragma once

#include <string>

#include "device/platform/device_platform.h"

namespace zk {

class Win32DevicePlatform : public DevicePlatform {
public:
    Win32DevicePlatform() = default;
    // root: an existing folder (ANSI code page), without a trailing separator.
    explicit Win32DevicePlatform(const std::string& root);

    std::unique_ptr<DeviceFile> OpenFile(std::u16string_view path, DeviceOpenMode mode,
                                         std::uint32_t attributes = DEVICE_ATTR_NORMAL) override;
    bool RemoveFile(std::u16string_view path) override;
    bool CreateFolder(std::u16string_view path) override;
    bool GetAttributes(std::u16string_view path, std::uint32_t* attributes) override;
    std::uint64_t LocalFileTimeToUtc(std::uint64_t localTime) override;
    bool SetAttributes(std::u16string_view path, std::uint32_t attributes) override;
    bool RenameFile(std::u16string_view from, std::u16string_view to) override;
    bool FreeStorage(std::u16string_view path, std::uint64_t* bytes) override;

    // The program runs with this process's current folder, so that the
    // device's drive-less paths mean the same to it.
    bool StartProgramAndWait(std::u16string_view program, std::u16string_view commandLine,
                             std::uint32_t* exitCode = nullptr) override;
    // The system's registry, below HKEY_LOCAL_MACHINE (a root folder changes
    // nothing here).
    bool WriteRegistryText(std::u16string_view key, std::u16string_view name,
                           std::u16string_view value) override;
    bool WriteRegistryNumber(std::u16string_view key, std::u16string_view name,
                             std::uint32_t value) override;
    bool ReadRegistryNumber(std::u16string_view key, std::u16string_view name,
                            std::uint32_t* value) override;
    // On a desktop that plays the device a reset is refused: restarting the
    // desktop is no device reset. (ResetDevice keeps the port's default.)
    std::uint32_t TickCount() override;

    // The system path a device path stands for; empty when the path cannot
    // name anything (it holds a NUL).
    std::wstring SystemPath(std::u16string_view devicePath) const;

private:
    std::wstring root_;
};

}  // namespace zk
