// The wizard's one tooltip window: balloon tips shown while the mouse rests
// over a control, even when the wizard is not the active window. Each tool
// is the control's window handle; the tooltip subclasses the control to
// see its mouse messages.
#pragma once

#include <windows.h>

namespace zk {

class ToolTipHost {
public:
    ToolTipHost() = default;
    ~ToolTipHost();
    ToolTipHost(const ToolTipHost&) = delete;
    ToolTipHost& operator=(const ToolTipHost&) = delete;

    // Makes the tooltip window, owned by `owner`; false when it could not be
    // made (tools are then not shown).
    bool Create(HWND owner, HINSTANCE instance);
    HWND window() const { return tip_; }

    // `text` must stay valid while the tool is registered: the pages pass
    // literals.
    void AddTool(HWND control, const char* text);
    // A destroyed control's handle can be given to a new window later; its
    // tool goes with it so that the new window never shows the old text.
    void RemoveTool(HWND control);
    // A tool that is a rectangle of the owner's client area, not a window:
    // the painted buttons. Its text is asked of the owner each time
    // (TTN_GETDISPINFO with idFrom `id`), since it changes with the step.
    void AddArea(UINT_PTR id, const RECT& area);

private:
    HWND owner_ = nullptr;
    HWND tip_ = nullptr;
};

}  // namespace zk
