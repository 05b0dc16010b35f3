#include "device/installer/win32/launch_shell_win32.h"

#include "common/wide_text_win32.h"
#include "device/ce/ce_api.h"
#include "device/installer/installer_texts.h"
#include "device/installer/page_flow.h"

namespace zk {
namespace {

constexpr UINT PLATFORM_TYPE_UNITS = 64;

// The focus moves to the next (or previous) enabled window among the
// page's controls; the HTML view never takes it this way.
bool MoveFocusByArrow(const MSG& message, HWND htmlView) {
    const UINT step = message.wParam == VK_DOWN ? GW_HWNDNEXT : GW_HWNDPREV;
    for (HWND next = GetWindow(message.hwnd, step); next; next = GetWindow(next, step)) {
        if (!IsWindowEnabled(next)) continue;
        if (next != htmlView) SetFocus(next);
        return true;
    }
    return true;  // none: the key is dropped
}

}  // namespace

Win32LaunchShell::Win32LaunchShell(HINSTANCE instance, int showCommand, InstallerMainWindow& window)
    : instance_(instance), showCommand_(showCommand), window_(window) {}

Win32LaunchShell::~Win32LaunchShell() {
    if (mutex_) CloseHandle(mutex_);
}

bool Win32LaunchShell::AskProceedFromCard() {
    return MessageBoxW(nullptr, Wide(CARD_QUESTION), Wide(CARD_CAPTION), MB_OKCANCEL) != IDCANCEL;
}

void Win32LaunchShell::ShowWaitCursor() {
    HCURSOR wait = LoadCursorW(nullptr, MAKEINTRESOURCEW(32514));
    if (wait) previousCursor_ = SetCursor(wait);
}

void Win32LaunchShell::RestoreCursor() { SetCursor(previousCursor_); }

bool Win32LaunchShell::StartupFolder(std::u16string* folder) {
    wchar_t path[MAX_PATH] = {};
    if (!ce::SHGetSpecialFolderPath(nullptr, path, ce::CE_CSIDL_STARTUP, FALSE)) return false;
    *folder = Text16(path);
    return true;
}

std::u16string Win32LaunchShell::ModulePath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return Text16(path);
}

bool Win32LaunchShell::CreateShortcut(std::u16string_view path, std::u16string_view target) {
    std::u16string shortcut(path);
    std::u16string program(target);
    return ce::SHCreateShortcut(const_cast<wchar_t*>(Wide(shortcut)),
                                const_cast<wchar_t*>(Wide(program))) != FALSE;
}

bool Win32LaunchShell::ClaimSingleInstance() {
    mutex_ = CreateMutexW(nullptr, FALSE, Wide(MUTEX_NAME));
    return !(mutex_ && GetLastError() == ERROR_ALREADY_EXISTS);
}

bool Win32LaunchShell::BringRunningWindowForward() {
    HWND running = FindWindowW(Wide(MAIN_WINDOW_CLASS), L"");
    if (!running) return false;
    SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<ULONG_PTR>(running) | 1));
    return true;
}

bool Win32LaunchShell::CreateMainWindow() {
    if (!InstallerMainWindow::RegisterWindowClass(instance_)) return false;
    HWND main = ce::CreateWindowExW(0, Wide(MAIN_WINDOW_CLASS), L"", WS_VISIBLE, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                    instance_, &window_);
    if (!main) return false;

    wchar_t platformType[PLATFORM_TYPE_UNITS] = {};
    const bool known = ce::DeviceSystemParametersInfo(ce::CE_SPI_GETPLATFORMTYPE,
                                                      PLATFORM_TYPE_UNITS, platformType, 0) != 0;
    HWND bar = window_.SoftKeyBarWindow();
    if (ShortensForSoftKeyBar(known, Text16(platformType), bar != nullptr)) {
        RECT frame, keys;
        GetWindowRect(main, &frame);
        GetWindowRect(bar, &keys);
        const int height = keys.bottom - keys.top;
        MoveWindow(main, frame.left, frame.top, frame.right - frame.left,
                   frame.bottom - frame.top - height, FALSE);
    }
    ShowWindow(main, showCommand_);
    UpdateWindow(main);
    return true;
}

int Win32LaunchShell::RunMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_KEYDOWN &&
            (message.wParam == VK_DOWN || message.wParam == VK_UP) &&
            window_.ArrowKeysMoveFocus() && MoveFocusByArrow(message, window_.HtmlView())) {
            continue;
        }
        if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN &&
            (message.hwnd == window_.Handle() || IsChild(window_.Handle(), message.hwnd)) &&
            window_.OnEnterKey()) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace zk
