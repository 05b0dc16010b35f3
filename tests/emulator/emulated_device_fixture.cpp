#include "tests/emulator/emulated_device_fixture.h"

#include <cstdlib>

#include "emulator/ce/emulated_device_profile.h"

namespace zk::test {
namespace {

std::wstring commands;
void (*commandAction)(WORD) = nullptr;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        if (commandAction) commandAction(LOWORD(wParam));
        commands += std::to_wstring(LOWORD(wParam)) + L";";
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void EmulatedDeviceTest::SetUp() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, zk::ce::EMULATED_DEVICE_KEY);
    ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\"));
    CreateDirectoryW(L"\\Temp", nullptr);
    CreateDirectoryW(L"\\Windows", nullptr);
    ClearCommands();
    OnCommand(nullptr);
}

void EmulatedDeviceTest::TearDown() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, zk::ce::EMULATED_DEVICE_KEY);
    PumpMessages();
}

void EmulatedDeviceTest::SetScreen(DWORD width, DWORD height, DWORD taskBarHeight) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, zk::ce::EMULATED_DEVICE_KEY, 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    auto number = [&](const wchar_t* value, DWORD data) {
        RegSetValueExW(key, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
    };
    number(L"ScreenWidth", width);
    number(L"ScreenHeight", height);
    number(L"TaskBarHeight", taskBarHeight);
    RegCloseKey(key);
}

HWND EmulatedDeviceTest::MakeOwner() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"zk_test_owner";
    RegisterClassW(&wc);
    HWND owner = CreateWindowExW(0, L"zk_test_owner", L"", WS_POPUP | WS_VISIBLE, 0, 26, 240, 268,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!owner) {
        if (std::getenv("ZK_REQUIRE_DISPLAY"))
            ADD_FAILURE() << "no display, though one was promised";
        return nullptr;
    }
    return owner;
}

void EmulatedDeviceTest::BroadcastSettingChange() {
    DWORD_PTR result;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0, SMTO_ABORTIFHUNG,
                        5000, &result);
    PumpMessages();
}

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

const std::wstring& CommandsSeen() { return commands; }
void ClearCommands() { commands.clear(); }
void OnCommand(void (*action)(WORD)) { commandAction = action; }

std::wstring WindowText(HWND window) {
    int length = static_cast<int>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    int got = static_cast<int>(
        SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    text.resize(static_cast<std::size_t>(got));
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

RECT WindowRect(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

std::string Describe(const RECT& r) {
    return "{" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + "}";
}

}  // namespace zk::test
