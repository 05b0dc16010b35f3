// The whole package, checked before anything is installed. A download cut
// short or damaged on its way must not start an installation that can only
// fail part-way: the unpacking thread walks every section the project
// announces after its own, without unpacking them: each byte count must fit
// in the file, the sections must end where the file ends (or where a code
// signature begins, certificate_table.h), and each section must be a zip
// archive whose directory opens. What each cabinet section needs unpacked is
// kept for the storage check before it is installed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/project_record.h"
#include "device/installer/installer_state.h"
#include "device/platform/device_platform.h"

namespace zk {

struct PackageCheck {
    bool whole = true;
    std::u16string fault;                  // what is wrong and where: section, role, offset
    std::vector<CabinetSection> cabinets;  // one per cabinet, when whole
    std::uint64_t signatureBytes = 0;      // a certificate table after the sections
};

// `start`: the offset of the first section after the project's;
// `firstNumber`: that section's number (1 = the first after the stub). The
// file's position is left anywhere.
PackageCheck CheckPackage(DevicePlatform& platform, DeviceFile& package, std::uint64_t start,
                          std::uint64_t fileLength, const Project& project, int firstNumber);

}  // namespace zk
