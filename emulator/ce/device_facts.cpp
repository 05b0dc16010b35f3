// The device's own facts: its OS version, platform type, processor and work
// area, answered from the profile of emulated_device_profile.h. (A Windows CE
// toolchain forwards the same calls to GetVersionExW, SystemParametersInfoW
// and KernelIoControl.)
#include <cstring>
#include <cwchar>

#include "device/ce/ce_api.h"
#include "emulator/ce/device_screen.h"
#include "emulator/ce/emulated_reset.h"
#include "emulator/ce/profile_reader.h"

namespace zk::ce {
namespace {

constexpr DWORD DEFAULT_MAJOR = 4;
constexpr DWORD DEFAULT_MINOR = 21;
constexpr DWORD DEFAULT_CLOCK = 520;
constexpr const wchar_t* DEFAULT_PLATFORM = L"PocketPC";
constexpr const wchar_t* DEFAULT_CORE = L"ARMV5TE";
constexpr const wchar_t* DEFAULT_NAME = L"PXA270";
constexpr const wchar_t* DEFAULT_VENDOR = L"Intel";

BOOL PlatformType(UINT param, void* data) {
    // The size is the buffer's in bytes, as on the device.
    std::size_t units = param / sizeof(WCHAR);
    if (!data || units == 0 || ProfileFails(L"PlatformType")) {
        SetLastError(data && units ? ERROR_NOT_SUPPORTED : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    WCHAR platform[PROFILE_TEXT_UNITS + 1];
    ProfileText(L"PlatformType", DEFAULT_PLATFORM, platform, PROFILE_TEXT_UNITS + 1);
    std::size_t length = wcslen(platform);
    if (length >= units) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    auto* out = static_cast<WCHAR*>(data);
    wmemcpy(out, platform, length);
    wmemset(out + length, L'\0', units - length);
    return 1;
}

BOOL ProcessorInformation(void* output, DWORD outputSize, DWORD* returned) {
    if (!output || outputSize < sizeof(ProcessorInfo)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (ProfileFails(L"Processor")) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    auto* info = static_cast<ProcessorInfo*>(output);
    std::memset(info, 0, sizeof *info);
    info->version = 1;
    ProfileText(L"ProcessorCore", DEFAULT_CORE, info->processorCore, 40);
    ProfileText(L"ProcessorName", DEFAULT_NAME, info->processorName, 40);
    ProfileText(L"ProcessorVendor", DEFAULT_VENDOR, info->vendor, 100);
    info->clockSpeed = ProfileNumber(L"ClockSpeed", DEFAULT_CLOCK);
    if (returned) *returned = sizeof *info;
    return TRUE;
}

}  // namespace

BOOL DeviceGetVersionEx(OSVERSIONINFOW* info) {
    if (!info || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOW)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (ProfileFails(L"Version")) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    DWORD size = info->dwOSVersionInfoSize;
    std::memset(info, 0, sizeof(OSVERSIONINFOW));
    info->dwOSVersionInfoSize = size;
    info->dwMajorVersion = ProfileNumber(L"MajorVersion", DEFAULT_MAJOR);
    info->dwMinorVersion = ProfileNumber(L"MinorVersion", DEFAULT_MINOR);
    info->dwPlatformId = 3;  // VER_PLATFORM_WIN32_CE
    return TRUE;
}

BOOL DeviceSystemParametersInfo(UINT action, UINT param, void* data, UINT winIni) {
    if (action == CE_SPI_GETPLATFORMTYPE) return PlatformType(param, data);
    if (action == SPI_GETWORKAREA) {
        if (!data) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        *static_cast<RECT*>(data) = WorkArea(ReadDeviceScreen());
        return TRUE;
    }
    return SystemParametersInfoW(action, param, data, winIni);
}

BOOL DeviceKernelIoControl(DWORD code, void*, DWORD, void* output, DWORD outputSize,
                           DWORD* returned) {
    if (code == CE_IOCTL_PROCESSOR_INFORMATION)
        return ProcessorInformation(output, outputSize, returned);
    if (code == CE_IOCTL_HAL_REBOOT) EmulatedReset();
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

}  // namespace zk::ce
