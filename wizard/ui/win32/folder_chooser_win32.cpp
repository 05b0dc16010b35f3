#include <shlobj.h>
#include <commctrl.h>

#include <cstdio>

#include "wizard/project/wizard_state.h"
#include "wizard/ui/win32/file_choosers_win32.h"

namespace zk {
namespace {

constexpr int IDC_ADD_DATE = 436;
constexpr int IDC_ADD_SUBFOLDER = 437;
constexpr UINT_PTR FOLDER_SUBCLASS_ID = 1;

struct FolderChoice {
    HFONT font;
    WizardState& state;
    char* buffer;
};

HWND AddCheckBox(HWND dialog, int id, const char* caption, int y, HFONT font, bool checked) {
    HWND box =
        CreateWindowExA(0, "BUTTON", caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
                        10, y, 240, 20, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                        GetModuleHandleA(nullptr), nullptr);
    SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SendMessageA(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    return box;
}

// The flags follow the two boxes, once there are boxes to follow.
void TakeCheckBoxes(HWND dialog, WizardState& state) {
    HWND date = GetDlgItem(dialog, IDC_ADD_DATE);
    HWND subfolder = GetDlgItem(dialog, IDC_ADD_SUBFOLDER);
    if (!date || !subfolder) return;
    state.addDateToPath = SendMessageA(date, BM_GETCHECK, 0, 0) == BST_CHECKED;
    state.addTitleSubfolder = SendMessageA(subfolder, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The dialog tells its callback of selection changes only: a box ticked
// after the last one, and then OK or Cancel, would be lost. The boxes' own
// clicks reach the dialog's window, so they are taken there.
LRESULT CALLBACK FolderDialogSubclass(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR data) {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED &&
        (LOWORD(wParam) == IDC_ADD_DATE || LOWORD(wParam) == IDC_ADD_SUBFOLDER)) {
        TakeCheckBoxes(dialog, reinterpret_cast<FolderChoice*>(data)->state);
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(dialog, FolderDialogSubclass, FOLDER_SUBCLASS_ID);
    }
    return DefSubclassProc(dialog, message, wParam, lParam);
}

int CALLBACK FolderEvents(HWND dialog, UINT event, LPARAM, LPARAM data) {
    auto* choice = reinterpret_cast<FolderChoice*>(data);
    if (event == BFFM_INITIALIZED) {
        SendMessageA(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(choice->font), TRUE);
        SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(choice->buffer));
        AddCheckBox(dialog, IDC_ADD_DATE, "Add current date to the path", 2, choice->font,
                    choice->state.addDateToPath != 0);
        HWND subfolder = AddCheckBox(dialog, IDC_ADD_SUBFOLDER, "", 24, choice->font,
                                     choice->state.addTitleSubfolder != 0);
        char caption[260];
        std::snprintf(caption, sizeof caption, "Add subfolder '%s' to the path",
                      choice->state.title);
        SetWindowTextA(subfolder, caption);
        SetWindowSubclass(dialog, FolderDialogSubclass, FOLDER_SUBCLASS_ID,
                          reinterpret_cast<DWORD_PTR>(choice));
    } else if (event == BFFM_SELCHANGED) {
        TakeCheckBoxes(dialog, choice->state);
    }
    return 0;
}

}  // namespace

bool ChooseWorkFolderWin32(HWND owner, HFONT font, WizardState& state, std::string* path) {
    char buffer[MAX_PATH] = {};
    FolderChoice choice{font, state, buffer};
    BROWSEINFOA browse = {};
    browse.hwndOwner = owner;
    browse.pszDisplayName = buffer;
    browse.lpszTitle = "";
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    browse.lpfn = FolderEvents;
    browse.lParam = reinterpret_cast<LPARAM>(&choice);
    LPITEMIDLIST item = SHBrowseForFolderA(&browse);
    if (!item) return false;
    buffer[0] = '\0';
    const bool found = SHGetPathFromIDListA(item, buffer) != FALSE;
    CoTaskMemFree(item);
    if (!found || buffer[0] == '\0') return false;
    *path = buffer;
    return true;
}

}  // namespace zk
