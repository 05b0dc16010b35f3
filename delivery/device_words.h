// What each kind of device gets from an installer, in words a download page
// can show: the package inspector's matrix (device_matrix.h, the installer's
// own compatibility rule), one line per platform and OS version.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "common/project_record.h"

namespace zk {

struct DeviceLine {
    // "Pocket PC 2003 SE"; where the processor decides, one line per set of
    // processors that get the same: "Pocket PC WM 5 (Intel, TI)", "Pocket
    // PC WM 5 (Samsung, other processors)".
    std::string devices;
    // Each cabinet such a device installs, by its application name, else
    // its file name, in list order.
    std::vector<std::string> cabinets;
};

// Texts in the record's code page.
std::vector<DeviceLine> WhatDevicesGet(const Project& project);

// "Pocket PC 2003 SE: Viewer 2003, Player", naming at most `most` cabinets
// ("Viewer 2003 and 2 more"; with 0 "3 programs"), "nothing" for none.
std::string InWords(const DeviceLine& line, std::size_t most = SIZE_MAX);

}  // namespace zk
