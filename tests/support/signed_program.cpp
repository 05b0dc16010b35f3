#include "tests/support/signed_program.h"

#include <cstdint>

namespace zk::test {
namespace {

constexpr std::size_t PE_AT = 0x40;
constexpr std::size_t OPTIONAL_AT = PE_AT + 24;

std::string U32(std::size_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
            static_cast<char>(v >> 24)};
}

}  // namespace

std::string SignedProgram(std::string program, std::size_t tableBytes, std::size_t tableAt) {
    program.replace(0, 2, "MZ");
    program.replace(0x3C, 4, U32(PE_AT));
    program.replace(PE_AT, 4, std::string("PE\0\0", 4));
    program.replace(PE_AT + 4 + 16, 2, std::string("\xF0\0", 2));  // optional header size
    program.replace(OPTIONAL_AT, 2, std::string("\x0B\x02", 2));   // PE32+
    program.replace(OPTIONAL_AT + 108, 4, U32(16));                // directories
    const std::size_t aligned = (program.size() + 7) / 8 * 8;
    program.replace(OPTIONAL_AT + 112 + 4 * 8, 8,
                    U32(tableAt ? tableAt : aligned) + U32(tableBytes));
    return program + std::string(aligned - program.size(), '\0') + std::string(tableBytes, 'C');
}

}  // namespace zk::test
