// From what the device reports to the device-facts record: which Windows
// Mobile version, which platform and which processor family.
//
// Version: read as a (major, minor) integer pair against the OS spans, so
// 3.0-3.99 is 2002, 4.0-4.20 is 2003, 4.21-4.99 is 2003 SE and 5.0-5.99 is
// Windows Mobile 5 (6 and 6.5 report 5.2); anything else sets no version flag. Platform:
// "PocketPC", else "SmartPhone". Processor family, first match wins: Intel (vendor "INTEL", or
// "PXA" in the processor or core name), TI (vendor "TI", or "OMAP"), Samsung (vendor "SAMSUNG", or
// "S3C" or "SC3"). Whole words (platform type, vendor) are compared without regard to case; the
// name fragments are matched exactly.
#pragma once

#include <cstdint>
#include <string>

#include "device/sysinfo/system_info_record.h"

namespace zk {

// What the three platform calls gave; a call that failed gives nothing.
struct RawDeviceFacts {
    bool versionKnown = false;
    std::int32_t majorVersion = 0;
    std::int32_t minorVersion = 0;

    bool platformTypeKnown = false;
    std::u16string platformType;

    bool processorKnown = false;
    std::u16string processorCore;
    std::u16string processorName;
    std::u16string processorVendor;
    std::uint32_t clockSpeed = 0;
};

SystemInfoRecord ClassifyDevice(const RawDeviceFacts& facts);

}  // namespace zk
