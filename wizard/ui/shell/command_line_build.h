// The installers of a project built from a shell: the same build as
// "zephyrkit -silent", with the habits of command-line tools instead of one
// message box — an exit code per kind of failure, messages on the error
// stream naming the file or entry concerned, and a line per section written.
#pragma once

#include <ostream>
#include <string>

#include "wizard/build/build_outcome.h"

namespace zk {

struct WizardContext;

inline constexpr int BUILD_DONE = 0;
inline constexpr int BUILD_REFUSED = 1;       // the project: not one, a bad title, a filter
inline constexpr int BUILD_USAGE = 2;
inline constexpr int BUILD_MISSING_FILE = 3;  // an input missing, unreadable or not usable
inline constexpr int BUILD_WRITE_FAILED = 4;  // the output folder or an output

struct CommandLineBuildOptions {
    std::string output;  // replaces the project's output folder when not empty
    bool quiet = false;  // no section lines
};

// Loads the project at `projectPath` into ctx and builds its installers.
// Messages read "zephyrkit-project: FILE: what is wrong".
int RunCommandLineBuild(WizardContext& ctx, const std::string& projectPath,
                        const CommandLineBuildOptions& options, std::ostream& out,
                        std::ostream& err);

// The exit code of a build that failed, from the kind of failure alone;
// `signal` is the one that interrupted it (0: none known).
int BuildFailureExitCode(BuildFault fault, int signal);

// The line a failed build prints on the error stream (without its end of
// line): "zephyrkit-project: FILE: what is wrong", naming the project for a
// refusal and no file when another build holds the folder.
std::string BuildFailureLine(const BuildOutcome& outcome, const std::string& projectPath);

}  // namespace zk
