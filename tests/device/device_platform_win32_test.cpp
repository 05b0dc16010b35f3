// The Win32 device platform (under Wine here): device paths below a root
// folder, the device's files and attributes through the system.
#include "device/platform/device_platform_win32.h"

#include <windows.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "tests/support/native_device_platform.h"
#include "tests/support/temp_folder.h"

namespace zk {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;
using test::TempFolder;
using test::WriteAll;

class Win32DevicePlatformTest : public ::testing::Test {
protected:
    TempFolder root;
    Win32DevicePlatform platform{fs::path(root.path()).make_preferred().string()};
};

TEST_F(Win32DevicePlatformTest, PathsStayBelowTheRootAndIgnoreCase) {
    fs::create_directories(root / "Windows");
    WriteAll(platform, u"\\windows\\Zephyrkit.dat", "2 3");
    EXPECT_EQ(test::ReadFileBytes(root / "Windows/Zephyrkit.dat"), "2 3");
    EXPECT_EQ(ReadAll(platform, u"\\WINDOWS\\zephyrKIT.DAT"), "2 3");
    EXPECT_EQ(ReadAll(platform, u"/Windows/Zephyrkit.dat"), "2 3");

    WriteAll(platform, u"\\..\\..\\up.txt", "u");
    WriteAll(platform, u"C:\\a\\..\\..\\drive.txt", "d");
    EXPECT_EQ(test::ListFolder(root.path()),
              (std::vector<std::string>{"Windows", "drive.txt", "up.txt"}));
    EXPECT_EQ(platform.SystemPath(std::u16string(u"a\0b", 3)), L"");
    EXPECT_EQ(platform.OpenFile(std::u16string(u"a\0b", 3), DeviceOpenMode::CreateWrite), nullptr);

    // Without a root the path goes to the system as it stands.
    Win32DevicePlatform device;
    EXPECT_EQ(device.SystemPath(u"\\Temp\\SystemInfo.dat"), L"\\Temp\\SystemInfo.dat");
}

TEST_F(Win32DevicePlatformTest, FoldersFilesAppendAndAttributes) {
    EXPECT_TRUE(platform.CreateFolder(u"\\Temp"));
    EXPECT_FALSE(platform.CreateFolder(u"\\TEMP"));
    EXPECT_FALSE(platform.CreateFolder(u"\\Missing\\Child"));
    std::uint32_t attributes = 0;
    ASSERT_TRUE(platform.GetAttributes(u"\\tEmP", &attributes));
    EXPECT_TRUE(attributes & DEVICE_ATTR_DIRECTORY);

    WriteAll(platform, u"\\Temp\\log.txt", "one\n");
    WriteAll(platform, u"\\Temp\\LOG.txt", "two\n", DeviceOpenMode::Append);
    WriteAll(platform, u"\\Temp\\new.txt", "new\n", DeviceOpenMode::Append);
    EXPECT_EQ(ReadAll(platform, u"\\temp\\log.txt"), "one\ntwo\n");
    EXPECT_EQ(ReadAll(platform, u"\\temp\\new.txt"), "new\n");
    {
        // Appending writes go to the end wherever the position was.
        auto file = platform.OpenFile(u"\\Temp\\log.txt", DeviceOpenMode::Append);
        ASSERT_TRUE(file);
        ASSERT_TRUE(file->Seek(0, DeviceSeek::Start));
        EXPECT_EQ(file->Write("3\n", 2), 2u);
    }
    EXPECT_EQ(ReadAll(platform, u"\\temp\\log.txt"), "one\ntwo\n3\n");

    auto file = platform.OpenFile(u"\\Temp\\log.txt", DeviceOpenMode::Read);
    ASSERT_TRUE(file);
    std::uint64_t at = 99;
    EXPECT_TRUE(file->Seek(-4, DeviceSeek::End));
    EXPECT_TRUE(file->Tell(&at));
    EXPECT_EQ(at, 6u);
    EXPECT_FALSE(file->Seek(-1, DeviceSeek::Start));
    file.reset();
    EXPECT_EQ(platform.OpenFile(u"\\nothing.txt", DeviceOpenMode::Read), nullptr);
    EXPECT_EQ(platform.OpenFile(u"\\Temp", DeviceOpenMode::Read), nullptr);

    EXPECT_TRUE(platform.RemoveFile(u"\\TEMP\\NEW.TXT"));
    EXPECT_FALSE(platform.RemoveFile(u"\\TEMP\\NEW.TXT"));
    EXPECT_FALSE(platform.RemoveFile(u"\\Temp"));
}

TEST_F(Win32DevicePlatformTest, ReadOnlyFilesKeepTheirTimesAndAreNotReplaced) {
    auto file = platform.OpenFile(u"\\ro.txt", DeviceOpenMode::CreateWrite, DEVICE_ATTR_READONLY);
    ASSERT_TRUE(file);
    file->Write("r", 1);
    const std::uint64_t when =
        1600000000ULL * DEVICE_FILETIME_PER_SECOND + DEVICE_FILETIME_UNIX_EPOCH;
    EXPECT_TRUE(file->SetTimes({when, when, when}));
    EXPECT_TRUE(file->Close());

    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExW(platform.SystemPath(u"\\ro.txt").c_str(),
                                     GetFileExInfoStandard, &data));
    EXPECT_EQ(static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32 |
                  data.ftLastWriteTime.dwLowDateTime,
              when);
    std::uint32_t attributes = 0;
    ASSERT_TRUE(platform.GetAttributes(u"\\ro.txt", &attributes));
    EXPECT_TRUE(attributes & DEVICE_ATTR_READONLY);
    EXPECT_EQ(platform.OpenFile(u"\\ro.txt", DeviceOpenMode::CreateWrite), nullptr);
    EXPECT_EQ(platform.OpenFile(u"\\ro.txt", DeviceOpenMode::Append), nullptr);
    SetFileAttributesW(platform.SystemPath(u"\\ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(Win32DeviceServicesTest, ProgramsRunToTheirEndAndRegistryTextIsStored) {
    Win32DevicePlatform device;
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string cmd = std::string(system) + "\\cmd.exe";
    const std::u16string program(cmd.begin(), cmd.end());
    TempFolder folder;
    const std::string marker = fs::path(folder / "ran.txt").make_preferred().string();
    const std::string line = "/c echo done> \"" + marker + "\"";
    EXPECT_TRUE(device.StartProgramAndWait(program, std::u16string(line.begin(), line.end())));
    // Waited for: the program's work is done when the call returns.
    EXPECT_EQ(test::ReadFileBytes(marker), "done\r\n");
    EXPECT_FALSE(device.StartProgramAndWait(u"\\Windows\\no-such-program.exe", u""));
    EXPECT_FALSE(device.ResetDevice());

    const std::u16string key = u"\\SOFTWARE\\Zephyrkit Tests\\Device\\";
    ASSERT_TRUE(device.WriteRegistryText(key, u"\"\\Temp\\a.cab\"", u"Program Files\\A"));
    wchar_t data[64] = {};
    DWORD type = 0, size = sizeof data;
    ASSERT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Zephyrkit Tests\\Device",
                           L"\"\\Temp\\a.cab\"", RRF_RT_ANY, &type, data, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, sizeof(L"Program Files\\A"));
    EXPECT_EQ(std::wstring(data), L"Program Files\\A");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Zephyrkit Tests\\Device");

    // Wine's tick count moves in coarse steps on a busy machine: measure
    // over a span long enough for them not to matter.
    std::uint32_t first = device.TickCount();
    Sleep(200);
    EXPECT_GE(device.TickCount() - first, 100u);
}

}  // namespace
}  // namespace zk
