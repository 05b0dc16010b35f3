// Code signing appends an Authenticode certificate table to the end of a
// program file, after the sections the wizard appended, and points the PE
// header's security data directory at it. A signed installer is normal: those
// bytes are the signature, not damage. Anything else after the sections is.
//
// The device installer, the desktop installer and the inspector each read
// files through their own file type, so the program's bytes come through a
// reader function, as minizip's file functions do; offsets are from the
// program's first byte (a carried installer starts inside its desktop one).
#pragma once

#include <cstddef>
#include <cstdint>

namespace zk {

// Reads exactly `bytes` at `offset` of the program; false when it cannot.
using ProgramReader = bool (*)(void* context, std::uint64_t offset, void* buffer,
                               std::size_t bytes);

// Whether [sectionsEnd, programLength) of the program is exactly a
// certificate table: the security directory's offset is sectionsEnd rounded
// up to the 8-byte boundary the signer pads to (the padding zero), and the
// table runs to the end of the program. *tableBytes gets the table's size.
bool EndsInCertificateTable(ProgramReader read, void* context, std::uint64_t sectionsEnd,
                            std::uint64_t programLength, std::uint64_t* tableBytes);

// The security directory's entry, for a program whose sections are known
// only after it: false when the program has no such entry or it is empty.
bool ReadCertificateTableEntry(ProgramReader read, void* context, std::uint64_t programLength,
                               std::uint64_t* tableAt, std::uint64_t* tableBytes);

}  // namespace zk
