// The devices zk-device can play: what each reports to the SystemInfo tool.
//
//   ppc2002         PocketPC    3.0   StrongARM SA1110, Intel
//   ppc2003         PocketPC    4.0   Intel PXA255
//   ppc2003se       PocketPC    4.21  TI OMAP1510
//   wm5             PocketPC    5.1   Samsung S3C2440
//   smartphone2003  SmartPhone  4.0   TI OMAP730
//
// Versions follow the device-facts rule (major 4 with a minor up to 2 is
// 2003, above it 2003 SE), so each profile stands for its own OS point.
#pragma once

#include <string_view>

#include "device/sysinfo/device_classification.h"

namespace zk {

// False for an unknown profile name.
bool DeviceProfileFacts(std::string_view name, RawDeviceFacts* facts);

// "ppc2002|ppc2003|..." for the usage text.
const char* DeviceProfileNames();

}  // namespace zk
