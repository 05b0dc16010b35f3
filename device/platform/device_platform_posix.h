// The device platform on POSIX systems: a folder of the host plays the
// device's file system. The device path "\A\B" is <root>/A/B; each level is
// matched against the names already in the folder without regard to letter
// case (an exact match wins), so the device's habit of writing "\windows" and
// "\Windows" for one folder works on a case-sensitive host. Nothing below the
// device path ever leaves the root: ".." stops there.
#pragma once

#include <string>

#include "device/platform/device_platform.h"

namespace zk {

class PosixDevicePlatform : public DevicePlatform {
public:
    // root: an existing host folder, without a trailing separator.
    explicit PosixDevicePlatform(std::string root);

    std::unique_ptr<DeviceFile> OpenFile(std::u16string_view path, DeviceOpenMode mode,
                                         std::uint32_t attributes = DEVICE_ATTR_NORMAL) override;
    bool RemoveFile(std::u16string_view path) override;
    bool CreateFolder(std::u16string_view path) override;
    bool GetAttributes(std::u16string_view path, std::uint32_t* attributes) override;
    std::uint64_t LocalFileTimeToUtc(std::uint64_t localTime) override;

    // The host path a device path stands for; empty when the path cannot
    // name anything (it holds a NUL).
    std::string HostPath(std::u16string_view devicePath) const;

    const std::string& root() const { return root_; }

private:
    std::string root_;
};

}  // namespace zk
