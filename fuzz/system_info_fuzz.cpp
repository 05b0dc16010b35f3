// Reading the device-facts file the system-information tool leaves
// (\Temp\SystemInfo.dat), its log line, and the compatibility rule over it.
// The input is the file.
#include <cstdint>
#include <cstring>

#include "common/project_record.h"
#include "device/sysinfo/cabinet_compatibility.h"
#include "device/sysinfo/system_info_file.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/memory_device_platform.h"

using namespace zk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::MemoryDevicePlatform platform;
    platform.PutFile(u"\\Temp\\SystemInfo.dat", data, size);

    SystemInfoRecord record;
    std::memset(&record, 0xA5, sizeof record);
    ZK_FUZZ_CHECK(ReadSystemInfoFile(platform, u"\\Temp\\SystemInfo.dat", &record));
    // The first 512 bytes as they are, the missing ones zero.
    unsigned char expected[SYSTEM_INFO_RECORD_SIZE] = {};
    std::memcpy(expected, data, size < sizeof expected ? size : sizeof expected);
    ZK_FUZZ_CHECK(std::memcmp(&record, expected, sizeof expected) == 0);

    // Names without a terminator are read to the end of their field, no
    // further: the four fields, two numbers of at most 11 characters, and 70
    // characters of fixed text.
    const std::u16string line = SystemInfoLogLine(record);
    ZK_FUZZ_CHECK(line.size() <= 64 + 40 + 40 + 100 + 2 * 11 + 70);

    // Every cabinet flag combination of one group at a time: an all-zero
    // record never matches.
    bool zero = true;
    for (unsigned char b : expected) zero = zero && b == 0;
    CabEntry entry{};
    for (unsigned bits = 0; bits < 512; bits += 37) {
        std::uint8_t* flags[] = {&entry.forPocketPC, &entry.forSmartphone, &entry.forOs2002,
                                 &entry.forOs2003,   &entry.forOs2003SE,   &entry.forOs2005,
                                 &entry.forTI,       &entry.forIntel,      &entry.forSamsung};
        for (unsigned i = 0; i < 9; ++i) *flags[i] = (bits >> i) & 1;
        const bool compatible = IsCabinetCompatible(entry, record, true);
        if (zero) ZK_FUZZ_CHECK(!compatible);
        // The processor filter off only ever widens the match.
        if (compatible) ZK_FUZZ_CHECK(IsCabinetCompatible(entry, record, false));
    }

    // A file that is not there leaves the record as it was.
    SystemInfoRecord kept = record;
    ZK_FUZZ_CHECK(!ReadSystemInfoFile(platform, u"\\Temp\\Missing.dat", &kept));
    ZK_FUZZ_CHECK(std::memcmp(&kept, &record, sizeof record) == 0);
    return 0;
}
