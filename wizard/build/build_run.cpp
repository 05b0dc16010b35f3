#include "wizard/build/build_run.h"

#include <memory>

#include "common/fixed_text.h"
#include "platform/desktop_platform.h"
#include "platform/interruptible_platform.h"
#include "platform/page_view.h"
#include "platform/path_text.h"
#include "wizard/build/build_inputs.h"
#include "wizard/build/build_outcome.h"
#include "wizard/build/build_outputs.h"
#include "wizard/build/installer_build.h"
#include "wizard/build/output_folder.h"
#include "wizard/build/package_section.h"
#include "wizard/project/wizard_context.h"

namespace zk {
namespace {

// The certificate and the password file, each opened for reading: a file
// that is not there, cannot be read or is a folder fails the build before
// it writes anything.
bool CheckSigningInputs(DesktopPlatform& platform, const BuildRunOptions& options,
                        BuildOutcome& outcome) {
    const SigningSettings& signing = options.signing;
    if (!options.signer) {
        outcome.Fail(BuildFault::SignerMissing, "the signing tool", {},
                     "this program does not sign");
        return false;
    }
    for (const std::string& path : {signing.certificate, signing.passwordFile}) {
        if (path.empty()) continue;
        FileFacts facts;
        if (platform.GetFileFacts(path, &facts) && (facts.attributes & FILE_ATTR_DIRECTORY)) {
            outcome.Fail(BuildFault::CannotRead, path, {}, "it is a folder");
            return false;
        }
        std::unique_ptr<FileHandle> file = platform.OpenFile(path, FileMode::Read);
        if (!file) {
            FailRead(platform, outcome, path);
            return false;
        }
    }
    return true;
}

// Signs the output whose final name is `finalPath` under its temporary name:
// the signer writes the signed copy as the output's revision, which then
// replaces the unsigned temporary.
bool SignOutput(WizardContext& ctx, const BuildRunOptions& options, BuildOutputs& outputs,
                const std::string& finalPath, BuildLog& log, BuildOutcome& outcome) {
    const SignatureRequest request{options.signing, TextOf(ctx.state.title),
                                   ctx.platform.CurrentUnixTime(), outputs.Current(finalPath),
                                   outputs.RevisionName(finalPath)};
    const SigningReport report = options.signer->Sign(request);
    const SigningSettings& signing = options.signing;
    const std::string tool = options.signer->ToolName();
    switch (report.result) {
    case SigningResult::Signed: break;
    case SigningResult::SignerMissing:
        outcome.Fail(BuildFault::SignerMissing, tool, {}, report.message);
        break;
    case SigningResult::PasswordRefused:
        outcome.Fail(BuildFault::InputUnusable, signing.certificate,
                     (signing.passwordFile.empty()
                          ? "does not open without a password: give one with "
                            "--sign-password-file"
                          : "does not open with the password in " + signing.passwordFile) +
                         " (" + tool + ": " + report.message + ")");
        break;
    case SigningResult::CertificateUnusable:
        outcome.Fail(BuildFault::InputUnusable, signing.certificate,
                     "is no PKCS#12 file holding a certificate and its key (" + tool + ": " +
                         report.message + ")");
        break;
    case SigningResult::CannotWrite:
        outcome.Fail(BuildFault::CannotWrite, finalPath, {}, report.message);
        break;
    case SigningResult::Failed:
        outcome.Fail(BuildFault::SigningFailed, finalPath, tool + ": " + report.message);
        break;
    }
    std::string reason;
    if (!outcome.failed() && !outputs.Revise(finalPath, &reason))
        outcome.Fail(BuildFault::CannotWrite, finalPath, {}, reason);
    if (outcome.failed()) {
        log.AddLine(outcome.file + ":\t- status: failed");
        return false;
    }
    log.AddLine(FileNamePart(finalPath) + " signed:\t- status: done");
    return true;
}

// The outputs to sign once the desktop installer is made: itself, and the
// card copy when the build writes one.
bool SignLaterOutputs(WizardContext& ctx, const BuildRunOptions& options, BuildOutputs& outputs,
                      BuildLog& log, BuildOutcome& outcome) {
    if (!SignOutput(ctx, options, outputs, TextOf(ctx.state.desktopInstallerPath), log, outcome))
        return false;
    const std::string autorun =
        JoinPath(TextOf(ctx.state.workPath), ctx.platform.PathSeparator(), "autorun.exe");
    return outputs.Current(autorun) == autorun ||
           SignOutput(ctx, options, outputs, autorun, log, outcome);
}

}  // namespace

bool RunInstallerBuild(WizardContext& ctx, BuildLog& log, BuildOutcome& outcome,
                       const BuildRunOptions& options) {
    DesktopPlatform& platform = ctx.platform;
    const bool signing = options.signing.enabled();
    if (!CheckBuildInputs(ctx, outcome) ||
        (signing && !CheckSigningInputs(platform, options, outcome)) ||
        !PrepareOutputFolder(ctx, outcome))
        return false;
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
    // Signed as soon as it is complete: the desktop installer carries the
    // signed copy.
    const bool built =
        BuildMobileInstaller(build, log, outcome, outputs) &&
        (!signing || SignOutput(build, options, outputs, TextOf(ctx.state.mobileInstallerPath), log,
                                outcome)) &&
        BuildDesktopInstaller(build, log, outcome, outputs) &&
        (!signing || SignLaterOutputs(build, options, outputs, log, outcome));
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
