// The build's real device platform, with a test folder playing the device,
// and a device file's whole text read or written through any platform.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#if defined(_WIN32)
#include "device/platform/device_platform_win32.h"
namespace zk::test {
using NativeDevicePlatform = Win32DevicePlatform;
}
#else
#include "device/platform/device_platform_posix.h"
namespace zk::test {
using NativeDevicePlatform = PosixDevicePlatform;
}
#endif

namespace zk::test {

// "<none>" when the file cannot be opened.
inline std::string ReadAll(DevicePlatform& platform, std::u16string_view path) {
    std::unique_ptr<DeviceFile> file = platform.OpenFile(path, DeviceOpenMode::Read);
    if (!file) return "<none>";
    std::string text;
    char buffer[64];
    while (std::size_t n = file->Read(buffer, sizeof buffer)) text.append(buffer, n);
    return text;
}

inline void WriteAll(DevicePlatform& platform, std::u16string_view path, const std::string& text,
                     DeviceOpenMode mode = DeviceOpenMode::CreateWrite) {
    std::unique_ptr<DeviceFile> file = platform.OpenFile(path, mode);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Write(text.data(), text.size()), text.size());
    EXPECT_TRUE(file->Close());
}

}  // namespace zk::test
