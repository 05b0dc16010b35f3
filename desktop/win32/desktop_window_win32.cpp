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

struct DesktopWindow {
    DesktopWindow(DesktopPlatform& platformIn, RemoteDevice& deviceIn, std::string path,
                  const CarriedInstaller& carriedIn)
        : platform(platformIn), device(deviceIn), ownPath(std::move(path)), carried(carriedIn) {}

    DesktopPlatform& platform;
    RemoteDevice& device;
    std::string ownPath;
    CarriedInstaller carried;

    SleepingTickWait wait;
    DeviceConnection connection{device, wait};
    HWND window = nullptr;
    HFONT font = nullptr;
    HFONT nameFont = nullptr;
    std::thread worker;
    std::atomic<bool> cancel{false};
    bool busy = false;
    bool closeWhenDone = false;
    int exitCode = DESKTOP_CANCELLED;
};

HWND Control(DesktopWindow* w, int id) { return GetDlgItem(w->window, id); }

void SetBusy(DesktopWindow* w, bool busy) {
    w->busy = busy;
    EnableWindow(Control(w, IDC_INSTALL), !busy);
    EnableWindow(Control(w, IDC_SAVE), !busy);
}

void SetStatus(DesktopWindow* w, const std::u16string& text) {
    SetWindowTextW(Control(w, IDC_STATUS), Wide(text));
}

// Runs `job` on the worker thread; it posts its outcome with WM_APP_DONE.
template <typename Job>
void StartWorker(DesktopWindow* w, Job job) {
    if (w->worker.joinable()) w->worker.join();
    w->cancel = false;
    SetBusy(w, true);
    SendMessageW(Control(w, IDC_PROGRESS), PBM_SETPOS, 0, 0);
    HWND window = w->window;
    w->worker = std::thread([w, window, job] {
        PostingObserver observer(window, w->cancel);
        InstallReport report;
        std::unique_ptr<FileHandle> own = w->platform.OpenFile(w->ownPath, FileMode::Read);
        if (!own)
            report = {DESKTOP_DAMAGED, DescribeCarriedResult(CARRIED_UNREADABLE, w->ownPath)};
        else
            report = job(*own, observer);
        auto* message = new std::u16string(WideFromAnsi(report.message));
        if (!PostMessageW(window, WM_APP_DONE, static_cast<WPARAM>(report.code),
                          reinterpret_cast<LPARAM>(message)))
            delete message;
    });
}

void OnInstall(DesktopWindow* w) {
    StartWorker(w, [w](FileHandle& own, InstallObserver& observer) {
        return InstallOnDevice(w->connection, own, w->carried, observer);
    });
}

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

void OnSave(DesktopWindow* w) {
    // The folder of the desktop installer is offered first.
    std::u16string start = WideFromAnsi(w->ownPath);
    const std::size_t cut = start.find_last_of(u"\\/");
    start = cut == std::u16string::npos ? u"" : start.substr(0, cut);

    BROWSEINFOW browse = {};
    browse.hwndOwner = w->window;
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
        SetStatus(w, u"That folder cannot hold files; choose another one.");
        return;
    }
    const std::string ansiFolder = AnsiFromWide(reinterpret_cast<const char16_t*>(folder));
    StartWorker(w, [w, ansiFolder](FileHandle& own, InstallObserver& observer) {
        return SaveToFolder(w->platform, own, w->carried, ansiFolder, observer);
    });
}

void OnCancel(DesktopWindow* w) {
    if (w->busy) {
        // The worker stops after its current block, then the window closes.
        w->cancel = true;
        w->closeWhenDone = true;
        SetStatus(w, u"Stopping...");
        return;
    }
    DestroyWindow(w->window);
}

void OnDone(DesktopWindow* w, int code, std::u16string* message) {
    std::unique_ptr<std::u16string> owned(message);
    if (w->worker.joinable()) w->worker.join();
    w->exitCode = code;
    SetBusy(w, false);
    SetStatus(w, *owned);
    if (code == DESKTOP_DONE) SendMessageW(Control(w, IDC_PROGRESS), PBM_SETPOS, PROGRESS_STEPS, 0);
    if (w->closeWhenDone) DestroyWindow(w->window);
}

HWND AddControl(DesktopWindow* w, const wchar_t* kind, const wchar_t* text, DWORD style, int id,
                int x, int y, int width, int height, HFONT font) {
    HWND control = CreateWindowExW(
        0, kind, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, w->window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

void OnCreate(DesktopWindow* w) {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    w->font = CreateFontIndirectW(&metrics.lfMessageFont);
    LOGFONTW name = metrics.lfMessageFont;
    name.lfWeight = FW_BOLD;
    name.lfHeight = name.lfHeight * 3 / 2;
    w->nameFont = CreateFontIndirectW(&name);

    const int inner = CLIENT_WIDTH - 2 * MARGIN;
    const std::u16string appName = WideFromAnsi(w->carried.title);
    AddControl(w, L"STATIC", Wide(appName), SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, IDC_APP_NAME,
               MARGIN, 14, inner, 28, w->nameFont);
    AddControl(w, L"STATIC",
               L"Connect your device through ActiveSync and press Install, or save the device "
               L"installer to a folder.",
               SS_LEFT | SS_NOPREFIX, IDC_STATUS, MARGIN, 50, inner, 56, w->font);
    HWND progress =
        AddControl(w, PROGRESS_CLASSW, L"", 0, IDC_PROGRESS, MARGIN, 114, inner, 18, w->font);
    SendMessageW(progress, PBM_SETRANGE32, 0, PROGRESS_STEPS);

    const int y = CLIENT_HEIGHT - MARGIN - BUTTON_HEIGHT;
    const int cancelX = CLIENT_WIDTH - MARGIN - 96;
    const int saveX = cancelX - 8 - 140;
    const int installX = saveX - 8 - 96;
    AddControl(w, L"BUTTON", L"Install", WS_TABSTOP | BS_DEFPUSHBUTTON, IDC_INSTALL, installX, y,
               96, BUTTON_HEIGHT, w->font);
    AddControl(w, L"BUTTON", L"Save to a folder\x2026", WS_TABSTOP | BS_PUSHBUTTON, IDC_SAVE, saveX,
               y, 140, BUTTON_HEIGHT, w->font);
    AddControl(w, L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL, cancelX, y, 96,
               BUTTON_HEIGHT, w->font);
    SetFocus(Control(w, IDC_INSTALL));
}

void OnCommand(DesktopWindow* w, int id) {
    switch (id) {
    case IDC_INSTALL: OnInstall(w); break;
    case IDC_SAVE: OnSave(w); break;
    case IDCANCEL: OnCancel(w); break;
    default: break;
    }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* w = static_cast<DesktopWindow*>(create->lpCreateParams);
        w->window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
    }
    auto* w = reinterpret_cast<DesktopWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!w) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_CREATE: OnCreate(w); return 0;
    case WM_COMMAND: OnCommand(w, LOWORD(wParam)); return 0;
    case WM_CLOSE: OnCancel(w); return 0;
    case WM_APP_STATUS: {
        std::unique_ptr<std::u16string> text(reinterpret_cast<std::u16string*>(lParam));
        SetStatus(w, *text);
        return 0;
    }
    case WM_APP_PROGRESS: SendMessageW(Control(w, IDC_PROGRESS), PBM_SETPOS, wParam, 0); return 0;
    case WM_APP_DONE:
        OnDone(w, static_cast<int>(wParam), reinterpret_cast<std::u16string*>(lParam));
        return 0;
    case WM_DESTROY: PostQuitMessage(w->exitCode); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int RunDesktopWindow(HINSTANCE instance, DesktopPlatform& platform, RemoteDevice& device,
                     const std::string& ownPath, const CarriedInstaller& carried) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
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
    int exitCode = w.exitCode;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    exitCode = w.exitCode;
    if (w.worker.joinable()) {
        w.cancel = true;
        w.worker.join();
    }
    if (w.font) DeleteObject(w.font);
    if (w.nameFont) DeleteObject(w.nameFont);
    return exitCode;
}

}  // namespace zk
