#include "emulator/profiles/device_profiles.h"

#include <cstdio>

#include "common/utf16_text.h"

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
    {"ppc2003", u"PocketPC", 4, 20, u"ARMV4I", u"PXA255", u"Intel Corporation", 400},
    {"ppc2003se", u"PocketPC", 4, 21, u"ARM925T", u"OMAP1510", u"Texas Instruments", 168},
    {"wm5", u"PocketPC", 5, 1, u"ARM920T", u"S3C2440", u"Samsung", 400},
    {"smartphone2003", u"SmartPhone", 4, 0, u"ARM926EJ-S", u"OMAP730", u"TI", 200},
    // Windows Mobile 6 reports 5.2; its Qualcomm processor is of none of the
    // three families the device can tell apart.
    {"wm6-msm", u"PocketPC", 5, 2, u"ARM1136EJ-S", u"MSM7200", u"Qualcomm", 400},
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

const char* DeviceProfileNames() { return "ppc2002|ppc2003|ppc2003se|wm5|smartphone2003|wm6-msm"; }

bool DeviceScreenNamed(std::string_view name, DeviceScreen* screen) {
    struct Named {
        const char* name;
        DeviceScreen screen;
    };
    constexpr Named SCREENS[] = {
        {"qvga", {240, 320, 26}},
        {"qvga-landscape", {320, 240, 26}},
        {"vga", {480, 640, 52}},
    };
    for (const Named& named : SCREENS) {
        if (name != named.name) continue;
        *screen = named.screen;
        return true;
    }
    return false;
}

const char* DeviceScreenNames() { return "qvga|qvga-landscape|vga"; }

namespace {

std::string Dword(const char* name, std::uint32_t value) {
    char line[64];
    std::snprintf(line, sizeof line, "\"%s\"=dword:%08x\n", name, static_cast<unsigned>(value));
    return line;
}

std::string Text(const char* name, std::u16string_view value) {
    std::string line = "\"" + std::string(name) + "\"=\"";
    for (char c : Utf16ToUtf8(value)) {
        if (c == '\\' || c == '"') line += '\\';
        line += c;
    }
    return line + "\"\n";
}

}  // namespace

std::string EmulatedDeviceRegistryText(const RawDeviceFacts& facts, const DeviceScreen& screen) {
    std::string text =
        "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvane\\Zephyrkit\\Emulated Device]\n";
    text += Dword("MajorVersion", static_cast<std::uint32_t>(facts.majorVersion));
    text += Dword("MinorVersion", static_cast<std::uint32_t>(facts.minorVersion));
    text += Dword("ClockSpeed", facts.clockSpeed);
    text += Dword("ScreenWidth", static_cast<std::uint32_t>(screen.width));
    text += Dword("ScreenHeight", static_cast<std::uint32_t>(screen.height));
    text += Dword("TaskBarHeight", static_cast<std::uint32_t>(screen.taskBarHeight));
    text += Text("PlatformType", facts.platformType);
    text += Text("ProcessorCore", facts.processorCore);
    text += Text("ProcessorName", facts.processorName);
    text += Text("ProcessorVendor", facts.processorVendor);
    text += Text("Fail", u"");
    return text;
}

}  // namespace zk
