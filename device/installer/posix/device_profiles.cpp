#include "device/installer/posix/device_profiles.h"

namespace zk {
namespace {

struct Profile {
    const char* name;
    const char16_t* platformType;
    int major;
    int minor;
    const char16_t* core;
    const char16_t* processor;
    const char16_t* vendor;
    unsigned clockSpeed;
};

constexpr Profile PROFILES[] = {
    {"ppc2002", u"PocketPC", 3, 0, u"ARM4", u"SA1110", u"Intel", 206},
    {"ppc2003", u"PocketPC", 4, 0, u"ARMV4I", u"PXA255", u"Intel Corporation", 400},
    {"ppc2003se", u"PocketPC", 4, 21, u"ARM925T", u"OMAP1510", u"Texas Instruments", 168},
    {"wm5", u"PocketPC", 5, 1, u"ARM920T", u"S3C2440", u"Samsung", 400},
    {"smartphone2003", u"SmartPhone", 4, 0, u"ARM926EJ-S", u"OMAP730", u"TI", 200},
};

}  // namespace

bool DeviceProfileFacts(std::string_view name, RawDeviceFacts* facts) {
    for (const Profile& p : PROFILES) {
        if (name != p.name) continue;
        *facts = RawDeviceFacts{};
        facts->versionKnown = true;
        facts->majorVersion = p.major;
        facts->minorVersion = p.minor;
        facts->platformTypeKnown = true;
        facts->platformType = p.platformType;
        facts->processorKnown = true;
        facts->processorCore = p.core;
        facts->processorName = p.processor;
        facts->processorVendor = p.vendor;
        facts->clockSpeed = p.clockSpeed;
        return true;
    }
    return false;
}

const char* DeviceProfileNames() { return "ppc2002|ppc2003|ppc2003se|wm5|smartphone2003"; }

}  // namespace zk
