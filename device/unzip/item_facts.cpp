#include "device/unzip/item_facts.h"

namespace zk {
namespace {

constexpr std::uint32_t UNIX_DIRECTORY_BIT = 0x40000000;
constexpr std::uint32_t UNIX_OWNER_WRITE_BIT = 0x00800000;
constexpr std::uint32_t DOS_ATTRIBUTE_BITS = DEVICE_ATTR_READONLY | DEVICE_ATTR_HIDDEN |
                                             DEVICE_ATTR_SYSTEM | DEVICE_ATTR_DIRECTORY |
                                             DEVICE_ATTR_ARCHIVE;

// Days from 1 January 1601 to the given date of the proleptic Gregorian
// calendar (Howard Hinnant's days-from-civil, shifted to the FILETIME epoch).
std::int64_t DaysSince1601(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    auto yearOfEra = static_cast<unsigned>(year - era * 400);
    unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    std::int64_t daysSince1970 = era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
    return daysSince1970 + 134774;  // 1601-01-01 to 1970-01-01
}

std::uint32_t LittleEndian32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint64_t UnixTimeToFileTime(std::uint32_t seconds) {
    return static_cast<std::uint64_t>(seconds) * DEVICE_FILETIME_PER_SECOND +
           DEVICE_FILETIME_UNIX_EPOCH;
}

unsigned Clamp(unsigned value, unsigned low, unsigned high) {
    return value < low ? low : value > high ? high : value;
}

}  // namespace

std::uint32_t ItemAttributes(std::uint32_t versionMadeBy, std::uint32_t externalAttributes) {
    std::uint32_t host = (versionMadeBy >> 8) & 0xFF;
    if (host == 0 || host == 7 || host == 11 || host == 14)
        return externalAttributes & DOS_ATTRIBUTE_BITS;
    std::uint32_t attributes = DEVICE_ATTR_ARCHIVE;
    if (externalAttributes & UNIX_DIRECTORY_BIT) attributes |= DEVICE_ATTR_DIRECTORY;
    if (!(externalAttributes & UNIX_OWNER_WRITE_BIT)) attributes |= DEVICE_ATTR_READONLY;
    return attributes;
}

std::uint64_t DosDateTimeToFileTime(std::uint32_t dosDateTime) {
    std::uint32_t date = dosDateTime >> 16;
    std::uint32_t time = dosDateTime & 0xFFFF;
    std::int64_t year = static_cast<std::int64_t>(date >> 9) + 1980;
    unsigned month = Clamp((date >> 5) & 15, 1, 12);
    unsigned day = Clamp(date & 31, 1, 31);
    unsigned hour = Clamp(time >> 11, 0, 23);
    unsigned minute = Clamp((time >> 5) & 63, 0, 59);
    unsigned second = Clamp((time & 31) * 2, 0, 59);
    std::int64_t seconds =
        DaysSince1601(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    return static_cast<std::uint64_t>(seconds) * DEVICE_FILETIME_PER_SECOND;
}

void ApplyExtendedTimestamps(const unsigned char* extra, std::size_t length,
                             DeviceFileTimes* times) {
    if (!extra || length <= 4) return;
    std::size_t at = 0;
    // A block is looked at only while its header and one payload byte fit.
    while (at + 4 < length) {
        std::size_t size =
            static_cast<std::size_t>(extra[at + 2]) | static_cast<std::size_t>(extra[at + 3]) << 8;
        if (extra[at] == 'U' && extra[at + 1] == 'T') {
            std::size_t end = at + 4 + size;
            if (end > length) end = length;
            unsigned flags = extra[at + 4];
            std::size_t field = at + 5;
            std::uint64_t* targets[] = {&times->modification, &times->access, &times->creation};
            for (unsigned bit = 0; bit < 3; ++bit) {
                if (!(flags & (1u << bit))) continue;
                if (field + 4 > end) break;
                *targets[bit] = UnixTimeToFileTime(LittleEndian32(extra + field));
                field += 4;
            }
            return;
        }
        at += 4 + size;
    }
}

}  // namespace zk
