// What code signing does to a program file, without a signer: the PE header's
// security directory pointed at a certificate table appended after the
// file's last byte, at the 8-byte boundary, the gap zero-padded.
#pragma once

#include <cstddef>
#include <string>

namespace zk::test {

// `program` made a PE32+ image in its first bytes (its first 0x140 bytes are
// rewritten: keep sections clear of them) and signed with a table of
// `tableBytes` bytes. `tableAt` other than 0 points the directory there
// instead, for signatures that lie.
std::string SignedProgram(std::string program, std::size_t tableBytes = 1508,
                          std::size_t tableAt = 0);

}  // namespace zk::test
