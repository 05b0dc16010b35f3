// The installers of a project built from a shell: the same build as
// "zephyrkit -silent", with the habits of command-line tools instead of one
// message box — an exit code per kind of failure, messages on the error
// stream naming the file or entry concerned, and a line per section written.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "wizard/build/build_outcome.h"
#include "wizard/build/installer_signer.h"

namespace zk {

struct WizardContext;

inline constexpr int BUILD_DONE = 0;
inline constexpr int BUILD_REFUSED = 1;  // the project: not one, a bad title, a filter
inline constexpr int BUILD_USAGE = 2;
inline constexpr int BUILD_MISSING_FILE = 3;  // an input missing, unreadable or not usable
inline constexpr int BUILD_WRITE_FAILED = 4;  // the output folder or an output

class DesktopPlatform;

struct CommandLineBuildOptions {
    std::string output;  // replaces the project's output folder when not empty
    bool quiet = false;  // no section lines
    // --sign CERT.pfx, --sign-password-file FILE, --sign-url URL.
    SigningSettings signing;
    // False: the outputs go straight into the output folder, whatever the
    // project says of date and title subfolders.
    bool subfolders = true;
};

// The options of a build, as `build` takes them and a command that builds
// too takes them: -q (--quiet), --output DIR, --sign CERT,
// --sign-password-file FILE, --sign-url URL. Sets what `options` names in
// `build` and leaves the arguments that are none of these, in order, in
// `rest` for the caller. False, with `*problem` saying why, when an option
// lacks its value or a --sign-… option comes without --sign. Paths are kept
// as given.
bool ParseBuildOptions(const std::vector<std::string>& options, CommandLineBuildOptions* build,
                       std::vector<std::string>* rest, std::string* problem);

// The parts of `build --help` that a command building too shows: what each
// option does, and the exit codes.
extern const char* const BUILD_OPTIONS_HELP;
extern const char* const BUILD_EXIT_CODES_HELP;

// Makes the folder and every missing level above it. False when it is not a
// folder in the end; `reason` then has the system's reason for the first
// level that could not be made, when it gave one.
bool MakeFolders(DesktopPlatform& platform, const std::string& path, std::string* reason);

// Loads the project at `projectPath` into ctx and builds its installers,
// signed by `signer` when options.signing asks for it (null: this program
// cannot sign, and a build asked to fails). Messages read
// "zephyrkit-project: FILE: what is wrong".
int RunCommandLineBuild(WizardContext& ctx, const std::string& projectPath,
                        const CommandLineBuildOptions& options, InstallerSigner* signer,
                        std::ostream& out, std::ostream& err);

// The exit code of a build that failed, from the kind of failure alone;
// `signal` is the one that interrupted it (0: none known).
int BuildFailureExitCode(BuildFault fault, int signal);

// The line a failed build prints on the error stream (without its end of
// line): "zephyrkit-project: FILE: what is wrong", naming the project for a
// refusal and no file when another build holds the folder.
std::string BuildFailureLine(const BuildOutcome& outcome, const std::string& projectPath);

}  // namespace zk
