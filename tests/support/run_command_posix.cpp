#include <stdio.h>
#include <sys/wait.h>

#include <string>

#include "tests/support/temp_folder.h"

namespace zk::test {

bool HostToolsAvailable() { return true; }

int RunCommand(const std::string& command, std::string* output) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    std::string text;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
    int status = pclose(pipe);
    if (output) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunProgramIn(const std::string& path, const std::string& folder) {
    return RunCommand("cd '" + folder + "' && timeout 30 '" + path + "'");
}

}  // namespace zk::test
