#include "wizard/cabinet/ansi_text.h"

#include <cstdint>

namespace zk {
namespace {

// Windows-1252 bytes 0x80 to 0x9F; 0 marks the five unassigned ones.
constexpr std::uint16_t HIGH_CONTROLS[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char AnsiOf(std::uint32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<char>(code);
    for (int i = 0; i < 32; ++i)
        if (HIGH_CONTROLS[i] != 0 && HIGH_CONTROLS[i] == code) return static_cast<char>(0x80 + i);
    return '?';
}

}  // namespace

std::string AnsiFromUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2
                                 : (lead & 0xF8) == 0xF0   ? 3 : -1;
        if (extra < 0 || utf8.size() - i <= static_cast<std::size_t>(extra)) {
            out += '?';
            ++i;
            continue;
        }
        std::uint32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        bool good = true;
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) {
                good = false;
                break;
            }
            code = code << 6 | (next & 0x3F);
        }
        if (!good) {
            out += '?';
            ++i;
            continue;
        }
        out += AnsiOf(code);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

}  // namespace zk
