// Copying into the fixed NUL-terminated buffers of the records. A buffer of n
// bytes holds at most n - 1 characters; longer text is cut, never overrun.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace zk {

inline void CopyText(char* dst, std::size_t capacity, std::string_view src) {
    if (capacity == 0) return;
    std::size_t n = src.size() < capacity - 1 ? src.size() : capacity - 1;
    if (n) std::memcpy(dst, src.data(), n);
    dst[n] = '\0';
}

template <std::size_t N>
inline void CopyText(char (&dst)[N], std::string_view src) {
    CopyText(dst, N, src);
}

// The text of a fixed buffer up to its terminator, or the whole buffer when a
// loaded record carries none.
template <std::size_t N>
inline std::string TextOf(const char (&src)[N]) {
    return std::string(src, strnlen(src, N));
}

}  // namespace zk
