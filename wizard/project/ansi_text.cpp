#include "wizard/project/ansi_text.h"

#include <cstdint>

namespace zk {
namespace {

// Code page 1252 at 0x80 to 0x9F; 0 marks the five unassigned bytes, which
// pass through as the C1 controls of the same value.
constexpr std::uint16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t FromAnsi(unsigned char c) {
    if (c >= 0x80 && c < 0xA0 && kHigh[c - 0x80]) return kHigh[c - 0x80];
    return c;
}

bool ToAnsi(char32_t u, unsigned char* c) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
        *c = static_cast<unsigned char>(u);
        return true;
    }
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] ? kHigh[i] == u : u == static_cast<char32_t>(0x80 + i)) {
            *c = static_cast<unsigned char>(0x80 + i);
            return true;
        }
    }
    return false;
}

void AppendUtf8(std::string& out, char32_t u) {
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | u >> 6);
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | u >> 12);
        out += static_cast<char>(0x80 | (u >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

// Decodes the UTF-8 character at `i`; false for a malformed one. `length`
// receives the bytes it takes.
bool DecodeUtf8(std::string_view utf8, std::size_t i, char32_t* u, std::size_t* length) {
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    std::size_t n = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3
                                    : (lead & 0xF8) == 0xF0   ? 4 : 0;
    if (n == 0 || i + n > utf8.size()) return false;
    char32_t code = n == 1 ? lead : lead & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
        const unsigned char next = static_cast<unsigned char>(utf8[i + k]);
        if ((next & 0xC0) != 0x80) return false;
        code = code << 6 | (next & 0x3F);
    }
    *u = code;
    *length = n;
    return true;
}

// Converts until the first fault, which is either replaced by '?' (lossy) or
// ends the conversion with false.
bool Convert(std::string_view utf8, std::string* out, bool lossy) {
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t u = 0;
        std::size_t n = 1;
        unsigned char a = '?';
        const bool decoded = DecodeUtf8(utf8, i, &u, &n);
        if (!decoded) n = 1;
        if (!decoded || !ToAnsi(u, &a)) {
            if (!lossy) return false;
            a = '?';
        }
        *out += static_cast<char>(a);
        i += n;
    }
    return true;
}

}  // namespace

std::string AnsiToUtf8(std::string_view ansi) {
    std::string out;
    for (unsigned char c : ansi) AppendUtf8(out, FromAnsi(c));
    return out;
}

bool Utf8ToAnsi(std::string_view utf8, std::string* ansi) {
    std::string out;
    if (!Convert(utf8, &out, false)) return false;
    *ansi = out;
    return true;
}

std::string AnsiFromUtf8(std::string_view utf8) {
    std::string out;
    Convert(utf8, &out, true);
    return out;
}

std::u16string WideFromAnsi(std::string_view ansi) {
    std::u16string out;
    out.reserve(ansi.size());
    for (unsigned char c : ansi) out += static_cast<char16_t>(FromAnsi(c));
    return out;
}

std::string AnsiFromWide(std::u16string_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t u = wide[i];
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] < 0xE000) {
            u = 0x10000 + ((u - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
            ++i;
        }
        unsigned char a = '?';
        if (!ToAnsi(u, &a)) a = '?';
        out += static_cast<char>(a);
    }
    return out;
}

}  // namespace zk
