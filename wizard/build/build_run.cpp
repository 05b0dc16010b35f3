#include "wizard/build/build_run.h"

#include <memory>

#include "common/fixed_text.h"
#include "platform/desktop_platform.h"
#include "platform/interruptible_platform.h"
#include "platform/path_text.h"
#include "wizard/build/build_inputs.h"
#include "wizard/build/build_outcome.h"
#include "wizard/build/build_outputs.h"
#include "wizard/build/installer_build.h"
#include "wizard/build/output_folder.h"
#include "wizard/project/wizard_context.h"

namespace zk {

bool RunInstallerBuild(WizardContext& ctx, BuildLog& log, BuildOutcome& outcome,
                       const BuildRunOptions& options) {
    DesktopPlatform& platform = ctx.platform;
    if (!CheckBuildInputs(ctx, outcome) || !PrepareOutputFolder(ctx, outcome)) return false;
    const std::string folder = TextOf(ctx.state.workPath);
    bool busy = false;
    const std::unique_ptr<FileLock> lock =
        platform.LockFile(JoinPath(folder, platform.PathSeparator(), OUTPUT_LOCK_FILE_NAME),
                          options.lockWaitMilliseconds, &busy);
    if (!lock) {
        if (busy)
            outcome.Fail(BuildFault::Busy, folder);
        else
            outcome.Fail(BuildFault::CannotWriteInto, folder, {}, platform.LastFailureReason());
        return false;
    }

    InterruptiblePlatform watched(platform, options.interrupted);
    WizardContext build{ctx.project, ctx.state, watched, ctx.page};
    BuildOutputs outputs(platform);
    const bool built = BuildMobileInstaller(build, log, outcome, outputs) &&
                       BuildDesktopInstaller(build, log, outcome, outputs);
    // Asked once more: nothing is replaced after an interruption, even one
    // that came after the last write.
    if (watched.Interrupted()) {
        outputs.Abandon();
        outcome = BuildOutcome();
        outcome.Fail(BuildFault::Interrupted, folder);
        return false;
    }
    if (!built) return false;
    std::string file, reason;
    if (!outputs.Commit(&file, &reason)) {
        outcome.Fail(BuildFault::CannotReplace, file, {}, reason);
        return false;
    }
    return true;
}

}  // namespace zk
