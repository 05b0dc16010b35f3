#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "device/sysinfo/device_classification.h"
#include "emulator/profiles/device_profiles.h"

namespace zk {
namespace {

std::string RegistryText(const char* profile, const char* screenName) {
    RawDeviceFacts facts;
    DeviceScreen screen;
    EXPECT_TRUE(DeviceProfileFacts(profile, &facts)) << profile;
    EXPECT_TRUE(DeviceScreenNamed(screenName, &screen)) << screenName;
    return EmulatedDeviceRegistryText(facts, screen);
}

TEST(DeviceProfilesTest, RegistryTextSetsEveryValueOfTheEmulatedDeviceKey) {
    const std::string text = RegistryText("ppc2003se", "vga");
    const std::string head =
        "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvane\\Zephyrkit\\Emulated Device]\n";
    EXPECT_EQ(text.rfind(head, 0), 0u) << text;
    for (const char* line :
         {"\"MajorVersion\"=dword:00000004\n", "\"MinorVersion\"=dword:00000015\n",
          "\"ClockSpeed\"=dword:000000a8\n", "\"ScreenWidth\"=dword:000001e0\n",
          "\"ScreenHeight\"=dword:00000280\n", "\"TaskBarHeight\"=dword:00000034\n",
          "\"PlatformType\"=\"PocketPC\"\n", "\"ProcessorCore\"=\"ARM925T\"\n",
          "\"ProcessorName\"=\"OMAP1510\"\n", "\"ProcessorVendor\"=\"Texas Instruments\"\n",
          "\"Fail\"=\"\"\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << " missing from\n" << text;
    }
}

TEST(DeviceProfilesTest, ScreensAndProfilesByName) {
    DeviceScreen screen;
    ASSERT_TRUE(DeviceScreenNamed("qvga-landscape", &screen));
    EXPECT_EQ(screen.width, 320);
    EXPECT_EQ(screen.height, 240);
    EXPECT_EQ(screen.taskBarHeight, 26);
    EXPECT_FALSE(DeviceScreenNamed("QVGA", &screen));
    EXPECT_FALSE(DeviceScreenNamed("", &screen));

    // Each profile stands for its own OS point and platform.
    RawDeviceFacts facts;
    ASSERT_TRUE(DeviceProfileFacts("smartphone2003", &facts));
    EXPECT_EQ(facts.platformType, u"SmartPhone");
    EXPECT_NE(RegistryText("smartphone2003", "qvga").find("\"PlatformType\"=\"SmartPhone\"\n"),
              std::string::npos);
    EXPECT_FALSE(DeviceProfileFacts("wm6", &facts));
}

TEST(DeviceProfilesTest, TextsAreEscapedForTheRegistryFile) {
    RawDeviceFacts facts;
    ASSERT_TRUE(DeviceProfileFacts("wm5", &facts));
    facts.processorVendor = u"A \"quoted\" \\ vendor";
    const std::string text = EmulatedDeviceRegistryText(facts, DeviceScreen{});
    EXPECT_NE(text.find("\"ProcessorVendor\"=\"A \\\"quoted\\\" \\\\ vendor\"\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\"ScreenWidth\"=dword:000000f0\n"), std::string::npos) << text;
}

TEST(DeviceProfilesTest, EachProfileReportsARealVersionOfItsOwnOs) {
    struct Case {
        const char* profile;
        int major, minor;
        std::uint8_t SystemInfoRecord::*os;
    } cases[] = {
        {"ppc2002", 3, 0, &SystemInfoRecord::isOs2002},
        {"ppc2003", 4, 20, &SystemInfoRecord::isOs2003},
        {"ppc2003se", 4, 21, &SystemInfoRecord::isOs2003SE},
        {"wm5", 5, 1, &SystemInfoRecord::isOs2005},
    };
    for (const Case& c : cases) {
        RawDeviceFacts facts;
        ASSERT_TRUE(DeviceProfileFacts(c.profile, &facts)) << c.profile;
        EXPECT_EQ(facts.majorVersion, c.major) << c.profile;
        EXPECT_EQ(facts.minorVersion, c.minor) << c.profile;
        const SystemInfoRecord r = ClassifyDevice(facts);
        EXPECT_EQ(r.isOs2002 + r.isOs2003 + r.isOs2003SE + r.isOs2005, 1) << c.profile;
        EXPECT_EQ(r.*c.os, 1) << c.profile;
    }
}

}  // namespace
}  // namespace zk
