#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "platform/desktop_platform_posix.h"
#include "wizard/ui/shell/project_shell.h"

namespace {

bool AsksForHelp(const std::vector<std::string>& arguments) {
    for (const std::string& a : arguments)
        if (a == "--help" || a == "-h" || a == "help") return true;
    return arguments.empty();
}

}  // namespace

int main(int argc, char** argv) {
    using Folder = zk::PosixDesktopPlatform::HostFolder;
    zk::PosixDesktopPlatform platform(argc > 0 ? argv[0] : "");
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // Relative paths are made whole against the current folder, and cabinets
    // are opened in the temporary one: the record must be able to name both.
    std::string problem;
    if (!AsksForHelp(arguments) && (!platform.FolderFitsCodePage(Folder::Current, &problem) ||
                                    !platform.FolderFitsCodePage(Folder::Temporary, &problem))) {
        std::fprintf(stderr, "zephyrkit-project: %s\n", problem.c_str());
        return zk::SHELL_REFUSED;
    }
    return zk::RunProjectShell(platform, arguments, std::cin, std::cout, std::cerr);
}
