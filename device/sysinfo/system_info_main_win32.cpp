// SystemInfo: the small device program that travels as the first section of
// every package. Started by the installer without arguments and waited for,
// it learns the device's OS version, platform type and processor and leaves
// them in "\Temp\SystemInfo.dat". It has no window and reports nothing: a call
// that fails leaves its fields zero, and a file that cannot be created is not
// written. The Windows CE toolchain calls this entry point WinMain.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "device/ce/ce_api.h"
#include "device/sysinfo/device_classification.h"
#include "device/sysinfo/system_info_file.h"

namespace {

std::u16string TextOf(const WCHAR* text, std::size_t capacity) {
    return std::u16string(reinterpret_cast<const char16_t*>(text), wcsnlen(text, capacity));
}

zk::RawDeviceFacts GatherFacts() {
    zk::RawDeviceFacts facts;

    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (zk::ce::DeviceGetVersionEx(&version)) {
        facts.versionKnown = true;
        facts.majorVersion = static_cast<std::int32_t>(version.dwMajorVersion);
        facts.minorVersion = static_cast<std::int32_t>(version.dwMinorVersion);
    }

    WCHAR platformType[64] = {};
    if (zk::ce::DeviceSystemParametersInfo(zk::ce::CE_SPI_GETPLATFORMTYPE, 64, platformType, 0) ==
        1) {
        facts.platformTypeKnown = true;
        facts.platformType = TextOf(platformType, 64);
    }

    zk::ce::ProcessorInfo processor = {};
    DWORD returned = 0;
    if (zk::ce::DeviceKernelIoControl(zk::ce::CE_IOCTL_PROCESSOR_INFORMATION, nullptr, 0,
                                      &processor, sizeof processor, &returned)) {
        facts.processorKnown = true;
        facts.processorCore = TextOf(processor.processorCore, 40);
        facts.processorName = TextOf(processor.processorName, 40);
        facts.processorVendor = TextOf(processor.vendor, 100);
        facts.clockSpeed = processor.clockSpeed;
    }
    return facts;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    unsigned char bytes[zk::SYSTEM_INFO_RECORD_SIZE];
    zk::EncodeSystemInfoRecord(zk::ClassifyDevice(GatherFacts()), bytes);
    FILE* file = _wfopen(reinterpret_cast<const wchar_t*>(zk::SYSTEM_INFO_FILE_PATH), L"wb");
    if (file) {
        std::fwrite(bytes, 1, sizeof bytes, file);
        std::fclose(file);
    }
    return 0;
}
