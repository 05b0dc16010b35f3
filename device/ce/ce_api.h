// The Windows CE calls the device programs make that desktop Windows lacks or
// answers differently. On a Windows CE toolchain these forward to the system
// (GetVersionExW, SystemParametersInfoW, KernelIoControl); the desktop build
// of the emulated device answers them from the device profile it emulates.
//
// Distinct names keep clear of the A/W macros of <windows.h> and of the
// ActiveSync Remote API, which has its own CeGetVersionEx.
#pragma once

#include <windows.h>

#include <cstddef>

namespace zk::ce {

// SystemParametersInfoW action: the platform type text ("PocketPC",
// "SmartPhone").
inline constexpr UINT CE_SPI_GETPLATFORMTYPE = 257;

// KernelIoControl code: CTL_CODE(FILE_DEVICE_HAL, 25, METHOD_BUFFERED,
// FILE_ANY_ACCESS), output a ProcessorInfo.
inline constexpr DWORD CE_IOCTL_PROCESSOR_INFORMATION = 0x01010064;

// The platform's PROCESSOR_INFO, 576 bytes.
struct ProcessorInfo {
    WORD version;
    WCHAR processorCore[40];
    WORD coreRevision;
    WCHAR processorName[40];
    WORD processorRevision;
    WCHAR catalogNumber[100];
    WCHAR vendor[100];
    DWORD instructionSet;
    DWORD clockSpeed;
};
static_assert(sizeof(ProcessorInfo) == 576);
static_assert(offsetof(ProcessorInfo, vendor) == 366);
static_assert(offsetof(ProcessorInfo, clockSpeed) == 572);

// GetVersionExW: info->dwOSVersionInfoSize must be set (276 bytes).
BOOL DeviceGetVersionEx(OSVERSIONINFOW* info);

// SystemParametersInfoW; for CE_SPI_GETPLATFORMTYPE success is the value 1.
BOOL DeviceSystemParametersInfo(UINT action, UINT param, void* data, UINT winIni);

// KernelIoControl.
BOOL DeviceKernelIoControl(DWORD code, void* input, DWORD inputSize, void* output,
                           DWORD outputSize, DWORD* returned);

}  // namespace zk::ce
