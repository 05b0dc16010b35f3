#include "platform/utc_time.h"

#include "platform/desktop_platform.h"

namespace zk {

CalendarTime UtcCalendarTime(std::int64_t unixSeconds) {
    std::int64_t days = unixSeconds / 86400;
    std::int64_t rest = unixSeconds % 86400;
    if (rest < 0) {
        rest += 86400;
        days -= 1;
    }
    // Days to civil date in the proleptic Gregorian calendar (H. Hinnant).
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t doe = days - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    CalendarTime t;
    t.year = static_cast<int>(year);
    t.month = static_cast<int>(month);
    t.day = static_cast<int>(day);
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

std::int64_t FiletimeToUnixSeconds(std::uint64_t filetime) {
    // Floor division, so instants before 1970 round towards the past.
    const std::int64_t ticks =
        static_cast<std::int64_t>(filetime) - static_cast<std::int64_t>(FILETIME_UNIX_EPOCH);
    std::int64_t seconds = ticks / 10000000;
    if (ticks % 10000000 < 0) seconds -= 1;
    return seconds;
}

}  // namespace zk
