// Text from the set-up XML arrives as Unicode (UTF-8 from the parser); the
// records hold ANSI text. The wizard's ANSI code page is Windows-1252, the
// page of the Western-language systems it is made for.
#pragma once

#include <string>
#include <string_view>

namespace zk {

// Characters that Windows-1252 lacks, and malformed UTF-8 bytes, become '?'.
std::string AnsiFromUtf8(std::string_view utf8);

}  // namespace zk
