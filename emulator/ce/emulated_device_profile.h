// The emulated device: on desktop Windows (and under Wine, where a prefix is
// the device) the Windows CE calls of device/ce/ce_api.h answer from a
// profile kept in the registry of the emulation layer:
//
//   HKEY_LOCAL_MACHINE\SOFTWARE\Morvane\Zephyrkit\Emulated Device
//     "MajorVersion", "MinorVersion", "ClockSpeed"          REG_DWORD
//     "ScreenWidth", "ScreenHeight", "TaskBarHeight"         REG_DWORD
//     "PlatformType", "ProcessorCore", "ProcessorName",
//     "ProcessorVendor"                                      REG_SZ
//     "Fail"    REG_SZ: names of calls that fail, among "Version",
//               "PlatformType" and "Processor", separated by commas
//     "ResetDuringInstall"  REG_DWORD N: the device resets while the
//               platform installer's N-th start since the device was made
//               runs (after it has unpacked its cabinet); the value is gone
//               after the reset, as a one-off event
//
// A value that is missing (or of another type) takes its default: a Pocket
// PC with Windows Mobile 2003 Second Edition (4.21) on an Intel PXA270 at
// 520 MHz, the most common device of the range, with a portrait QVGA screen.
//
// The device screen is the top-left ScreenWidth x ScreenHeight of the
// display; its task bar takes the top TaskBarHeight rows, and the soft-key
// bar (as tall as the task bar) the bottom ones. The profile is read at each
// call: writing it and broadcasting WM_SETTINGCHANGE turns the device.
#pragma once

namespace zk::ce {

inline constexpr const wchar_t* EMULATED_DEVICE_KEY =
    L"SOFTWARE\\Morvane\\Zephyrkit\\Emulated Device";

inline constexpr const wchar_t* RESET_DURING_INSTALL_VALUE = L"ResetDuringInstall";

inline constexpr unsigned long DEFAULT_SCREEN_WIDTH = 240;
inline constexpr unsigned long DEFAULT_SCREEN_HEIGHT = 320;
inline constexpr unsigned long DEFAULT_TASK_BAR_HEIGHT = 26;

}  // namespace zk::ce
