// Drives the desktop installer's window from outside, one step per run:
//
//   window_driver wait TIMEOUT_MS          prints the window's caption
//   window_driver text ID                  prints a control's text
//   window_driver wait-text ID TEXT TIMEOUT_MS
//   window_driver click ID                 posts BM_CLICK (handlers may be modal)
//   window_driver dialog-ok TIMEOUT_MS     presses OK on a dialog of the program
//
// Exit code 0 when the step was done, 2 on a time-out or a missing window.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const wchar_t* const WINDOW_CLASS = L"_Morvane_DesktopInstaller_Main_Window";

HWND WaitWindow(DWORD timeout) {
    const DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindWindowW(WINDOW_CLASS, nullptr);
        if (window && IsWindowVisible(window)) return window;
        if (GetTickCount() - start > timeout) return nullptr;
        Sleep(50);
    }
}

std::string TextOf(HWND window) {
    wchar_t text[1024] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, nullptr);
    char utf8[4096] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
    return utf8;
}

struct Search {
    DWORD process;
    HWND main;
    HWND dialog;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    auto* search = reinterpret_cast<Search*>(found);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t kind[16] = {};
    GetClassNameW(window, kind, 16);
    if (owner == search->process && window != search->main && std::wstring(kind) == L"#32770" &&
        IsWindowVisible(window)) {
        search->dialog = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 3;
    const std::string step = argv[1];
    if (step == "wait") {
        HWND window = WaitWindow(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)));
        if (!window) return 2;
        std::printf("%s\n", TextOf(window).c_str());
        return 0;
    }
    HWND window = WaitWindow(5000);
    if (!window) return 2;
    if (step == "text") {
        std::printf("%s\n", TextOf(GetDlgItem(window, std::atoi(argv[2]))).c_str());
        return 0;
    }
    if (step == "wait-text" && argc >= 5) {
        HWND control = GetDlgItem(window, std::atoi(argv[2]));
        const DWORD timeout = static_cast<DWORD>(std::strtoul(argv[4], nullptr, 10));
        const DWORD start = GetTickCount();
        std::string text;
        while ((text = TextOf(control)).find(argv[3]) == std::string::npos) {
            if (GetTickCount() - start > timeout) {
                std::printf("%s\n", text.c_str());
                return 2;
            }
            Sleep(50);
        }
        std::printf("%s\n", text.c_str());
        return 0;
    }
    if (step == "click") {
        PostMessageW(GetDlgItem(window, std::atoi(argv[2])), BM_CLICK, 0, 0);
        return 0;
    }
    if (step == "dialog-ok") {
        Search search = {0, window, nullptr};
        GetWindowThreadProcessId(window, &search.process);
        const DWORD timeout = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
        const DWORD start = GetTickCount();
        while (!search.dialog && GetTickCount() - start < timeout) {
            EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
            if (!search.dialog) Sleep(50);
        }
        if (!search.dialog) return 2;
        std::printf("%s\n", TextOf(search.dialog).c_str());
        PostMessageW(search.dialog, WM_COMMAND, IDOK, 0);
        return 0;
    }
    return 3;
}
