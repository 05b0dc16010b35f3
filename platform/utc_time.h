// Calendar arithmetic on the platform's times, without the C library's
// time-zone machinery: everything here is UTC.
#pragma once

#include <cstdint>

namespace zk {

struct CalendarTime {
    int year, month, day, hour, minute, second;
};

// Breaks seconds since 1 January 1970 UTC into calendar fields.
CalendarTime UtcCalendarTime(std::int64_t unixSeconds);

// Seconds since 1970 of a FILETIME (100 ns units since 1601), as a signed count.
std::int64_t FiletimeToUnixSeconds(std::uint64_t filetime);

}  // namespace zk
