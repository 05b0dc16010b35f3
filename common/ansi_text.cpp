#include "common/ansi_text.h"

#include <cstdint>
#include <cstdio>

#include "common/code_page_1252.h"

namespace zk {
namespace {

char32_t FromAnsi(unsigned char c) { return Cp1252ToUnicode(c); }

bool ToAnsi(char32_t u, unsigned char* c) { return UnicodeToCp1252(u, c); }

void AppendUtf8(std::string& out, char32_t u) {
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | u >> 6);
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        out += static_cast<char>(0xE0 | u >> 12);
        out += static_cast<char>(0x80 | (u >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | u >> 18);
        out += static_cast<char>(0x80 | (u >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (u >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

// Decodes the UTF-8 character at `i`; false for a malformed one. `length`
// receives the bytes it takes. Overlong forms are refused: "\xC0\xAF" is no
// '/' here, so a name cannot smuggle a separator past a check.
bool DecodeUtf8(std::string_view utf8, std::size_t i, char32_t* u, std::size_t* length) {
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    std::size_t n = lead < 0x80             ? 1
                    : (lead & 0xE0) == 0xC0 ? 2
                    : (lead & 0xF0) == 0xE0 ? 3
                    : (lead & 0xF8) == 0xF0 ? 4
                                            : 0;
    if (n == 0 || i + n > utf8.size()) return false;
    char32_t code = n == 1 ? lead : lead & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
        const unsigned char next = static_cast<unsigned char>(utf8[i + k]);
        if ((next & 0xC0) != 0x80) return false;
        code = code << 6 | (next & 0x3F);
    }
    constexpr char32_t SMALLEST[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < SMALLEST[n] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    *u = code;
    *length = n;
    return true;
}

// Converts until the first fault, which is either replaced by '?' (lossy) or
// ends the conversion with false and is described in `fault`.
bool Convert(std::string_view utf8, std::string* out, bool lossy, TextFault* fault) {
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t u = 0;
        std::size_t n = 1;
        unsigned char a = '?';
        const bool decoded = DecodeUtf8(utf8, i, &u, &n);
        if (!decoded) n = 1;
        if (!decoded || !ToAnsi(u, &a)) {
            if (!lossy) {
                if (fault) {
                    *fault = TextFault{};
                    fault->malformed = !decoded;
                    fault->character = decoded ? u : 0;
                    fault->byte = static_cast<unsigned char>(utf8[i]);
                    fault->offset = i;
                }
                return false;
            }
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

bool Utf8ToAnsi(std::string_view utf8, std::string* ansi, TextFault* fault) {
    std::string out;
    if (!Convert(utf8, &out, false, fault)) return false;
    *ansi = out;
    return true;
}

std::string DescribeTextFault(const TextFault& fault) {
    char text[64];
    if (fault.malformed)
        std::snprintf(text, sizeof text, "is not valid UTF-8 (byte 0x%02X at offset %zu)",
                      fault.byte, fault.offset);
    else
        std::snprintf(text, sizeof text, "holds U+%04X, which code page 1252 cannot store",
                      static_cast<unsigned>(fault.character));
    return text;
}

std::string AnsiFromUtf8(std::string_view utf8) {
    std::string out;
    Convert(utf8, &out, true, nullptr);
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
