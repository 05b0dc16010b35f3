#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "common/checked_output.h"
#include "platform/desktop_platform_posix.h"
#include "platform/interruption.h"
#include "platform/source_date_platform.h"
#include "wizard/ui/shell/command_line_build.h"
#include "wizard/ui/shell/osslsigncode_signer.h"
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
    zk::PosixDesktopPlatform hostPlatform(argc > 0 ? argv[0] : "");
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // Relative paths are made whole against the current folder, and cabinets
    // are opened in the temporary one: the record must be able to name both.
    std::string problem;
    if (!AsksForHelp(arguments) &&
        (!hostPlatform.FolderFitsCodePage(Folder::Current, &problem) ||
         !hostPlatform.FolderFitsCodePage(Folder::Temporary, &problem))) {
        std::fprintf(stderr, "zephyrkit-project: %s\n", problem.c_str());
        return zk::SHELL_REFUSED;
    }
    // SOURCE_DATE_EPOCH makes `build` reproducible: that instant is "now" and
    // no packed file is later than it.
    std::unique_ptr<zk::SourceDatePlatform> dated;
    zk::DesktopPlatform* platform = &hostPlatform;
    if (const char* sourceDate = std::getenv("SOURCE_DATE_EPOCH"); sourceDate && *sourceDate) {
        std::int64_t seconds = 0;
        if (!zk::ParseSourceDateEpoch(sourceDate, &seconds)) {
            std::cerr
                << "zephyrkit-project: SOURCE_DATE_EPOCH is not a count of seconds since 1970: "
                << sourceDate << "\n";
            return zk::SHELL_USAGE;
        }
        dated = std::make_unique<zk::SourceDatePlatform>(hostPlatform, seconds);
        platform = dated.get();
    }
    // Ctrl+C or a SIGTERM during `build` stops it and leaves the earlier
    // installers as they were (exit code 130 or 143).
    zk::CatchInterruptions();
    // `build --sign` signs through osslsigncode.
    zk::OsslsigncodeSigner signer;
    const int code =
        zk::RunProjectShell(*platform, arguments, std::cin, std::cout, std::cerr, &signer);
    // `export` is how a project is kept as text: one cut short by a full
    // disk must not pass for a success. `build` and `publish` fail as a
    // write does.
    const bool building =
        !arguments.empty() && (arguments[0] == "build" || arguments[0] == "publish");
    return zk::CheckedExit("zephyrkit-project", code,
                           code != 0  ? code
                           : building ? zk::BUILD_WRITE_FAILED
                                      : zk::SHELL_REFUSED);
}
