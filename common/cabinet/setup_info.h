// What one admission learns from a cabinet's set-up information, whichever
// member carried it (the .000 set-up header or the set-up XML), and the OS
// version points that the four OS booleans of a CabEntry stand for.
#pragma once

#include <cstdint>

namespace zk {

struct SetupInfo {
    char appName[64];   // text up to the first NUL; the rest zero
    char provider[64];
    std::int32_t osMinMajor;  // 0 (with a minor of 0) = not given
    std::int32_t osMinMinor;
    std::int32_t osMaxMajor;  // 0 (with a minor of 0) = no upper bound
    std::int32_t osMaxMinor;
};

struct OsVersionPoint {
    std::int32_t major;
    std::int32_t minor;
};

inline constexpr OsVersionPoint OS_POINT_2002{3, 1};  // not 3.0
inline constexpr OsVersionPoint OS_POINT_2003{4, 0};
inline constexpr OsVersionPoint OS_POINT_2003SE{4, 2};
inline constexpr OsVersionPoint OS_POINT_WM5{5, 0};

}  // namespace zk
