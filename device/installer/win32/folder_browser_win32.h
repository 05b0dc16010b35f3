// The device's folder browser: Windows CE offers no folder-picking dialog an
// installer can rely on, so it carries its own — a small topmost window with
// a label, a tree of the device's folders read on demand, and two buttons.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace zk {

// One browse, owned by the caller while the call runs.
struct FolderBrowse {
    HWND window = nullptr;
    HWND tree = nullptr;
    HWND ok = nullptr;
    HWND cancel = nullptr;
    HWND owner = nullptr;
    HINSTANCE instance = nullptr;
    const wchar_t* okText = nullptr;
    const wchar_t* cancelText = nullptr;
    HIMAGELIST images = nullptr;
    HBITMAP strip = nullptr;
};

// Modal: returns when the user ends the browse. result (MAX_PATH units) is
// emptied first and receives the picked path, or stays empty when nothing
// was picked or Cancel was pressed. filter empty: folders only.
void BrowseFolder(FolderBrowse* browse, HINSTANCE instance, HWND owner, const wchar_t* title,
                  const wchar_t* label, const wchar_t* okText, const wchar_t* cancelText,
                  const wchar_t* filter, wchar_t* result);

}  // namespace zk
