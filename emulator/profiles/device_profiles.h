// The devices the emulator plays, on the host (zk-device) and on the Wine
// device (its registry profile): what each reports to the SystemInfo tool.
//
//   ppc2002         PocketPC    3.0   StrongARM SA1110, Intel
//   ppc2003         PocketPC    4.20  Intel PXA255
//   ppc2003se       PocketPC    4.21  TI OMAP1510
//   wm5             PocketPC    5.1   Samsung S3C2440
//   smartphone2003  SmartPhone  4.0   TI OMAP730
//   wm6-msm         PocketPC    5.2   Qualcomm MSM7200 (Windows Mobile 6; no known family)
//
// Versions are what real devices of each OS report (2003 is 4.20, its
// Second Edition 4.21), so each profile falls in its own OS span.
#pragma once

#include <string>
#include <string_view>

#include "device/sysinfo/device_classification.h"

namespace zk {

// False for an unknown profile name.
bool DeviceProfileFacts(std::string_view name, RawDeviceFacts* facts);

// "ppc2002|ppc2003|..." for the usage text.
const char* DeviceProfileNames();

// The device screen: the top-left width x height of the display, the task
// bar along its top.
struct DeviceScreen {
    int width = 240;
    int height = 320;
    int taskBarHeight = 26;
};

// "qvga" 240x320 (the default), "qvga-landscape" 320x240, "vga" 480x640 with
// a task bar twice as tall. False for an unknown name.
bool DeviceScreenNamed(std::string_view name, DeviceScreen* screen);
const char* DeviceScreenNames();

// The Wine device's profile: REGEDIT4 text setting every value of the
// emulated device's key (HKLM\SOFTWARE\Morvane\Zephyrkit\Emulated Device),
// "Fail" empty so that no call fails. Texts are written as UTF-8; the
// profiles' own are ASCII.
std::string EmulatedDeviceRegistryText(const RawDeviceFacts& facts, const DeviceScreen& screen);

}  // namespace zk
