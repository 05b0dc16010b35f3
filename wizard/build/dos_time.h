// Calendar arithmetic for the zip time fields, without the C library's
// time-zone machinery: zip members carry UTC.
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

// DOS date and time of a UTC instant. Instants before 1980, which DOS dates
// cannot express, are given as 1 January 1980 00:00:00.
std::uint16_t DosDate(const CalendarTime& t);
std::uint16_t DosTime(const CalendarTime& t);

}  // namespace zk
