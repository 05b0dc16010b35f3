#include "device/installer/format_text.h"

#include <string>

namespace zk {

std::u16string FormatText(std::u16string_view pattern,
                          std::initializer_list<std::u16string_view> args) {
    std::u16string out;
    out.reserve(pattern.size() + 64);
    const std::u16string_view* next = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        char16_t c = pattern[i];
        if (c == u'%' && i + 1 < pattern.size()) {
            char16_t kind = pattern[i + 1];
            if (kind == u'%') {
                out += u'%';
                ++i;
                continue;
            }
            if ((kind == u's' || kind == u'd') && next != args.end()) {
                out += *next++;
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

std::u16string NumberText(std::int64_t value) {
    std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

std::u16string CutText(std::u16string_view text, std::size_t units) {
    if (units == 0) return {};
    std::size_t keep = text.size() < units - 1 ? text.size() : units - 1;
    if (keep < text.size() && keep > 0 && text[keep - 1] >= 0xD800 && text[keep - 1] <= 0xDBFF) {
        --keep;
    }
    return std::u16string(text.substr(0, keep));
}

}  // namespace zk
