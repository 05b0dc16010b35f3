// Drives the device installer on the Wine device the way a user's stylus
// would, and checks each page as it goes (Wine-test style: every failed check
// prints what was expected and what was found, and the run goes on).
//
//   device_driver [--program PATH] [--timeout MS] [--steps FILE] [STEP...]
//
// A step is one line: a verb and its arguments separated by blanks, the last
// argument taking the rest of the line (so texts may hold blanks). Steps come
// from FILE (one per line; blank lines and lines starting with '#' are
// skipped) and then from the command line, one argument per step. Checks
// that look at the installer's windows wait up to the time-out (default 5000
// ms) for the expected state, since pages change on the program's own
// threads and timer.
//
// Program:
//   attach                    take up an installer started by another
//                             program, once its main window shows
//   start [ARGS]              start PATH with the command line ARGS, its
//                             current folder C:\ (the device root)
//   second-start CODE [ARGS]  start another copy; it must end with CODE
//   window                    the main window of the program appears
//   no-window-exit CODE       the program ends with CODE without ever
//                             showing its main window
//   exit CODE                 the program ends with CODE
//   reset-during-install N    the device resets while the platform
//                             installer's N-th start runs (the program then
//                             ends with 206)
// Pages:
//   title TEXT | title-has TEXT         the main window's title
//   press ID | press-async ID           a soft key (BUTTON id ID among the
//                                       program's top-level windows)
//   key ID [TEXT] | no-key ID           a soft key shown on the device
//                                       screen, with its caption
//   layout                              the window and its one soft-key bar
//                                       fill the screen below the task bar
//   html visible|hidden | html-has TEXT the HTML view
//   control ID | no-control ID          a child control of the main window
//   checked ID | unchecked ID | enabled ID | disabled ID
//   text ID [TEXT] | width ID N
//   click ID | click-async ID           press a control of the main window
//                                       (async: its command runs a modal loop)
//   status-has TEXT | no-status         the status box (317)
// Keyboard:
//   keys NAME...                        keys posted to the window with the
//                                       focus (PostKeys: f1, f2, enter, space,
//                                       up, down, left, right, tab, escape)
//   focus ID                            control ID of the main window has
//                                       the focus
// Folder browser:
//   browser | no-browser
//   browse-expand PATH | browse-select PATH | browse-tap PATH
//   browse-keys PATH                    reached with the arrow keys alone
//   browse-ok | browse-cancel
// Others:
//   box ok|cancel CAPTION | TEXT        answer a message box of the program
//   rotate W H                          a new device screen size
//   screenshot FILE.bmp                 the device screen
//   timeout MS | sleep MS
//
// Exit code: 0 when every step passed, 1 when one failed, 2 on bad usage.
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "tests/windows/step_driver.h"

namespace {

using zk::test::Args;
using zk::test::Check;
using zk::test::Descendants;
using zk::test::FocusIn;
using zk::test::PostKeys;
using zk::test::ProcessOf;
using zk::test::TopLevelWindows;

constexpr wchar_t MAIN_CLASS[] = L"_Morvane_MobileInstaller_Main_Window";
constexpr wchar_t HTML_CLASS[] = L"DISPLAYCLASS";
constexpr wchar_t SOFTKEY_BAR_CLASS[] = L"zk_softkey_bar";
constexpr wchar_t BROWSER_CLASS_PREFIX[] = L"browsefile";
constexpr wchar_t PROFILE_KEY[] = L"SOFTWARE\\Morvane\\Zephyrkit\\Emulated Device";
constexpr int STATUS_BOX = 317;
constexpr int BROWSER_TREE = 101;
constexpr int BROWSER_OK = 1501;
constexpr int BROWSER_CANCEL = 1502;
constexpr DWORD RESET_EXIT_CODE = 206;

std::wstring Widen(const std::string& text) {
    if (text.empty()) return {};
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

// Window texts of another process: WM_GETTEXT is marshalled; a hung program
// gives "" instead of hanging the driver.
std::wstring TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
        return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, 2000, &copied)) {
        return {};
    }
    text.resize(copied);
    return text;
}

LRESULT Send(HWND window, UINT message, WPARAM w, LPARAM l, UINT ms = 5000) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, w, l, SMTO_NORMAL, ms, &result)) return 0;
    return static_cast<LRESULT>(result);
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool SameTextIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

// Another process's tree view: its items and their texts live in that
// process, so each request is written into, and read back from, a block of
// its memory.
class RemoteTree {
public:
    RemoteTree(HANDLE process, HWND tree) : process_(process), tree_(tree) {
        block_ =
            VirtualAllocEx(process_, nullptr, BLOCK_SIZE, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteTree() {
        if (block_) VirtualFreeEx(process_, block_, 0, MEM_RELEASE);
    }
    RemoteTree(const RemoteTree&) = delete;
    RemoteTree& operator=(const RemoteTree&) = delete;

    bool Usable() const { return block_ != nullptr; }

    HTREEITEM Next(HTREEITEM item, UINT relation) const {
        return reinterpret_cast<HTREEITEM>(
            Send(tree_, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
    }

    std::wstring Text(HTREEITEM item) const {
        TVITEMW request = {};
        request.mask = TVIF_TEXT | TVIF_HANDLE;
        request.hItem = item;
        auto* remoteText = static_cast<char*>(block_) + sizeof(TVITEMW);
        request.pszText = reinterpret_cast<LPWSTR>(remoteText);
        request.cchTextMax = TEXT_UNITS;
        if (!WriteProcessMemory(process_, block_, &request, sizeof request, nullptr)) return {};
        wchar_t zero = 0;
        WriteProcessMemory(process_, remoteText, &zero, sizeof zero, nullptr);
        if (!Send(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(block_))) return {};
        wchar_t text[TEXT_UNITS + 1] = {};
        if (!ReadProcessMemory(process_, remoteText, text, TEXT_UNITS * sizeof(wchar_t), nullptr))
            return {};
        return text;
    }

    HTREEITEM Child(HTREEITEM parent, const std::wstring& name) const {
        for (HTREEITEM item = Next(parent, TVGN_CHILD); item; item = Next(item, TVGN_NEXT)) {
            if (SameTextIgnoringCase(Text(item), name)) return item;
        }
        return nullptr;
    }

    std::wstring ChildNames(HTREEITEM parent) const {
        std::wstring names;
        for (HTREEITEM item = Next(parent, TVGN_CHILD); item; item = Next(item, TVGN_NEXT)) {
            names += (names.empty() ? L"" : L", ") + Quoted(Text(item));
        }
        return L"[" + names + L"]";
    }

    // Follows "\A\B" from the root item "\", expanding each level on the way
    // (and the last one too when expandLast). Null with *problem set when a
    // level is missing.
    HTREEITEM Walk(const std::wstring& path, bool expandLast, std::wstring* problem) const {
        HTREEITEM item = Next(nullptr, TVGN_ROOT);
        if (!item || Text(item) != L"\\") {
            *problem = L"a root item \"\\\", got " + (item ? Quoted(Text(item)) : L"no item");
            return nullptr;
        }
        const std::vector<std::wstring> names = Levels(path);
        for (std::size_t i = 0; i <= names.size(); ++i) {
            if (i == names.size() && !expandLast) break;
            Send(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
            if (i == names.size()) break;
            HTREEITEM child = Child(item, names[i]);
            if (!child) {
                *problem = Quoted(names[i]) + L" under " + Quoted(Text(item)) + L", got " +
                           ChildNames(item);
                return nullptr;
            }
            item = child;
        }
        return item;
    }

    // "\A\B" as {"A", "B"}.
    static std::vector<std::wstring> Levels(const std::wstring& path) {
        std::vector<std::wstring> names;
        std::wstring name;
        for (wchar_t c : path + L"\\") {
            if (c != L'\\') {
                name += c;
            } else if (!name.empty()) {
                names.push_back(name);
                name.clear();
            }
        }
        return names;
    }

    // The item with the caret: the one the arrow keys move.
    std::wstring SelectedText() const {
        HTREEITEM item = Next(nullptr, TVGN_CARET);
        return item ? Text(item) : L"(none)";
    }

    void Select(HTREEITEM item) const {
        Send(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    }

    // A stylus tap on the item's text: the pointer is put there (the
    // program hit-tests the message position) and the tree gets the button
    // going down and up.
    bool Tap(HTREEITEM item) const {
        // The request names the item in the rectangle's first bytes.
        if (!WriteProcessMemory(process_, block_, &item, sizeof item, nullptr)) return false;
        RECT area = {};
        if (!Send(tree_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(block_))) return false;
        if (!ReadProcessMemory(process_, block_, &area, sizeof area, nullptr)) return false;
        POINT at = {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
        const LPARAM client = MAKELPARAM(at.x, at.y);
        ClientToScreen(tree_, &at);
        SetCursorPos(at.x, at.y);
        PostMessageW(tree_, WM_LBUTTONDOWN, MK_LBUTTON, client);
        PostMessageW(tree_, WM_LBUTTONUP, 0, client);
        Send(tree_, WM_NULL, 0, 0);
        return true;
    }

private:
    static constexpr int TEXT_UNITS = 260;
    static constexpr SIZE_T BLOCK_SIZE = sizeof(TVITEMW) + (TEXT_UNITS + 1) * sizeof(wchar_t);
    HANDLE process_;
    HWND tree_;
    void* block_ = nullptr;
};

DWORD ProfileValue(const wchar_t* name, DWORD fallback);

RECT DeviceScreen() {
    return RECT{0, 0, static_cast<LONG>(ProfileValue(L"ScreenWidth", 240)),
                static_cast<LONG>(ProfileValue(L"ScreenHeight", 320))};
}

std::string RectText(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

class Driver : public zk::test::StepDriver {
public:
    std::wstring program;

    Driver();

private:
    // Takes up an installer that something else started (the desktop
    // installer, through ActiveSync): waits for its main window, then holds
    // its process as if this driver had started it.
    void Attach() {
        if (process_.hProcess) {
            Fail("no program started yet", "one was");
            return;
        }
        HWND found = nullptr;
        const DWORD start = GetTickCount();
        while (!(found = FindWindowW(MAIN_CLASS, nullptr)) && GetTickCount() - start < timeout)
            Sleep(25);
        if (!found) {
            Fail("an installer's main window to appear", "none");
            return;
        }
        DWORD id = 0;
        GetWindowThreadProcessId(found, &id);
        process_.hProcess =
            OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                            PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_TERMINATE,
                        FALSE, id);
        process_.dwProcessId = id;
        if (!process_.hProcess) Fail("the installer's process", "cannot open it");
    }

    bool Started() {
        if (process_.hProcess) return true;
        Fail("a started program", "none (no \"start\" step before)");
        return false;
    }

    HWND MainWindow() const {
        if (!process_.hProcess) return nullptr;
        for (HWND window : TopLevelWindows(process_.dwProcessId)) {
            if (ClassOf(window) == MAIN_CLASS) return window;
        }
        return nullptr;
    }

    // A soft key: a visible BUTTON with the command id as its control id in
    // one of the program's top-level windows other than the main window
    // (the bars are owned by it, not its children).
    HWND SoftKey(int id) const {
        if (!process_.hProcess) return nullptr;
        for (HWND top : TopLevelWindows(process_.dwProcessId)) {
            if (ClassOf(top) == MAIN_CLASS || !IsWindowVisible(top)) continue;
            for (HWND child : Descendants(top)) {
                if (GetDlgCtrlID(child) == id && SameTextIgnoringCase(ClassOf(child), L"BUTTON") &&
                    IsWindowVisible(child)) {
                    return child;
                }
            }
        }
        return nullptr;
    }

    HWND Control(int id) const {
        HWND main = MainWindow();
        return main ? GetDlgItem(main, id) : nullptr;
    }

    HWND HtmlView() const {
        HWND main = MainWindow();
        if (!main) return nullptr;
        for (HWND child : Descendants(main)) {
            if (ClassOf(child) == HTML_CLASS) return child;
        }
        return nullptr;
    }

    HWND Browser() const {
        if (!process_.hProcess) return nullptr;
        for (HWND top : TopLevelWindows(process_.dwProcessId)) {
            if (StartsWith(ClassOf(top), BROWSER_CLASS_PREFIX) && IsWindowVisible(top)) return top;
        }
        return nullptr;
    }

    HWND MessageBoxWindow() const {
        if (!process_.hProcess) return nullptr;
        for (HWND top : TopLevelWindows(process_.dwProcessId)) {
            if (ClassOf(top) == L"#32770" && IsWindowVisible(top)) return top;
        }
        return nullptr;
    }

    bool StartProcess(const std::string& arguments, PROCESS_INFORMATION* started) {
        std::wstring command = Quoted(program);
        if (!arguments.empty()) command += L" " + Widen(arguments);
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        *started = {};
        if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            L"C:\\", &startup, started)) {
            Fail("the program to start (" + Narrow(program) + ")",
                 "error " + std::to_string(GetLastError()));
            return false;
        }
        return true;
    }

    std::string ExitCodeText(HANDLE process, DWORD wait) const {
        if (WaitForSingleObject(process, wait) != WAIT_OBJECT_0) return "still running";
        DWORD code = 0;
        GetExitCodeProcess(process, &code);
        return "exit " + std::to_string(code);
    }

    bool Start(const std::string& arguments);
    bool Press(int id, bool async);
    bool ResetDuringInstall(DWORD nth);
    bool Rotate(DWORD width, DWORD height);
    void Screenshot(const std::string& file) override;
    void SecondStart(const std::string& code, const std::string& arguments);
    void ExpectMainWindow();
    void ExpectExit(const std::string& code, bool noWindow);
    void ExpectTitle(const std::string& want, bool whole);
    void ExpectKey(int key, const std::string& caption);
    void ExpectNoKey(int key);
    void ExpectLayout();
    void ExpectHtml(bool visible);
    void ExpectHtmlText(const std::string& want);
    void ExpectControl(int control, bool wanted);
    void ExpectChecked(int control, bool wanted);
    void ExpectEnabled(int control, bool wanted);
    void ExpectText(int control, const std::string& want);
    void ExpectWidth(int control, long want);
    void Click(int control, bool async);
    void ExpectStatus(const std::string& want);
    void ExpectNoStatus();
    void ExpectFocus(int control);
    void ExpectBrowser(bool wanted);
    void PressBrowserButton(int button);
    enum class BrowseAction { Expand, Select, Tap, Keys };
    bool BrowseTo(const std::string& path, BrowseAction action);
    bool AnswerBox(const std::string& answer, const std::string& expected);
};

bool Driver::Start(const std::string& arguments) {
    if (process_.hProcess) {
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
        process_ = {};
    }
    return StartProcess(arguments, &process_);
}

bool Driver::Press(int id, bool async) {
    // A key may be held disabled while the program prepares its pages.
    HWND key = nullptr;
    if (!Eventually("soft key " + std::to_string(id) + " enabled", [&] {
            key = SoftKey(id);
            if (!key) return Check{false, "no visible button with that id"};
            return Check{IsWindowEnabled(key) != FALSE, "disabled"};
        })) {
        return false;
    }
    // A key whose command runs a modal loop (the folder browser) would keep
    // a sent message waiting: it is posted instead.
    if (async) {
        PostMessageW(key, BM_CLICK, 0, 0);
        return true;
    }
    Send(key, BM_CLICK, 0, 0);
    // The bar posts the command to the main window. A message sent to the
    // window is handled before posted ones, so the first one only proves the
    // program alive; once it has had a moment to take the command, the
    // second one returns after the command's handler has run.
    if (HWND main = MainWindow()) {
        Send(main, WM_NULL, 0, 0);
        Sleep(40);
        Send(main, WM_NULL, 0, 0);
    }
    return true;
}

// The device resets while the platform installer's N-th start runs: the
// emulated installer plays it, and ends the program as a reset would.
bool Driver::ResetDuringInstall(DWORD nth) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, PROFILE_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        Fail("the device profile key to open", "error");
        return false;
    }
    RegSetValueExW(key, L"ResetDuringInstall", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&nth),
                   sizeof nth);
    RegCloseKey(key);
    return true;
}

bool Driver::Rotate(DWORD width, DWORD height) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, PROFILE_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        Fail("the device profile key to open", "error");
        return false;
    }
    RegSetValueExW(key, L"ScreenWidth", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&width),
                   sizeof width);
    RegSetValueExW(key, L"ScreenHeight", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&height),
                   sizeof height);
    RegCloseKey(key);
    HWND main = MainWindow();
    if (!main) {
        Fail("the main window", "none");
        return false;
    }
    DWORD_PTR result = 0;
    SendMessageTimeoutW(main, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0, SMTO_NORMAL, timeout, &result);
    return true;
}

DWORD ProfileValue(const wchar_t* name, DWORD fallback) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, PROFILE_KEY, name, RRF_RT_REG_DWORD, nullptr, &value,
                     &size) != ERROR_SUCCESS) {
        return fallback;
    }
    return value;
}

// The device screen is the top-left ScreenWidth x ScreenHeight of the
// display, written as a 24-bit bottom-up BMP.
void Driver::Screenshot(const std::string& file) {
    const RECT device = DeviceScreen();
    // Let pending paints land before the picture is taken.
    if (HWND main = MainWindow()) Send(main, WM_NULL, 0, 0);
    Sleep(150);
    const std::string problem = zk::test::SaveScreenArea(device, file);
    if (!problem.empty()) Fail(file + " written", problem);
}

bool Driver::BrowseTo(const std::string& path, BrowseAction action) {
    // The browser's window shows before its tree is made.
    HWND tree = nullptr;
    if (!Eventually("the folder browser with a tree view of id 101", [&] {
            HWND browser = Browser();
            if (!browser) return Check{false, "no window of a \"browsefile\" class"};
            tree = GetDlgItem(browser, BROWSER_TREE);
            if (!tree) return Check{false, "a browser without it"};
            return Check{ClassOf(tree) == WC_TREEVIEWW, "a " + Narrow(ClassOf(tree))};
        })) {
        return false;
    }
    RemoteTree remote(process_.hProcess, tree);
    if (!remote.Usable()) {
        Fail("memory in the program for the tree's items",
             "error " + std::to_string(GetLastError()));
        return false;
    }
    if (action == BrowseAction::Keys) {
        // As on a device without a stylus: the root is selected when the
        // browser opens; Right opens the selected folder, Down moves on.
        if (!Eventually("the root \"\\\" selected", [&] {
                const std::wstring text = remote.SelectedText();
                return Check{text == L"\\", Narrow(Quoted(text))};
            })) {
            return false;
        }
        for (const std::wstring& name : RemoteTree::Levels(Widen(path))) {
            PostKeys(tree, "right");
            std::wstring seen;
            for (int presses = 0;
                 presses < 60 && !SameTextIgnoringCase(remote.SelectedText(), name); ++presses) {
                PostKeys(tree, "down");
                seen += L" " + Quoted(remote.SelectedText());
            }
            if (!SameTextIgnoringCase(remote.SelectedText(), name)) {
                Fail("the arrow keys to reach " + Narrow(Quoted(name)), "only" + Narrow(seen));
                return false;
            }
        }
        return true;
    }
    std::wstring problem;
    HTREEITEM item = remote.Walk(Widen(path), action == BrowseAction::Expand, &problem);
    if (!item) {
        Fail("the folder " + path + " in the tree", Narrow(problem));
        return false;
    }
    if (action == BrowseAction::Select) remote.Select(item);
    if (action == BrowseAction::Tap && !remote.Tap(item)) {
        Fail("the place of " + path + " in the tree", "error " + std::to_string(GetLastError()));
        return false;
    }
    return true;
}

bool Driver::AnswerBox(const std::string& answer, const std::string& expected) {
    HWND box = nullptr;
    if (!Eventually("a message box", [&] {
            box = MessageBoxWindow();
            return Check{box != nullptr, "none"};
        })) {
        return false;
    }
    const std::string got = Narrow(TextOf(box)) + " | " + Narrow(TextOf(GetDlgItem(box, 0xFFFF)));
    if (got != expected) Fail("\"" + expected + "\"", "\"" + got + "\"");
    PostMessageW(box, WM_COMMAND, answer == "cancel" ? IDCANCEL : IDOK, 0);
    return true;
}

// A text as a check shows it: quoted, in the driver's narrow output.
std::string Shown(const std::wstring& text) { return Narrow(Quoted(text)); }

Driver::Driver() {
    AddVerb("start", 1, [this](const Args& a) { Start(a[0]); });
    AddVerb("attach", 0, [this](const Args&) { Attach(); });
    AddVerb("second-start", 2, [this](const Args& a) { SecondStart(a[0], a[1]); });
    AddVerb("window", 0, [this](const Args&) { ExpectMainWindow(); });
    AddVerb("exit", 1, [this](const Args& a) { ExpectExit(a[0], false); });
    AddVerb("no-window-exit", 1, [this](const Args& a) { ExpectExit(a[0], true); });
    AddVerb("reset-during-install", 1,
            [this](const Args& a) { ResetDuringInstall(static_cast<DWORD>(Number(a[0]))); });
    AddVerb("title", 1, [this](const Args& a) { ExpectTitle(a[0], true); });
    AddVerb("title-has", 1, [this](const Args& a) { ExpectTitle(a[0], false); });
    AddVerb("press", 1, [this](const Args& a) { Press(Number(a[0]), false); });
    AddVerb("press-async", 1, [this](const Args& a) { Press(Number(a[0]), true); });
    AddVerb("key", 2, [this](const Args& a) { ExpectKey(Number(a[0]), a[1]); });
    AddVerb("no-key", 1, [this](const Args& a) { ExpectNoKey(Number(a[0])); });
    AddVerb("layout", 0, [this](const Args&) { ExpectLayout(); });
    AddVerb("html", 1, [this](const Args& a) { ExpectHtml(a[0] == "visible"); });
    AddVerb("html-has", 1, [this](const Args& a) { ExpectHtmlText(a[0]); });
    AddVerb("control", 1, [this](const Args& a) { ExpectControl(Number(a[0]), true); });
    AddVerb("no-control", 1, [this](const Args& a) { ExpectControl(Number(a[0]), false); });
    AddVerb("checked", 1, [this](const Args& a) { ExpectChecked(Number(a[0]), true); });
    AddVerb("unchecked", 1, [this](const Args& a) { ExpectChecked(Number(a[0]), false); });
    AddVerb("enabled", 1, [this](const Args& a) { ExpectEnabled(Number(a[0]), true); });
    AddVerb("disabled", 1, [this](const Args& a) { ExpectEnabled(Number(a[0]), false); });
    AddVerb("text", 2, [this](const Args& a) { ExpectText(Number(a[0]), a[1]); });
    AddVerb("width", 2, [this](const Args& a) { ExpectWidth(Number(a[0]), Number(a[1])); });
    AddVerb("click", 1, [this](const Args& a) { Click(Number(a[0]), false); });
    AddVerb("click-async", 1, [this](const Args& a) { Click(Number(a[0]), true); });
    AddVerb("status-has", 1, [this](const Args& a) { ExpectStatus(a[0]); });
    AddVerb("no-status", 0, [this](const Args&) { ExpectNoStatus(); });
    AddVerb("keys", 1, [this](const Args& a) {
        HWND browser = Browser();
        const std::string unknown = PostKeys(browser ? browser : MainWindow(), a[0]);
        if (!unknown.empty()) Fail("key names", "\"" + unknown + "\"");
    });
    AddVerb("focus", 1, [this](const Args& a) { ExpectFocus(Number(a[0])); });
    AddVerb("browser", 0, [this](const Args&) { ExpectBrowser(true); });
    AddVerb("no-browser", 0, [this](const Args&) { ExpectBrowser(false); });
    AddVerb("browse-expand", 1, [this](const Args& a) { BrowseTo(a[0], BrowseAction::Expand); });
    AddVerb("browse-select", 1, [this](const Args& a) { BrowseTo(a[0], BrowseAction::Select); });
    AddVerb("browse-tap", 1, [this](const Args& a) { BrowseTo(a[0], BrowseAction::Tap); });
    AddVerb("browse-keys", 1, [this](const Args& a) { BrowseTo(a[0], BrowseAction::Keys); });
    AddVerb("browse-ok", 0, [this](const Args&) { PressBrowserButton(BROWSER_OK); });
    AddVerb("browse-cancel", 0, [this](const Args&) { PressBrowserButton(BROWSER_CANCEL); });
    AddVerb("box", 2, [this](const Args& a) { AnswerBox(a[0], a[1]); });
    AddVerb("rotate", 2, [this](const Args& a) {
        Rotate(static_cast<DWORD>(Number(a[0])), static_cast<DWORD>(Number(a[1])));
    });
}

void Driver::SecondStart(const std::string& code, const std::string& arguments) {
    PROCESS_INFORMATION other = {};
    if (!StartProcess(arguments, &other)) return;
    const std::string got = ExitCodeText(other.hProcess, timeout);
    if (got != "exit " + code) {
        Fail("the second copy to end with " + code, got);
        TerminateProcess(other.hProcess, 255);
    }
    CloseHandle(other.hProcess);
    CloseHandle(other.hThread);
}

void Driver::ExpectMainWindow() {
    if (!Started()) return;
    // The first program of a fresh Wine device also waits for Wine's own
    // start-up, which a busy machine makes slow.
    const DWORD usual = timeout;
    timeout = usual * 6;
    Eventually("the main window", [&] {
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0) {
            return Check{false,
                         "none, the program ended (" + ExitCodeText(process_.hProcess, 0) + ")"};
        }
        return Check{MainWindow() != nullptr, "none"};
    });
    timeout = usual;
}

void Driver::ExpectExit(const std::string& code, bool noWindow) {
    if (!Started()) return;
    bool window = false;
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(process_.hProcess, 20) == WAIT_TIMEOUT &&
           GetTickCount() - start < timeout) {
        if (HWND main = MainWindow(); main && IsWindowVisible(main)) window = true;
    }
    const std::string got = ExitCodeText(process_.hProcess, 0);
    if (got != "exit " + code) Fail("the program to end with " + code, got);
    if (noWindow && window) Fail("no main window", "one was shown");
}

void Driver::ExpectTitle(const std::string& text, bool whole) {
    const std::wstring want = Widen(text);
    Eventually((whole ? "the title " : "a title holding ") + Shown(want), [&] {
        HWND main = MainWindow();
        if (!main) return Check{false, "no main window"};
        const std::wstring title = TextOf(main);
        return Check{whole ? title == want : title.find(want) != std::wstring::npos, Shown(title)};
    });
}

void Driver::ExpectKey(int key, const std::string& caption) {
    const std::wstring want = Widen(caption);
    Eventually(
        "soft key " + std::to_string(key) + " captioned " + Shown(want) + " on the device screen",
        [&] {
            HWND k = SoftKey(key);
            if (!k) return Check{false, "no such key shown"};
            const std::wstring text = TextOf(k);
            if (text != want) return Check{false, Shown(text)};
            RECT r = {};
            GetWindowRect(k, &r);
            const RECT screen = DeviceScreen();
            const bool inside = r.left >= screen.left && r.top >= screen.top &&
                                r.right <= screen.right && r.bottom <= screen.bottom &&
                                r.right > r.left && r.bottom > r.top;
            return Check{inside, "a key at " + RectText(r) + ", the screen " + RectText(screen)};
        });
}

void Driver::ExpectNoKey(int key) {
    Eventually("no soft key " + std::to_string(key), [&] {
        HWND k = SoftKey(key);
        return Check{k == nullptr, k ? "one captioned " + Shown(TextOf(k)) : ""};
    });
}

// The window fills the work area down to its soft-key bar, and the bar the
// rest of the screen.
void Driver::ExpectLayout() {
    Eventually("the main window over the work area and its bar below it, across the screen", [&] {
        HWND main = MainWindow();
        if (!main) return Check{false, "no main window"};
        const RECT screen = DeviceScreen();
        const LONG taskBar = static_cast<LONG>(ProfileValue(L"TaskBarHeight", 26));
        RECT w = {};
        GetWindowRect(main, &w);
        std::string got = "the window at " + RectText(w);
        bool ok =
            w.left == 0 && w.top == taskBar && w.right == screen.right && w.bottom < screen.bottom;
        int bars = 0;
        for (HWND top : TopLevelWindows(process_.dwProcessId)) {
            if (!IsWindowVisible(top) || ClassOf(top) != SOFTKEY_BAR_CLASS) continue;
            RECT b = {};
            GetWindowRect(top, &b);
            got += ", a bar at " + RectText(b);
            ok = ok && b.left == 0 && b.top == w.bottom && b.right == screen.right &&
                 b.bottom == screen.bottom;
            ++bars;
        }
        return Check{ok && bars == 1, got + ", the screen " + RectText(screen)};
    });
}

void Driver::ExpectHtml(bool visible) {
    Eventually(std::string("the HTML view ") + (visible ? "shown" : "hidden"), [&] {
        HWND html = HtmlView();
        if (!html) return Check{!visible, "no window of class DISPLAYCLASS"};
        const bool shown = IsWindowVisible(html) != FALSE;
        return Check{shown == visible, shown ? "shown" : "hidden"};
    });
}

void Driver::ExpectHtmlText(const std::string& text) {
    const std::wstring want = Widen(text);
    Eventually("the HTML view showing " + Shown(want), [&] {
        HWND html = HtmlView();
        if (!html) return Check{false, "no HTML view"};
        const std::wstring shown = TextOf(html);
        return Check{shown.find(want) != std::wstring::npos, Shown(shown.substr(0, 200))};
    });
}

void Driver::ExpectControl(int control, bool wanted) {
    Eventually(std::string(wanted ? "" : "no ") + "control " + std::to_string(control), [&] {
        HWND c = Control(control);
        const bool there = c && IsWindowVisible(c);
        return Check{there == wanted, there ? "a " + Narrow(ClassOf(c)) + " " + Shown(TextOf(c))
                                            : (c ? "a hidden one" : "none")};
    });
}

void Driver::ExpectChecked(int control, bool wanted) {
    Eventually("control " + std::to_string(control) + (wanted ? " checked" : " unchecked"), [&] {
        HWND c = Control(control);
        if (!c) return Check{false, "no such control"};
        const bool on = Send(c, BM_GETCHECK, 0, 0) == BST_CHECKED;
        return Check{on == wanted, on ? "checked" : "unchecked"};
    });
}

void Driver::ExpectEnabled(int control, bool wanted) {
    Eventually("control " + std::to_string(control) + (wanted ? " enabled" : " disabled"), [&] {
        HWND c = Control(control);
        if (!c) return Check{false, "no such control"};
        const bool on = IsWindowEnabled(c) != FALSE;
        return Check{on == wanted, on ? "enabled" : "disabled"};
    });
}

void Driver::ExpectText(int control, const std::string& text) {
    const std::wstring want = Widen(text);
    Eventually("control " + std::to_string(control) + " reading " + Shown(want), [&] {
        HWND c = Control(control);
        if (!c) return Check{false, "no such control"};
        const std::wstring shown = TextOf(c);
        return Check{shown == want, Shown(shown)};
    });
}

void Driver::ExpectWidth(int control, long want) {
    Eventually("control " + std::to_string(control) + " " + std::to_string(want) + " wide", [&] {
        HWND c = Control(control);
        if (!c) return Check{false, "no such control"};
        RECT r = {};
        GetWindowRect(c, &r);
        return Check{r.right - r.left == want, std::to_string(r.right - r.left)};
    });
}

void Driver::Click(int control, bool async) {
    HWND c = nullptr;
    if (!Eventually("control " + std::to_string(control), [&] {
            c = Control(control);
            return Check{c != nullptr, "none"};
        }))
        return;
    if (async)
        PostMessageW(c, BM_CLICK, 0, 0);
    else
        Send(c, BM_CLICK, 0, 0);
}

void Driver::ExpectStatus(const std::string& text) {
    const std::wstring want = Widen(text);
    Eventually("the status box showing " + Shown(want), [&] {
        HWND box = Control(STATUS_BOX);
        if (!box) return Check{false, "no status box"};
        const std::wstring shown = TextOf(box);
        return Check{shown.find(want) != std::wstring::npos, Shown(shown)};
    });
}

void Driver::ExpectNoStatus() {
    Eventually("no status box", [&] {
        HWND box = Control(STATUS_BOX);
        return Check{!box || !IsWindowVisible(box), box ? "one showing " + Shown(TextOf(box)) : ""};
    });
}

void Driver::ExpectFocus(int control) {
    Eventually("the focus on control " + std::to_string(control), [&] {
        HWND focus = FocusIn(MainWindow());
        return Check{focus && GetDlgCtrlID(focus) == control,
                     focus ? "control " + std::to_string(GetDlgCtrlID(focus)) + " " +
                                 Shown(TextOf(focus)) + " of class " + Narrow(ClassOf(focus))
                           : "nothing focused"};
    });
}

void Driver::ExpectBrowser(bool wanted) {
    Eventually(wanted ? "the folder browser" : "no folder browser", [&] {
        HWND b = Browser();
        return Check{(b != nullptr) == wanted, b ? "one" : "none"};
    });
}

void Driver::PressBrowserButton(int button) {
    HWND b = nullptr;
    Eventually("the browser's button " + std::to_string(button) + " enabled", [&] {
        HWND browser = Browser();
        b = browser ? GetDlgItem(browser, button) : nullptr;
        if (!b) return Check{false, browser ? "no such button" : "no browser"};
        return Check{IsWindowEnabled(b) != FALSE, "disabled"};
    });
    if (b) PostMessageW(b, BM_CLICK, 0, 0);
}
}  // namespace

int main(int argc, char** argv) {
    Driver driver;
    return zk::test::RunSteps(argc, argv, "device_driver",
                              "[--program PATH] [--timeout MS] [--steps FILE] [STEP...]", driver,
                              [&](const std::string& option, const char* value) {
                                  if (!value) return 0;
                                  if (option == "--program") {
                                      driver.program = Widen(value);
                                  } else if (option == "--timeout") {
                                      driver.timeout = static_cast<DWORD>(std::atol(value));
                                  } else {
                                      return 0;
                                  }
                                  return 2;
                              });
}
