#include "wizard/ui/win32/main_window_win32.h"

#include <commctrl.h>
#include <windowsx.h>

#include <iterator>

#include "platform/desktop_platform_win32.h"
#include "wizard/project/wizard_context.h"
#include "wizard/ui/page_tables.h"
#include "wizard/ui/skin_pictures.h"
#include "wizard/ui/win32/about_box_win32.h"
#include "wizard/ui/win32/canvas_painting_win32.h"
#include "wizard/ui/win32/file_choosers_win32.h"

namespace zk {
namespace {

// How long a key shows its button pressed: long enough to be seen.
constexpr DWORD KEY_PRESS_SHOWN_MILLISECONDS = 120;
// The painted buttons' tooltip ids, clear of the controls' (window handles
// are told apart by TTF_IDISHWND).
constexpr UINT_PTR FIRST_AREA_TIP = 1;
// Alt was held: a system key's context code.
constexpr LPARAM ALT_HELD = LPARAM{1} << 29;

COLORREF ColourOf(std::uint32_t bgr) { return static_cast<COLORREF>(bgr); }

}  // namespace

MainWindow::MainWindow(const Setup& setup)
    : setup_(setup),
      fieldBrush_(CreateSolidBrush(ColourOf(FIELD_COLOUR))),
      pageBrush_(CreateSolidBrush(ColourOf(PAGE_COLOUR))),
      machine_(setup.ctx, *this, setup.deploy, setup.startStep) {}

MainWindow::~MainWindow() {
    Destroy();
    DeleteObject(fieldBrush_);
    DeleteObject(pageBrush_);
}

void MainWindow::Destroy() {
    if (!window_) return;
    closed_ = true;  // the setting was stored when the loop ended
    DestroyWindow(window_);
    window_ = nullptr;
}

std::string MainWindow::ImagesFolder() const { return setup_.programFolder + IMAGES_FOLDER + "\\"; }

LRESULT CALLBACK MainWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return OnCreate();
    case WM_CLOSE:
    case WM_DESTROY: return OnClose();
    case WM_PAINT: return OnPaint();
    case WM_ERASEBKGND: return 1;  // the canvas covers everything
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
        return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY: return OnNotify(reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND: return OnCommand(wParam, lParam);
    case WM_MOUSEMOVE: return OnMouseMove(lParam);
    case WM_LBUTTONDOWN: return OnButtonDown(lParam);
    case WM_LBUTTONUP: return OnButtonUp(lParam);
    default: return DefWindowProcA(window_, message, wParam, lParam);
    }
}

LRESULT MainWindow::OnCreate() {
    setup_.platform.SetOwnerWindow(window_);
    skin_.Load(ImagesFolder());
    controls_ = std::make_unique<Win32PageControls>(
        window_, setup_.instance, setup_.font, setup_.ctx, setup_.device, setup_.programFolder);
    controls_->CreateToolTipHost();
    for (std::size_t i = 0; i < std::size(HOT_AREAS); ++i) {
        const HotArea& area = HOT_AREAS[i];
        controls_->AddAreaTip(FIRST_AREA_TIP + i,
                              RECT{area.left, area.top, area.right, area.bottom});
    }
    machine_.OnCreate();
    return 0;
}

LRESULT MainWindow::OnClose() {
    // A build runs inside a command of this window: it is told to stop, and
    // the close comes back once it has.
    if (machine_.building()) {
        closeDuringBuild_ = true;
        return 0;
    }
    // The window is left standing: the program ends through the loop.
    if (!closed_) {
        closed_ = true;
        machine_.OnClose();
        PostQuitMessage(0);
    }
    return 0;
}

LRESULT MainWindow::OnPaint() {
    PAINTSTRUCT paint;
    HDC target = BeginPaint(window_, &paint);
    PaintCanvas(target, skin_, buttons_, machine_.step(), setup_.ctx.project);
    EndPaint(window_, &paint);
    return 0;
}

LRESULT MainWindow::OnControlColour(HDC context, HWND control) {
    const bool light = IsLightField(GetDlgCtrlID(control));
    SetBkMode(context, TRANSPARENT);
    SetBkColor(context, ColourOf(light ? FIELD_COLOUR : PAGE_COLOUR));
    return reinterpret_cast<LRESULT>(light ? fieldBrush_ : pageBrush_);
}

LRESULT MainWindow::OnNotify(const NMHDR* header) {
    if (header && header->code == TTN_GETDISPINFOA) {
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(const_cast<NMHDR*>(header));
        const UINT_PTR index = info->hdr.idFrom - FIRST_AREA_TIP;
        if (!(info->uFlags & TTF_IDISHWND) && index < std::size(HOT_AREAS)) {
            info->lpszText =
                const_cast<char*>(PaintedButtonTip(HOT_AREAS[index].button, machine_.step()));
            return 0;
        }
    }
    LRESULT result = 0;
    if (controls_ && header && controls_->OnNotify(header, &result)) return result;
    return 0;
}

LRESULT MainWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
    // Controls tell of focus and edits too; only clicks (and the commands
    // the window sends itself) are the page's commands.
    if (lParam != 0 && HIWORD(wParam) != BN_CLICKED)
        return DefWindowProcA(window_, WM_COMMAND, wParam, lParam);
    if (machine_.OnCommand(LOWORD(wParam))) return 0;
    return DefWindowProcA(window_, WM_COMMAND, wParam, lParam);
}

LRESULT MainWindow::OnMouseMove(LPARAM lParam) {
    if (controls_ && controls_->Dragging()) {
        POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(window_, &at);
        controls_->OnDragMove(at);
    }
    return 0;
}

LRESULT MainWindow::OnButtonDown(LPARAM lParam) {
    if (controls_ && controls_->Dragging()) return 0;
    if (const HotArea* area =
            buttons_.Press(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), machine_.step()))
        InvalidateArea(*area);
    return 0;
}

LRESULT MainWindow::OnButtonUp(LPARAM lParam) {
    const POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (controls_ && controls_->Dragging()) {
        controls_->OnDragDrop(at);
        return 0;
    }
    if (const HotArea* area = buttons_.Release(at.x, at.y, machine_.step())) {
        InvalidateArea(*area);
        machine_.OnPaintedButton(area->button);
    }
    return 0;
}

void MainWindow::InvalidateArea(const HotArea& area) {
    RECT rect = {area.left, area.top, area.right, area.bottom};
    InvalidateRect(window_, &rect, TRUE);
}

bool MainWindow::OnKey(const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
    if (!window_ || machine_.building() || !IsWindowEnabled(window_) ||
        (message.hwnd != window_ && !IsChild(window_, message.hwnd)))
        return false;
    const bool withAlt = message.message == WM_SYSKEYDOWN && (message.lParam & ALT_HELD);
    PaintedButton button;
    if (!PaintedButtonForKey(static_cast<int>(message.wParam), withAlt, &button)) return false;
    if (message.wParam == VK_RETURN && FocusTakesEnter(message)) return false;
    PressByKey(button);
    return true;
}

// A push button clicks on Enter, a multi-line field starts a line, a list
// being edited or a dropped combo box ends the edit: those keep it.
bool MainWindow::FocusTakesEnter(const MSG& message) const {
    HWND focus = GetFocus();
    if (!focus || focus == window_) return false;
    const LRESULT code =
        SendMessageA(focus, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&message));
    return (code &
            (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE | DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
}

void MainWindow::PressByKey(PaintedButton button) {
    const HotArea& area = HotAreaOf(button);
    const int x = (area.left + area.right) / 2;
    const int y = (area.top + area.bottom) / 2;
    if (!buttons_.Press(x, y, machine_.step())) return;
    InvalidateArea(area);
    UpdateWindow(window_);
    Sleep(KEY_PRESS_SHOWN_MILLISECONDS);
    if (const HotArea* released = buttons_.Release(x, y, machine_.step())) {
        InvalidateArea(*released);
        machine_.OnPaintedButton(released->button);
    }
}

void MainWindow::Repaint() { InvalidateRect(window_, nullptr, TRUE); }

bool MainWindow::ChooseFile(Chooser chooser, std::string* path) {
    return ChooseFileWin32(window_, chooser, path);
}

bool MainWindow::ChooseWorkFolder(std::string* path) {
    return ChooseWorkFolderWin32(window_, setup_.font, setup_.ctx.state, path);
}

void MainWindow::CloseWindow() {
    closeDuringBuild_ = false;
    SendMessageA(window_, WM_CLOSE, 0, 0);
}

bool MainWindow::BuildInterrupted() {
    // The build runs on this thread: a few times a second it lets the window
    // paint and answer, so that it can be moved and closed. Commands of the
    // page wait (the step machine takes none while building).
    const DWORD now = GetTickCount();
    if (now - lastPump_ >= 100) {
        lastPump_ = now;
        MSG message;
        while (!closeDuringBuild_ && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                closeDuringBuild_ = true;
                break;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return closeDuringBuild_;
}

void MainWindow::ShowAboutBox() {
    zk::ShowAboutBox(setup_.instance, window_, ImagesFolder() + SkinFile(SkinPicture::About).name);
}

void MainWindow::OpenWebPage() { setup_.ctx.platform.ShellStart(PRODUCT_WEB_ADDRESS); }

}  // namespace zk
