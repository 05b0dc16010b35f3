// Starts a Windows program, waits for the message box it shows, reports the
// box and presses OK, then reports the program's exit code:
//
//   message_box_driver TIMEOUT_MS PROGRAM [ARGUMENTS...]
//
// prints "caption: <caption>", "text: <text>" and "exit: <code>" lines (or
// "no message box" when none came within the time). A message box is a
// "#32770" window of the program's process; its text is the static control
// with id 65535. Exit code: 0 when the program ended, 2 on a time-out, 3 when
// the program did not start.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The command-line quoting that the C runtime splits back into arguments.
std::string Quote(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string out = "\"";
    std::size_t slashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        out.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, '\\');
    return out + "\"";
}

struct Search {
    DWORD process;
    HWND box;
};

BOOL CALLBACK FindBox(HWND window, LPARAM found) {
    auto* search = reinterpret_cast<Search*>(found);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char kind[16] = {};
    GetClassNameA(window, kind, sizeof kind);
    if (owner == search->process && std::string(kind) == "#32770" && IsWindowVisible(window)) {
        search->box = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: message_box_driver TIMEOUT_MS PROGRAM [ARGUMENTS...]\n");
        return 3;
    }
    const DWORD timeout = static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10));
    std::string command;
    for (int i = 2; i < argc; ++i) command += (i > 2 ? " " : "") + Quote(argv[i]);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::printf("cannot start: %s (error %lu)\n", command.c_str(), GetLastError());
        return 3;
    }

    Search search = {process.dwProcessId, nullptr};
    const DWORD start = GetTickCount();
    while (!search.box && GetTickCount() - start < timeout) {
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        if (search.box) break;
        if (WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0) break;
    }
    if (search.box) {
        char buffer[2048] = {};
        GetWindowTextA(search.box, buffer, sizeof buffer);
        std::printf("caption: %s\n", buffer);
        buffer[0] = '\0';
        GetDlgItemTextA(search.box, 0xFFFF, buffer, sizeof buffer);
        std::printf("text: %s\n", buffer);
        PostMessageA(search.box, WM_COMMAND, IDOK, 0);
    } else {
        std::printf("no message box\n");
    }
    std::fflush(stdout);

    const DWORD left = GetTickCount() - start < timeout ? timeout - (GetTickCount() - start) : 0;
    if (WaitForSingleObject(process.hProcess, left + 1000) != WAIT_OBJECT_0) {
        std::printf("time-out: the program did not end\n");
        TerminateProcess(process.hProcess, 255);
        return 2;
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    std::printf("exit: %lu\n", code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}
