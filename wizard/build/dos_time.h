// The DOS date and time fields of zip members, which carry UTC here.
#pragma once

#include <cstdint>

#include "platform/utc_time.h"

namespace zk {

// DOS date and time of a UTC instant. Instants before 1980, which DOS dates
// cannot express, are given as 1 January 1980 00:00:00.
std::uint16_t DosDate(const CalendarTime& t);
std::uint16_t DosTime(const CalendarTime& t);

}  // namespace zk
