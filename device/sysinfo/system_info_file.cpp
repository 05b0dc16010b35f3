#include "device/sysinfo/system_info_file.h"

#include <cstring>

#include "common/utf16_text.h"

namespace zk {

void EncodeSystemInfoRecord(const SystemInfoRecord& record,
                            unsigned char (&bytes)[SYSTEM_INFO_RECORD_SIZE]) {
    std::memcpy(bytes, &record, SYSTEM_INFO_RECORD_SIZE);
}

SystemInfoRecord DecodeSystemInfoRecord(const void* bytes, std::size_t length) {
    SystemInfoRecord record;
    std::memset(&record, 0, sizeof record);
    if (bytes) std::memcpy(&record, bytes, length < sizeof record ? length : sizeof record);
    return record;
}

bool ReadSystemInfoFile(DevicePlatform& platform, std::u16string_view path,
                        SystemInfoRecord* record, bool* whole) {
    std::unique_ptr<DeviceFile> file = platform.OpenFile(path, DeviceOpenMode::Read);
    if (!file) return false;
    unsigned char bytes[SYSTEM_INFO_RECORD_SIZE];
    std::size_t length = 0;
    while (length < sizeof bytes) {
        std::size_t n = file->Read(bytes + length, sizeof bytes - length);
        if (n == 0) break;
        length += n;
    }
    file->Close();
    *record = DecodeSystemInfoRecord(bytes, length);
    if (whole) *whole = length == sizeof bytes;
    return true;
}

std::u16string SystemInfoLogLine(const SystemInfoRecord& record) {
    auto number = [](std::int32_t n) { return Utf8ToUtf16(std::to_string(n)); };
    std::u16string line = u"[SystemInfo] Platform [";
    line += TextOf16(record.platformType);
    line += u"] majorVersion [" + number(record.majorVersion);
    line += u"] minorVersion[" + number(record.minorVersion);
    line += u"] Processor [";
    line += TextOf16(record.processorCore);
    line += u' ';
    line += TextOf16(record.processorName);
    line += u' ';
    line += TextOf16(record.processorVendor);
    line += u']';
    return line;
}

}  // namespace zk
