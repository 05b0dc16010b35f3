// The Win32 desktop platform against the real system (under Wine here):
// what each call reports is checked against what Windows itself says.
#include "platform/desktop_platform_win32.h"

#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/path_text.h"
#include "tests/support/temp_folder.h"

namespace zk {
namespace {

using test::TempFolder;

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string WindowsPath(const std::string& path) {
    std::string out = path;
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
}

// A key of its own for each test program run, removed at the end.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        key_ = "Software\\Zephyrkit Tests\\" + std::to_string(GetCurrentProcessId()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, key_.c_str());
    }
    bool KeyExists(HKEY root, const std::string& key) {
        HKEY opened;
        if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
        RegCloseKey(opened);
        return true;
    }
    // Stores raw bytes with any type, as another program might have.
    void StoreRaw(const std::string& value, DWORD type, const void* data, DWORD size) {
        HKEY opened;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &opened, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(
            RegSetValueExA(opened, value.c_str(), 0, type, static_cast<const BYTE*>(data), size),
            ERROR_SUCCESS);
        RegCloseKey(opened);
    }

    Win32DesktopPlatform platform_;
    std::string key_;
};

TEST_F(RegistryTest, StringsRoundTripAndCreateTheirKey) {
    ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, key_));
    std::string got;
    EXPECT_FALSE(
        platform_.ReadRegistryString(RegistryRoot::CurrentUser, key_, "Install_Dir", &got));

    ASSERT_TRUE(platform_.WriteRegistryString(RegistryRoot::CurrentUser, key_, "Install_Dir",
                                              "C:\\Program Files\\Zephyrkit"));
    ASSERT_TRUE(platform_.ReadRegistryString(RegistryRoot::CurrentUser, key_, "Install_Dir", &got));
    EXPECT_EQ(got, "C:\\Program Files\\Zephyrkit");

    // The empty name is the key's default value, and it is stored with its
    // terminating zero as REG_SZ.
    ASSERT_TRUE(platform_.WriteRegistryString(
        RegistryRoot::CurrentUser, key_ + "\\Shell\\Open\\Command", "", "\"C:\\zk.exe\" \"%1\""));
    char raw[64] = {};
    DWORD type = 0;
    DWORD size = sizeof raw;
    ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, (key_ + "\\Shell\\Open\\Command").c_str(), nullptr,
                           RRF_RT_ANY | RRF_NOEXPAND, &type, raw, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, sizeof("\"C:\\zk.exe\" \"%1\""));
    EXPECT_STREQ(raw, "\"C:\\zk.exe\" \"%1\"");
}

TEST_F(RegistryTest, StringReadsRefuseOtherTypesAndOversizedTexts) {
    DWORD number = 1;
    StoreRaw("Number", REG_DWORD, &number, sizeof number);
    StoreRaw("Expand", REG_EXPAND_SZ, "%TEMP%", 7);
    std::string longest(1039, 'd');  // with its zero: the whole 1040-byte buffer
    StoreRaw("Longest", REG_SZ, longest.c_str(), 1040);
    std::string tooLong(1040, 'd');
    StoreRaw("TooLong", REG_SZ, tooLong.c_str(), 1041);
    StoreRaw("Unterminated", REG_SZ, "abc", 3);

    std::string got = "untouched";
    EXPECT_FALSE(platform_.ReadRegistryString(RegistryRoot::CurrentUser, key_, "Number", &got));
    EXPECT_FALSE(platform_.ReadRegistryString(RegistryRoot::CurrentUser, key_, "Expand", &got));
    EXPECT_FALSE(platform_.ReadRegistryString(RegistryRoot::CurrentUser, key_, "TooLong", &got));
    EXPECT_EQ(got, "untouched");
    ASSERT_TRUE(platform_.ReadRegistryString(RegistryRoot::CurrentUser, key_, "Longest", &got));
    EXPECT_EQ(got, longest);
    ASSERT_TRUE(
        platform_.ReadRegistryString(RegistryRoot::CurrentUser, key_, "Unterminated", &got));
    EXPECT_EQ(got, "abc");
}

TEST_F(RegistryTest, DwordsMakeTheirKeyAndAreExactlyFourBytes) {
    // A missing key is made, so the value is stored on a first run too.
    ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, key_));
    ASSERT_TRUE(
        platform_.WriteRegistryDword(RegistryRoot::CurrentUser, key_, "General_Step_Index", 0));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, key_));

    ASSERT_TRUE(
        platform_.WriteRegistryString(RegistryRoot::CurrentUser, key_, "Install_Dir", "C:\\"));
    ASSERT_TRUE(
        platform_.WriteRegistryDword(RegistryRoot::CurrentUser, key_, "General_Step_Index", 1));
    std::uint32_t got = 0;
    ASSERT_TRUE(
        platform_.ReadRegistryDword(RegistryRoot::CurrentUser, key_, "General_Step_Index", &got));
    EXPECT_EQ(got, 1u);

    // A string, a two-byte dword and four bytes of binary are all absent.
    std::uint32_t untouched = 77;
    EXPECT_FALSE(
        platform_.ReadRegistryDword(RegistryRoot::CurrentUser, key_, "Install_Dir", &untouched));
    std::uint16_t shortValue = 1;
    StoreRaw("Short", REG_DWORD, &shortValue, sizeof shortValue);
    EXPECT_FALSE(platform_.ReadRegistryDword(RegistryRoot::CurrentUser, key_, "Short", &untouched));
    DWORD binary = 1;
    StoreRaw("Binary", REG_BINARY, &binary, sizeof binary);
    EXPECT_FALSE(
        platform_.ReadRegistryDword(RegistryRoot::CurrentUser, key_, "Binary", &untouched));
    EXPECT_FALSE(
        platform_.ReadRegistryDword(RegistryRoot::CurrentUser, key_, "Missing", &untouched));
    EXPECT_EQ(untouched, 77u);
}

TEST_F(RegistryTest, RootsReachTheirHives) {
    ASSERT_TRUE(
        platform_.WriteRegistryString(RegistryRoot::LocalMachine, key_, "Install_Dir", "D:\\zk"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, key_));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key_));

    // Classes written through HKEY_CLASSES_ROOT are readable there.
    std::string extension = ".zktest" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(
        platform_.WriteRegistryString(RegistryRoot::ClassesRoot, extension, "", "Zephyrkit.1"));
    std::string got;
    EXPECT_TRUE(platform_.ReadRegistryString(RegistryRoot::ClassesRoot, extension, "", &got));
    EXPECT_EQ(got, "Zephyrkit.1");
    RegDeleteTreeA(HKEY_CLASSES_ROOT, extension.c_str());
    EXPECT_FALSE(platform_.ReadRegistryString(RegistryRoot::ClassesRoot, extension, "", &got));
}

class FilesTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) { return WindowsPath(folder_ / name); }
    TempFolder folder_;
    Win32DesktopPlatform platform_;
};

FILETIME TimeOf(std::uint64_t ticks) {
    FILETIME t;
    t.dwLowDateTime = static_cast<DWORD>(ticks);
    t.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return t;
}

TEST_F(FilesTest, FactsOfAFileAreWhatWindowsReports) {
    std::string path = Path("Setup.cab");
    test::WriteFileBytes(path, std::string(70000, 'x'));
    // 2 March 2005 10:20:30 and 4 May 2006 01:02:03, UTC.
    const std::uint64_t written = 127542348300000000ULL;
    const std::uint64_t accessed = 127911853230000000ULL;
    HANDLE h =
        CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FILETIME w = TimeOf(written), a = TimeOf(accessed);
    ASSERT_TRUE(SetFileTime(h, nullptr, &a, &w));
    CloseHandle(h);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));

    FileFacts facts;
    ASSERT_TRUE(platform_.GetFileFacts(path, &facts));
    EXPECT_EQ(facts.size, 70000u);
    EXPECT_EQ(facts.lastWriteTime, written);
    EXPECT_EQ(facts.lastAccessTime, accessed);
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(facts.attributes, data.dwFileAttributes);
    EXPECT_TRUE(facts.attributes & FILE_ATTR_READONLY);
    EXPECT_FALSE(facts.attributes & FILE_ATTR_DIRECTORY);
    EXPECT_EQ(facts.creationTime, static_cast<std::uint64_t>(data.ftCreationTime.dwHighDateTime)
                                          << 32 |
                                      data.ftCreationTime.dwLowDateTime);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FilesTest, FactsOfFoldersMissingFilesAndPatterns) {
    FileFacts facts;
    facts.size = 99;
    ASSERT_TRUE(platform_.GetFileFacts(WindowsPath(folder_.path()), &facts));
    EXPECT_TRUE(facts.attributes & FILE_ATTR_DIRECTORY);
    EXPECT_EQ(facts.size, 0u);
    // A trailing separator and a drive root are folders too.
    EXPECT_TRUE(platform_.GetFileFacts(WindowsPath(folder_.path()) + "\\", &facts));
    EXPECT_TRUE(platform_.GetFileFacts("C:\\", &facts));
    EXPECT_TRUE(facts.attributes & FILE_ATTR_DIRECTORY);

    test::WriteFileBytes(Path("a.cab"), "cab");
    EXPECT_FALSE(platform_.GetFileFacts(Path("b.cab"), &facts));
    EXPECT_FALSE(platform_.GetFileFacts("", &facts));
    // A pattern matches a.cab but names no file.
    EXPECT_FALSE(platform_.GetFileFacts(Path("*.cab"), &facts));
    EXPECT_FALSE(platform_.GetFileFacts(Path("?.cab"), &facts));
}

TEST_F(FilesTest, HandlesSeekPastFourGigabytes) {
    std::string path = Path("big.bin");
    auto out = platform_.OpenFile(path, FileMode::CreateWrite);
    ASSERT_TRUE(out);
    // Sparse where the volume allows it, so that the gap costs no disk.
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        DWORD ignored = 0;
        DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
        CloseHandle(h);
    }
    const std::uint64_t beyond = (5ULL << 30) + 3;
    ASSERT_TRUE(out->Seek(beyond));
    EXPECT_EQ(out->Tell(), beyond);
    ASSERT_EQ(out->Write("END", 3), 3u);
    EXPECT_EQ(out->Tell(), beyond + 3);
    ASSERT_TRUE(out->Close());

    FileFacts facts;
    ASSERT_TRUE(platform_.GetFileFacts(path, &facts));
    EXPECT_EQ(facts.size, beyond + 3);

    auto in = platform_.OpenFile(path, FileMode::Read);
    ASSERT_TRUE(in);
    ASSERT_TRUE(in->SeekToEnd());
    EXPECT_EQ(in->Tell(), beyond + 3);
    ASSERT_TRUE(in->Seek(beyond + 1));
    char tail[8] = {};
    EXPECT_EQ(in->Read(tail, sizeof tail), 2u);  // short read: end of file
    EXPECT_STREQ(tail, "ND");
    in->Close();
    EXPECT_TRUE(platform_.RemoveFile(path));
}

TEST_F(FilesTest, OpenModesWriteAppendAndRefuse) {
    std::string path = Path("log.txt");
    EXPECT_FALSE(platform_.OpenFile(path, FileMode::Read));
    EXPECT_FALSE(platform_.OpenFile(path, FileMode::AppendWrite));
    {
        auto out = platform_.OpenFile(path, FileMode::CreateWrite);
        ASSERT_TRUE(out);
        EXPECT_EQ(out->Write("first", 5), 5u);
        // The writer shares nothing: a build reads no half-written file.
        EXPECT_FALSE(platform_.OpenFile(path, FileMode::Read));
    }  // the destructor closes
    {
        auto more = platform_.OpenFile(path, FileMode::AppendWrite);
        ASSERT_TRUE(more);
        EXPECT_EQ(more->Tell(), 5u);
        EXPECT_EQ(more->Write("+next", 5), 5u);
        EXPECT_TRUE(more->Close());
    }
    EXPECT_EQ(test::ReadFileBytes(path), "first+next");
    {
        auto again = platform_.OpenFile(path, FileMode::CreateWrite);
        ASSERT_TRUE(again);
        EXPECT_TRUE(again->Close());
    }
    EXPECT_EQ(test::FileSize(path), 0u);
    // A folder is not a file to read.
    EXPECT_FALSE(platform_.OpenFile(WindowsPath(folder_.path()), FileMode::Read));
}

TEST_F(FilesTest, FoldersRenamesAndRemovals) {
    std::string sub = Path("out");
    EXPECT_TRUE(platform_.MakeFolder(sub));
    EXPECT_TRUE(platform_.MakeFolder(sub));  // already there
    test::WriteFileBytes(Path("file"), "x");
    EXPECT_FALSE(platform_.MakeFolder(Path("file")));  // a file, not a folder
    EXPECT_FALSE(platform_.MakeFolder(Path("no\\such\\parent")));

    test::WriteFileBytes(Path("new"), "new");
    test::WriteFileBytes(Path("old"), "old");
    EXPECT_TRUE(platform_.RenameFile(Path("new"), Path("old")));  // replaces
    EXPECT_EQ(test::ReadFileBytes(Path("old")), "new");
    EXPECT_FALSE(test::FileExists(Path("new")));
    EXPECT_TRUE(platform_.RemoveFile(Path("old")));
    EXPECT_FALSE(platform_.RemoveFile(Path("old")));
}

TEST(SystemFactsTest, ProgramPathCurrentFolderTemporaryFolderAndClock) {
    Win32DesktopPlatform platform;
    std::string program = platform.ProgramPath();
    EXPECT_EQ(Lower(FileNamePart(program)), "desktop_platform_win32_test.exe");
    ASSERT_GT(program.size(), 3u);
    EXPECT_EQ(program.substr(1, 2), ":\\");
    FileFacts facts;
    EXPECT_TRUE(platform.GetFileFacts(program, &facts));
    EXPECT_GT(facts.size, 0u);

    EXPECT_EQ(Lower(platform.CurrentDirectory()), Lower(std::filesystem::current_path().string()));

    std::string temp = platform.TemporaryFolder();
    ASSERT_FALSE(temp.empty());
    EXPECT_NE(temp.back(), '\\');
    ASSERT_TRUE(platform.GetFileFacts(temp, &facts));
    EXPECT_TRUE(facts.attributes & FILE_ATTR_DIRECTORY);

    EXPECT_EQ(platform.PathSeparator(), '\\');
    std::int64_t now = platform.CurrentUnixTime();
    std::int64_t clock = static_cast<std::int64_t>(time(nullptr));
    EXPECT_LE(now > clock ? now - clock : clock - now, 2);
}

// A message box shown by the platform, found and read the way a user's
// screen would show it, then closed with OK.
struct SeenBox {
    std::string caption;
    std::string text;
    HWND owner = nullptr;
    HICON icon = nullptr;
    bool found = false;
};

BOOL CALLBACK FindIcon(HWND child, LPARAM seen) {
    char kind[16] = {};
    GetClassNameA(child, kind, sizeof kind);
    if (Lower(kind) == "static" && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        reinterpret_cast<SeenBox*>(seen)->icon =
            reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        return FALSE;
    }
    return TRUE;
}

SeenBox ShowAndRead(Win32DesktopPlatform& platform, const std::string& text,
                    const std::string& caption, MessageIcon icon, bool owned) {
    SeenBox seen;
    std::atomic<bool> done{false};
    std::thread reader([&] {
        for (int attempt = 0; attempt < 200 && !done; ++attempt) {
            HWND box = FindWindowA("#32770", caption.c_str());
            if (box) {
                char buffer[512] = {};
                GetWindowTextA(box, buffer, sizeof buffer);
                seen.caption = buffer;
                GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
                seen.text = buffer;
                seen.owner = GetWindow(box, GW_OWNER);
                EnumChildWindows(box, FindIcon, reinterpret_cast<LPARAM>(&seen));
                seen.found = true;
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(50);
        }
    });
    platform.ShowMessage(text, caption, icon, owned);
    done = true;
    reader.join();
    return seen;
}

TEST(MessageBoxTest, ShowsARealBoxWithCaptionTextIconAndOwner) {
    HWND main = CreateWindowExA(0, "STATIC", "Morvane Zephyrkit v1.1", WS_OVERLAPPEDWINDOW, 0, 0,
                                200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!main) {
        // The Windows test run provides a display and asks for this test.
        if (std::getenv("ZK_REQUIRE_DISPLAY")) FAIL() << "no display, though one was promised";
        GTEST_SKIP() << "no display for windows (run under Xvfb)";
    }
    Win32DesktopPlatform platform;

    SeenBox error =
        ShowAndRead(platform, "Project file is invalid", "Error", MessageIcon::Error, false);
    ASSERT_TRUE(error.found);
    EXPECT_EQ(error.caption, "Error");
    EXPECT_EQ(error.text, "Project file is invalid");
    EXPECT_EQ(error.icon, LoadIconA(nullptr, IDI_HAND));
    EXPECT_EQ(error.owner, nullptr);

    SeenBox info = ShowAndRead(platform, "Zephyrkit files successfully built.", "Success",
                               MessageIcon::Information, false);
    ASSERT_TRUE(info.found);
    EXPECT_EQ(info.icon, LoadIconA(nullptr, IDI_ASTERISK));

    // Owned boxes belong to the main window once it is known.
    platform.SetOwnerWindow(main);
    SeenBox warning = ShowAndRead(platform, "Project file contains errors.", "Attention",
                                  MessageIcon::Warning, true);
    ASSERT_TRUE(warning.found);
    EXPECT_EQ(warning.icon, LoadIconA(nullptr, IDI_EXCLAMATION));
    EXPECT_EQ(warning.owner, main);
    SeenBox unowned = ShowAndRead(platform, "x", "Unowned", MessageIcon::None, false);
    ASSERT_TRUE(unowned.found);
    EXPECT_EQ(unowned.owner, nullptr);
    EXPECT_EQ(unowned.icon, nullptr);
    DestroyWindow(main);
}

}  // namespace
}  // namespace zk
