// Code signing appends an Authenticode certificate table to the end of a
// program file, after the sections the wizard appended, and points the PE
// header's security data directory at it. A signed installer is normal: those
// bytes are the signature, not damage.
#pragma once

#include <cstdint>

#include "device/platform/device_platform.h"

namespace zk {

// Whether [sectionsEnd, fileLength) of the file is exactly a certificate
// table: the security directory's offset is sectionsEnd rounded up to the
// 8-byte boundary the signer pads to (the padding zero), and the table runs
// to the end of the file. *tableBytes gets the table's size.
bool EndsInCertificateTable(DeviceFile& file, std::uint64_t sectionsEnd, std::uint64_t fileLength,
                            std::uint64_t* tableBytes);

}  // namespace zk
