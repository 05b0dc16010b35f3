// What one admission learns from a cabinet's set-up information, whichever
// member carried it (the .000 set-up header or the set-up XML), and the OS
// version spans that the four OS booleans of a CabEntry stand for.
#pragma once

#include <cstdint>

#include "common/os_version_span.h"

namespace zk {

struct SetupInfo {
    char appName[64];  // text up to the first NUL; the rest zero
    char provider[64];
    std::int32_t osMinMajor;  // 0 (with a minor of 0) = not given
    std::int32_t osMinMinor;
    std::int32_t osMaxMajor;  // 0 (with a minor of 0) = no upper bound
    std::int32_t osMaxMinor;
};

}  // namespace zk
