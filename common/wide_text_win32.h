// The Windows programs keep their texts as UTF-16 in std::u16string; the
// Windows API takes the same units as wchar_t (two bytes there, four on
// Linux: Windows code only).
#pragma once

#include <string>
#include <string_view>

namespace zk {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

inline const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

inline std::u16string Text16(const wchar_t* text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text));
}

}  // namespace zk
