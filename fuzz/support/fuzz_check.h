// What a fuzz target asserts beyond "no crash": a broken property prints
// where and what, then aborts, so libFuzzer keeps the input as a crash.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#define ZK_FUZZ_CHECK(condition)                                                                  \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (0)

namespace zk::fuzz {

// A fixed text field keeps a terminator inside its bounds.
template <std::size_t N>
bool Terminated(const char (&field)[N]) {
    return std::memchr(field, 0, N) != nullptr;
}
template <std::size_t N>
bool Terminated(const char16_t (&field)[N]) {
    for (char16_t c : field)
        if (c == 0) return true;
    return false;
}

// Whether `path` is `folder` or lies below it ("/" or "\" separated keys).
template <typename Char>
bool Within(std::basic_string_view<Char> path, std::basic_string_view<Char> folder,
            Char separator) {
    if (path.size() < folder.size() || path.substr(0, folder.size()) != folder) return false;
    return path.size() == folder.size() || path[folder.size()] == separator;
}

}  // namespace zk::fuzz
