#include "tests/installer/installer_test_support.h"

namespace zk::test {
namespace {

class DeviceServicesTest : public InstallerTest {};

TEST_F(DeviceServicesTest, RegistryValuesSurviveInTheirFile) {
    const std::u16string key = u"SOFTWARE\\Apps\\Microsoft Application Installer\\Install";
    ASSERT_TRUE(device.WriteRegistryText(key, u"\"\\Temp\\a.cab\"", u"Program Files\\A"));
    ASSERT_TRUE(
        device.WriteRegistryText(u"\\software\\apps\\microsoft application installer\\install\\",
                                 u"\"\\TEMP\\A.CAB\"", u"B \"quoted\"\nline"));
    ASSERT_TRUE(device.WriteRegistryText(key, u"second", u""));
    PosixDevicePlatform again(root);
    auto values = again.ReadRegistryValues(key);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].first, u"\"\\Temp\\a.cab\"");
    EXPECT_EQ(values[0].second, u"B \"quoted\"\nline");
    EXPECT_EQ(values[1].first, u"second");
    EXPECT_TRUE(again.DeleteRegistryValue(key, u"SECOND"));
    EXPECT_FALSE(again.DeleteRegistryValue(key, u"SECOND"));
    EXPECT_EQ(device.ReadRegistryValues(key).size(), 1u);
    EXPECT_TRUE(device.ReadRegistryValues(u"SOFTWARE\\Other").empty());
    EXPECT_EQ(ReadFileBytes(root + "/Windows/Registry.reg").rfind("REGEDIT4\n", 0), 0u);
}

TEST_F(DeviceServicesTest, ProgramsAreFoundWithoutRegardToCase) {
    std::u16string seen;
    device.SetProgram(u"\\Windows\\wceload.exe", [&](std::u16string_view cmd, std::uint32_t*) {
        seen = cmd;
        return true;
    });
    EXPECT_TRUE(device.StartProgramAndWait(u"\\WINDOWS\\.\\WCELOAD.EXE", u"/noui x"));
    EXPECT_EQ(seen, u"/noui x");
    EXPECT_FALSE(device.StartProgramAndWait(u"\\Windows\\other.exe", u""));
    EXPECT_FALSE(device.ResetDevice());  // no handler: refused
}

}  // namespace
}  // namespace zk::test
