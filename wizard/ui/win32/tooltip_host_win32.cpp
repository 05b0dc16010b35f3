#include "wizard/ui/win32/tooltip_host_win32.h"

#include <commctrl.h>

namespace zk {
namespace {

constexpr int TIP_WIDTH_MAX = 160;

TTTOOLINFOA ToolOf(HWND owner, HWND control) {
    TTTOOLINFOA tool{};
    // The smallest size every comctl32 accepts for these fields.
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    return tool;
}

}  // namespace

ToolTipHost::~ToolTipHost() {
    if (tip_ && IsWindow(tip_)) DestroyWindow(tip_);
}

bool ToolTipHost::Create(HWND owner, HINSTANCE instance) {
    INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                                 ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
    owner_ = owner;
    tip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                           WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP | TTS_BALLOON, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, instance,
                           nullptr);
    if (!tip_) return false;
    SetWindowPos(tip_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageA(tip_, TTM_SETMAXTIPWIDTH, 0, TIP_WIDTH_MAX);
    SendMessageA(tip_, TTM_SETTIPBKCOLOR, RGB(255, 255, 255), 0);
    return true;
}

void ToolTipHost::AddTool(HWND control, const char* text) {
    if (!tip_ || !control || !text) return;
    TTTOOLINFOA tool = ToolOf(owner_, control);
    tool.lpszText = const_cast<char*>(text);
    SendMessageA(tip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void ToolTipHost::AddArea(UINT_PTR id, const RECT& area) {
    if (!tip_) return;
    TTTOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = owner_;
    tool.uId = id;
    tool.rect = area;
    tool.lpszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(tip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void ToolTipHost::RemoveTool(HWND control) {
    if (!tip_ || !control) return;
    TTTOOLINFOA tool = ToolOf(owner_, control);
    SendMessageA(tip_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace zk
