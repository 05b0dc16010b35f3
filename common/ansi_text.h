// The records keep text in the Windows ANSI code page (1252, the page of the
// Western-language systems the wizard is made for); JSON, XML and the host's
// command lines, file names and consoles carry UTF-8. These convert between
// the two.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zk {

std::string AnsiToUtf8(std::string_view ansi);

// Why a text could not become ANSI: the first character the page lacks, or
// the first byte that starts no well-formed UTF-8 sequence (cut, overlong, a
// surrogate, past U+10FFFF).
struct TextFault {
    bool malformed = false;
    char32_t character = 0;  // when !malformed
    unsigned char byte = 0;  // when malformed
    std::size_t offset = 0;  // of the character or byte in the UTF-8 text
};

// False when the text is not valid UTF-8 or holds a character code page 1252
// cannot express; `fault` (when given) then says which. `ansi` is untouched
// on failure.
bool Utf8ToAnsi(std::string_view utf8, std::string* ansi, TextFault* fault = nullptr);

// What is wrong, to follow the name of the field or argument:
// "holds U+4E2D, which code page 1252 cannot store" or
// "is not valid UTF-8 (byte 0xC3 at offset 3)". Plain ASCII, so the message
// reads the same whichever side of the conversion prints it.
std::string DescribeTextFault(const TextFault& fault);

// The same, but a character 1252 lacks, and each malformed byte, becomes '?'.
std::string AnsiFromUtf8(std::string_view utf8);

// The wizard's side of the ActiveSync Remote API speaks UTF-16.
std::u16string WideFromAnsi(std::string_view ansi);
// A character 1252 lacks, and each unpaired surrogate, becomes '?'.
std::string AnsiFromWide(std::u16string_view wide);

}  // namespace zk
