#include "wizard/project/program_entry.h"

#include <cstring>

#include "common/fixed_text.h"
#include "platform/desktop_platform.h"
#include "platform/page_view.h"
#include "platform/path_text.h"
#include "platform/interruption.h"
#include "wizard/build/build_outcome.h"
#include "wizard/build/build_run.h"
#include "wizard/project/file_name_rules.h"
#include "wizard/project/page_check.h"
#include "wizard/project/page_codes.h"
#include "wizard/project/project_file.h"
#include "wizard/project/wizard_context.h"

namespace zk {
namespace {

constexpr const char* TOO_MANY =
    "Too many arguments. Please read console command line paragraph in the help manual";
constexpr const char* INVALID_PARAMETERS =
    "Invalid build parameters. Please read console command line paragraph in the help manual";
constexpr const char* INVALID_PATH =
    "Invalid Path. Please read console command line paragraph in the help manual";
constexpr const char* INVALID_PROJECT = "Project file is invalid";
constexpr const char* BUILT = "Zephyrkit files successfully built.";
constexpr const char* SILENT_ERRORS =
    "Project file contains errors. Please open the file in the wizard and correct them";
constexpr const char* OPEN_ERRORS =
    "Project file contains errors. Please check used files path before building";

void Error(WizardContext& ctx, const char* text) {
    ctx.platform.ShowMessage(text, "Error", MessageIcon::Error, false);
}

// The checks shared by both runs that name a project file: present, then
// loadable. False after the message.
bool LoadProject(WizardContext& ctx, const std::string& path) {
    if (!IsFilePresent(ctx.platform, path.c_str())) {
        Error(ctx, INVALID_PATH);
        return false;
    }
    if (!ReadProjectFile(ctx.platform, ctx.project, path.c_str())) {
        Error(ctx, INVALID_PROJECT);
        return false;
    }
    return true;
}

int SilentBuild(WizardContext& ctx, const std::string& path) {
    if (!LoadProject(ctx, path)) return 0;
    const std::string name = DeriveProjectName(path);
    if (!ApplyProjectToWizard(ctx, name.c_str())) {
        Error(ctx, SILENT_ERRORS);
        return 0;
    }
    // The title names the installers and a folder: without one they would
    // be hidden files named ".[MOBILE].exe", and one Windows reads as another
    // place (the parent folder, a device) would put them outside the output
    // folder. The presets page's own check and message refuse both.
    if (ctx.state.title[0] == '\0' || !IsUsableFileName(ctx.state.title)) {
        // Like every message of a silent run, without an owner window.
        ReportPageError(ctx.platform,
                        ctx.state.title[0] == '\0' ? PAGE_TITLE_EMPTY : PAGE_TITLE_CHARACTERS,
                        false);
        return 0;
    }
    // A record with no output folder would send the outputs to the root of
    // the drive; the folder the build was started from is what the wizard
    // itself would have offered.
    if (ctx.state.workPath[0] == '\0')
        CopyText(ctx.state.workPath, ctx.platform.CurrentDirectory());

    NullBuildLog log;
    BuildOutcome outcome;
    BuildRunOptions options;
    options.interrupted = [] { return InterruptionSignal() != 0; };
    if (!RunInstallerBuild(ctx, log, outcome, options)) {
        // Interrupted from a shell, or by the system shutting down: no box
        // waits for a click; the exit code tells.
        if (outcome.fault == BuildFault::Interrupted)
            return InterruptedExitCode(InterruptionSignal());
        ctx.platform.ShowMessage("Build failed: " + BuildFailureText(outcome), "Error",
                                 MessageIcon::Error, false);
        return 0;
    }
    ctx.platform.ShowMessage(BUILT, "Success", MessageIcon::Information, false);
    return 1;
}

}  // namespace

std::string DeriveProjectName(const std::string& projectFilePath) {
    const std::string name = FileNamePart(projectFilePath);
    if (name.find(".paw") != std::string::npos && name.size() >= 4)
        return name.substr(0, name.size() - 4);
    return name;
}

int RunZephyrkit(WizardContext& ctx, const std::vector<std::string>& arguments,
                 StartSequence& start) {
    std::memset(&ctx.project, 0, sizeof ctx.project);
    ctx.project.cabinetCount = 0;

    if (arguments.size() >= 3) {
        Error(ctx, TOO_MANY);
        return 0;
    }
    if (arguments.size() == 2) {
        if (arguments[0] != "-silent") {
            Error(ctx, INVALID_PARAMETERS);
            return 0;
        }
        return SilentBuild(ctx, arguments[1]);
    }
    if (arguments.size() == 1) {
        if (!LoadProject(ctx, arguments[0])) return 0;
        const std::string name = DeriveProjectName(arguments[0]);
        if (!ApplyProjectToWizard(ctx, name.c_str()))
            ctx.platform.ShowMessage(OPEN_ERRORS, "Attention", MessageIcon::Warning, false);
        // The cabinet page shows the kept folder: the project's own output
        // folder, as when a project is loaded from the presets page.
        if (ctx.state.workPath[0] != '\0')
            CopyText(ctx.state.savedWorkPath, TextOf(ctx.state.workPath));
    }
    return start.Run(ctx);
}

}  // namespace zk
