// UTF-16 <-> UTF-8. The device and its paths work in UTF-16; zip item names
// and host file names are UTF-8. Malformed input never fails a conversion:
// each bad sequence (or unpaired surrogate) becomes U+FFFD.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zk {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// Copies into a fixed zero-terminated buffer of `capacity` units: at most
// capacity - 1 units are kept, a surrogate pair is never split, and the rest
// of the buffer is zero-filled.
void CopyText16(char16_t* dst, std::size_t capacity, std::u16string_view src);

template <std::size_t N>
inline void CopyText16(char16_t (&dst)[N], std::u16string_view src) {
    CopyText16(dst, N, src);
}

// The text of a fixed buffer up to its terminator, or the whole buffer when a
// loaded record carries none.
std::u16string_view TextOf16(const char16_t* src, std::size_t capacity);

template <std::size_t N>
inline std::u16string_view TextOf16(const char16_t (&src)[N]) {
    return TextOf16(src, N);
}

// ASCII letters compared without case, everything else exactly, as the
// device compares names and settings words.
bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b);

}  // namespace zk
