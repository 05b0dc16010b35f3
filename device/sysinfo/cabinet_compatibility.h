// Whether a cabinet suits the device: in each of the three groups (platform,
// OS version, processor family) at least one of the cabinet's target flags
// must meet the matching fact of the device. A cabinet with no flag in a
// group, or a device whose facts are unknown (an all-zero record), never
// matches.
//
// The processor group is the exception: the families the device can tell
// apart are Intel, TI and Samsung, and the phones of later years (Qualcomm,
// Freescale, Marvell parts without "PXA" in their names) are none of them.
// A project whose processor filter is off asked for no processor filtering,
// so there the group matches every device.
#pragma once

#include "common/project_record.h"
#include "device/sysinfo/system_info_record.h"

namespace zk {

bool IsCabinetCompatible(const CabEntry& cabinet, const SystemInfoRecord& systemInfo,
                         bool processorFilterOn);

}  // namespace zk
