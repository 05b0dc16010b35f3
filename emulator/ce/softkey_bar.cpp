// The device's soft-key bar: a row of keys along the bottom of the screen,
// under the program's window, each key one of the device's soft keys. Here a
// top-level popup owned by the program's window (so it goes when that window
// goes), holding one BUTTON per key whose control id is the key's command.
//
// A press reaches the owner as a posted WM_COMMAND (command id, no
// notification, no control), the way a menu command arrives: the owner may
// destroy the very bar whose key was pressed, which must not happen while
// the button is still inside its own click handling.
//
// A Smartphone has no touch screen: its two hardware soft keys send VK_F1
// and VK_F2, and the shell presses the left or right key of the bar on
// screen with them, wherever the focus is. Here a hook on the program's
// message queue does the same for the bar owned by the window the key was
// meant for.
//
// The bar follows the screen: on WM_SETTINGCHANGE it reads the profile again
// and moves to the bottom of the (possibly turned) screen.
#include <cstring>

#include "device/ce/ce_api.h"
#include "emulator/ce/device_screen.h"

namespace zk::ce {
namespace {

constexpr wchar_t BAR_CLASS[] = L"zk_softkey_bar";

// A bar resource: menu id, key count, then KEY_WORDS words per key.
constexpr std::size_t KEY_WORDS = 7;
constexpr std::size_t KEY_COMMAND = 1;
constexpr std::size_t KEY_STATE = 2;
constexpr std::size_t KEY_CAPTION = 4;
constexpr WORD TBSTATE_ENABLED_BIT = 0x04;
// A device has two soft keys; a bar of more still shows them side by side.
constexpr WORD MAX_KEYS = 8;
constexpr int MAX_CAPTION = 64;

// An X server without a window manager raises a window that is activated
// above everything, the bar its owner keeps above it included: each time
// the owner is activated the bar is told to show itself again on top.
constexpr UINT WM_RAISE_BAR = WM_APP + 1;
constexpr COLORREF BAR_COLOR = RGB(36, 40, 52);
constexpr COLORREF PRESSED_COLOR = RGB(88, 96, 124);
constexpr COLORREF SEPARATOR_COLOR = RGB(96, 100, 112);
constexpr COLORREF CAPTION_COLOR = RGB(255, 255, 255);
constexpr COLORREF DISABLED_COLOR = RGB(136, 136, 136);

WORD ResourceWord(const BYTE* data, std::size_t index) {
    WORD value;
    std::memcpy(&value, data + index * 2, 2);
    return value;
}

// The captions' font, kept with the bar and sized to it.
HFONT BarFont(HWND bar) { return reinterpret_cast<HFONT>(GetWindowLongPtrW(bar, GWLP_USERDATA)); }

void SetBarFont(HWND bar, int barHeight) {
    HFONT old = BarFont(bar);
    LOGFONTW font = {};
    font.lfHeight = -(barHeight * 12 / 26);
    font.lfWeight = FW_BOLD;
    font.lfQuality = DEFAULT_QUALITY;
    std::memcpy(font.lfFaceName, L"Tahoma", sizeof L"Tahoma");
    SetWindowLongPtrW(bar, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(CreateFontIndirectW(&font)));
    if (old) DeleteObject(old);
}

// Puts the bar at the bottom of the screen and shares its width among the
// keys, left to right in resource order.
void Layout(HWND bar) {
    DeviceScreen screen = ReadDeviceScreen();
    int height = screen.taskBarHeight;
    RECT now;
    GetWindowRect(bar, &now);
    if (!BarFont(bar) || now.bottom - now.top != height) SetBarFont(bar, height);
    SetWindowPos(bar, nullptr, 0, screen.height - height, screen.width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    int keys = 0;
    for (HWND key = GetWindow(bar, GW_CHILD); key; key = GetWindow(key, GW_HWNDNEXT)) ++keys;
    int index = 0;
    for (HWND key = GetWindow(bar, GW_CHILD); key; key = GetWindow(key, GW_HWNDNEXT), ++index) {
        int left = screen.width * index / keys;
        int right = screen.width * (index + 1) / keys;
        MoveWindow(key, left, 0, right - left, height, TRUE);
    }
}

void DrawKey(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    HBRUSH fill = CreateSolidBrush(item.itemState & ODS_SELECTED ? PRESSED_COLOR : BAR_COLOR);
    FillRect(dc, &r, fill);
    DeleteObject(fill);
    // A thin line between neighbouring keys.
    if (GetWindow(item.hwndItem, GW_HWNDNEXT)) {
        RECT line = {r.right - 1, r.top + 4, r.right, r.bottom - 4};
        HBRUSH separator = CreateSolidBrush(SEPARATOR_COLOR);
        FillRect(dc, &line, separator);
        DeleteObject(separator);
    }
    wchar_t caption[MAX_CAPTION];
    int length = GetWindowTextW(item.hwndItem, caption, MAX_CAPTION);
    if (length <= 0) return;
    HGDIOBJ oldFont = SelectObject(dc, BarFont(GetParent(item.hwndItem)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, item.itemState & ODS_DISABLED ? DISABLED_COLOR : CAPTION_COLOR);
    DrawTextW(dc, caption, length, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
}

LRESULT CALLBACK BarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && lParam) {
            if (HWND owner = GetWindow(bar, GW_OWNER))
                PostMessageW(owner, WM_COMMAND, MAKEWPARAM(LOWORD(wParam), 0), 0);
        }
        return 0;
    case WM_DRAWITEM: DrawKey(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(bar, &r);
        HBRUSH fill = CreateSolidBrush(BAR_COLOR);
        FillRect(reinterpret_cast<HDC>(wParam), &r, fill);
        DeleteObject(fill);
        return 1;
    }
    case WM_SETTINGCHANGE: Layout(bar); return 0;
    case WM_RAISE_BAR:
        // Mapped again, the bar is on top.
        if (IsWindowVisible(bar)) {
            ShowWindow(bar, SW_HIDE);
            ShowWindow(bar, SW_SHOWNOACTIVATE);
        }
        return 0;
    case WM_NCDESTROY:
        if (HFONT font = BarFont(bar)) DeleteObject(font);
        SetWindowLongPtrW(bar, GWLP_USERDATA, 0);
        break;
    }
    return DefWindowProcW(bar, message, wParam, lParam);
}

struct BarSearch {
    HWND owner;
    HWND bar;
};

BOOL CALLBACK FindOwnedBar(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<BarSearch*>(lParam);
    wchar_t kind[32];
    if (GetWindow(window, GW_OWNER) == search->owner && IsWindowVisible(window) &&
        GetClassNameW(window, kind, 32) && lstrcmpW(kind, BAR_CLASS) == 0) {
        search->bar = window;
        return FALSE;
    }
    return TRUE;
}

// The visible bar of this thread that `owner` owns, or null.
HWND BarOwnedBy(HWND owner) {
    BarSearch search = {owner, nullptr};
    if (owner)
        EnumThreadWindows(GetCurrentThreadId(), FindOwnedBar, reinterpret_cast<LPARAM>(&search));
    return search.bar;
}

// The bar on screen for the window `target` belongs to: its left or right
// key, or null.
HWND SoftKeyFor(HWND target, bool right) {
    HWND bar = BarOwnedBy(target ? GetAncestor(target, GA_ROOT) : GetActiveWindow());
    if (!bar) return nullptr;
    HWND key = GetWindow(bar, GW_CHILD);
    if (key && right) key = GetWindow(key, GW_HWNDLAST);
    return key;
}

HHOOK g_softKeyHook = nullptr;
HHOOK g_activationHook = nullptr;

LRESULT CALLBACK ActivationHook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_ACTIVATE && LOWORD(call->wParam) != WA_INACTIVE) {
        if (HWND bar = BarOwnedBy(call->hwnd)) PostMessageW(bar, WM_RAISE_BAR, 0, 0);
    }
    return CallNextHookEx(g_activationHook, code, wParam, lParam);
}

LRESULT CALLBACK SoftKeyHook(int code, WPARAM wParam, LPARAM lParam) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE &&
        (message->message == WM_KEYDOWN || message->message == WM_KEYUP) &&
        (message->wParam == VK_F1 || message->wParam == VK_F2)) {
        if (HWND key = SoftKeyFor(message->hwnd, message->wParam == VK_F2)) {
            // As a press of the key: its command posted to the bar's owner.
            if (message->message == WM_KEYDOWN && IsWindowEnabled(key)) {
                PostMessageW(GetWindow(GetParent(key), GW_OWNER), WM_COMMAND,
                             MAKEWPARAM(GetDlgCtrlID(key), 0), 0);
            }
            message->message = WM_NULL;
        }
    }
    return CallNextHookEx(g_softKeyHook, code, wParam, lParam);
}

bool RegisterBarClass(HINSTANCE instance) {
    WNDCLASSW wc = {};
    if (GetClassInfoW(instance, BAR_CLASS, &wc)) return true;
    wc.lpfnWndProc = BarProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = BAR_CLASS;
    return RegisterClassW(&wc) != 0;
}

// Adds the keys of the bar resource; false when the resource is missing or
// shorter than its key count says.
bool AddKeys(HWND bar, HINSTANCE instance, const SHMENUBARINFO& info) {
    HRSRC found = FindResourceW(info.hInstRes, MAKEINTRESOURCEW(info.nToolBarId),
                                reinterpret_cast<LPCWSTR>(RT_RCDATA));
    HGLOBAL loaded = found ? LoadResource(info.hInstRes, found) : nullptr;
    const auto* data = static_cast<const BYTE*>(loaded ? LockResource(loaded) : nullptr);
    DWORD size = found ? SizeofResource(info.hInstRes, found) : 0;
    if (!data || size < 4) return false;
    WORD count = ResourceWord(data, 1);
    if (count > MAX_KEYS || size < (2 + count * KEY_WORDS) * 2) return false;
    for (WORD k = 0; k < count; ++k) {
        std::size_t at = 2 + k * KEY_WORDS;
        WORD command = ResourceWord(data, at + KEY_COMMAND);
        WORD captionId = ResourceWord(data, at + KEY_CAPTION);
        wchar_t caption[MAX_CAPTION] = {};
        if (captionId) LoadStringW(info.hInstRes, captionId, caption, MAX_CAPTION);
        DWORD style = WS_CHILD | WS_VISIBLE | BS_OWNERDRAW;
        if (!(ResourceWord(data, at + KEY_STATE) & TBSTATE_ENABLED_BIT)) style |= WS_DISABLED;
        if (!::CreateWindowExW(0, L"BUTTON", caption, style, 0, 0, 0, 0, bar,
                               reinterpret_cast<HMENU>(static_cast<UINT_PTR>(command)), instance,
                               nullptr))
            return false;
    }
    return true;
}

}  // namespace

BOOL SHCreateMenuBar(SHMENUBARINFO* info) {
    if (!info || info->cbSize < sizeof *info || !IsWindow(info->hwndParent)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->hwndMB = nullptr;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!RegisterBarClass(instance)) return FALSE;
    HWND bar = ::CreateWindowExW(WS_EX_TOOLWINDOW, BAR_CLASS, L"", WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                                 0, 0, info->hwndParent, nullptr, instance, nullptr);
    if (!bar) return FALSE;
    if (!(info->dwFlags & SHCMBF_EMPTYBAR) && !AddKeys(bar, instance, *info)) {
        DestroyWindow(bar);
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return FALSE;
    }
    Layout(bar);
    if (!g_softKeyHook)
        g_softKeyHook =
            SetWindowsHookExW(WH_GETMESSAGE, SoftKeyHook, nullptr, GetCurrentThreadId());
    // Shown without taking the activation from the program's window, whose
    // focused control keeps the keyboard.
    if (!(info->dwFlags & SHCMBF_HIDDEN)) ShowWindow(bar, SW_SHOWNOACTIVATE);
    if (!g_activationHook)
        g_activationHook =
            SetWindowsHookExW(WH_CALLWNDPROCRET, ActivationHook, nullptr, GetCurrentThreadId());
    PostMessageW(bar, WM_RAISE_BAR, 0, 0);
    info->hwndMB = bar;
    return TRUE;
}

}  // namespace zk::ce
