// Whether a cabinet suits the device: in each of the three groups (platform,
// OS version, processor family) at least one of the cabinet's target flags
// must meet the matching fact of the device. A cabinet with no flag in a
// group, or a device whose facts are unknown (an all-zero record), never
// matches.
#pragma once

#include "common/project_record.h"
#include "device/sysinfo/system_info_record.h"

namespace zk {

bool IsCabinetCompatible(const CabEntry& cabinet, const SystemInfoRecord& systemInfo);

}  // namespace zk
