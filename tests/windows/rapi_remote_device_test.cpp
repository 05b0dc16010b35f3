// The wizard's ActiveSync side on Windows over the emulated rapi.dll beside
// this program: deploying into a device folder, the connection wait, paths
// kept on the device, and the failures when ActiveSync or the device is
// missing. The emulated dll logs every call, so the blocks the wizard sends
// are seen as the device receives them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "activesync/device_transfer.h"
#include "activesync/message_loop_tick_wait_win32.h"
#include "activesync/rapi_remote_device_win32.h"
#include "common/fixed_text.h"
#include "common/project_record.h"
#include "platform/desktop_platform_win32.h"
#include "platform/memory_page_view.h"
#include "wizard/deploy/deploy_step.h"
#include "wizard/project/wizard_context.h"
#include "wizard/ui/control_ids.h"

namespace zk {
namespace {

using Clock = std::chrono::steady_clock;
using Strings = std::vector<std::string>;

const wchar_t ACTIVESYNC_KEY[] = L"Software\\Morvane\\Zephyrkit\\Emulated ActiveSync";
const char DEVICE[] = "C:\\zk-rapi-device";
const char LOCAL[] = "C:\\zk-rapi-local";
const char LOG[] = "C:\\zk-rapi-calls.log";

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::string& path) {
    std::error_code error;
    std::filesystem::remove_all(path, error);
}

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
    return bytes;
}

void SetDeviceRootValue(const wchar_t* root) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, ACTIVESYNC_KEY, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, L"DeviceRoot", 0, REG_SZ, reinterpret_cast<const BYTE*>(root),
                   static_cast<DWORD>((wcslen(root) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

// Waits for a started program's output file.
std::string AwaitFile(const std::string& path) {
    for (int i = 0; i < 200 && !Exists(path); ++i) Sleep(50);
    Sleep(100);
    return ReadAll(path);
}

class StatusPage : public MemoryPageView {
public:
    void SetText(int id, const std::string& text) override {
        if (id == IDC_DEVICE_STATUS) statuses.push_back(text);
        MemoryPageView::SetText(id, text);
    }
    Strings statuses;
};

class RapiTest : public ::testing::Test {
protected:
    RapiTest() {
        std::memset(&project, 0, sizeof project);
        std::memset(&state, 0, sizeof state);
    }

    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, ACTIVESYNC_KEY);
        RemoveTree(DEVICE);
        RemoveTree(LOCAL);
        DeleteFileA(LOG);
        CreateDirectoryA(DEVICE, nullptr);
        CreateDirectoryA((std::string(DEVICE) + "\\Temp").c_str(), nullptr);
        CreateDirectoryA(LOCAL, nullptr);
        SetEnvironmentVariableA("ZK_EMULATED_DEVICE_ROOT", DEVICE);
        SetEnvironmentVariableA("ZK_EMULATED_ACTIVESYNC_LOG", LOG);
    }
    void TearDown() override {
        connection.Disconnect();
        RegDeleteTreeW(HKEY_CURRENT_USER, ACTIVESYNC_KEY);
        SetEnvironmentVariableA("ZK_EMULATED_DEVICE_ROOT", nullptr);
        SetEnvironmentVariableA("ZK_EMULATED_ACTIVESYNC_LOG", nullptr);
    }

    // The installer the last build wrote, as Deploy finds it.
    std::string Built(const std::string& bytes) {
        std::string path = std::string(LOCAL) + "\\Demo.[MOBILE].exe";
        WriteAll(path, bytes);
        CopyText(state.mobileInstallerPath, path);
        CopyText(state.mobileInstallerName, "Demo.[MOBILE].exe");
        return path;
    }

    void Deploy(const std::string& folder) {
        page.SetText(IDC_REMOTE_PATH, folder);
        DeployInstaller(context, connection);
    }

    // The calls the device received, without their arguments unless `with`.
    Strings Calls(const std::string& prefix) {
        Strings found;
        std::string text = ReadAll(LOG);
        std::size_t at = 0;
        while (at < text.size()) {
            std::size_t end = text.find('\n', at);
            if (end == std::string::npos) end = text.size();
            std::string line = text.substr(at, end - at);
            if (line.rfind(prefix, 0) == 0) found.push_back(line);
            at = end + 1;
        }
        return found;
    }

    RapiRemoteDevice device;
    MessageLoopTickWait wait;
    DeviceConnection connection{device, wait};
    Win32DesktopPlatform platform;
    Project project;
    WizardState state;
    StatusPage page;
    WizardContext context{project, state, platform, &page};
};

TEST_F(RapiTest, TheEmulatedActiveSyncIsFoundBesideTheProgram) {
    EXPECT_TRUE(device.available());
    EXPECT_TRUE(connection.ConnectDevice(CONNECT_SECONDS));
}

TEST_F(RapiTest, DeployPutsTheInstallerIntoTheTargetFolderAndStartsItAtTheDeviceRoot) {
    // The installer is a program that writes down how it was started.
    Built(ReadAll(ZK_RAPI_START_PROBE));

    Deploy("\\");
    EXPECT_EQ(page.statuses, (Strings{STATUS_COPYING, STATUS_COPIED, STATUS_STARTED}));
    EXPECT_EQ(ReadAll(std::string(DEVICE) + "\\Demo.[MOBILE].exe"), ReadAll(ZK_RAPI_START_PROBE));
    // No command line: the program writes to "probe.txt" in its current
    // folder, which is the device's root.
    std::string report = AwaitFile(std::string(DEVICE) + "\\probe.txt");
    EXPECT_EQ(report, std::string(DEVICE) + "\n\n");
    EXPECT_EQ(Calls("CeCreateProcess"), (Strings{"CeCreateProcess \\Demo.[MOBILE].exe "}));

    page.statuses.clear();
    Deploy("\\Temp");
    EXPECT_EQ(page.statuses, (Strings{STATUS_COPYING, STATUS_COPIED, STATUS_STARTED}));
    EXPECT_TRUE(Exists(std::string(DEVICE) + "\\Temp\\Demo.[MOBILE].exe"));
    EXPECT_EQ(Calls("CeCreateFile"), (Strings{"CeCreateFile \\Demo.[MOBILE].exe",
                                              "CeCreateFile \\Temp\\Demo.[MOBILE].exe"}));
}

TEST_F(RapiTest, AStartedProgramsDriveLessPathsStayOnTheWineDevice) {
    // The Wine device as it is used: its root is the drive's root, and the
    // registry names it before the environment does.
    SetDeviceRootValue(L"C:\\");
    CreateDirectoryA("C:\\Temp", nullptr);
    DeleteFileA("C:\\Temp\\zk-rapi-probe.txt");
    std::string probe = ReadAll(ZK_RAPI_START_PROBE);
    Built(probe);
    Deploy("\\zk-rapi-device\\Temp");
    ASSERT_EQ(page.statuses, (Strings{STATUS_COPYING, STATUS_COPIED, STATUS_STARTED}));

    RemoteProcessInfo info;
    ASSERT_TRUE(connection.ConnectDevice(CONNECT_SECONDS));
    ASSERT_TRUE(device.CeCreateProcess(u"\\zk-rapi-device\\Temp\\Demo.[MOBILE].exe",
                                       u"\\Temp\\zk-rapi-probe.txt", &info));
    EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(info.process), 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(device.CeCloseHandle(info.thread));
    EXPECT_TRUE(device.CeCloseHandle(info.process));
    EXPECT_EQ(ReadAll("C:\\Temp\\zk-rapi-probe.txt"), "C:\\\n\\Temp\\zk-rapi-probe.txt\n");
    DeleteFileA("C:\\Temp\\zk-rapi-probe.txt");
}

TEST_F(RapiTest, AnOlderLongerInstallerIsReplacedBySixteenKilobyteBlocks) {
    const std::string onDevice = std::string(DEVICE) + "\\Temp\\Demo.[MOBILE].exe";
    WriteAll(onDevice, Pattern(100000));
    const std::string local = Built(std::string(40000, 'n'));

    ASSERT_EQ(CopyFileToDevice(connection, platform, local, u"\\Temp\\Demo.[MOBILE].exe"),
              COPY_DONE);
    EXPECT_EQ(ReadAll(onDevice), std::string(40000, 'n'));
    EXPECT_EQ(Calls("CeWriteFile"),
              (Strings{"CeWriteFile 16384", "CeWriteFile 16384", "CeWriteFile 7232"}));
    // The device file is closed before the copy ends its connection.
    Strings calls = Calls("Ce");
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2], "CeCloseHandle");
    EXPECT_EQ(calls.back(), "CeRapiUninit");
}

TEST_F(RapiTest, AMissingInstallerLeavesTheDevicesCopyAlone) {
    const std::string onDevice = std::string(DEVICE) + "\\Temp\\Demo.[MOBILE].exe";
    WriteAll(onDevice, "older");
    EXPECT_EQ(CopyFileToDevice(connection, platform, std::string(LOCAL) + "\\absent.exe",
                               u"\\Temp\\Demo.[MOBILE].exe"),
              COPY_LOCAL_UNREADABLE);
    EXPECT_EQ(ReadAll(onDevice), "older");
    EXPECT_TRUE(Calls("CeCreateFile").empty());

    // A read-only installer still copies: reading is all it takes.
    const std::string local = Built(Pattern(20000));
    SetFileAttributesA(local.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(CopyFileToDevice(connection, platform, local, u"\\Temp\\Demo.[MOBILE].exe"),
              COPY_DONE);
    SetFileAttributesA(local.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadAll(onDevice), Pattern(20000));
}

TEST_F(RapiTest, ATargetFolderTooLongForTheDeviceIsRefusedBeforeCopying) {
    Built(Pattern(100));
    Deploy("\\" + std::string(TARGET_FOLDER_MAX, 'd'));
    EXPECT_EQ(page.statuses, (Strings{STATUS_COPYING, STATUS_COPY_FAILED}));
    EXPECT_TRUE(Calls("CeCreateFile").empty());

    // A folder that fits, with a name that makes the path too long.
    ASSERT_TRUE(connection.ConnectDevice(CONNECT_SECONDS));
    std::u16string path = u"\\Temp\\" + std::u16string(MAX_PATH - 6, u'x');
    EXPECT_EQ(device.CeCreateFile(path, REMOTE_GENERIC_WRITE, 0, REMOTE_CREATE_ALWAYS,
                                  REMOTE_ATTR_NORMAL),
              REMOTE_INVALID_HANDLE);
}

TEST_F(RapiTest, DevicePathsNeverLeaveTheDeviceFolder) {
    ASSERT_TRUE(connection.ConnectDevice(CONNECT_SECONDS));
    for (std::u16string path :
         {u"\\..\\zk-rapi-escape.txt", u"\\Temp\\..\\..\\zk-rapi-escape.txt",
          u"C:\\zk-rapi-escape.txt", u"\\C:\\zk-rapi-escape.txt", u"zk-rapi-escape.txt",
          u"\\Temp\\.. \\..\\zk-rapi-escape.txt", u"\\Temp\\x*.txt", u"\\"}) {
        EXPECT_EQ(device.CeCreateFile(path, REMOTE_GENERIC_WRITE, 0, REMOTE_CREATE_ALWAYS,
                                      REMOTE_ATTR_NORMAL),
                  REMOTE_INVALID_HANDLE)
            << std::string(path.begin(), path.end());
    }
    EXPECT_FALSE(Exists("C:\\zk-rapi-escape.txt"));
    RemoteFindData found;
    EXPECT_EQ(device.CeFindFirstFile(u"\\..\\*.*", &found), REMOTE_INVALID_HANDLE);
    EXPECT_FALSE(device.CeCreateProcess(u"\\..\\windows\\system32\\cmd.exe", u"", nullptr));
}

TEST_F(RapiTest, SearchesListTheDevicesEntriesWithoutDotEntries) {
    CreateDirectoryA((std::string(DEVICE) + "\\Windows").c_str(), nullptr);
    WriteAll(std::string(DEVICE) + "\\Temp\\a.txt", "a");
    ASSERT_TRUE(connection.ConnectDevice(CONNECT_SECONDS));

    auto list = [&](const std::u16string& pattern) {
        Strings names;
        RemoteFindData found;
        RemoteHandle search = device.CeFindFirstFile(pattern, &found);
        if (search == REMOTE_INVALID_HANDLE) return names;
        do {
            std::string name(found.fileName.begin(), found.fileName.end());
            if (found.attributes & REMOTE_ATTR_DIRECTORY) name += "\\";
            names.push_back(name);
        } while (device.CeFindNextFile(search, &found));
        EXPECT_TRUE(device.CeFindClose(search));
        return names;
    };
    Strings root = list(u"\\*.*");
    std::sort(root.begin(), root.end());
    EXPECT_EQ(root, (Strings{"Temp\\", "Windows\\"}));
    EXPECT_EQ(list(u"\\Temp\\*.*"), (Strings{"a.txt"}));
    EXPECT_TRUE(list(u"\\Windows\\*.*").empty());
    EXPECT_TRUE(list(u"\\Absent\\*.*").empty());
}

TEST_F(RapiTest, WithoutActiveSyncEveryConnectionFailsAtOnce) {
    for (const wchar_t* library : {L"zk-absent-rapi.dll", L"kernel32.dll"}) {
        RapiRemoteDevice missing(library);
        EXPECT_FALSE(missing.available());
        DeviceConnection without(missing, wait);
        const auto start = Clock::now();
        EXPECT_FALSE(without.ConnectDevice(CONNECT_SECONDS));
        EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2500));
        EXPECT_EQ(CopyFileToDevice(without, platform, Built("x"), u"\\Temp\\x.exe"),
                  COPY_NO_CONNECTION);
        EXPECT_EQ(StartOnDevice(without, u"\\Temp\\x.exe", u""), START_NO_CONNECTION);
        EXPECT_EQ(missing.CeCreateFile(u"\\Temp\\x.exe", REMOTE_GENERIC_WRITE, 0,
                                       REMOTE_CREATE_ALWAYS, REMOTE_ATTR_NORMAL),
                  REMOTE_INVALID_HANDLE);
    }
}

struct Responsiveness {
    Clock::time_point handledAt{};
    bool handled = false;
};

LRESULT CALLBACK ProbeWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        auto* seen = reinterpret_cast<Responsiveness*>(lParam);
        seen->handled = true;
        seen->handledAt = Clock::now();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(RapiTest, AnAbsentDeviceFailsAfterTheWaitWhileTheWindowStaysResponsive) {
    RemoveTree(DEVICE);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = ProbeWindow;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"zk_rapi_probe_window";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(L"zk_rapi_probe_window", L"", 0, 0, 0, 10, 10, HWND_MESSAGE,
                                nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);

    Responsiveness seen;
    std::thread poster([window, &seen] {
        Sleep(1500);
        PostMessageW(window, WM_APP, 0, reinterpret_cast<LPARAM>(&seen));
    });
    const auto start = Clock::now();
    const bool connected = connection.ConnectDevice(CONNECT_SECONDS);
    const auto end = Clock::now();
    poster.join();
    DestroyWindow(window);

    EXPECT_FALSE(connected);
    EXPECT_GE(end - start, std::chrono::milliseconds(4500));
    EXPECT_LT(end - start, std::chrono::milliseconds(8000));
    ASSERT_TRUE(seen.handled);
    EXPECT_LT(seen.handledAt, end - std::chrono::seconds(2));
    // The attempt was abandoned, not left waiting.
    EXPECT_FALSE(connection.attemptDone());

    // The device plugged in: a fresh attempt finds it after the first tick.
    CreateDirectoryA(DEVICE, nullptr);
    const auto again = Clock::now();
    EXPECT_TRUE(connection.ConnectDevice(CONNECT_SECONDS));
    EXPECT_LT(Clock::now() - again, std::chrono::milliseconds(2500));

    // ... and unplugged, the connection is gone with it.
    RemoveTree(DEVICE);
    EXPECT_EQ(device.CeCreateFile(u"\\x.txt", REMOTE_GENERIC_WRITE, 0, REMOTE_CREATE_ALWAYS,
                                  REMOTE_ATTR_NORMAL),
              REMOTE_INVALID_HANDLE);
}

}  // namespace
}  // namespace zk
