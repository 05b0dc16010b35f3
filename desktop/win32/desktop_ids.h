// Control and message identifiers of the desktop installer's window.
#pragma once

#include <windows.h>

#define IDC_APP_NAME 101
#define IDC_STATUS 102
#define IDC_PROGRESS 103
#define IDC_INSTALL 104
#define IDC_SAVE 105
// The Cancel button is IDCANCEL, so Escape presses it.

// Posted by the worker to the window; each carries what it says in a
// std::u16string the window takes over and deletes.
#define WM_APP_STATUS (WM_APP + 1)    // lParam: the status text
#define WM_APP_PROGRESS (WM_APP + 2)  // wParam: thousandths done
#define WM_APP_DONE (WM_APP + 3)      // wParam: the outcome code, lParam: its sentence

#define DESKTOP_WINDOW_CLASS L"_Morvane_DesktopInstaller_Main_Window"
