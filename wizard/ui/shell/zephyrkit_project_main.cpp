#include <iostream>
#include <string>
#include <vector>

#include "platform/desktop_platform_posix.h"
#include "wizard/ui/shell/project_shell.h"

int main(int argc, char** argv) {
    zk::PosixDesktopPlatform platform(argc > 0 ? argv[0] : "");
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return zk::RunProjectShell(platform, arguments, std::cin, std::cout, std::cerr);
}
