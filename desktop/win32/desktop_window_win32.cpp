#include "desktop/win32/desktop_window_win32.h"

#include <commctrl.h>
#include <shlobj.h>

#include <atomic>
#include <memory>
#include <thread>
#include <utility>

#include "activesync/device_connection.h"
#include "activesync/tick_wait.h"
#include "common/ansi_text.h"
#include "common/wide_text_win32.h"
#include "desktop/desktop_install.h"
#include "desktop/win32/desktop_ids.h"
#include "platform/desktop_platform.h"

namespace zk {
namespace {

constexpr int CLIENT_WIDTH = 440;
constexpr int CLIENT_HEIGHT = 196;
constexpr int MARGIN = 16;
constexpr int BUTTON_HEIGHT = 28;
constexpr int PROGRESS_STEPS = 1000;

// Reports the worker's run to the window by posting; never touches it.
class PostingObserver : public InstallObserver {
public:
    PostingObserver(HWND window, const std::atomic<bool>& cancel)
        : window_(window), cancel_(cancel) {}

    void Status(const std::string& text) override {
        auto* wide = new std::u16string(WideFromAnsi(text));
        if (!PostMessageW(window_, WM_APP_STATUS, 0, reinterpret_cast<LPARAM>(wide))) delete wide;
    }
    void Progress(std::uint64_t done, std::uint64_t total) override {
        const WPARAM steps = total ? static_cast<WPARAM>(done * PROGRESS_STEPS / total) : 0;
        if (steps != last_) PostMessageW(window_, WM_APP_PROGRESS, steps, 0);
        last_ = steps;
    }
    bool Cancelled() override { return cancel_.load(); }

private:
    HWND window_;
    const std::atomic<bool>& cancel_;
    WPARAM last_ = ~WPARAM{0};
};

// The window and what it shows; its procedure finds the object through
// GWLP_USERDATA, set when the window is made (as the wizard's and the device
// installer's windows do).
class DesktopWindow {
public:
    DesktopWindow(DesktopPlatform& platform, RemoteDevice& device, std::string ownPath,
                  const CarriedInstaller& carried)
        : platform_(platform), device_(device), ownPath_(std::move(ownPath)), carried_(carried) {}
    ~DesktopWindow();
    DesktopWindow(const DesktopWindow&) = delete;
    DesktopWindow& operator=(const DesktopWindow&) = delete;

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // The outcome code of the last install or save.
    int ExitCode() const { return exitCode_; }

private:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void OnCommand(int id);
    void OnInstall();
    void OnSave();
    void OnCancel();
    void OnDone(int code, std::u16string* message);

    HWND Control(int id) const { return GetDlgItem(window_, id); }
    HWND AddControl(const wchar_t* kind, const wchar_t* text, DWORD style, int id, int x, int y,
                    int width, int height, HFONT font);
    void SetBusy(bool busy);
    void SetStatus(const std::u16string& text);
    // Runs `job` on the worker thread; it posts its outcome with WM_APP_DONE.
    template <typename Job>
    void StartWorker(Job job);

    DesktopPlatform& platform_;
    RemoteDevice& device_;
    std::string ownPath_;
    CarriedInstaller carried_;

    SleepingTickWait wait_;
    DeviceConnection connection_{device_, wait_};
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    HFONT nameFont_ = nullptr;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    bool busy_ = false;
    bool closeWhenDone_ = false;
    int exitCode_ = DESKTOP_CANCELLED;
};

DesktopWindow::~DesktopWindow() {
    // The window is gone; a worker still running is asked to stop first.
    if (worker_.joinable()) {
        cancel_ = true;
        worker_.join();
    }
    if (font_) DeleteObject(font_);
    if (nameFont_) DeleteObject(nameFont_);
}

LRESULT CALLBACK DesktopWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<DesktopWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<DesktopWindow*>(create->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    return self->OnMessage(message, wParam, lParam);
}

LRESULT DesktopWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: OnCreate(); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wParam)); return 0;
    case WM_CLOSE: OnCancel(); return 0;
    case WM_APP_STATUS: {
        std::unique_ptr<std::u16string> text(reinterpret_cast<std::u16string*>(lParam));
        SetStatus(*text);
        return 0;
    }
    case WM_APP_PROGRESS: SendMessageW(Control(IDC_PROGRESS), PBM_SETPOS, wParam, 0); return 0;
    case WM_APP_DONE:
        OnDone(static_cast<int>(wParam), reinterpret_cast<std::u16string*>(lParam));
        return 0;
    case WM_DESTROY: PostQuitMessage(exitCode_); return 0;
    default: return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void DesktopWindow::SetBusy(bool busy) {
    busy_ = busy;
    EnableWindow(Control(IDC_INSTALL), !busy);
    EnableWindow(Control(IDC_SAVE), !busy);
}

void DesktopWindow::SetStatus(const std::u16string& text) {
    SetWindowTextW(Control(IDC_STATUS), Wide(text));
}

template <typename Job>
void DesktopWindow::StartWorker(Job job) {
    if (worker_.joinable()) worker_.join();
    cancel_ = false;
    SetBusy(true);
    SendMessageW(Control(IDC_PROGRESS), PBM_SETPOS, 0, 0);
    worker_ = std::thread([this, window = window_, job] {
        PostingObserver observer(window, cancel_);
        InstallReport report;
        std::unique_ptr<FileHandle> own = platform_.OpenFile(ownPath_, FileMode::Read);
        if (!own)
            report = {DESKTOP_DAMAGED, DescribeCarriedResult(CARRIED_UNREADABLE, ownPath_)};
        else
            report = job(*own, observer);
        auto* message = new std::u16string(WideFromAnsi(report.message));
        if (!PostMessageW(window, WM_APP_DONE, static_cast<WPARAM>(report.code),
                          reinterpret_cast<LPARAM>(message)))
            delete message;
    });
}

void DesktopWindow::OnInstall() {
    StartWorker([this](FileHandle& own, InstallObserver& observer) {
        return InstallOnDevice(connection_, own, carried_, observer);
    });
}

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

void DesktopWindow::OnSave() {
    // The folder of the desktop installer is offered first.
    std::u16string start = WideFromAnsi(ownPath_);
    const std::size_t cut = start.find_last_of(u"\\/");
    start = cut == std::u16string::npos ? u"" : start.substr(0, cut);

    BROWSEINFOW browse = {};
    browse.hwndOwner = window_;
    browse.lpszTitle = L"Choose the folder for the device installer, such as a storage card.";
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    browse.lpfn = BrowseCallback;
    browse.lParam = reinterpret_cast<LPARAM>(Wide(start));
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (!chosen) return;
    wchar_t folder[MAX_PATH] = {};
    const bool named = SHGetPathFromIDListW(chosen, folder);
    CoTaskMemFree(chosen);
    if (!named) {
        SetStatus(u"That folder cannot hold files; choose another one.");
        return;
    }
    const std::string ansiFolder = AnsiFromWide(reinterpret_cast<const char16_t*>(folder));
    StartWorker([this, ansiFolder](FileHandle& own, InstallObserver& observer) {
        return SaveToFolder(platform_, own, carried_, ansiFolder, observer);
    });
}

void DesktopWindow::OnCancel() {
    if (busy_) {
        // The worker stops after its current block, then the window closes.
        cancel_ = true;
        closeWhenDone_ = true;
        SetStatus(u"Stopping...");
        return;
    }
    DestroyWindow(window_);
}

void DesktopWindow::OnDone(int code, std::u16string* message) {
    std::unique_ptr<std::u16string> owned(message);
    if (worker_.joinable()) worker_.join();
    exitCode_ = code;
    SetBusy(false);
    SetStatus(*owned);
    if (code == DESKTOP_DONE) SendMessageW(Control(IDC_PROGRESS), PBM_SETPOS, PROGRESS_STEPS, 0);
    if (closeWhenDone_) DestroyWindow(window_);
}

HWND DesktopWindow::AddControl(const wchar_t* kind, const wchar_t* text, DWORD style, int id, int x,
                               int y, int width, int height, HFONT font) {
    HWND control = CreateWindowExW(
        0, kind, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

void DesktopWindow::OnCreate() {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    font_ = CreateFontIndirectW(&metrics.lfMessageFont);
    LOGFONTW name = metrics.lfMessageFont;
    name.lfWeight = FW_BOLD;
    name.lfHeight = name.lfHeight * 3 / 2;
    nameFont_ = CreateFontIndirectW(&name);

    const int inner = CLIENT_WIDTH - 2 * MARGIN;
    const std::u16string appName = WideFromAnsi(carried_.title);
    AddControl(L"STATIC", Wide(appName), SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, IDC_APP_NAME,
               MARGIN, 14, inner, 28, nameFont_);
    AddControl(L"STATIC",
               L"Connect your device through ActiveSync and press Install, or save the device "
               L"installer to a folder.",
               SS_LEFT | SS_NOPREFIX, IDC_STATUS, MARGIN, 50, inner, 56, font_);
    HWND progress =
        AddControl(PROGRESS_CLASSW, L"", 0, IDC_PROGRESS, MARGIN, 114, inner, 18, font_);
    SendMessageW(progress, PBM_SETRANGE32, 0, PROGRESS_STEPS);

    const int y = CLIENT_HEIGHT - MARGIN - BUTTON_HEIGHT;
    const int cancelX = CLIENT_WIDTH - MARGIN - 96;
    const int saveX = cancelX - 8 - 140;
    const int installX = saveX - 8 - 96;
    AddControl(L"BUTTON", L"Install", WS_TABSTOP | BS_DEFPUSHBUTTON, IDC_INSTALL, installX, y, 96,
               BUTTON_HEIGHT, font_);
    AddControl(L"BUTTON", L"Save to a folder\x2026", WS_TABSTOP | BS_PUSHBUTTON, IDC_SAVE, saveX, y,
               140, BUTTON_HEIGHT, font_);
    AddControl(L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL, cancelX, y, 96,
               BUTTON_HEIGHT, font_);
    SetFocus(Control(IDC_INSTALL));
}

void DesktopWindow::OnCommand(int id) {
    switch (id) {
    case IDC_INSTALL: OnInstall(); break;
    case IDC_SAVE: OnSave(); break;
    case IDCANCEL: OnCancel(); break;
    default: break;
    }
}

}  // namespace

int RunDesktopWindow(HINSTANCE instance, DesktopPlatform& platform, RemoteDevice& device,
                     const std::string& ownPath, const CarriedInstaller& carried) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DesktopWindow::Procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    windowClass.lpszClassName = DESKTOP_WINDOW_CLASS;
    RegisterClassExW(&windowClass);

    DesktopWindow w(platform, device, ownPath, carried);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame = {0, 0, CLIENT_WIDTH, CLIENT_HEIGHT};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    std::string caption =
        carried.company.empty() ? carried.title : carried.company + " " + carried.title;
    const std::u16string wideCaption = WideFromAnsi(caption);
    HWND window = CreateWindowExW(0, DESKTOP_WINDOW_CLASS, Wide(wideCaption), style, CW_USEDEFAULT,
                                  CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                                  nullptr, nullptr, instance, &w);
    if (!window) return DESKTOP_CANCELLED;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return w.ExitCode();
}

}  // namespace zk
