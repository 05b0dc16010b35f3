// The host zephyrkit: the wizard's entry without a window. The runs that
// would open the wizard print what this build can do instead.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/desktop_platform_posix.h"
#include "platform/host_text.h"
#include "wizard/project/program_entry.h"
#include "wizard/project/wizard_context.h"

namespace {

constexpr const char* kUsage =
    "Zephyrkit builds over-the-air installers for Windows Mobile devices from\n"
    "Windows CE cabinet files.\n"
    "\n"
    "This build has no window; the wizard itself runs on Windows (Zephyrkit.exe).\n"
    "What it can do here:\n"
    "\n"
    "  zephyrkit -silent PROJECT.paw\n"
    "      Build the installers of a project without a window: the project file,\n"
    "      <title>.[MOBILE].exe, autorun.exe when the project asks for it, and\n"
    "      <title>.[DESKTOP].exe, in the project's output folder (with the date and\n"
    "      title subfolders it asks for). The build inputs MobileZephyrkit.exe,\n"
    "      DesktopZephyrkit.exe and SystemInfo.dat are taken from the folder of this\n"
    "      program. The run ends with one message, \"Success: ...\" or \"Error: ...\";\n"
    "      the exit code is 1 after a successful build and 0 otherwise.\n"
    "\n"
    "  zephyrkit PROJECT.paw\n"
    "      Check that a project file loads and that the files it names are present.\n"
    "\n"
    "  zephyrkit --help\n"
    "      This text.\n"
    "\n"
    "Other host programs beside this one: zephyrkit-cab (what the wizard learns\n"
    "from a cabinet), zephyrkit-project (make and change projects), zk-device (run\n"
    "a built package on a folder that plays the device), when they are installed.\n";

class HostStartSequence : public zk::StartSequence {
public:
    int Run(zk::WizardContext&) override {
        std::fputs(kUsage, stdout);
        return 0;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    using Folder = zk::PosixDesktopPlatform::HostFolder;
    zk::PosixDesktopPlatform platform(argc > 0 ? argv[0] : "");
    // The project file's name and the folders the build takes its inputs from
    // and may write to are texts of the record's code page, as on Windows.
    std::vector<std::string> arguments;
    std::string problem;
    if (!zk::RecordArguments(std::vector<std::string>(argv + 1, argv + argc), &arguments,
                             &problem) ||
        (argc > 1 && (!platform.FolderFitsCodePage(Folder::Program, &problem) ||
                      !platform.FolderFitsCodePage(Folder::Current, &problem)))) {
        std::fprintf(stderr, "Error: %s\n", problem.c_str());
        return 0;
    }
    auto project = std::make_unique<zk::Project>();
    zk::WizardState state;
    zk::InitialiseWizardState(state, platform);
    zk::WizardContext ctx{*project, state, platform};
    HostStartSequence start;
    return zk::RunZephyrkit(ctx, arguments, start);
}
