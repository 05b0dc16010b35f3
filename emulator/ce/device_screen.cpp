// Where the device's window manager puts windows. A device has no desktop
// frames: a top-level window asked for at the default place and size fills
// the work area, its title shown by the task bar instead of a caption.
#include "emulator/ce/device_screen.h"

#include "device/ce/ce_api.h"
#include "emulator/ce/emulated_device_profile.h"
#include "emulator/ce/profile_reader.h"

namespace zk::ce {
namespace {

// A profile that asks for a screen of no size, or one larger than any
// display, gets the default one rather than windows nobody can see.
constexpr DWORD MIN_SIDE = 64;
constexpr DWORD MAX_SIDE = 4096;

// The frame parts a desktop window manager would add.
constexpr DWORD DESKTOP_FRAME = WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX |
                                WS_MAXIMIZEBOX | WS_BORDER | WS_DLGFRAME;

DWORD Side(const wchar_t* value, DWORD fallback) {
    DWORD side = ProfileNumber(value, fallback);
    return side < MIN_SIDE || side > MAX_SIDE ? fallback : side;
}

}  // namespace

DeviceScreen ReadDeviceScreen() {
    DeviceScreen screen;
    screen.width = static_cast<int>(Side(L"ScreenWidth", DEFAULT_SCREEN_WIDTH));
    screen.height = static_cast<int>(Side(L"ScreenHeight", DEFAULT_SCREEN_HEIGHT));
    DWORD bar = ProfileNumber(L"TaskBarHeight", DEFAULT_TASK_BAR_HEIGHT);
    // The task bar and the soft-key bar share the screen with the work area.
    if (bar > static_cast<DWORD>(screen.height) / 4) bar = DEFAULT_TASK_BAR_HEIGHT;
    screen.taskBarHeight = static_cast<int>(bar);
    return screen;
}

RECT WorkArea(const DeviceScreen& screen) {
    return RECT{0, screen.taskBarHeight, screen.width, screen.height};
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param) {
    bool topLevel = !(style & WS_CHILD) && !parent;
    const bool placed = topLevel && (x == CW_USEDEFAULT || width == CW_USEDEFAULT);
    if (placed) {
        RECT area = WorkArea(ReadDeviceScreen());
        if (x == CW_USEDEFAULT) {
            x = area.left;
            y = area.top;
        }
        if (width == CW_USEDEFAULT) {
            width = area.right - area.left;
            height = area.bottom - area.top;
        }
        style = (style & ~DESKTOP_FRAME) | WS_POPUP;
    }
    HWND window = ::CreateWindowExW(exStyle, className, windowName, style, x, y, width, height,
                                    parent, menu, instance, param);
    // A window the device places brings the task bar that shows its title.
    if (window && placed) {
        ShowTaskBar(window, instance);
    }
    return window;
}

}  // namespace zk::ce
