#include <windows.h>

#include <stdio.h>

#include <string>

#include "tests/support/temp_folder.h"

namespace zk::test {

// Under Wine the checkers of the host (python3, unzip, zip, cabextract) are
// out of reach: a Windows program cannot start a Linux one.
bool HostToolsAvailable() { return false; }

int RunCommand(const std::string& command, std::string* output) {
    FILE* pipe = _popen(command.c_str(), "rb");
    if (!pipe) return -1;
    std::string text;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
    int status = _pclose(pipe);
    if (output) *output = text;
    return status;
}

int RunProgramIn(const std::string& path, const std::string& folder) {
    std::string command = "\"" + path + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process))
        return -1;
    const bool ended = WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ended ? static_cast<int>(code) : -1;
}

}  // namespace zk::test
