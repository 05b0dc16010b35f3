// The project record's 8-bit texts as the device sees them: the record is
// written on a Western-language desktop in Windows code page 1252, and the
// device turns each byte into one UTF-16 unit by that page.
#pragma once

#include <string>
#include <string_view>

namespace zk {

std::u16string AnsiToUtf16(std::string_view ansi);

}  // namespace zk
