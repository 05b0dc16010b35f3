// One whole build, as every front runs it: the inputs checked as a device
// would take them (build_inputs.h), the output folder prepared and
// locked against other builds, the mobile and desktop installers (and the
// project file, and autorun.exe when asked for) written under temporary
// names, then moved over the earlier outputs together — or, when anything
// failed or the build was interrupted, removed, leaving the earlier outputs
// exactly as they were.
//
// Asked to sign (installer_signer.h), the build signs each output under its
// temporary name as soon as it is complete: the mobile installer before the
// desktop installer is made from it, then the desktop installer and
// autorun.exe. A signing that fails ends the build as any failure does.
#pragma once

#include <functional>
#include <string>

#include "wizard/build/installer_signer.h"

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
    // The installers are signed when signing.enabled(), by `signer`. The
    // certificate and password file are checked for reading before anything
    // is written (BuildFault::CannotRead); a signing that fails gives
    // BuildFault::SignerMissing (no signer given, or its tool cannot be
    // started), InputUnusable naming the certificate (a wrong password, no
    // PKCS#12 file), CannotWrite or SigningFailed naming the output.
    SigningSettings signing;
    InstallerSigner* signer = nullptr;
};

// True when every output is in place. Otherwise `outcome` tells why:
// BuildFault::Busy when another build kept the folder's lock,
// BuildFault::Interrupted when `interrupted` said so.
bool RunInstallerBuild(WizardContext& ctx, BuildLog& log, BuildOutcome& outcome,
                       const BuildRunOptions& options = {});

}  // namespace zk
