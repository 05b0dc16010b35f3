// The Windows CE set-up header: the "MSCE" record at the start of a cabinet's
// .000 member, of which the wizard uses the OS version range and the
// application and provider names.
#pragma once

#include "common/cabinet/setup_info.h"

namespace zk {

class FileHandle;

inline constexpr int SETUP_HEADER_SIZE = 100;

// Reads the header from the start of `file` into the version and name fields
// of `info`. A file shorter than the header is read as far as it goes and the
// missing bytes count as zero; name bytes past the end of the file stay zero.
// A name offset or length that reads as negative (signed 16 bits) gives an
// empty name, and a name is cut to 63 bytes so that its field keeps a NUL.
// The signature is tested last, after everything else has been read: false
// when the first four bytes are neither "MSCE" nor "CE4+" (exactly, case and
// all); `info` then holds what was read, for the caller to discard.
bool ReadSetupHeader(FileHandle& file, SetupInfo& info);

// Whether the cabinet's OS range meets the OS's span: some version of the
// span lies within the range. A lowest or highest version of 0.0 sets no
// bound on that side; a range whose lowest version comes after its highest
// holds no version and suits no OS.
bool CabinetSupportsOs(const SetupInfo& info, OsSpan span);

}  // namespace zk
