// The device shell's special folders, text shortcuts and bitmaps from files,
// on the device's drive.
#include "device/ce/ce_api.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "tests/emulator/emulated_device_fixture.h"

namespace {

using zk::test::ReadFileBytes;
using zk::test::WriteFileBytes;

class ShellCallsTest : public zk::test::EmulatedDeviceTest {};

TEST_F(ShellCallsTest, StartupFolderIsMadeWhenAskedFor) {
    RemoveDirectoryW(L"\\Windows\\StartUp");
    wchar_t path[MAX_PATH] = L"?";
    ASSERT_TRUE(zk::ce::SHGetSpecialFolderPath(nullptr, path, zk::ce::CE_CSIDL_STARTUP, FALSE));
    EXPECT_STREQ(path, L"\\Windows\\StartUp");
    EXPECT_EQ(GetFileAttributesW(L"C:\\Windows\\StartUp"), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(zk::ce::SHGetSpecialFolderPath(nullptr, path, zk::ce::CE_CSIDL_STARTUP, TRUE));
    EXPECT_STREQ(path, L"\\Windows\\StartUp");
    DWORD attributes = GetFileAttributesW(L"C:\\Windows\\StartUp");
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
    // Asking again finds it there.
    EXPECT_TRUE(zk::ce::SHGetSpecialFolderPath(nullptr, path, zk::ce::CE_CSIDL_STARTUP, TRUE));
    EXPECT_FALSE(zk::ce::SHGetSpecialFolderPath(nullptr, path, 0x7777, TRUE));
    EXPECT_STREQ(path, L"");
}

TEST_F(ShellCallsTest, ShortcutIsTheTargetsLengthAndTheTarget) {
    wchar_t shortcut[] = L"\\Temp\\zk_shortcut.lnk";
    WriteFileBytes("\\Temp\\zk_shortcut.lnk", std::string(500, 'x'));
    wchar_t target[] = L"\"\\Program Files\\Morvane\\MobileZephyrkit.exe\"";
    ASSERT_TRUE(zk::ce::SHCreateShortcut(shortcut, target));
    EXPECT_EQ(ReadFileBytes("C:\\Temp\\zk_shortcut.lnk"),
              "44#\"\\Program Files\\Morvane\\MobileZephyrkit.exe\"");
    wchar_t shorter[] = L"\\a.exe";
    ASSERT_TRUE(zk::ce::SHCreateShortcut(shortcut, shorter));
    EXPECT_EQ(ReadFileBytes("\\Temp\\zk_shortcut.lnk"), "6#\\a.exe");
    wchar_t nowhere[] = L"\\No Such Folder\\x.lnk";
    EXPECT_FALSE(zk::ce::SHCreateShortcut(nowhere, target));
    DeleteFileW(shortcut);
}

// A 2 x 2 bitmap, 24 bits a pixel, rows padded to 4 bytes.
std::string SmallBitmap() {
    std::string bmp(70, '\0');
    auto put = [&](std::size_t at, std::uint32_t value, int bytes) {
        for (int k = 0; k < bytes; ++k) bmp[at + k] = static_cast<char>(value >> (8 * k));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put(2, 70, 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, 2, 4);
    put(22, 2, 4);
    put(26, 1, 2);
    put(28, 24, 2);
    put(34, 16, 4);
    for (std::size_t k = 54; k < 70; ++k) bmp[k] = static_cast<char>(0x80);
    return bmp;
}

TEST_F(ShellCallsTest, BitmapLoadsFromADevicePath) {
    WriteFileBytes("\\Temp\\zk_splash.bmp", SmallBitmap());
    HBITMAP bitmap = zk::ce::SHLoadDIBitmap(L"\\Temp\\zk_splash.bmp");
    ASSERT_TRUE(bitmap);
    DIBSECTION section = {};
    ASSERT_EQ(GetObjectW(bitmap, sizeof section, &section), static_cast<int>(sizeof section))
        << "not a DIB section";
    EXPECT_EQ(section.dsBm.bmWidth, 2);
    EXPECT_EQ(section.dsBm.bmHeight, 2);
    EXPECT_TRUE(section.dsBm.bmBits);
    DeleteObject(bitmap);
    EXPECT_EQ(zk::ce::SHLoadDIBitmap(L"\\Temp\\zk_no_such.bmp"), nullptr);
    WriteFileBytes("\\Temp\\zk_splash.bmp", "BM not really");
    EXPECT_EQ(zk::ce::SHLoadDIBitmap(L"\\Temp\\zk_splash.bmp"), nullptr);
    DeleteFileW(L"\\Temp\\zk_splash.bmp");
}

}  // namespace
