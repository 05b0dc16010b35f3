// The device-facts record: what the SystemInfo tool learns about the device
// and leaves in "\Temp\SystemInfo.dat" for the installer, which decides with
// it which cabinets suit the device.
//
// Exactly 512 bytes, little-endian, no header; every byte not named is 0.
// Texts are UTF-16, zero-terminated in zero-filled buffers; flags are one
// byte, 1 for yes. Flags stay uint8_t rather than bool: a record read from a
// file may hold any byte there.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace zk {

inline constexpr std::size_t SYSTEM_INFO_RECORD_SIZE = 512;
inline constexpr const char16_t* SYSTEM_INFO_FILE_PATH = u"\\Temp\\SystemInfo.dat";

// Packed to two bytes, not one: every field already lies at its offset, and
// the text buffers stay aligned for code that takes their address.
#pragma pack(push, 2)

struct SystemInfoRecord {
    std::int32_t majorVersion;
    std::int32_t minorVersion;
    std::uint8_t isOs2002;    // major 3
    std::uint8_t isOs2003;    // major 4, minor up to 2
    std::uint8_t isOs2003SE;  // major 4, minor above 2
    std::uint8_t isOs2005;    // major 5
    char16_t platformType[64];
    std::uint8_t isPocketPC;
    std::uint8_t isSmartPhone;
    char16_t processorCore[40];
    char16_t processorName[40];
    char16_t processorVendor[100];
    std::uint8_t reserved1[2];
    std::uint32_t clockSpeed;  // as the platform reports it; nothing reads it
    std::uint8_t isIntel;
    std::uint8_t isTI;
    std::uint8_t isSamsung;
    std::uint8_t reserved2;
};

#pragma pack(pop)

static_assert(sizeof(SystemInfoRecord) == SYSTEM_INFO_RECORD_SIZE);
static_assert(offsetof(SystemInfoRecord, majorVersion) == 0);
static_assert(offsetof(SystemInfoRecord, minorVersion) == 4);
static_assert(offsetof(SystemInfoRecord, isOs2002) == 8);
static_assert(offsetof(SystemInfoRecord, isOs2003) == 9);
static_assert(offsetof(SystemInfoRecord, isOs2003SE) == 10);
static_assert(offsetof(SystemInfoRecord, isOs2005) == 11);
static_assert(offsetof(SystemInfoRecord, platformType) == 12);
static_assert(offsetof(SystemInfoRecord, isPocketPC) == 140);
static_assert(offsetof(SystemInfoRecord, isSmartPhone) == 141);
static_assert(offsetof(SystemInfoRecord, processorCore) == 142);
static_assert(offsetof(SystemInfoRecord, processorName) == 222);
static_assert(offsetof(SystemInfoRecord, processorVendor) == 302);
static_assert(offsetof(SystemInfoRecord, reserved1) == 502);
static_assert(offsetof(SystemInfoRecord, clockSpeed) == 504);
static_assert(offsetof(SystemInfoRecord, isIntel) == 508);
static_assert(offsetof(SystemInfoRecord, isTI) == 509);
static_assert(offsetof(SystemInfoRecord, isSamsung) == 510);
static_assert(offsetof(SystemInfoRecord, reserved2) == 511);

// The record is written byte for byte, so it only works on a little-endian host.
static_assert(std::endian::native == std::endian::little);

}  // namespace zk
