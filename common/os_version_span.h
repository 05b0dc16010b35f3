// Windows Mobile versions as the platform numbers them: a (major, minor) pair
// of integers, so 4.20 is minor twenty and comes after 4.3. Each of the four
// OS versions the product targets covers a span of such pairs; the cabinet
// flags and the device facts both read versions against these spans, so a
// cabinet flagged for an OS is one a device of that OS takes.
#pragma once

#include <cstdint>

namespace zk {

struct OsVersion {
    std::int32_t major;
    std::int32_t minor;
};

constexpr bool VersionBefore(OsVersion a, OsVersion b) {
    return a.major < b.major || (a.major == b.major && a.minor < b.minor);
}

struct OsSpan {
    OsVersion low;   // inclusive
    OsVersion high;  // inclusive
};

constexpr bool SpanHolds(OsSpan span, OsVersion v) {
    return !VersionBefore(v, span.low) && !VersionBefore(span.high, v);
}

// Windows Mobile 2003 is 4.20 and its Second Edition 4.21; Windows Mobile 6
// and 6.5 report 5.2 and count as Windows Mobile 5.
inline constexpr OsSpan OS_SPAN_2002{{3, 0}, {3, 99}};
inline constexpr OsSpan OS_SPAN_2003{{4, 0}, {4, 20}};
inline constexpr OsSpan OS_SPAN_2003SE{{4, 21}, {4, 99}};
inline constexpr OsSpan OS_SPAN_WM5{{5, 0}, {5, 99}};

}  // namespace zk
