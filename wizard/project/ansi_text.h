// The records keep text in the Windows ANSI code page (1252); JSON wants
// UTF-8. These convert between the two.
#pragma once

#include <string>

namespace zk {

std::string AnsiToUtf8(const std::string& ansi);

// False when the text is not valid UTF-8 or holds a character code page 1252
// cannot express.
bool Utf8ToAnsi(const std::string& utf8, std::string* ansi);

}  // namespace zk
