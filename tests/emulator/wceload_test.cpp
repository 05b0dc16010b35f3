#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "emulator/wceload/emulated_wceload.h"
#include "tests/support/native_device_platform.h"
#include "tests/support/temp_folder.h"

namespace zk {
namespace {

using test::FileExists;
using test::FileSize;
using test::ReadFileBytes;
using test::TempFolder;

TEST(WceloadCommandLineTest, ArgumentsAreWhatFollowsTheProgramName) {
    EXPECT_EQ(CommandLineArguments(u"\"C:\\Windows\\wceload.exe\" /noaskdest \"\\Temp\\a b.cab\""),
              u"/noaskdest \"\\Temp\\a b.cab\"");
    EXPECT_EQ(CommandLineArguments(u"wceload.exe  /noui x"), u" /noui x");
    EXPECT_EQ(CommandLineArguments(u"\"C:\\Program Files\\w.exe\""), u"");
    EXPECT_EQ(CommandLineArguments(u"w.exe /noaskdest "), u"/noaskdest ");
    EXPECT_EQ(CommandLineArguments(u""), u"");

    EXPECT_EQ(SplitCommandLine(u"  /askdest \"\\Temp\\a b.cab\"   x\"y z\" "),
              (std::vector<std::u16string>{u"/askdest", u"\\Temp\\a b.cab", u"xy z"}));
    EXPECT_TRUE(SplitCommandLine(u"   ").empty());
}

TEST(WceloadCommandLineTest, MemberNamesStayInsideTheirFolder) {
    EXPECT_EQ(SafeMemberPath("..\\..\\Windows\\evil.txt"), u"Windows\\evil.txt");
    EXPECT_EQ(SafeMemberPath("C:\\a\\.\\b/c.txt"), u"a\\b\\c.txt");
    EXPECT_EQ(SafeMemberPath("/../.."), u"");
    EXPECT_EQ(SafeMemberPath("docs\\read me.txt"), u"docs\\read me.txt");
}

// The installer's key as a list the test sets and reads back.
class FakeInstallRegistry : public InstallRegistry {
public:
    std::vector<std::pair<std::u16string, std::u16string>> Values() override { return values; }
    bool Delete(std::u16string_view name) override {
        for (auto it = values.begin(); it != values.end(); ++it) {
            if (it->first == name) {
                values.erase(it);
                return true;
            }
        }
        return false;
    }
    std::vector<std::pair<std::u16string, std::u16string>> values;
};

class WceloadTest : public ::testing::Test {
protected:
    WceloadTest() : device_(folder_.path()), wceload_(device_, registry_) {
        for (const char16_t* f : {u"\\Windows", u"\\Temp", u"\\Program Files"})
            device_.CreateFolder(f);
    }

    // A Windows CE cabinet made by the fixture maker into the device's \Temp.
    std::u16string MakeCab(const std::string& name, const std::vector<std::string>& arguments) {
        std::string command = std::string(ZK_PYTHON) + " '" + ZK_SOURCE_DIR +
                              "/tools/make_ce_cab.py' '" + Host("Temp/" + name) + "'";
        for (const std::string& a : arguments) command += " '" + a + "'";
        EXPECT_EQ(test::RunCommand(command + " 2>&1"), 0) << command;
        return u"\\Temp\\" + std::u16string(name.begin(), name.end());
    }
    std::string Host(const std::string& relative) const { return folder_ / relative; }
    const WceloadInstall& LastInstall() const { return wceload_.Runs().back().installs.back(); }

    TempFolder folder_;
    test::NativeDevicePlatform device_;
    FakeInstallRegistry registry_;
    EmulatedWceload wceload_;
};

TEST_F(WceloadTest, OverrideFolderFromTheRegistryIsUsedOnceAndTheCabinetGoes) {
    ZK_REQUIRE_HOST_TOOLS();
    MakeCab("a.cab", {"--app-name", "Viewer", "--compress", "--payload", "viewer.exe:70000",
                      "--payload", "docs\\read me.txt:300"});
    registry_.values = {{u"\"\\Temp\\other.cab\"", u"\\Elsewhere"},
                        {u"\"\\TEMP\\A.CAB\"", u"Storage Card\\Apps\\"}};
    ASSERT_EQ(wceload_.Run(u"/noaskdest \"\\Temp\\a.cab\""), 0u);

    EXPECT_TRUE(LastInstall().installed);
    // Recorded as a device records an installed application.
    std::uint32_t installed = 0;
    EXPECT_TRUE(
        device_.ReadRegistryNumber(u"Software\\Apps\\Provider Viewer", u"Instl", &installed));
    EXPECT_EQ(installed, 1u);
    EXPECT_EQ(LastInstall().problem, u"");
    EXPECT_EQ(LastInstall().folder, u"\\Storage Card\\Apps");
    EXPECT_EQ(LastInstall().files, 2);
    EXPECT_EQ(FileSize(Host("Storage Card/Apps/viewer.exe")), 70000u);
    EXPECT_EQ(FileSize(Host("Storage Card/Apps/docs/read me.txt")), 300u);
    EXPECT_FALSE(FileExists(Host("Temp/a.cab")));
    // Only the value it used is gone.
    ASSERT_EQ(registry_.values.size(), 1u);
    EXPECT_EQ(registry_.values[0].first, u"\"\\Temp\\other.cab\"");
    EXPECT_EQ(ReadFileBytes(Host("Windows/wceload.log")), "/noaskdest \"\\Temp\\a.cab\"\n");
}

TEST_F(WceloadTest, DefaultFolderIsTheApplicationNameOrTheFileName) {
    ZK_REQUIRE_HOST_TOOLS();
    MakeCab("header.cab", {"--app-name", "Player", "--payload", "p.txt:1"});
    MakeCab("xml.cab", {"--app-name", "Notes", "--xml-only", "--xml-app-value", "Notes Morvane",
                        "--payload", "n.txt:2"});
    MakeCab("bare.cab", {"--no-header", "--payload", "b.txt:3"});
    MakeCab("climb.cab",
            {"--app-name", "..", "--header-name", "CLIMB.000", "--payload", "c.txt:4"});
    ASSERT_EQ(wceload_.Run(u"/askdest \"\\Temp\\header.cab\" /nodelete \\Temp\\xml.cab "
                           u"\"\\Temp\\bare.cab\" \"\\Temp\\climb.cab\""),
              0u);

    const std::vector<WceloadInstall>& installs = wceload_.Runs().back().installs;
    ASSERT_EQ(installs.size(), 4u);
    EXPECT_EQ(installs[0].folder, u"\\Program Files\\Player");
    EXPECT_EQ(installs[1].folder, u"\\Program Files\\Notes");
    EXPECT_EQ(installs[2].folder, u"\\Program Files\\bare");
    // An application name that would leave \Program Files is not taken.
    EXPECT_EQ(installs[3].folder, u"\\Program Files\\climb");
    EXPECT_TRUE(FileExists(Host("Program Files/Player/p.txt")));
    EXPECT_TRUE(FileExists(Host("Program Files/Notes/n.txt")));
    EXPECT_TRUE(FileExists(Host("Program Files/bare/b.txt")));
    EXPECT_TRUE(FileExists(Host("Program Files/climb/c.txt")));
    EXPECT_FALSE(FileExists(Host("c.txt")));
    // "/nodelete" anywhere keeps every cabinet; the scratch files are gone.
    EXPECT_TRUE(FileExists(Host("Temp/header.cab")));
    EXPECT_TRUE(FileExists(Host("Temp/climb.cab")));
    EXPECT_EQ(test::ListFolder(Host("Temp")),
              (std::vector<std::string>{"bare.cab", "climb.cab", "header.cab", "xml.cab"}));
}

TEST_F(WceloadTest, WithoutACabinetEveryCabinetOfTheKeyIsInstalled) {
    ZK_REQUIRE_HOST_TOOLS();
    MakeCab("k1.cab", {"--app-name", "One", "--payload", "one.txt:5"});
    MakeCab("k2.cab", {"--app-name", "Two", "--payload", "two.txt:6"});
    registry_.values = {{u"\"\\Temp\\k1.cab\"", u"\\Apps\\One"},
                        {u"\\Temp\\k2.cab", u"\\Apps\\Two"}};
    ASSERT_EQ(wceload_.Run(u"/noaskdest "), 0u);
    EXPECT_EQ(FileSize(Host("Apps/One/one.txt")), 5u);
    EXPECT_EQ(FileSize(Host("Apps/Two/two.txt")), 6u);
    EXPECT_TRUE(registry_.values.empty());
}

TEST_F(WceloadTest, BadCabinetsAndUnwritableFoldersAreReportedNotInstalled) {
    ZK_REQUIRE_HOST_TOOLS();
    test::WriteFileBytes(Host("Temp/junk.cab"), "MSCF" + std::string(200, '\xff'));
    ASSERT_EQ(wceload_.Run(u"\"\\Temp\\junk.cab\" \\Temp\\missing.cab"), 1u);
    const std::vector<WceloadInstall>& bad = wceload_.Runs().back().installs;
    ASSERT_EQ(bad.size(), 2u);
    EXPECT_FALSE(bad[0].installed);
    EXPECT_EQ(bad[0].problem, u"not a cabinet");
    EXPECT_FALSE(bad[1].installed);
    EXPECT_EQ(bad[1].problem, u"no such cabinet");

    // A file where the folder should be: nothing can be written there.
    MakeCab("blocked.cab", {"--app-name", "Blocked", "--payload", "x.txt:7"});
    test::WriteFileBytes(Host("Blocker"), "a file");
    registry_.values = {{u"\"\\Temp\\blocked.cab\"", u"\\Blocker"}};
    ASSERT_EQ(wceload_.Run(u"/noaskdest \"\\Temp\\blocked.cab\""), 1u);
    EXPECT_FALSE(LastInstall().installed);
    EXPECT_EQ(LastInstall().files, 0);
    EXPECT_EQ(LastInstall().problem, u"cannot unpack x.txt");
    EXPECT_EQ(ReadFileBytes(Host("Blocker")), "a file");

    // A cabinet cut short: what it had unpacked goes again, nothing is
    // recorded, and the cabinet stays for the installer to see.
    MakeCab("cut.cab",
            {"--app-name", "Cut", "--payload", "first.txt:3", "--payload", "big.bin:90000"});
    const std::string whole = ReadFileBytes(Host("Temp/cut.cab"));
    test::WriteFileBytes(Host("Temp/cut.cab"), whole.substr(0, whole.size() - 20000));
    ASSERT_EQ(wceload_.Run(u"\\Temp\\cut.cab"), 1u);
    EXPECT_FALSE(LastInstall().installed);
    EXPECT_FALSE(FileExists(Host("Program Files/Cut/first.txt")));
    std::uint32_t installed = 0;
    EXPECT_FALSE(device_.ReadRegistryNumber(u"Software\\Apps\\Provider Cut", u"Instl", &installed));
    EXPECT_TRUE(FileExists(Host("Temp/cut.cab")));

    EXPECT_EQ(ReadFileBytes(Host("Windows/wceload.log")),
              "\"\\Temp\\junk.cab\" \\Temp\\missing.cab\n"
              "! \\Temp\\junk.cab: not a cabinet\n"
              "! \\Temp\\missing.cab: no such cabinet\n"
              "/noaskdest \"\\Temp\\blocked.cab\"\n"
              "! \\Temp\\blocked.cab: cannot unpack x.txt\n"
              "\\Temp\\cut.cab\n"
              "! \\Temp\\cut.cab: cannot unpack big.bin\n");
}

}  // namespace
}  // namespace zk
