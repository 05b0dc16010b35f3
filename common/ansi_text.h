// The records keep text in the Windows ANSI code page (1252, the page of the
// Western-language systems the wizard is made for); JSON and XML carry UTF-8.
// These convert between the two.
#pragma once

#include <string>
#include <string_view>

namespace zk {

std::string AnsiToUtf8(std::string_view ansi);

// False when the text is not valid UTF-8 or holds a character code page 1252
// cannot express.
bool Utf8ToAnsi(std::string_view utf8, std::string* ansi);

// The same, but a character 1252 lacks, and each malformed byte, becomes '?'.
std::string AnsiFromUtf8(std::string_view utf8);

// The wizard's side of the ActiveSync Remote API speaks UTF-16.
std::u16string WideFromAnsi(std::string_view ansi);
// A character 1252 lacks, and each unpaired surrogate, becomes '?'.
std::string AnsiFromWide(std::u16string_view wide);

}  // namespace zk
