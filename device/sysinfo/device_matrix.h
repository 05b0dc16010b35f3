// Which cabinets of a package each kind of device installs.
//
// A kind of device is a platform (Pocket PC, Smartphone), an OS version
// (2002, 2003, 2003 SE, Windows Mobile 5) and a processor family (Intel, TI,
// Samsung, or another maker). For each kind a device-facts record is made the
// way the SystemInfo tool makes one, from facts a real device of that kind
// reports (a version inside the OS's span, a processor name and vendor), and
// each cabinet is put to the installer's own compatibility rule.
#pragma once

#include <string>
#include <vector>

#include "common/project_record.h"
#include "device/sysinfo/device_classification.h"

namespace zk {

struct DeviceKind {
    const char* platform;   // "Pocket PC", "Smartphone"
    const char* os;         // "2002", "2003", "2003 SE", "WM 5"
    const char* processor;  // "Intel", "TI", "Samsung", "other"
    RawDeviceFacts facts;

    // "Pocket PC 2003 SE, TI"
    std::string Label() const;
};

// The 32 kinds: platform, then OS, then processor varies fastest.
const std::vector<DeviceKind>& DeviceKinds();

struct DeviceMatrix {
    // installs[cabinet][kind]
    std::vector<std::vector<bool>> installs;
    // Kinds that install no cabinet at all, in column order.
    std::vector<int> installsNothing;
};

DeviceMatrix MakeDeviceMatrix(const Project& project);

}  // namespace zk
