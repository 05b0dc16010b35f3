// The POSIX device platform (a folder playing the device) and the UTF-16
// helpers.
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>

#include <gtest/gtest.h>

#include "common/utf16_text.h"
#include "device/platform/device_platform_posix.h"
#include "tests/support/native_device_platform.h"
#include "tests/support/temp_folder.h"

namespace zk {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;
using test::ReadFileBytes;
using test::TempFolder;
using test::WriteAll;

class PosixDevicePlatformTest : public ::testing::Test {
protected:
    TempFolder root;
    PosixDevicePlatform platform{root.path()};
};

TEST_F(PosixDevicePlatformTest, PathsFindExistingNamesWhateverTheirCase) {
    fs::create_directories(root / "Windows");
    WriteAll(platform, u"\\windows\\Zephyrkit.dat", "2 3");
    EXPECT_EQ(ReadFileBytes(root / "Windows/Zephyrkit.dat"), "2 3");
    EXPECT_EQ(ReadAll(platform, u"\\WINDOWS\\zephyrKIT.DAT"), "2 3");
    EXPECT_EQ(ReadAll(platform, u"/Windows/Zephyrkit.dat"), "2 3");
    EXPECT_FALSE(fs::exists(root / "windows"));

    EXPECT_TRUE(platform.CreateFolder(u"\\Temp"));
    EXPECT_FALSE(platform.CreateFolder(u"\\TEMP"));
    EXPECT_FALSE(platform.CreateFolder(u"\\Missing\\Child"));
    WriteAll(platform, u"\\temp\\New Name.TXT", "x");
    EXPECT_EQ(test::ListFolder(root / "Temp"), std::vector<std::string>{"New Name.TXT"});

    std::uint32_t attributes = 0;
    EXPECT_TRUE(platform.GetAttributes(u"\\tEmP", &attributes));
    EXPECT_EQ(attributes, DEVICE_ATTR_DIRECTORY);
    EXPECT_TRUE(platform.RemoveFile(u"\\TEMP\\new name.txt"));
    EXPECT_FALSE(platform.RemoveFile(u"\\TEMP\\new name.txt"));
    EXPECT_FALSE(platform.RemoveFile(u"\\Temp"));
    EXPECT_FALSE(platform.GetAttributes(u"\\Temp\\new name.txt", &attributes));
}

TEST_F(PosixDevicePlatformTest, NothingLeavesTheRoot) {
    WriteAll(platform, u"\\..\\..\\up.txt", "u");
    WriteAll(platform, u"C:\\a\\..\\..\\drive.txt", "d");
    EXPECT_EQ(test::ListFolder(root.path()), (std::vector<std::string>{"drive.txt", "up.txt"}));
    EXPECT_EQ(platform.HostPath(u"\\x\\.\\..\\y"), root / "y");
    EXPECT_EQ(platform.HostPath(std::u16string(u"a\0b", 3)), "");
    EXPECT_EQ(platform.OpenFile(std::u16string(u"a\0b", 3), DeviceOpenMode::CreateWrite), nullptr);
}

TEST_F(PosixDevicePlatformTest, FilesSeekAppendAndKeepAttributesAndTimes) {
    WriteAll(platform, u"\\log.txt", "one\n");
    WriteAll(platform, u"\\LOG.txt", "two\n", DeviceOpenMode::Append);
    EXPECT_EQ(ReadAll(platform, u"\\log.txt"), "one\ntwo\n");

    std::unique_ptr<DeviceFile> file = platform.OpenFile(u"\\log.txt", DeviceOpenMode::Read);
    ASSERT_TRUE(file);
    std::uint64_t at = 99;
    EXPECT_TRUE(file->Seek(-4, DeviceSeek::End));
    EXPECT_TRUE(file->Tell(&at));
    EXPECT_EQ(at, 4u);
    EXPECT_FALSE(file->Seek(-1, DeviceSeek::Start));
    file.reset();
    EXPECT_EQ(platform.OpenFile(u"\\nothing.txt", DeviceOpenMode::Read), nullptr);
    EXPECT_EQ(platform.OpenFile(u"\\", DeviceOpenMode::Read), nullptr);

    file = platform.OpenFile(u"\\ro.txt", DeviceOpenMode::CreateWrite, DEVICE_ATTR_READONLY);
    ASSERT_TRUE(file);
    file->Write("r", 1);
    const std::uint64_t when =
        1600000000ULL * DEVICE_FILETIME_PER_SECOND + DEVICE_FILETIME_UNIX_EPOCH;
    EXPECT_TRUE(file->SetTimes({when, when, when}));
    file->Close();
    struct stat st;
    ASSERT_EQ(stat((root / "ro.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1600000000);
    std::uint32_t attributes = 0;
    EXPECT_TRUE(platform.GetAttributes(u"\\ro.txt", &attributes));
    EXPECT_EQ(attributes, DEVICE_ATTR_ARCHIVE | DEVICE_ATTR_READONLY);
    // As on the device, a read-only file is not replaced.
    EXPECT_EQ(platform.OpenFile(u"\\ro.txt", DeviceOpenMode::CreateWrite), nullptr);
}

TEST(PosixLocalTimeTest, LocalTimeFollowsTheZoneRules) {
    const char* saved = std::getenv("TZ");
    std::string previous = saved ? saved : "";
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
    PosixDevicePlatform platform("/");
    auto ft = [](std::int64_t s) {
        return static_cast<std::uint64_t>(s) * DEVICE_FILETIME_PER_SECOND +
               DEVICE_FILETIME_UNIX_EPOCH;
    };
    // 15 January 2021 12:00 local is 11:00 UTC; 15 July 2021 12:00 local is 10:00 UTC.
    EXPECT_EQ(platform.LocalFileTimeToUtc(ft(1610712000) + 5), ft(1610712000 - 3600) + 5);
    EXPECT_EQ(platform.LocalFileTimeToUtc(ft(1626350400)), ft(1626350400 - 7200));
    if (saved)
        setenv("TZ", previous.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST(Utf16TextTest, ConvertsBothWaysAndReplacesBadInput) {
    std::u16string wide = u"Gr\u00fc\u00dfe \U0001F600 \u20ac";
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(wide)), wide);
    EXPECT_EQ(Utf16ToUtf8(wide),
              "Gr\xc3\xbc\xc3\x9f"
              "e \xf0\x9f\x98\x80 \xe2\x82\xac");
    EXPECT_EQ(Utf8ToUtf16("a\xff"
                          "b\xc3"),
              u"a\ufffdb\ufffd");
    EXPECT_EQ(Utf8ToUtf16("\xc0\xaf"), u"\ufffd");      // overlong '/'
    EXPECT_EQ(Utf8ToUtf16("\xed\xa0\x80"), u"\ufffd");  // encoded surrogate
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xd800')), "\xef\xbf\xbd");

    char16_t buffer[4];
    CopyText16(buffer, u"ab\U0001F600");  // the pair would not fit whole
    EXPECT_EQ(TextOf16(buffer), u"ab");
    EXPECT_EQ(buffer[3], 0);
    CopyText16(buffer, u"abcdef");
    EXPECT_EQ(TextOf16(buffer), u"abc");
    EXPECT_TRUE(EqualsIgnoringCase(u"PocketPC", u"pocketpc"));
    EXPECT_FALSE(EqualsIgnoringCase(u"PocketPC", u"PocketPC2"));
}

}  // namespace
}  // namespace zk
