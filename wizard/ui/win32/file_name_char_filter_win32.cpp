#include "wizard/ui/win32/file_name_char_filter_win32.h"

#include <commctrl.h>
#include <mmsystem.h>

namespace zk {
namespace {

constexpr UINT_PTR FILTER_SUBCLASS_ID = 0x5A4B0001;

LRESULT CALLBACK FileNameCharFilter(HWND field, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR, DWORD_PTR) {
    if (message == WM_CHAR && IsRefusedFileNameChar(wParam)) {
        // Synchronous: the field takes no further input until the sound ends.
        PlaySoundA(reinterpret_cast<LPCSTR>(SND_ALIAS_SYSTEMEXCLAMATION), nullptr,
                   SND_ALIAS_ID | SND_SYNC);
        return 0;
    }
    return DefSubclassProc(field, message, wParam, lParam);
}

}  // namespace

bool IsRefusedFileNameChar(WPARAM character) {
    switch (character) {
    case '"':
    case '*':
    case '/':
    case ':':
    case '<':
    case '>':
    case '?':
    case '\\':
    case '|': return true;
    default: return false;
    }
}

bool InstallFileNameCharFilter(HWND field) {
    return field && SetWindowSubclass(field, FileNameCharFilter, FILTER_SUBCLASS_ID, 0);
}

void RemoveFileNameCharFilter(HWND field) {
    if (field) RemoveWindowSubclass(field, FileNameCharFilter, FILTER_SUBCLASS_ID);
}

}  // namespace zk
