// The build's real device platform, with a test folder playing the device.
#pragma once

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
