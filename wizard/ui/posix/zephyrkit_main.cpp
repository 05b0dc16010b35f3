// The host zephyrkit: the wizard's entry without a window. The runs that
// would open the wizard print what this build can do instead.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "common/checked_output.h"
#include "common/fixed_text.h"
#include "common/product_version.h"
#include "platform/desktop_platform_posix.h"
#include "platform/host_text.h"
#include "platform/interruption.h"
#include "platform/source_date_platform.h"
#include "wizard/project/project_file.h"
#include "wizard/project/program_entry.h"
#include "wizard/project/wizard_context.h"

namespace {

constexpr const char* USAGE =
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
    "      the exit code is 1 after a successful build and 0 otherwise. The\n"
    "      outputs replace the earlier ones together, once all are complete;\n"
    "      interrupted by SIGINT (Ctrl+C) or SIGTERM, the build leaves the earlier\n"
    "      ones as they were and exits with 130 or 143.\n"
    "\n"
    "  zephyrkit PROJECT.paw\n"
    "      Say in one line whether a project file loads and the files it names are\n"
    "      present (the EULA, read-me and splash files it uses, its cabinets); exit\n"
    "      code 0 when both hold, 1 otherwise.\n"
    "\n"
    "  zephyrkit --help\n"
    "      This text.\n"
    "\n"
    "  zephyrkit --version\n"
    "      The version.\n"
    "\n"
    "Environment:\n"
    "  SOURCE_DATE_EPOCH   seconds since 1970: the build's \"now\", so the same\n"
    "                      project gives the same installers byte for byte\n"
    "  ZEPHYRKIT_THREADS   deflate on this many threads (1 to 8; by default one per\n"
    "                      core, at most 8); the installers do not change\n"
    "\n"
    "Other host programs beside this one: zephyrkit-cab (what the wizard learns\n"
    "from a cabinet), zephyrkit-project (make and change projects), zk-device (run\n"
    "a built package on a folder that plays the device), when they are installed.\n";

class HostStartSequence : public zk::StartSequence {
public:
    int Run(zk::WizardContext&) override {
        std::fputs(USAGE, stdout);
        return 0;
    }
};

// The files a loaded project names that are not there, in the build's order.
std::vector<std::string> MissingFiles(zk::WizardContext& ctx) {
    std::vector<std::string> missing;
    auto look = [&](bool used, const char* path) {
        if (used && !zk::IsFilePresent(ctx.platform, path)) missing.emplace_back(path);
    };
    const zk::WizardState& s = ctx.state;
    look(s.eulaEnabled != 0, s.eulaPath);
    look(s.readmeEnabled != 0, s.readmePath);
    look(s.splashEnabled != 0, s.splashPath);
    for (int i = 0; i < zk::CabinetCount(ctx.project); ++i)
        look(true, ctx.project.cabinets[i].path);
    return missing;
}

// Without a window to open, a project named alone is looked over: one line
// and an exit code a script can use. Paths are record text, printed as UTF-8.
int LookOverProject(zk::WizardContext& ctx, const std::string& path) {
    zk::Utf8OutputBuffer utf8(std::cout.rdbuf());
    std::ostream out(&utf8);
    if (!zk::IsFilePresent(ctx.platform, path.c_str())) {
        out << path << ": no such project file\n";
        return 1;
    }
    if (!zk::ReadProjectFile(ctx.platform, ctx.project, path.c_str())) {
        out << path << ": not a project file\n";
        return 1;
    }
    zk::ApplyProjectToWizard(ctx, zk::DeriveProjectName(path).c_str());
    const std::vector<std::string> missing = MissingFiles(ctx);
    if (missing.empty()) {
        const int files = zk::CabinetCount(ctx.project) + (ctx.state.eulaEnabled != 0) +
                          (ctx.state.readmeEnabled != 0) + (ctx.state.splashEnabled != 0);
        out << path << ": loads, and every file it names is present (" << files << ")\n";
        return 0;
    }
    std::string list;
    for (const std::string& file : missing) list += (list.empty() ? "" : ", ") + file;
    out << path << ": loads, but " << missing.size() << " of the files it names "
        << (missing.size() == 1 ? "is" : "are") << " missing: " << list << "\n";
    return 1;
}

}  // namespace

namespace {

int Run(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(USAGE, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("zephyrkit %s\n", zk::PRODUCT_VERSION);
        return 0;
    }
    using Folder = zk::PosixDesktopPlatform::HostFolder;
    zk::PosixDesktopPlatform hostPlatform(argc > 0 ? argv[0] : "");
    // The project file's name and the folders the build takes its inputs from
    // and may write to are texts of the record's code page, as on Windows.
    std::vector<std::string> arguments;
    std::string problem;
    if (!zk::RecordArguments(std::vector<std::string>(argv + 1, argv + argc), &arguments,
                             &problem) ||
        (argc > 1 && (!hostPlatform.FolderFitsCodePage(Folder::Program, &problem) ||
                      !hostPlatform.FolderFitsCodePage(Folder::Current, &problem)))) {
        std::fprintf(stderr, "Error: %s\n", problem.c_str());
        return 0;
    }
    // SOURCE_DATE_EPOCH makes the build reproducible: that instant is "now"
    // and no packed file is later than it.
    std::unique_ptr<zk::SourceDatePlatform> dated;
    zk::DesktopPlatform* chosen = &hostPlatform;
    if (const char* sourceDate = std::getenv("SOURCE_DATE_EPOCH"); sourceDate && *sourceDate) {
        std::int64_t seconds = 0;
        if (!zk::ParseSourceDateEpoch(sourceDate, &seconds)) {
            hostPlatform.ShowMessage(
                std::string("SOURCE_DATE_EPOCH is not a count of seconds since 1970: ") +
                    sourceDate,
                "Error", zk::MessageIcon::Error, false);
            return 0;
        }
        dated = std::make_unique<zk::SourceDatePlatform>(hostPlatform, seconds);
        chosen = dated.get();
    }
    zk::DesktopPlatform& platform = *chosen;
    auto project = std::make_unique<zk::Project>();
    zk::WizardState state;
    zk::InitialiseWizardState(state, platform);
    zk::WizardContext ctx{*project, state, platform};
    if (arguments.size() == 1) return LookOverProject(ctx, arguments[0]);
    // Ctrl+C or a SIGTERM during a build stops it and leaves the earlier
    // installers as they were (exit code 130 or 143).
    zk::CatchInterruptions();
    HostStartSequence start;
    return zk::RunZephyrkit(ctx, arguments, start);
}

}  // namespace

int main(int argc, char** argv) {
    const int code = Run(argc, argv);
    // The silent build tells success with 1, as the wizard does; a message
    // that could not be written turns it into the 0 of every failure.
    const bool silent = argc == 3 && std::strcmp(argv[1], "-silent") == 0;
    return zk::CheckedExit("zephyrkit", code,
                           silent ? (code == 1 ? 0 : code) : (code != 0 ? code : 1));
}
