// One whole build, as every front runs it: the inputs checked as a device
// would take them (build_inputs.h), the output folder prepared and
// locked against other builds, the mobile and desktop installers (and the
// project file, and autorun.exe when asked for) written under temporary
// names, then moved over the earlier outputs together — or, when anything
// failed or the build was interrupted, removed, leaving the earlier outputs
// exactly as they were.
#pragma once

#include <functional>
#include <string>

namespace zk {

class BuildLog;
struct BuildOutcome;
struct WizardContext;

// The lock file in the output folder while a build writes there.
inline constexpr const char* OUTPUT_LOCK_FILE_NAME = ".zephyrkit-build.lock";
// How long a build waits for another one writing into the same folder.
inline constexpr int OUTPUT_LOCK_WAIT_MILLISECONDS = 5000;

struct BuildRunOptions {
    // Asked at every read and write, on the thread that builds: true stops
    // the build there (a signal came, the window was closed).
    std::function<bool()> interrupted;
    int lockWaitMilliseconds = OUTPUT_LOCK_WAIT_MILLISECONDS;
};

// True when every output is in place. Otherwise `outcome` tells why:
// BuildFault::Busy when another build kept the folder's lock,
// BuildFault::Interrupted when `interrupted` said so.
bool RunInstallerBuild(WizardContext& ctx, BuildLog& log, BuildOutcome& outcome,
                       const BuildRunOptions& options = {});

}  // namespace zk
