// The build's real desktop platform, which the test doubles hand files to.
#pragma once

#if defined(_WIN32)
#include "platform/desktop_platform_win32.h"
namespace zk::test {
using NativeDesktopPlatform = Win32DesktopPlatform;
}
#else
#include "platform/desktop_platform_posix.h"
namespace zk::test {
using NativeDesktopPlatform = PosixDesktopPlatform;
}
#endif
