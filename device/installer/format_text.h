// Filling the device's text patterns. The patterns are kept as the device
// writes them ("Installing %s...", "[SystemInfo] ... majorVersion [%d]"), and
// every argument arrives already as text: "%s" and "%d" both take the next
// one. A stand-in without an argument left stays as it is; "%%" is one '%'.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace zk {

std::u16string FormatText(std::u16string_view pattern,
                          std::initializer_list<std::u16string_view> args);

std::u16string NumberText(std::int64_t value);

// The text cut to what a fixed buffer of `units` holds (units - 1), never
// between the two halves of a surrogate pair.
std::u16string CutText(std::u16string_view text, std::size_t units);

}  // namespace zk
