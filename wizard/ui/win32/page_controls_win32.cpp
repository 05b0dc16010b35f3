#include "wizard/ui/win32/page_controls_win32.h"

#include <commctrl.h>

#include <map>
#include <set>

#include "wizard/cabinet/cabinet_filters.h"
#include "wizard/cabinet/cabinet_list.h"
#include "wizard/deploy/remote_folder_tree.h"
#include "wizard/project/wizard_context.h"
#include "wizard/ui/control_ids.h"
#include "wizard/ui/win32/build_log_win32.h"
#include "wizard/ui/win32/cabinet_list_view_win32.h"
#include "wizard/ui/win32/file_name_char_filter_win32.h"
#include "wizard/ui/win32/page_view_win32.h"
#include "wizard/ui/win32/remote_tree_view_win32.h"
#include "wizard/ui/win32/tooltip_host_win32.h"

namespace zk {
namespace {

constexpr int LOG_HORIZONTAL_EXTENT = 960;
// The expand, collapse and toggle bits of a tree notification's action.
constexpr UINT TREE_ACTION_MASK = 0x0003;

struct WindowShape {
    const char* className;
    DWORD style;
    DWORD commonControls;  // classes to register first, 0 for none
};

WindowShape ShapeOf(ControlKind kind) {
    constexpr DWORD child = WS_CHILD | WS_VISIBLE;
    constexpr DWORD field = child | WS_BORDER | ES_AUTOHSCROLL;
    switch (kind) {
    case ControlKind::Label: return {"STATIC", child, 0};
    case ControlKind::Field: return {"EDIT", field | WS_TABSTOP, 0};
    case ControlKind::ReadOnlyField: return {"EDIT", field | ES_READONLY, 0};
    case ControlKind::ReadOnlyTabField: return {"EDIT", field | ES_READONLY | WS_TABSTOP, 0};
    case ControlKind::Check: return {"BUTTON", child | BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    case ControlKind::Button:
    case ControlKind::Browse: return {"BUTTON", child | BS_PUSHBUTTON | WS_TABSTOP, 0};
    case ControlKind::CabinetList:
        // The list shares the wizard's icon list instead of owning it.
        return {WC_LISTVIEWA,
                child | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                    LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
                ICC_LISTVIEW_CLASSES};
    case ControlKind::LogList:
        return {"LISTBOX",
                child | WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_HASSTRINGS | LBS_USETABSTOPS |
                    LBS_NOINTEGRALHEIGHT,
                0};
    case ControlKind::ProgressBar: return {PROGRESS_CLASSA, child | WS_BORDER, ICC_PROGRESS_CLASS};
    case ControlKind::RemoteTree:
        return {WC_TREEVIEWA,
                child | WS_BORDER | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT,
                ICC_TREEVIEW_CLASSES};
    }
    return {"STATIC", child, 0};
}

bool IsCode(UINT code, UINT ansi, UINT wide) { return code == ansi || code == wide; }

}  // namespace

struct Win32PageControls::Impl {
    Impl(HWND mainWindow, HINSTANCE inst, HFONT wizardFont, WizardContext& context,
         RemoteDevice& remote, std::string folder)
        : main(mainWindow),
          instance(inst),
          font(wizardFont),
          ctx(context),
          device(remote),
          programFolder(std::move(folder)),
          icons(programFolder),
          listTarget{mainWindow, &context} {}

    void Create(const ControlDefinition& entry);
    void Destroy(int id);
    HWND Find(int id) const {
        auto it = controls.find(id);
        return it == controls.end() ? nullptr : it->second;
    }
    LRESULT OnListNotify(const NMHDR* header);
    LRESULT OnTreeNotify(const NMHDR* header);
    bool DragLostCapture();

    HWND main;
    HINSTANCE instance;
    HFONT font;
    WizardContext& ctx;
    RemoteDevice& device;
    std::string programFolder;

    std::map<int, HWND> controls;
    std::set<int> filtered;  // fields carrying the file-name character filter
    Win32PageView view{controls};
    Win32BuildLog log{controls};
    ToolTipHost tips;
    CabinetIcons icons;
    CabinetListTarget listTarget;
    CabinetListDrag drag;
    std::unique_ptr<Win32FolderTreeView> treeView;
    std::unique_ptr<RemoteFolderTree> remoteTree;
};

void Win32PageControls::Impl::Create(const ControlDefinition& entry) {
    Destroy(entry.id);
    const WindowShape shape = ShapeOf(entry.kind);
    if (shape.commonControls) {
        INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), shape.commonControls};
        InitCommonControlsEx(&classes);
    }
    HWND control = CreateWindowExA(
        0, shape.className, entry.caption, shape.style, entry.x, entry.y, entry.width, entry.height,
        main, reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry.id)), instance, nullptr);
    if (!control) return;
    controls[entry.id] = control;
    if (entry.kind != ControlKind::ProgressBar && font)
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (entry.tooltip) tips.AddTool(control, entry.tooltip);
    if (entry.fileNameFilter && InstallFileNameCharFilter(control)) filtered.insert(entry.id);

    switch (entry.kind) {
    case ControlKind::CabinetList:
        AttachCabinetIcons(control, icons);
        SendMessageA(
            control, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
            LVS_EX_SUBITEMIMAGES | LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
        InstallCabinetListSubclass(control, &listTarget);
        break;
    case ControlKind::LogList:
        SendMessageA(control, LB_SETHORIZONTALEXTENT, LOG_HORIZONTAL_EXTENT, 0);
        break;
    default: break;
    }
}

void Win32PageControls::Impl::Destroy(int id) {
    HWND control = Find(id);
    if (!control) return;
    tips.RemoveTool(control);
    if (filtered.erase(id)) RemoveFileNameCharFilter(control);
    if (id == IDC_CABINET_LIST) {
        if (drag.list() == control) drag.Cancel();
        RemoveCabinetListSubclass(control);
    }
    if (id == IDC_REMOTE_TREE) {
        remoteTree.reset();
        treeView.reset();
    }
    controls.erase(id);
    // Once the main window is gone its children went with it, and the
    // handle may since name another window.
    if (IsWindow(control) && GetParent(control) == main) DestroyWindow(control);
}

LRESULT Win32PageControls::Impl::OnListNotify(const NMHDR* header) {
    HWND list = header->hwndFrom;
    switch (header->code) {
    case LVN_ITEMCHANGED:
        if (view.ListFocusedRow(IDC_CABINET_LIST) >= 0) ShowCabinetDetails(ctx);
        return 0;
    case NM_CLICK:
    case LVN_ITEMACTIVATE: {
        const auto* activate = reinterpret_cast<const NMITEMACTIVATE*>(header);
        const ListCell cell = CellUnder(list, activate->ptAction);
        ToggleFilterCell(ctx, cell.row, cell.column);
        return 0;
    }
    case LVN_BEGINDRAG: {
        const auto* begin = reinterpret_cast<const NMLISTVIEW*>(header);
        int row = view.ListSelectedRow(IDC_CABINET_LIST);
        if (row < 0) row = begin->iItem;
        if (row < 0) return 0;
        POINT screen = begin->ptAction;
        ClientToScreen(list, &screen);
        drag.Begin(list, row, main, screen);
        return 0;
    }
    default: return 0;
    }
}

LRESULT Win32PageControls::Impl::OnTreeNotify(const NMHDR* header) {
    const UINT code = header->code;
    if (code == static_cast<UINT>(NM_CUSTOMDRAW)) {
        auto* draw = reinterpret_cast<NMTVCUSTOMDRAW*>(const_cast<NMHDR*>(header));
        return DrawTreeItemText(draw, FOLDER_TEXT_BACKGROUND);
    }
    if (!remoteTree) return 0;
    // The ANSI and wide forms of these notifications differ only in the text
    // pointer, which is not read.
    const auto* change = reinterpret_cast<const NMTREEVIEWA*>(header);
    const TreeItem item = reinterpret_cast<TreeItem>(change->itemNew.hItem);
    if (IsCode(code, TVN_ITEMEXPANDINGA, TVN_ITEMEXPANDINGW)) {
        remoteTree->OnItemExpanding(item, (change->action & TREE_ACTION_MASK) == TVE_EXPAND);
    } else if (IsCode(code, TVN_ITEMEXPANDEDA, TVN_ITEMEXPANDEDW)) {
        if ((change->action & TREE_ACTION_MASK) == TVE_COLLAPSE) remoteTree->OnItemCollapsed(item);
    } else if (IsCode(code, TVN_SELCHANGEDA, TVN_SELCHANGEDW)) {
        remoteTree->OnItemPicked(item);
    } else if (code == static_cast<UINT>(NM_CLICK) || code == static_cast<UINT>(NM_DBLCLK)) {
        POINT at{};
        GetCursorPos(&at);
        ScreenToClient(header->hwndFrom, &at);
        remoteTree->OnItemPicked(treeView->ItemAt(at));
    }
    return 0;
}

Win32PageControls::Win32PageControls(HWND mainWindow, HINSTANCE instance, HFONT font,
                                     WizardContext& ctx, RemoteDevice& device,
                                     std::string programFolder)
    : impl_(std::make_unique<Impl>(mainWindow, instance, font, ctx, device,
                                   std::move(programFolder))) {}

Win32PageControls::~Win32PageControls() {
    impl_->drag.Cancel();
    while (!impl_->controls.empty()) impl_->Destroy(impl_->controls.begin()->first);
    if (impl_->ctx.page == &impl_->view) impl_->ctx.page = nullptr;
}

void Win32PageControls::CreateToolTipHost() { impl_->tips.Create(impl_->main, impl_->instance); }

void Win32PageControls::AddAreaTip(UINT_PTR id, const RECT& area) { impl_->tips.AddArea(id, area); }

void Win32PageControls::CreateControl(const ControlDefinition& entry) { impl_->Create(entry); }

void Win32PageControls::DestroyControl(int id) { impl_->Destroy(id); }

PageView& Win32PageControls::View() { return impl_->view; }

BuildLog& Win32PageControls::Log() { return impl_->log; }

bool Win32PageControls::PrepareRemoteTree() {
    HWND tree = impl_->Find(IDC_REMOTE_TREE);
    if (!tree) return false;
    impl_->remoteTree.reset();
    impl_->treeView = std::make_unique<Win32FolderTreeView>(tree);
    impl_->remoteTree =
        std::make_unique<RemoteFolderTree>(*impl_->treeView, impl_->device, impl_->view);
    return impl_->remoteTree->InitFolderTree(impl_->programFolder + "Images\\Browse.bmp");
}

HWND Win32PageControls::Control(int id) const { return impl_->Find(id); }

bool Win32PageControls::OnNotify(const NMHDR* header, LRESULT* result) {
    if (!header) return false;
    const int id = static_cast<int>(header->idFrom);
    if ((id != IDC_CABINET_LIST && id != IDC_REMOTE_TREE) || impl_->Find(id) != header->hwndFrom)
        return false;
    const LRESULT answer =
        id == IDC_CABINET_LIST ? impl_->OnListNotify(header) : impl_->OnTreeNotify(header);
    if (result) *result = answer;
    return true;
}

bool Win32PageControls::Dragging() const { return impl_->drag.active(); }

// A drag whose capture was taken away (another window activated, a box
// shown) is over: the next release on the window is not a drop.
bool Win32PageControls::Impl::DragLostCapture() {
    if (!drag.active() || GetCapture() == main) return false;
    drag.Cancel();
    return true;
}

void Win32PageControls::OnDragMove(POINT screen) {
    if (!impl_->DragLostCapture()) impl_->drag.Move(screen);
}

void Win32PageControls::OnDragDrop(POINT client) {
    if (impl_->DragLostCapture()) return;
    HWND list = impl_->drag.list();
    const int from = impl_->drag.End();
    if (from < 0 || !list || impl_->Find(IDC_CABINET_LIST) != list) return;
    POINT at = client;
    MapWindowPoints(impl_->main, list, &at, 1);
    MoveCabinet(impl_->ctx, from, RowLabelUnder(list, at));
}

}  // namespace zk
