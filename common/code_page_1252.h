// Windows code page 1252, the ANSI page of the Western-language desktops the
// project record is written on. Both programs turn the record's 8-bit texts
// into Unicode by it.
#pragma once

#include <cstdint>

namespace zk {

namespace cp1252_detail {
// 0x80 to 0x9F; the five bytes the page leaves undefined map to the control
// character of the same value, as the system's own conversion does.
inline constexpr char16_t HIGH[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
}  // namespace cp1252_detail

inline char16_t Cp1252ToUnicode(unsigned char c) {
    return c >= 0x80 && c <= 0x9F ? cp1252_detail::HIGH[c - 0x80] : static_cast<char16_t>(c);
}

// False for a character the page cannot express.
inline bool UnicodeToCp1252(char32_t u, unsigned char* c) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
        *c = static_cast<unsigned char>(u);
        return true;
    }
    for (int i = 0; i < 32; ++i) {
        if (cp1252_detail::HIGH[i] == u) {
            *c = static_cast<unsigned char>(0x80 + i);
            return true;
        }
    }
    return false;
}

}  // namespace zk
