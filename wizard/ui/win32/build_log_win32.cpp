#include "wizard/ui/win32/build_log_win32.h"

#include <commctrl.h>

#include "wizard/ui/control_ids.h"

namespace zk {

HWND Win32BuildLog::Find(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

void Win32BuildLog::AddLine(const std::string& line) {
    HWND list = Find(IDC_BUILD_LOG);
    if (!list) return;
    const LRESULT index =
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    if (index >= 0) SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    UpdateWindow(list);
}

void Win32BuildLog::SetProgressCaption(const std::string& caption) {
    if (HWND label = Find(IDC_PROGRESS_LABEL)) {
        SetWindowTextA(label, caption.c_str());
        UpdateWindow(label);
    }
}

void Win32BuildLog::SetProgressRange(int maximum, int step) {
    HWND bar = Find(IDC_PROGRESS);
    if (!bar) return;
    SendMessageA(bar, PBM_SETRANGE32, 0, maximum);
    SendMessageA(bar, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
    SendMessageA(bar, PBM_SETPOS, 0, 0);
    UpdateWindow(bar);
}

void Win32BuildLog::StepProgress() {
    if (HWND bar = Find(IDC_PROGRESS)) {
        SendMessageA(bar, PBM_STEPIT, 0, 0);
        UpdateWindow(bar);
    }
}

}  // namespace zk
