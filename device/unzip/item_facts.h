// Turning a zip central-directory entry's attributes and times into the
// device's file attributes and file times.
//
// Attributes depend on the host that made the entry (the high byte of
// "version made by"): MS-DOS (0), and the hosts that share its attribute byte
// (7, 11, 14), store Windows attribute bits in the low byte of the external
// attributes. Every other host (Unix above all) stores a mode in the high 16
// bits; its items are archive files, folders when the 0x40000000 bit is set,
// read-only when the owner-write bit 0x00800000 is clear.
//
// Times: the DOS date and time are local time with two-second steps; all three
// times start from them. An extended-timestamp extra block ("UT") carries
// Unix times in UTC that replace them: a flags byte, then a 4-byte time for
// each of the bits 1 (modification), 2 (access), 4 (creation) that is set, in
// that order. The central directory's copy usually carries the modification
// time alone while its flags still name all three, so a time is taken only
// when it lies inside the block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "device/platform/device_platform.h"

namespace zk {

std::uint32_t ItemAttributes(std::uint32_t versionMadeBy, std::uint32_t externalAttributes);

// The DOS date (high 16 bits) and time (low 16 bits) as a file time in the
// same local time; out-of-range fields are clamped, never rejected.
std::uint64_t DosDateTimeToFileTime(std::uint32_t dosDateTime);

// Applies the first "UT" block of an extra field, if any, to the times.
void ApplyExtendedTimestamps(const unsigned char* extra, std::size_t length,
                             DeviceFileTimes* times);

}  // namespace zk
