// The pages' controls as real child windows of the wizard's main window:
// creating and destroying them from the page tables, reading and writing
// them for the checks and commands, the build page's log and progress bar,
// the balloon tooltips, the cabinet list (its icons, Yes/No cells, the
// detail fields on focus, drag-and-drop reordering, the Delete and Insert
// keys, files dropped from the shell) and the deploy page's remote folder
// tree. The main window forwards its notifications and, during a list
// drag, its mouse messages here.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "wizard/ui/page_builder.h"

namespace zk {

struct WizardContext;
class RemoteDevice;

class Win32PageControls : public PageControls {
public:
    // `programFolder` ends with a separator; "Images\..." is found under it.
    // `font` stays owned by the caller and outlives this object.
    Win32PageControls(HWND mainWindow, HINSTANCE instance, HFONT font, WizardContext& ctx,
                      RemoteDevice& device, std::string programFolder);
    ~Win32PageControls() override;
    Win32PageControls(const Win32PageControls&) = delete;
    Win32PageControls& operator=(const Win32PageControls&) = delete;

    // The balloon tooltip host; called once when the main window is created,
    // before the first page.
    void CreateToolTipHost();
    // A tooltip over a rectangle of the main window (see ToolTipHost::AddArea).
    void AddAreaTip(UINT_PTR id, const RECT& area);

    void CreateControl(const ControlDefinition& entry) override;
    void DestroyControl(int id) override;
    PageView& View() override;
    BuildLog& Log() override;
    bool PrepareRemoteTree() override;

    // The child window of a control of the current page, or null.
    HWND Control(int id) const;

    // WM_NOTIFY from the cabinet list (431) or the remote folder tree (473):
    // handled, with the value the window procedure returns in *result. False
    // for any other control, which the window answers with 0.
    bool OnNotify(const NMHDR* header, LRESULT* result);

    // A cabinet list drag is under way (begin-drag seen, mouse captured).
    // A drag that has lost the capture to another window ends at the next
    // OnDragMove or OnDragDrop, without a drop.
    bool Dragging() const;
    // WM_MOUSEMOVE on the main window during a drag; `screen` in screen
    // coordinates.
    void OnDragMove(POINT screen);
    // WM_LBUTTONUP on the main window during a drag: the drop, ending the
    // drag; `client` in the main window's client coordinates.
    void OnDragDrop(POINT client);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace zk
