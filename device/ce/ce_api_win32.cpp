// The device/ce layer of the desktop build: the emulated device of
// emulated_device_profile.h. (A Windows CE toolchain forwards the same three
// calls to GetVersionExW, SystemParametersInfoW and KernelIoControl.)
#include "device/ce/ce_api.h"

#include <cstring>
#include <cwchar>
#include <string>

#include "device/ce/emulated_device_profile.h"

namespace zk::ce {
namespace {

constexpr DWORD DEFAULT_MAJOR = 4;
constexpr DWORD DEFAULT_MINOR = 21;
constexpr DWORD DEFAULT_CLOCK = 520;
constexpr const wchar_t* DEFAULT_PLATFORM = L"PocketPC";
constexpr const wchar_t* DEFAULT_CORE = L"ARMV5TE";
constexpr const wchar_t* DEFAULT_NAME = L"PXA270";
constexpr const wchar_t* DEFAULT_VENDOR = L"Intel";

// Profile texts longer than this are cut, as the largest field the device
// reports holds 100 units.
constexpr DWORD MAX_TEXT_UNITS = 128;

std::wstring ProfileText(const wchar_t* value, const wchar_t* fallback) {
    wchar_t buffer[MAX_TEXT_UNITS + 1] = {};
    DWORD type = 0;
    DWORD size = MAX_TEXT_UNITS * sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, EMULATED_DEVICE_KEY, value, RRF_RT_ANY, &type, buffer,
                     &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return fallback;
    return std::wstring(buffer, wcsnlen(buffer, MAX_TEXT_UNITS));
}

DWORD ProfileNumber(const wchar_t* value, DWORD fallback) {
    DWORD data = 0;
    DWORD type = 0;
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, EMULATED_DEVICE_KEY, value, RRF_RT_ANY, &type, &data,
                     &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof data)
        return fallback;
    return data;
}

// Whether the profile has the named call fail, to play a device whose
// platform cannot answer it.
bool Fails(const wchar_t* call) {
    std::wstring list = L"," + ProfileText(L"Fail", L"") + L",";
    std::wstring wanted = std::wstring(L",") + call + L",";
    for (std::size_t at = 0; (at = list.find(L' ', at)) != std::wstring::npos;) list.erase(at, 1);
    return list.find(wanted) != std::wstring::npos;
}

void CopyInto(WCHAR* target, std::size_t capacity, const std::wstring& text) {
    std::size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
    wmemcpy(target, text.c_str(), n);
    wmemset(target + n, L'\0', capacity - n);
}

}  // namespace

BOOL DeviceGetVersionEx(OSVERSIONINFOW* info) {
    if (!info || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOW)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (Fails(L"Version")) {
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
    if (action != CE_SPI_GETPLATFORMTYPE) return SystemParametersInfoW(action, param, data, winIni);
    // The size is the buffer's in bytes, as on the device.
    std::size_t units = param / sizeof(WCHAR);
    if (!data || units == 0 || Fails(L"PlatformType")) {
        SetLastError(data && units ? ERROR_NOT_SUPPORTED : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::wstring platform = ProfileText(L"PlatformType", DEFAULT_PLATFORM);
    if (platform.size() >= units) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    CopyInto(static_cast<WCHAR*>(data), units, platform);
    return 1;
}

BOOL DeviceKernelIoControl(DWORD code, void*, DWORD, void* output, DWORD outputSize,
                           DWORD* returned) {
    if (code != CE_IOCTL_PROCESSOR_INFORMATION) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    if (!output || outputSize < sizeof(ProcessorInfo)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (Fails(L"Processor")) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    auto* info = static_cast<ProcessorInfo*>(output);
    std::memset(info, 0, sizeof *info);
    info->version = 1;
    CopyInto(info->processorCore, 40, ProfileText(L"ProcessorCore", DEFAULT_CORE));
    CopyInto(info->processorName, 40, ProfileText(L"ProcessorName", DEFAULT_NAME));
    CopyInto(info->vendor, 100, ProfileText(L"ProcessorVendor", DEFAULT_VENDOR));
    info->clockSpeed = ProfileNumber(L"ClockSpeed", DEFAULT_CLOCK);
    if (returned) *returned = sizeof *info;
    return TRUE;
}

}  // namespace zk::ce
