#include "wizard/build/dos_time.h"

namespace zk {

std::uint16_t DosDate(const CalendarTime& t) {
    if (t.year < 1980) return (0 << 9) | (1 << 5) | 1;
    if (t.year > 2107) return static_cast<std::uint16_t>((127 << 9) | (12 << 5) | 31);
    return static_cast<std::uint16_t>((t.year - 1980) * 512 + t.month * 32 + t.day);
}

std::uint16_t DosTime(const CalendarTime& t) {
    if (t.year < 1980) return 0;
    if (t.year > 2107) return static_cast<std::uint16_t>(23 * 2048 + 59 * 32 + 29);
    return static_cast<std::uint16_t>(t.hour * 2048 + t.minute * 32 + t.second / 2);
}

}  // namespace zk
