// The device shell's small services: its special folders, its text
// shortcuts, bitmaps from files, and the handling of activation and setting
// changes that every full-screen program passes on to it.
#include <cwchar>

#include "device/ce/ce_api.h"
#include "emulator/ce/device_screen.h"

namespace zk::ce {
namespace {

struct SpecialFolder {
    int id;
    const wchar_t* path;
};

// The folders of a Pocket PC that programs ask the shell for.
constexpr SpecialFolder SPECIAL_FOLDERS[] = {
    {0x0002, L"\\Windows\\Start Menu\\Programs"},  // CSIDL_PROGRAMS
    {0x0005, L"\\My Documents"},                   // CSIDL_PERSONAL
    {CE_CSIDL_STARTUP, L"\\Windows\\StartUp"},
    {0x000B, L"\\Windows\\Start Menu"},  // CSIDL_STARTMENU
    {0x0024, L"\\Windows"},              // CSIDL_WINDOWS
    {0x0026, L"\\Program Files"},        // CSIDL_PROGRAM_FILES
};

// Creates each folder along the path (drive-less, from the device root).
bool CreateFolders(const wchar_t* path) {
    wchar_t partial[MAX_PATH];
    std::size_t length = wcslen(path);
    for (std::size_t at = 1; at <= length; ++at) {
        if (path[at] != L'\\' && path[at] != L'\0') continue;
        wmemcpy(partial, path, at);
        partial[at] = L'\0';
        if (!CreateDirectoryW(partial, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return true;
}

// The soft-key bar that the window owns, if any.
HWND OwnedBar(HWND window) {
    for (HWND bar = nullptr; (bar = FindWindowExW(nullptr, bar, L"zk_softkey_bar", nullptr));)
        if (GetWindow(bar, GW_OWNER) == window && IsWindowVisible(bar)) return bar;
    return nullptr;
}

}  // namespace

BOOL SHHandleWMActivate(HWND, WPARAM, LPARAM, SHACTIVATEINFO* info, DWORD) {
    // The device's shell would raise or lower the input panel here; the
    // emulated device has none.
    return info != nullptr;
}

BOOL SHHandleWMSettingChange(HWND window, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info) {
    if (!info || !IsWindow(window)) return FALSE;
    // A full-screen window follows the work area when the screen turns, less
    // its soft-key bar, as the device's shell keeps it.
    if (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) return TRUE;
    DeviceScreen screen = ReadDeviceScreen();
    RECT area = WorkArea(screen);
    if (HWND bar = OwnedBar(window)) {
        area.bottom -= screen.taskBarHeight;
        // The bar goes to the new bottom of the screen with its window, also
        // when the change was told to the window alone.
        SendMessageW(bar, WM_SETTINGCHANGE, wParam, lParam);
    }
    RECT now;
    GetWindowRect(window, &now);
    if (!EqualRect(&now, &area))
        MoveWindow(window, area.left, area.top, area.right - area.left, area.bottom - area.top,
                   TRUE);
    return TRUE;
}

BOOL SHGetSpecialFolderPath(HWND, LPWSTR path, int folder, BOOL create) {
    if (!path) return FALSE;
    for (const SpecialFolder& known : SPECIAL_FOLDERS) {
        if (known.id != folder) continue;
        if (create && !CreateFolders(known.path)) return FALSE;
        wcscpy(path, known.path);
        return TRUE;
    }
    path[0] = L'\0';
    return FALSE;
}

BOOL SHCreateShortcut(LPWSTR shortcut, LPWSTR target) {
    if (!shortcut || !target) return FALSE;
    std::size_t length = wcslen(target);
    if (length >= MAX_PATH) return FALSE;
    // "<length>#<target>": the device reads the file as text of its own code
    // page; the length counts the target's characters.
    char text[16 + MAX_PATH * 4];
    char digits[16];
    int count = 0;
    for (std::size_t n = length; n || !count; n /= 10)
        digits[count++] = static_cast<char>('0' + n % 10);
    int used = 0;
    while (count) text[used++] = digits[--count];
    text[used++] = '#';
    int converted = WideCharToMultiByte(CP_ACP, 0, target, static_cast<int>(length), text + used,
                                        static_cast<int>(sizeof text) - used, nullptr, nullptr);
    if (length && converted <= 0) return FALSE;
    used += converted;
    HANDLE file = CreateFileW(shortcut, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return FALSE;
    DWORD written = 0;
    BOOL ok = WriteFile(file, text, static_cast<DWORD>(used), &written, nullptr) &&
              written == static_cast<DWORD>(used);
    CloseHandle(file);
    if (!ok) DeleteFileW(shortcut);
    return ok;
}

HBITMAP SHLoadDIBitmap(LPCWSTR fileName) {
    if (!fileName) return nullptr;
    return static_cast<HBITMAP>(
        LoadImageW(nullptr, fileName, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

}  // namespace zk::ce
