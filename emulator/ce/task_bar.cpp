// The device's task bar: the strip along the top of the screen that shows the
// title of the program's window (a device window has no caption of its own)
// and the time. Here a popup owned by the first device window of the program,
// so it goes when that window goes; it reads the title, the time and the
// screen again twice a second, so a title set later or a turned screen shows.
#include <cwchar>

#include "emulator/ce/device_screen.h"

namespace zk::ce {
namespace {

constexpr wchar_t TASK_BAR_CLASS[] = L"zk_task_bar";
constexpr UINT_PTR REFRESH_TIMER = 1;
constexpr UINT REFRESH_MS = 500;
constexpr COLORREF BAR_COLOR = RGB(16, 56, 120);
constexpr COLORREF TEXT_COLOR = RGB(255, 255, 255);

void Place(HWND bar) {
    const DeviceScreen screen = ReadDeviceScreen();
    SetWindowPos(bar, nullptr, 0, 0, screen.width, screen.taskBarHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Paint(HWND bar) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(bar, &paint);
    RECT area;
    GetClientRect(bar, &area);
    HBRUSH fill = CreateSolidBrush(BAR_COLOR);
    FillRect(dc, &area, fill);
    DeleteObject(fill);

    LOGFONTW look = {};
    look.lfHeight = -((area.bottom - area.top) * 12 / 26);
    look.lfWeight = FW_BOLD;
    lstrcpynW(look.lfFaceName, L"Tahoma", LF_FACESIZE);
    HFONT font = CreateFontIndirectW(&look);
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, TEXT_COLOR);

    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t clock[6] = {static_cast<wchar_t>(L'0' + now.wHour / 10),
                        static_cast<wchar_t>(L'0' + now.wHour % 10),
                        L':',
                        static_cast<wchar_t>(L'0' + now.wMinute / 10),
                        static_cast<wchar_t>(L'0' + now.wMinute % 10),
                        L'\0'};
    RECT right = area;
    right.right -= 6;
    DrawTextW(dc, clock, -1, &right, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);

    wchar_t title[256] = {};
    GetWindowTextW(GetWindow(bar, GW_OWNER), title, 256);
    RECT left = area;
    left.left += 6;
    left.right -= 50;
    DrawTextW(dc, title, -1, &left, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);

    SelectObject(dc, old);
    DeleteObject(font);
    EndPaint(bar, &paint);
}

LRESULT CALLBACK TaskBarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: SetTimer(bar, REFRESH_TIMER, REFRESH_MS, nullptr); return 0;
    case WM_TIMER:
        Place(bar);
        InvalidateRect(bar, nullptr, FALSE);
        return 0;
    case WM_PAINT: Paint(bar); return 0;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_DESTROY: KillTimer(bar, REFRESH_TIMER); return 0;
    default: return DefWindowProcW(bar, message, wParam, lParam);
    }
}

}  // namespace

void ShowTaskBar(HWND owner, HINSTANCE instance) {
    WNDCLASSW known = {};
    if (!GetClassInfoW(instance, TASK_BAR_CLASS, &known)) {
        WNDCLASSW kind = {};
        kind.lpfnWndProc = TaskBarProc;
        kind.hInstance = instance;
        kind.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        kind.lpszClassName = TASK_BAR_CLASS;
        if (!RegisterClassW(&kind)) return;
    }
    const DeviceScreen screen = ReadDeviceScreen();
    HWND bar =
        ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, TASK_BAR_CLASS, L"", WS_POPUP, 0, 0,
                          screen.width, screen.taskBarHeight, owner, nullptr, instance, nullptr);
    // Shown without taking the activation, and with it the keyboard, from
    // the program's window: a device's keys go to the program, never to the
    // shell's bar.
    if (bar) ShowWindow(bar, SW_SHOWNOACTIVATE);
}

}  // namespace zk::ce
