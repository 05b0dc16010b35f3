// The device-facts record as a file: its bytes, reading it back, and the log
// line the installer writes about it.
#pragma once

#include <string>
#include <string_view>

#include "device/platform/device_platform.h"
#include "device/sysinfo/system_info_record.h"

namespace zk {

// The 512 bytes written to the file.
void EncodeSystemInfoRecord(const SystemInfoRecord& record,
                            unsigned char (&bytes)[SYSTEM_INFO_RECORD_SIZE]);

// A record from up to 512 bytes; missing bytes count as zero.
SystemInfoRecord DecodeSystemInfoRecord(const void* bytes, std::size_t length);

// Reads the file into *record (cleared first, missing bytes zero). False, with
// *record left as it was, when the file does not open. *whole, when given,
// says whether all 512 bytes were there.
bool ReadSystemInfoFile(DevicePlatform& platform, std::u16string_view path,
                        SystemInfoRecord* record, bool* whole = nullptr);

// "[SystemInfo] Platform [...] majorVersion [n] minorVersion[n] Processor
// [core name vendor]"
std::u16string SystemInfoLogLine(const SystemInfoRecord& record);

}  // namespace zk
