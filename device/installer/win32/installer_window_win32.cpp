#include "device/installer/win32/installer_window_win32.h"

#include <oleauto.h>

#include <vector>

#include "common/wide_text_win32.h"
#include "device/installer/installer_ids.h"
#include "device/installer/installer_texts.h"
#include "device/installer/win32/folder_browser_win32.h"
#include "device/installer/win32/installer_resources.h"

namespace zk {
namespace {

// Posted by the unpacking thread.
constexpr UINT WM_TITLE_READY = WM_APP + 1;
constexpr UINT WM_SPLASH_READY = WM_APP + 2;
constexpr UINT WM_UNPACKING_ENDED = WM_APP + 3;

struct PreferenceControl {
    int id;
    const wchar_t* kind;
    DWORD style;
    int y;
    bool narrow;  // leaves room for the browse button on its right
    bool button;  // the small browse button itself
};

constexpr DWORD CHECK = BS_AUTOCHECKBOX;
constexpr DWORD FIELD = WS_BORDER | ES_AUTOHSCROLL;

// The nine preference controls, in the order they are created.
constexpr PreferenceControl PREFERENCE_CONTROLS[] = {
    {IDC_OVERRIDE_CHECK, L"BUTTON", CHECK, 30, false, false},
    {IDC_OVERRIDE_EDIT, L"EDIT", FIELD, 52, true, false},
    {IDC_OVERRIDE_BROWSE, L"BUTTON", BS_PUSHBUTTON, 52, false, true},
    {IDC_RESUME_CHECK, L"BUTTON", CHECK, 74, false, false},
    {IDC_RESET_CHECK, L"BUTTON", CHECK, 96, false, false},
    {IDC_SILENT_CHECK, L"BUTTON", CHECK, 118, false, false},
    {IDC_DEBUG_LOG_CHECK, L"BUTTON", CHECK, 140, false, false},
    {IDC_LOG_EDIT, L"EDIT", FIELD, 162, true, false},
    {IDC_LOG_BROWSE, L"BUTTON", BS_PUSHBUTTON, 162, false, true},
};

int BarSlot(int bar) {
    switch (bar) {
    case BAR_WELCOME: return 0;
    case BAR_NAVIGATION: return 1;
    case BAR_INSTALLATION: return 2;
    case BAR_DAMAGED: return 3;
    default: return -1;
    }
}

HFONT MakeFont(const wchar_t* face, int height, int weight) {
    LOGFONTW font = {};
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

// One line of the pages' own texts, in its own font made for the call.
void DrawLine(HDC dc, const wchar_t* text, RECT band, UINT format) {
    HFONT font = MakeFont(L"Arial", 15, FW_BOLD);
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text, -1, &band, format | DT_WORDBREAK);
    SelectObject(dc, old);
    DeleteObject(font);
}

// Lines from the top of `area` down, each centred and wrapped to its width.
void DrawLinesDown(HDC dc, const std::vector<std::u16string>& lines, RECT area) {
    HFONT font = MakeFont(L"Arial", 15, FW_BOLD);
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    for (const std::u16string& line : lines) {
        RECT need = area;
        DrawTextW(dc, Wide(line), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
        RECT band = {area.left, area.top, area.right, area.top + (need.bottom - need.top)};
        DrawTextW(dc, Wide(line), -1, &band, DT_CENTER | DT_WORDBREAK);
        area.top = band.bottom + 4;
    }
    SelectObject(dc, old);
    DeleteObject(font);
}

RECT Band(const RECT& client, int top, int bottom) {
    return RECT{client.left, top, client.right, bottom};
}

}  // namespace

InstallerMainWindow::InstallerMainWindow(HINSTANCE instance, InstallerSession& session,
                                         InstallerWork& work)
    : instance_(instance), session_(session), flow_(session, *this, work) {}

InstallerMainWindow::~InstallerMainWindow() {
    if (font_) DeleteObject(font_);
    if (splash_) DeleteObject(splash_);
}

bool InstallerMainWindow::RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSW kind = {};
    kind.style = CS_HREDRAW | CS_VREDRAW;
    kind.lpfnWndProc = WindowProc;
    kind.hInstance = instance;
    kind.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_INSTALLER));
    kind.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    kind.lpszClassName = Wide(MAIN_WINDOW_CLASS);
    return RegisterClassW(&kind) != 0;
}

LRESULT CALLBACK InstallerMainWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    auto* self = reinterpret_cast<InstallerMainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<InstallerMainWindow*>(create->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    return self->OnMessage(message, wParam, lParam);
}

LRESULT InstallerMainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return OnCreate();
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_ACTIVATE: ce::SHHandleWMActivate(window_, wParam, lParam, &activateInfo_, 0); return 0;
    case WM_SETTINGCHANGE: OnSettingChange(wParam, lParam); return 0;
    case WM_ERASEBKGND: return 1;  // painting covers everything
    case WM_PAINT: OnPaint(); return 0;
    case WM_COMMAND: OnCommand(wParam, lParam); return 0;
    case WM_TIMER: OnTimer(wParam); return 0;
    case WM_TITLE_READY: OnTitleReady(); return 0;
    case WM_SPLASH_READY: OnSplashReady(); return 0;
    case WM_UNPACKING_ENDED: flow_.OnUnpackingEnded(); return 0;
    case WM_CLOSE:
        // The shell closes programs when memory runs low; a cabinet being
        // installed is finished first.
        if (flow_.OnCloseRequest()) DestroyWindow(window_);
        return 0;
    default: return DefWindowProcW(window_, message, wParam, lParam);
    }
}

RECT InstallerMainWindow::WorkArea() const {
    RECT area = {};
    if (!ce::DeviceSystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0)) {
        GetClientRect(window_, &area);
    }
    return area;
}

LRESULT InstallerMainWindow::OnCreate() {
    activateInfo_.cbSize = sizeof activateInfo_;
    ce::InitHTMLControl(instance_);
    font_ = MakeFont(L"Arial", 16, FW_NORMAL);
    flow_.OnCreate();  // the welcome bar, then the unpacking thread

    RECT bar = {};
    if (HWND keys = SoftKeyBarWindow()) GetWindowRect(keys, &bar);
    const RECT area = WorkArea();
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    htmlView_ =
        CreateWindowExW(0, ce::WC_HTML, L"", WS_CHILD, 2, 2, width - 4,
                        height - (bar.bottom - bar.top) - 4, window_, nullptr, instance_, nullptr);
    if (htmlView_) SendMessageW(htmlView_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return 0;
}

void InstallerMainWindow::OnDestroy() {
    for (HWND& bar : bars_) {
        if (bar) DestroyWindow(bar);
        bar = nullptr;
    }
    PostQuitMessage(0);
}

void InstallerMainWindow::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    RECT client;
    GetClientRect(window_, &client);
    PaintContent(dc, client);
    EndPaint(window_, &paint);
}

void InstallerMainWindow::PaintContent(HDC dc, const RECT& client) {
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(dc, &client, white);
    DeleteObject(white);

    const InstallerState& state = session_.state;
    const int mid = (client.bottom - client.top) / 2;
    switch (state.page) {
    case PAGE_WELCOME:
        if (splash_) {
            BITMAP picture = {};
            GetObjectW(splash_, sizeof picture, &picture);
            HDC source = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(source, splash_);
            StretchBlt(dc, client.left, client.top, client.right - client.left,
                       client.bottom - client.top, source, 0, 0, picture.bmWidth, picture.bmHeight,
                       SRCCOPY);
            SelectObject(source, old);
            DeleteDC(source);
        }
        DrawLine(dc, L"Welcome user!", Band(client, mid - 60, mid - 20), DT_CENTER);
        if (flow_.SoftKeyBar() == BAR_DAMAGED) {
            DrawLine(dc, Wide(state.damage.OnlyWantOfRoom() ? NO_ROOM_TEXT : DAMAGED_TEXT),
                     Band(client, mid - 20, mid + 40), DT_CENTER);
            DrawLine(dc, Wide(DAMAGED_PROMPT), Band(client, mid + 40, mid + 80), DT_CENTER);
            break;
        }
        DrawLine(dc, Wide(readyText_), Band(client, mid - 20, mid + 20), DT_CENTER);
        DrawLine(dc, L"Press <Start> to begin", Band(client, mid + 20, mid + 60), DT_CENTER);
        break;
    case PAGE_PREFERENCES:
        DrawLine(dc, L"Preferences", RECT{client.left + 5, 2, client.right - 5, 27}, DT_LEFT);
        break;
    case PAGE_INSTALLATION:
        if (flow_.SoftKeyBar() == BAR_WELCOME) {
            // A resumed run waits for Start: say so rather than show a
            // blank page.
            DrawLine(dc, Wide(RESUME_TEXT), Band(client, mid - 40, mid), DT_CENTER);
            DrawLine(dc, Wide(RESUME_PROMPT), Band(client, mid, mid + 40), DT_CENTER);
            break;
        }
        if (!state.installDone) break;
        if (state.FailedCount() > 0) {
            // The count, each cabinet that failed, where the log is, the
            // prompt: a line each from the top of the page down.
            DrawLinesDown(dc, ClosingLines(session_),
                          RECT{client.left + 4, client.top + 8, client.right - 4, client.bottom});
        } else if (!state.project->readmeEnabled) {
            DrawLine(dc, Wide(state.doneText), Band(client, mid - 20, mid + 10), DT_CENTER);
            DrawLine(dc, Wide(FINISH_PROMPT), Band(client, mid + 10, mid + 40), DT_CENTER);
        }
        break;
    default: break;
    }
}

void InstallerMainWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (!flow_.OnCommand(LOWORD(wParam))) {
        DefWindowProcW(window_, WM_COMMAND, wParam, lParam);
    }
}

void InstallerMainWindow::OnTimer(WPARAM id) {
    if (id == STATUS_TIMER_ID) flow_.OnStatusTimer();
}

void InstallerMainWindow::OnSettingChange(WPARAM wParam, LPARAM lParam) {
    // The page is rebuilt for a new work area first; the shell then fits the
    // window (and its soft-key bar) to the turned screen.
    const RECT area = WorkArea();
    flow_.OnWorkAreaChanged(area.right - area.left, area.bottom - area.top);
    ce::SHHandleWMSettingChange(window_, wParam, lParam, &activateInfo_);
}

void InstallerMainWindow::OnTitleReady() {
    const InstallerState& state = session_.state;
    readyText_ = state.readyText;
    SetWindowTextW(window_, Wide(state.windowTitle));
    InvalidateRect(window_, nullptr, TRUE);
}

void InstallerMainWindow::OnSplashReady() {
    if (splash_) DeleteObject(splash_);
    splash_ = ce::SHLoadDIBitmap(Wide(session_.state.splashFilePath));
    InvalidateRect(window_, nullptr, FALSE);
}

HWND InstallerMainWindow::SoftKeyBarWindow() const {
    const int slot = BarSlot(flow_.SoftKeyBar());
    return slot < 0 ? nullptr : bars_[slot];
}

void InstallerMainWindow::CreateSoftKeyBar(int bar) {
    const int slot = BarSlot(bar);
    if (slot < 0 || bars_[slot]) return;
    ce::SHMENUBARINFO info = {};
    info.cbSize = sizeof info;
    info.hwndParent = window_;
    info.nToolBarId = static_cast<UINT>(bar);
    info.hInstRes = instance_;
    if (ce::SHCreateMenuBar(&info)) bars_[slot] = info.hwndMB;
}

void InstallerMainWindow::DestroySoftKeyBar(int bar) {
    const int slot = BarSlot(bar);
    if (slot < 0 || !bars_[slot]) return;
    DestroyWindow(bars_[slot]);
    bars_[slot] = nullptr;
}

void InstallerMainWindow::Navigate(std::u16string_view address) {
    if (!htmlView_) return;
    SendMessageW(htmlView_, ce::DTM_CLEAR, 0, 0);
    BSTR text = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(address.data()),
                                  static_cast<UINT>(address.size()));
    if (!text) return;
    SendMessageW(htmlView_, ce::DTM_NAVIGATE, 0, reinterpret_cast<LPARAM>(text));
    SysFreeString(text);
}

void InstallerMainWindow::PlaceHtmlView() {
    if (!htmlView_) return;
    const RECT area = WorkArea();
    RECT bar = {};
    if (HWND keys = SoftKeyBarWindow()) GetWindowRect(keys, &bar);
    MoveWindow(htmlView_, 2, 2, area.right - area.left - 4,
               area.bottom - area.top - (bar.bottom - bar.top) - 4, FALSE);
}

void InstallerMainWindow::ShowEula(std::u16string_view address) {
    if (!htmlView_) return;
    ShowWindow(htmlView_, SW_SHOW);
    Navigate(address);
}

void InstallerMainWindow::CreatePreferenceControls(const Preferences& preferences,
                                                   std::u16string_view logPath) {
    const int width = WorkArea().right - WorkArea().left;
    const std::u16string log(logPath);
    for (const PreferenceControl& c : PREFERENCE_CONTROLS) {
        const wchar_t* text = L"";
        switch (c.id) {
        case IDC_OVERRIDE_CHECK: text = L"Override install path"; break;
        case IDC_RESUME_CHECK: text = L"Resume install on reset"; break;
        case IDC_RESET_CHECK: text = L"Reset when installer finishes"; break;
        case IDC_SILENT_CHECK: text = L"Silent install"; break;
        case IDC_DEBUG_LOG_CHECK: text = L"Enable debug-log output"; break;
        case IDC_LOG_EDIT: text = Wide(log); break;
        case IDC_OVERRIDE_BROWSE:
        case IDC_LOG_BROWSE: text = L"..."; break;
        default: break;
        }
        const int x = c.button ? width - 22 : 2;
        const int w = c.button ? 20 : c.narrow ? width - 24 : width - 4;
        DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | c.style;
        if (c.narrow || c.button) style |= WS_DISABLED;
        HWND control = CreateWindowExW(0, c.kind, text, style, x, c.y, w, 20, window_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                                       instance_, nullptr);
        if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    }
    auto check = [this](int id, bool on) {
        SendMessageW(Control(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    };
    check(IDC_OVERRIDE_CHECK, preferences.overrideInstallPath);
    check(IDC_RESUME_CHECK, preferences.resumeOnReset);
    check(IDC_RESET_CHECK, preferences.resetWhenFinished);
    check(IDC_SILENT_CHECK, preferences.silentInstall);
    check(IDC_DEBUG_LOG_CHECK, preferences.debugLog);
    EnableControl(IDC_OVERRIDE_EDIT, preferences.overrideInstallPath);
    EnableControl(IDC_OVERRIDE_BROWSE, preferences.overrideInstallPath);
    EnableControl(IDC_LOG_EDIT, preferences.debugLog);
    EnableControl(IDC_LOG_BROWSE, preferences.debugLog);
    SetFocus(Control(IDC_OVERRIDE_CHECK));
}

void InstallerMainWindow::DestroyPreferenceControls() {
    for (const PreferenceControl& c : PREFERENCE_CONTROLS) {
        if (HWND control = Control(c.id)) DestroyWindow(control);
    }
}

void InstallerMainWindow::PrepareInstallationPage(std::u16string_view readMeAddress) {
    if (htmlView_) {
        Navigate(readMeAddress);
        ShowWindow(htmlView_, SW_HIDE);
    }
    if (statusBox_) return;
    const RECT area = WorkArea();
    statusBox_ = CreateWindowExW(
        0, L"EDIT", Wide(STATUS_BOX_INITIAL), WS_CHILD | WS_VISIBLE | ES_CENTER | ES_MULTILINE, 2,
        (area.bottom - area.top) / 2 - 20, area.right - area.left - 4, 20, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUS_BOX)), instance_, nullptr);
    if (statusBox_) SendMessageW(statusBox_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
}

void InstallerMainWindow::HideHtmlView() {
    if (!htmlView_) return;
    SendMessageW(htmlView_, ce::DTM_CLEAR, 0, 0);
    ShowWindow(htmlView_, SW_HIDE);
}

void InstallerMainWindow::Invalidate() { InvalidateRect(window_, nullptr, FALSE); }

bool InstallerMainWindow::IsChecked(int control) {
    return SendMessageW(Control(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void InstallerMainWindow::EnableControl(int control, bool enabled) {
    if (HWND c = Control(control)) EnableWindow(c, enabled);
}

void InstallerMainWindow::SetControlText(int control, std::u16string_view text) {
    const std::u16string value(text);
    if (HWND c = Control(control)) SetWindowTextW(c, Wide(value));
}

void InstallerMainWindow::FocusControl(int control) {
    if (HWND c = Control(control)) SetFocus(c);
}

bool InstallerMainWindow::BrowseFolder(std::u16string* folder) {
    wchar_t chosen[MAX_PATH] = {};
    FolderBrowse browse;
    zk::BrowseFolder(&browse, instance_, nullptr, L"", L"Browse Folder", L"Ok", L"Cancel", L"",
                     chosen);
    if (!chosen[0]) return false;
    *folder = Text16(chosen);
    return true;
}

void InstallerMainWindow::StartStatusTimer() {
    SetTimer(window_, STATUS_TIMER_ID, STATUS_TIMER_MS, nullptr);
}

void InstallerMainWindow::StopStatusTimer() { KillTimer(window_, STATUS_TIMER_ID); }

void InstallerMainWindow::SetStatusText(std::u16string_view text) {
    if (!statusBox_) return;
    const std::u16string value(text);
    SetWindowTextW(statusBox_, Wide(value));
    UpdateWindow(statusBox_);
}

void InstallerMainWindow::ShowReadMe() {
    if (!htmlView_) return;
    ShowWindow(htmlView_, SW_SHOW);
    SetFocus(htmlView_);
}

void InstallerMainWindow::RemoveStatusBox() {
    if (statusBox_) {
        ShowWindow(statusBox_, SW_HIDE);
        DestroyWindow(statusBox_);
        statusBox_ = nullptr;
    }
    InvalidateRect(window_, nullptr, FALSE);
}

void InstallerMainWindow::Close() { DestroyWindow(window_); }

void InstallerMainWindow::SetTitle(std::u16string_view) {
    PostMessageW(window_, WM_TITLE_READY, 0, 0);
}

void InstallerMainWindow::ShowSplash(std::u16string_view) {
    PostMessageW(window_, WM_SPLASH_READY, 0, 0);
}

void InstallerMainWindow::UnpackingEnded() { PostMessageW(window_, WM_UNPACKING_ENDED, 0, 0); }

}  // namespace zk
