// Drives the wizard Zephyrkit.exe the way a user would, and checks its pages
// as it goes (Wine-test style: every failed check prints what was expected
// and what was found, and the run goes on).
//
//   wizard_driver --program PATH [--folder DIR] [--timeout MS] [--steps FILE] [--trace] [STEP...]
//
// A step is one line: a verb and its arguments separated by blanks, the last
// argument taking the rest of the line. Steps come from FILE (blank lines and
// lines starting with '#' skipped) and then from the command line. Checks
// wait up to the time-out (default 5000 ms) for the expected state.
//
// Program:
//   start [ARGS]             start PATH with ARGS, its current folder DIR
//   window                   the main window appears, 640 x 480 inside
//   close                    the close box
//   exit CODE                the program ends with CODE
// Painted buttons (pressed and released by the mouse at their middle):
//   press help|about|web|back|next
//   press-at X Y | release-at X Y     the left button alone, client coordinates
// Keyboard:
//   keys NAME...             keys posted to the control with the focus (see
//                            PostKeys: enter, space, tab, f1, alt+n, ...)
//   focus ID                 the control ID has the keyboard focus
//   box-keys CAPTION | TEXT  a message box of the program, answered with Enter
// Pages:
//   step N                   the page of step N is shown (by its first control)
//   control ID | no-control ID
//   checked ID | unchecked ID | enabled ID | disabled ID
//   text ID [TEXT]           a control shows exactly TEXT
//   text-has ID TEXT
//   set-text ID TEXT         WM_SETTEXT
//   type ID TEXT             characters typed into a control, one by one
//   key ID VK                a key pressed in a control (VK in decimal)
//   click ID                 a button or box, pressed (its command may open a modal window)
// Cabinet list (431) and build log (441):
//   rows ID N                the list view has N rows
//   cell ID ROW COL TEXT     a list cell's text
//   cell-image ID ROW COL N  a list cell's image index
//   click-cell ID ROW COL    the left button on a cell
//   toggle-cell ID ROW COL   a click turns a Yes cell (image 1) to No (2) or back
//   drag ID FROM TO          a row dragged onto another
//   drop ID FILE|FILE...     files dropped from the shell
//   log-has TEXT             a line of the build log holding TEXT
//   log-lines-at-least N
//   progress-full            the progress bar at the end of its range
// Remote folder tree (473):
//   tree-shown | tree-hidden
//   tree-select PATH         "\\A\\B" opened level by level from the root "\\", then selected
// Dialogs:
//   box CAPTION | TEXT       a message box of the program, answered with OK
//   box-has TEXT             a message box holding TEXT, answered with OK
//   no-box                   no message box is shown
//   choose TITLE | PATH      the open dialog titled TITLE gets PATH and OK
//   about                    the about box is shown; then "dismiss" closes it
//   dismiss                  Escape to the dialog shown
//   dialog-checked ID | dialog-unchecked ID | dialog-click ID
//                            a box of the dialog shown
// Others:
//   registry-dword KEY VALUE N   under HKEY_CURRENT_USER
//   registry-clear KEY VALUE     removes the value, if there is one
//   screenshot FILE.bmp      the dialog shown, else the main window
//   timeout MS | sleep MS
//
// Exit code: 0 when every step passed, 1 when one failed, 2 on bad usage.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tests/windows/step_driver.h"

namespace {

using zk::test::Args;
using zk::test::Check;
using zk::test::FocusIn;
using zk::test::PostKeys;
using zk::test::ProcessOf;
using zk::test::TopLevelWindows;

constexpr char MAIN_CLASS[] = "_Morvane_Wizard_Main_Window";
constexpr int FILE_NAME_FIELD = 0x47C;
constexpr int FILE_NAME_EDIT = 0x480;

// The first control of each step's page, which tells the steps apart.
constexpr int STEP_MARKERS[] = {401, 403, 431, 441, 470};

std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

LRESULT Send(HWND window, UINT message, WPARAM w, LPARAM l, UINT ms = 5000) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, w, l, SMTO_NORMAL, ms, &result)) return 0;
    return static_cast<LRESULT>(result);
}

std::string TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
        return {};
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, 2000, &copied)) {
        return {};
    }
    text.resize(copied);
    return text;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// A block of the wizard's memory for the list view's requests, whose
// structures and texts must live in the program that owns the list.
class RemoteBlock {
public:
    RemoteBlock(HANDLE process, SIZE_T size) : process_(process) {
        block_ = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBlock() {
        if (block_) VirtualFreeEx(process_, block_, 0, MEM_RELEASE);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    char* at(SIZE_T offset) const { return static_cast<char*>(block_) + offset; }
    bool Write(SIZE_T offset, const void* data, SIZE_T size) const {
        return block_ && WriteProcessMemory(process_, at(offset), data, size, nullptr);
    }
    bool Read(SIZE_T offset, void* data, SIZE_T size) const {
        return block_ && ReadProcessMemory(process_, at(offset), data, size, nullptr);
    }

private:
    HANDLE process_;
    void* block_ = nullptr;
};

class Driver : public zk::test::StepDriver {
public:
    std::string program;
    std::string folder;

    Driver();

private:
    HWND MainWindow() const {
        if (!process_.hProcess) return nullptr;
        for (HWND window : TopLevelWindows(process_.dwProcessId)) {
            if (ClassOf(window) == MAIN_CLASS) return window;
        }
        return nullptr;
    }

    HWND Control(int id) const {
        HWND main = MainWindow();
        return main ? GetDlgItem(main, id) : nullptr;
    }

    HWND Dialog() const {
        if (!process_.hProcess) return nullptr;
        for (HWND top : TopLevelWindows(process_.dwProcessId)) {
            if (ClassOf(top) == "#32770" && IsWindowVisible(top)) return top;
        }
        return nullptr;
    }

    // Waits for the main window to take sent messages again.
    void Settle() {
        if (HWND main = MainWindow()) Send(main, WM_NULL, 0, 0);
    }

    HWND WaitControl(int id) {
        HWND control = nullptr;
        Eventually("control " + std::to_string(id), [&] {
            control = Control(id);
            return Check{control != nullptr, "none"};
        });
        return control;
    }

    int Step() const {
        for (int step = 0; step < 5; ++step) {
            if (Control(STEP_MARKERS[step])) return step;
        }
        return -1;
    }

    bool Start(const std::string& arguments) {
        if (process_.hProcess) {
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
            process_ = {};
        }
        std::string command = Quoted(program);
        if (!arguments.empty()) command += " " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        if (!CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            folder.empty() ? nullptr : folder.c_str(), &startup, &process_)) {
            Fail("the program to start (" + program + ")",
                 "error " + std::to_string(GetLastError()));
            return false;
        }
        return true;
    }

    void MouseAt(UINT message, int x, int y) {
        HWND main = MainWindow();
        if (!main) {
            Fail("a main window", "none");
            return;
        }
        PostMessageA(main, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(x, y));
    }

    void PressPainted(const std::string& name) {
        struct Spot {
            const char* name;
            int x, y;
        };
        static const Spot spots[] = {{"help", 30, 390},
                                     {"about", 80, 390},
                                     {"web", 130, 390},
                                     {"back", 477, 432},
                                     {"next", 582, 432}};
        for (const Spot& spot : spots) {
            if (name == spot.name) {
                MouseAt(WM_LBUTTONDOWN, spot.x, spot.y);
                MouseAt(WM_LBUTTONUP, spot.x, spot.y);
                // The release may open a modal window: only the messages
                // before it are waited for.
                if (name != "about" && name != "next" && name != "help") Settle();
                return;
            }
        }
        Fail("a painted button help, about, web, back or next", Quoted(name));
    }

    std::string ListCell(HWND list, int row, int column, int* image) {
        RemoteBlock block(process_.hProcess, sizeof(LVITEMA) + 520);
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = row;
        item.iSubItem = column;
        item.pszText = block.at(sizeof item);
        item.cchTextMax = 512;
        char zero = 0;
        block.Write(sizeof item, &zero, 1);
        if (!block.Write(0, &item, sizeof item)) return "(no memory in the program)";
        Send(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(block.at(0)));
        LVITEMA back = {};
        block.Read(0, &back, sizeof back);
        char text[513] = {};
        block.Read(sizeof item, text, 512);
        if (image) *image = back.iImage;
        return text;
    }

    bool CellCentre(HWND list, int row, int column, POINT* at) {
        RemoteBlock block(process_.hProcess, sizeof(RECT));
        RECT rect = {};
        rect.top = column;
        rect.left = LVIR_BOUNDS;
        if (!block.Write(0, &rect, sizeof rect)) return false;
        if (!Send(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row),
                  reinterpret_cast<LPARAM>(block.at(0))))
            return false;
        block.Read(0, &rect, sizeof rect);
        if (column == 0) {
            // Column 0's rectangle spans the whole row; its own width is the column's.
            const int width = static_cast<int>(Send(list, LVM_GETCOLUMNWIDTH, 0, 0));
            rect.right = rect.left + width;
        }
        at->x = (rect.left + rect.right) / 2;
        at->y = (rect.top + rect.bottom) / 2;
        return true;
    }

    void ClickCell(int id, int row, int column) {
        HWND list = WaitControl(id);
        POINT at;
        if (!list || !CellCentre(list, row, column, &at)) {
            Fail("the place of row " + std::to_string(row) + " column " + std::to_string(column),
                 "none");
            return;
        }
        POINT screen = at;
        ClientToScreen(list, &screen);
        SetCursorPos(screen.x, screen.y);
        PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
        Settle();
    }

    void Drag(int id, int from, int to) {
        HWND list = WaitControl(id);
        HWND main = MainWindow();
        POINT start, target;
        if (!list || !main || !CellCentre(list, from, 0, &start) ||
            !CellCentre(list, to, 0, &target)) {
            Fail("rows " + std::to_string(from) + " and " + std::to_string(to) + " on screen",
                 "not both");
            return;
        }
        // The list starts a drag when the mouse moves away with the button down.
        POINT screen = start;
        ClientToScreen(list, &screen);
        SetCursorPos(screen.x, screen.y);
        PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(start.x, start.y));
        PostMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(start.x + 12, start.y + 12));
        PostMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(target.x, target.y));
        Settle();
        // From the begin-drag on the main window has the mouse.
        POINT onMain = target;
        ClientToScreen(list, &onMain);
        SetCursorPos(onMain.x, onMain.y);
        POINT screenTarget = onMain;
        ScreenToClient(main, &onMain);
        (void)screenTarget;
        PostMessageA(main, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(onMain.x, onMain.y));
        PostMessageA(main, WM_LBUTTONUP, 0, MAKELPARAM(onMain.x, onMain.y));
        Settle();
    }

    // A shell drop: the file list as the shell hands it over. The memory
    // must be the program's own: it is written there, and its address is
    // the drop handle (a fixed block, which is its own handle).
    void Drop(int id, const std::string& files) {
        HWND list = WaitControl(id);
        if (!list) return;
        std::string names;
        std::size_t at = 0;
        while (at <= files.size()) {
            std::size_t end = files.find('|', at);
            if (end == std::string::npos) end = files.size();
            names += files.substr(at, end - at);
            names += '\0';
            at = end + 1;
        }
        names += '\0';
        std::vector<char> block(sizeof(DROPFILES) + names.size(), '\0');
        auto* drop = reinterpret_cast<DROPFILES*>(block.data());
        drop->pFiles = sizeof(DROPFILES);
        drop->fWide = FALSE;
        std::memcpy(block.data() + sizeof(DROPFILES), names.data(), names.size());
        void* remote = VirtualAllocEx(process_.hProcess, nullptr, block.size(),
                                      MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (!remote ||
            !WriteProcessMemory(process_.hProcess, remote, block.data(), block.size(), nullptr)) {
            Fail("the drop's memory in the program", "error " + std::to_string(GetLastError()));
            return;
        }
        PostMessageA(list, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
        Settle();
    }

    void AnswerBox(const std::string& expected, bool whole, bool byKey = false) {
        HWND box = nullptr;
        std::string got;
        if (!Eventually("a message box", [&] {
                box = Dialog();
                return Check{box && GetDlgItem(box, 0xFFFF),
                             box ? "a dialog without text" : "none"};
            })) {
            return;
        }
        got = TextOf(box) + " | " + TextOf(GetDlgItem(box, 0xFFFF));
        const bool ok = whole ? got == expected : got.find(expected) != std::string::npos;
        if (!ok) Fail((whole ? "" : "a box holding ") + Quoted(expected), Quoted(got));
        if (byKey) {
            PostKeys(box, "enter");
        } else {
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
        Eventually("the box gone", [&] {
            return Check{!IsWindow(box) || !IsWindowVisible(box), "still shown"};
        });
    }

    void Choose(const std::string& title, const std::string& path) {
        HWND dialog = nullptr;
        if (!Eventually("an open dialog titled " + Quoted(title), [&] {
                dialog = Dialog();
                return Check{dialog && TextOf(dialog) == title,
                             dialog ? Quoted(TextOf(dialog)) : "none"};
            })) {
            return;
        }
        HWND field = GetDlgItem(dialog, FILE_NAME_FIELD);
        if (!field) field = GetDlgItem(dialog, FILE_NAME_EDIT);
        if (!field) {
            Fail("the dialog's file name field", "none");
            return;
        }
        Send(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        Eventually("the dialog closed", [&] { return Check{!IsWindow(dialog), "still open"}; });
        Settle();
    }

    // The remote folder tree's items and texts live in the program: each
    // request is written into, and read back from, a block of its memory.
    HTREEITEM TreeNext(HWND tree, HTREEITEM item, UINT relation) {
        return reinterpret_cast<HTREEITEM>(
            Send(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
    }

    std::string TreeText(HWND tree, HTREEITEM item) {
        RemoteBlock block(process_.hProcess, sizeof(TVITEMA) + 520);
        TVITEMA request = {};
        request.mask = TVIF_TEXT | TVIF_HANDLE;
        request.hItem = item;
        request.pszText = block.at(sizeof request);
        request.cchTextMax = 512;
        char zero = 0;
        block.Write(sizeof request, &zero, 1);
        if (!block.Write(0, &request, sizeof request)) return {};
        if (!Send(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(block.at(0)))) return {};
        char text[513] = {};
        block.Read(sizeof request, text, 512);
        return text;
    }

    void TreeSelect(const std::string& path) {
        HWND tree = WaitControl(473);
        if (!tree) return;
        HTREEITEM item = TreeNext(tree, nullptr, TVGN_ROOT);
        if (!item || TreeText(tree, item) != "\\") {
            Fail("the root item \"\\\"", item ? Quoted(TreeText(tree, item)) : "no item");
            return;
        }
        std::vector<std::string> names;
        std::string name;
        for (char c : path + "\\") {
            if (c != '\\') {
                name += c;
            } else if (!name.empty()) {
                names.push_back(name);
                name.clear();
            }
        }
        for (const std::string& wanted : names) {
            Send(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
            HTREEITEM found = nullptr;
            std::string seen;
            for (HTREEITEM child = TreeNext(tree, item, TVGN_CHILD); child;
                 child = TreeNext(tree, child, TVGN_NEXT)) {
                const std::string text = TreeText(tree, child);
                if (lstrcmpiA(text.c_str(), wanted.c_str()) == 0) found = child;
                seen += (seen.empty() ? "" : ", ") + Quoted(text);
            }
            if (!found) {
                Fail(Quoted(wanted) + " under " + Quoted(TreeText(tree, item)), "[" + seen + "]");
                return;
            }
            item = found;
        }
        Send(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        Settle();
    }

    void Screenshot(const std::string& file) override;
    void ExpectMainWindow();
    void ExpectExit(const std::string& code);
    void ExpectStep(int want);
    void ExpectControl(const std::string& id, bool wanted);
    void ExpectChecked(const std::string& id, bool wanted);
    void ExpectEnabled(const std::string& id, bool wanted);
    void ExpectText(const std::string& id, const std::string& want, bool whole);
    void Type(int id, const std::string& text);
    void Key(int id, int key);
    void ExpectFocus(int want);
    void Click(int id);
    void ExpectRows(int id, int want);
    void ExpectCell(const Args& a, bool image);
    void ToggleCell(int id, int row, int column);
    void ExpectLog(const std::string& want, bool lineCount);
    void ExpectTree(bool wanted);
    void ExpectProgressFull();
    void ExpectNoBox();
    void ExpectDialogChecked(int id, bool want);
    void DialogClick(int id);
    void ExpectAbout();
    void Dismiss();
    void ExpectRegistryDword(const Args& a);
    void ClearRegistryValue(const std::string& key, const std::string& name);
};

Driver::Driver() {
    AddVerb("start", 1, [this](const Args& a) { Start(a[0]); });
    AddVerb("window", 0, [this](const Args&) { ExpectMainWindow(); });
    AddVerb("close", 0, [this](const Args&) {
        if (HWND main = MainWindow()) PostMessageA(main, WM_CLOSE, 0, 0);
    });
    AddVerb("exit", 1, [this](const Args& a) { ExpectExit(a[0]); });
    AddVerb("press", 1, [this](const Args& a) { PressPainted(a[0]); });
    AddVerb("press-at", 2, [this](const Args& a) {
        MouseAt(WM_LBUTTONDOWN, Number(a[0]), Number(a[1]));
        Settle();
    });
    AddVerb("release-at", 2, [this](const Args& a) {
        MouseAt(WM_LBUTTONUP, Number(a[0]), Number(a[1]));
        Settle();
    });
    AddVerb("step", 1, [this](const Args& a) { ExpectStep(Number(a[0])); });
    AddVerb("control", 1, [this](const Args& a) { ExpectControl(a[0], true); });
    AddVerb("no-control", 1, [this](const Args& a) { ExpectControl(a[0], false); });
    AddVerb("checked", 1, [this](const Args& a) { ExpectChecked(a[0], true); });
    AddVerb("unchecked", 1, [this](const Args& a) { ExpectChecked(a[0], false); });
    AddVerb("enabled", 1, [this](const Args& a) { ExpectEnabled(a[0], true); });
    AddVerb("disabled", 1, [this](const Args& a) { ExpectEnabled(a[0], false); });
    AddVerb("text", 2, [this](const Args& a) { ExpectText(a[0], a[1], true); });
    AddVerb("text-has", 2, [this](const Args& a) { ExpectText(a[0], a[1], false); });
    AddVerb("set-text", 2, [this](const Args& a) {
        if (HWND c = WaitControl(Number(a[0])))
            Send(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a[1].c_str()));
    });
    AddVerb("type", 2, [this](const Args& a) { Type(Number(a[0]), a[1]); });
    AddVerb("key", 2, [this](const Args& a) { Key(Number(a[0]), Number(a[1])); });
    AddVerb("keys", 1, [this](const Args& a) {
        const std::string unknown = PostKeys(MainWindow(), a[0]);
        if (!unknown.empty()) Fail("key names", Quoted(unknown));
        Settle();
    });
    AddVerb("focus", 1, [this](const Args& a) { ExpectFocus(Number(a[0])); });
    AddVerb("box-keys", 1, [this](const Args& a) { AnswerBox(a[0], true, true); });
    AddVerb("click", 1, [this](const Args& a) { Click(Number(a[0])); });
    AddVerb("rows", 2, [this](const Args& a) { ExpectRows(Number(a[0]), Number(a[1])); });
    AddVerb("cell", 4, [this](const Args& a) { ExpectCell(a, false); });
    AddVerb("cell-image", 4, [this](const Args& a) { ExpectCell(a, true); });
    AddVerb("click-cell", 3,
            [this](const Args& a) { ClickCell(Number(a[0]), Number(a[1]), Number(a[2])); });
    AddVerb("toggle-cell", 3,
            [this](const Args& a) { ToggleCell(Number(a[0]), Number(a[1]), Number(a[2])); });
    AddVerb("drag", 3, [this](const Args& a) { Drag(Number(a[0]), Number(a[1]), Number(a[2])); });
    AddVerb("drop", 2, [this](const Args& a) { Drop(Number(a[0]), a[1]); });
    AddVerb("log-has", 1, [this](const Args& a) { ExpectLog(a[0], false); });
    AddVerb("log-lines-at-least", 1, [this](const Args& a) { ExpectLog(a[0], true); });
    AddVerb("tree-shown", 0, [this](const Args&) { ExpectTree(true); });
    AddVerb("tree-hidden", 0, [this](const Args&) { ExpectTree(false); });
    AddVerb("tree-select", 1, [this](const Args& a) { TreeSelect(a[0]); });
    AddVerb("progress-full", 0, [this](const Args&) { ExpectProgressFull(); });
    AddVerb("box", 1, [this](const Args& a) { AnswerBox(a[0], true); });
    AddVerb("box-has", 1, [this](const Args& a) { AnswerBox(a[0], false); });
    AddVerb("no-box", 0, [this](const Args&) { ExpectNoBox(); });
    // "choose TITLE | PATH" answers the file dialog titled TITLE.
    AddVerb("choose", 1, [this](const Args& a) {
        const std::size_t bar = a[0].find(" | ");
        if (bar == std::string::npos)
            Choose(a[0], "");
        else
            Choose(a[0].substr(0, bar), a[0].substr(bar + 3));
    });
    AddVerb("dialog-checked", 1,
            [this](const Args& a) { ExpectDialogChecked(Number(a[0]), true); });
    AddVerb("dialog-unchecked", 1,
            [this](const Args& a) { ExpectDialogChecked(Number(a[0]), false); });
    AddVerb("dialog-click", 1, [this](const Args& a) { DialogClick(Number(a[0])); });
    AddVerb("about", 0, [this](const Args&) { ExpectAbout(); });
    AddVerb("dismiss", 0, [this](const Args&) { Dismiss(); });
    AddVerb("registry-dword", 3, [this](const Args& a) { ExpectRegistryDword(a); });
    AddVerb("registry-clear", 2, [this](const Args& a) { ClearRegistryValue(a[0], a[1]); });
}

void Driver::Screenshot(const std::string& file) {
    Settle();
    Sleep(500);
    HWND window = Dialog();
    if (!window) window = MainWindow();
    if (!window) {
        Fail("a window to take a picture of", "none");
        return;
    }
    RECT r = {};
    GetWindowRect(window, &r);
    const std::string problem = zk::test::SaveScreenArea(r, file);
    if (!problem.empty()) Fail(file + " written", problem);
}

void Driver::ExpectMainWindow() {
    const DWORD usual = timeout;
    timeout = usual * 6;  // the first program of a prefix also waits for Wine
    Eventually("the main window, with a 640 x 480 client area", [&] {
        HWND main = MainWindow();
        if (!main || !IsWindowVisible(main)) return Check{false, "none"};
        RECT client = {};
        GetClientRect(main, &client);
        return Check{client.right == 640 && client.bottom == 480,
                     std::to_string(client.right) + " x " + std::to_string(client.bottom)};
    });
    timeout = usual;
}

void Driver::ExpectExit(const std::string& code) {
    if (!process_.hProcess) return;
    const bool ended = WaitForSingleObject(process_.hProcess, timeout) == WAIT_OBJECT_0;
    DWORD got = 0;
    GetExitCodeProcess(process_.hProcess, &got);
    const std::string text = ended ? "exit " + std::to_string(got) : "still running";
    if (text != "exit " + code) Fail("the program to end with " + code, text);
}

void Driver::ExpectStep(int want) {
    Eventually("the page of step " + std::to_string(want), [&] {
        const int got = Step();
        return Check{got == want, "step " + std::to_string(got)};
    });
}

void Driver::ExpectControl(const std::string& id, bool wanted) {
    Eventually(std::string(wanted ? "" : "no ") + "control " + id, [&] {
        return Check{(Control(Number(id)) != nullptr) == wanted, wanted ? "none" : "one"};
    });
}

void Driver::ExpectChecked(const std::string& id, bool wanted) {
    Eventually("control " + id + (wanted ? " checked" : " unchecked"), [&] {
        HWND c = Control(Number(id));
        if (!c) return Check{false, "no such control"};
        return Check{(Send(c, BM_GETCHECK, 0, 0) == BST_CHECKED) == wanted,
                     wanted ? "unchecked" : "checked"};
    });
}

void Driver::ExpectEnabled(const std::string& id, bool wanted) {
    Eventually("control " + id + (wanted ? " enabled" : " disabled"), [&] {
        HWND c = Control(Number(id));
        if (!c) return Check{false, "no such control"};
        return Check{(IsWindowEnabled(c) != FALSE) == wanted, wanted ? "disabled" : "enabled"};
    });
}

void Driver::ExpectText(const std::string& id, const std::string& want, bool whole) {
    Eventually("control " + id + (whole ? " showing " : " holding ") + Quoted(want), [&] {
        HWND c = Control(Number(id));
        if (!c) return Check{false, "no such control"};
        const std::string text = TextOf(c);
        return Check{whole ? text == want : text.find(want) != std::string::npos, Quoted(text)};
    });
}

void Driver::Type(int id, const std::string& text) {
    if (HWND c = WaitControl(id)) {
        for (unsigned char ch : text) PostMessageA(c, WM_CHAR, ch, 1);
        Send(c, WM_NULL, 0, 0);
    }
}

void Driver::Key(int id, int key) {
    if (HWND c = WaitControl(id)) {
        PostMessageA(c, WM_KEYDOWN, static_cast<WPARAM>(key), 1);
        PostMessageA(c, WM_KEYUP, static_cast<WPARAM>(key), static_cast<LPARAM>(0xC0000001));
        Settle();
    }
}

void Driver::ExpectFocus(int want) {
    Eventually("the focus on control " + std::to_string(want), [&] {
        HWND focus = FocusIn(MainWindow());
        return Check{focus && GetDlgCtrlID(focus) == want,
                     focus ? "control " + std::to_string(GetDlgCtrlID(focus)) : "nothing focused"};
    });
}

void Driver::Click(int id) {
    if (HWND c = WaitControl(id)) {
        Eventually("control " + std::to_string(id) + " enabled", [&] {
            return Check{IsWindowEnabled(c) != FALSE, "disabled"};
        });
        // Posted: the command may open a modal window.
        PostMessageA(c, BM_CLICK, 0, 0);
        Sleep(50);
    }
}

void Driver::ExpectRows(int id, int want) {
    Eventually("list " + std::to_string(id) + " with " + std::to_string(want) + " rows", [&] {
        HWND list = Control(id);
        if (!list) return Check{false, "no such list"};
        const int got = static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0));
        return Check{got == want, std::to_string(got)};
    });
}

// a: list, row, column, then the text (or the image number) expected.
void Driver::ExpectCell(const Args& a, bool image) {
    const int id = Number(a[0]);
    const int row = Number(a[1]);
    const int column = Number(a[2]);
    Eventually("cell " + a[1] + "," + a[2] + " of list " + a[0] +
                   (image ? " with image " : " showing ") + Quoted(a[3]),
               [&] {
                   HWND list = Control(id);
                   if (!list) return Check{false, "no such list"};
                   int got = -1;
                   const std::string text = ListCell(list, row, column, &got);
                   if (!image) return Check{text == a[3], Quoted(text)};
                   return Check{got == Number(a[3]), std::to_string(got)};
               });
}

void Driver::ToggleCell(int id, int row, int column) {
    HWND list = WaitControl(id);
    if (!list) return;
    int before = -1;
    ListCell(list, row, column, &before);
    if (before != 1 && before != 2) {
        Fail("a Yes or No image in the cell", std::to_string(before));
        return;
    }
    ClickCell(id, row, column);
    const int want = 3 - before;
    Eventually("the cell's image turned to " + std::to_string(want), [&] {
        int image = -1;
        ListCell(list, row, column, &image);
        return Check{image == want, std::to_string(image)};
    });
}

void Driver::ExpectLog(const std::string& want, bool lineCount) {
    Eventually(lineCount ? "at least " + want + " log lines" : "a log line holding " + Quoted(want),
               [&] {
                   HWND log = Control(441);
                   if (!log) return Check{false, "no build log"};
                   const int count = static_cast<int>(Send(log, LB_GETCOUNT, 0, 0));
                   if (lineCount) return Check{count >= Number(want), std::to_string(count)};
                   std::string last;
                   for (int i = 0; i < count; ++i) {
                       // Room for any line: the reply is copied back whole.
                       DWORD_PTR length = 0;
                       SendMessageTimeoutW(log, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0,
                                           SMTO_NORMAL, 5000, &length);
                       if (length > 4000) continue;
                       std::vector<wchar_t> buffer(8192, L'\0');
                       DWORD_PTR got = 0;
                       SendMessageTimeoutW(log, LB_GETTEXT, static_cast<WPARAM>(i),
                                           reinterpret_cast<LPARAM>(buffer.data()), SMTO_NORMAL,
                                           5000, &got);
                       char narrow[8192] = {};
                       WideCharToMultiByte(CP_ACP, 0, buffer.data(), -1, narrow, sizeof narrow - 1,
                                           nullptr, nullptr);
                       const std::string text(narrow);
                       if (text.find(want) != std::string::npos) return Check{true, ""};
                       last = text;
                   }
                   return Check{false, std::to_string(count) + " lines, the last " + Quoted(last)};
               });
}

void Driver::ExpectTree(bool wanted) {
    Eventually(std::string("the remote folder tree ") + (wanted ? "shown" : "hidden"), [&] {
        HWND tree = Control(473);
        const bool shown = tree && IsWindowVisible(tree);
        return Check{shown == wanted, shown ? "shown" : (tree ? "hidden" : "no tree")};
    });
}

void Driver::ExpectProgressFull() {
    Eventually("the progress bar at its end", [&] {
        HWND bar = Control(442);
        if (!bar) return Check{false, "no progress bar"};
        const int position = static_cast<int>(Send(bar, PBM_GETPOS, 0, 0));
        const int high = static_cast<int>(Send(bar, PBM_GETRANGE, FALSE, 0));
        return Check{high > 0 && position == high,
                     std::to_string(position) + " of " + std::to_string(high)};
    });
}

void Driver::ExpectNoBox() {
    Settle();
    Sleep(200);
    if (HWND box = Dialog()) Fail("no message box", Quoted(TextOf(GetDlgItem(box, 0xFFFF))));
}

void Driver::ExpectDialogChecked(int id, bool want) {
    Eventually(
        "box " + std::to_string(id) + (want ? " checked" : " unchecked") + " in the dialog shown",
        [&] {
            HWND dialog = Dialog();
            HWND box = dialog ? GetDlgItem(dialog, id) : nullptr;
            if (!box) return Check{false, dialog ? "no such box" : "no dialog"};
            const bool checked = Send(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
            return Check{checked == want, checked ? "checked" : "unchecked"};
        });
}

void Driver::DialogClick(int id) {
    HWND box = nullptr;
    Eventually("control " + std::to_string(id) + " in the dialog shown", [&] {
        HWND dialog = Dialog();
        box = dialog ? GetDlgItem(dialog, id) : nullptr;
        return Check{box != nullptr, dialog ? "no such control" : "no dialog"};
    });
    if (box) Send(box, BM_CLICK, 0, 0);
}

void Driver::ExpectAbout() {
    Eventually("the about box", [&] {
        HWND box = Dialog();
        if (!box) return Check{false, "none"};
        RECT client = {};
        GetClientRect(box, &client);
        return Check{TextOf(box) == "About" && client.right == 320 && client.bottom == 240,
                     Quoted(TextOf(box)) + " " + std::to_string(client.right) + " x " +
                         std::to_string(client.bottom)};
    });
}

void Driver::Dismiss() {
    HWND box = Dialog();
    if (!box) {
        Fail("a dialog to dismiss", "none");
        return;
    }
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    Eventually("the dialog closed", [&] { return Check{!IsWindow(box), "still open"}; });
}

// a: key, value name, the number expected.
void Driver::ExpectRegistryDword(const Args& a) {
    DWORD value = 0;
    DWORD size = sizeof value;
    const LONG status = RegGetValueA(HKEY_CURRENT_USER, a[0].c_str(), a[1].c_str(),
                                     RRF_RT_REG_DWORD, nullptr, &value, &size);
    const std::string got = status == ERROR_SUCCESS ? std::to_string(value) : "nothing stored";
    if (got != a[2]) Fail(a[0] + "\\" + a[1] + " = " + a[2], got);
}

void Driver::ClearRegistryValue(const std::string& key, const std::string& name) {
    HKEY opened;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_SET_VALUE, &opened) == ERROR_SUCCESS) {
        RegDeleteValueA(opened, name.c_str());
        RegCloseKey(opened);
    }
}

}  // namespace

int main(int argc, char** argv) {
    Driver driver;
    return zk::test::RunSteps(
        argc, argv, "wizard_driver",
        "--program PATH [--folder DIR] [--timeout MS] [--steps FILE] [--trace] [STEP...]", driver,
        [&](const std::string& option, const char* value) {
            if (!value) return 0;
            if (option == "--program") {
                driver.program = value;
            } else if (option == "--folder") {
                driver.folder = value;
            } else if (option == "--timeout") {
                driver.timeout = static_cast<DWORD>(std::atol(value));
            } else {
                return 0;
            }
            return 2;
        });
}
