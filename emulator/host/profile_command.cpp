#include "emulator/host/profile_command.h"

#include <cstdio>
#include <string>

#include "common/utf16_text.h"
#include "device/sysinfo/device_classification.h"
#include "emulator/profiles/device_profiles.h"

namespace zk {
namespace {

int ProfileUsage(const std::string& problem) {
    std::fprintf(stderr, "zk-device: %s\n", problem.c_str());
    std::fprintf(stderr, "usage: zk-device profile %s [--screen %s] [--reg]\n",
                 DeviceProfileNames(), DeviceScreenNames());
    return 2;
}

}  // namespace

int RunProfileCommand(int argc, char** argv) {
    std::string name;
    std::string screenName = "qvga";
    bool registry = false;
    for (int i = 0; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--reg") {
            registry = true;
        } else if (a == "--screen") {
            if (i + 1 >= argc) return ProfileUsage("--screen needs a name");
            screenName = argv[++i];
        } else if (a.rfind("--", 0) == 0) {
            return ProfileUsage("unknown option '" + a + "'");
        } else if (name.empty()) {
            name = a;
        } else {
            return ProfileUsage("one profile at a time ('" + a + "')");
        }
    }
    if (name.empty()) return ProfileUsage("no profile given");
    RawDeviceFacts facts;
    if (!DeviceProfileFacts(name, &facts)) return ProfileUsage("unknown profile '" + name + "'");
    DeviceScreen screen;
    if (!DeviceScreenNamed(screenName, &screen)) {
        return ProfileUsage("unknown screen '" + screenName + "'");
    }
    if (registry) {
        std::fputs(EmulatedDeviceRegistryText(facts, screen).c_str(), stdout);
        return 0;
    }
    std::printf("%s: %s %d.%d, %s %s %s, %u MHz, screen %dx%d\n", name.c_str(),
                Utf16ToUtf8(facts.platformType).c_str(), facts.majorVersion, facts.minorVersion,
                Utf16ToUtf8(facts.processorCore).c_str(), Utf16ToUtf8(facts.processorName).c_str(),
                Utf16ToUtf8(facts.processorVendor).c_str(), static_cast<unsigned>(facts.clockSpeed),
                screen.width, screen.height);
    return 0;
}

}  // namespace zk
