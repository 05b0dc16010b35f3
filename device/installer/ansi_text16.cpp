#include "device/installer/ansi_text16.h"

#include "common/code_page_1252.h"

namespace zk {

std::u16string AnsiToUtf16(std::string_view ansi) {
    std::u16string out;
    out.reserve(ansi.size());
    for (char c : ansi) out += Cp1252ToUnicode(static_cast<unsigned char>(c));
    return out;
}

}  // namespace zk
