// The two installer builds, run in this order after the output folder has been
// prepared. Each logs its steps to `log` and advances its progress bar; the
// command-line build passes a NullBuildLog.
//
// Unlike a plain copy-and-append, every file operation is checked: the first
// failure is logged as "<file>:\t- status: failed", recorded in `outcome`, and
// ends the build. Every output is written under the temporary name `outputs`
// gives it; RunInstallerBuild (build_run.h) moves them all over their final
// names once both builds are complete, or removes them.
#pragma once

#include <string>

namespace zk {

class BuildLog;
class BuildOutputs;
struct BuildOutcome;
struct WizardContext;

// Writes <workPath>/<projectName>.paw, <workPath>/<title>.[MOBILE].exe and,
// when asked for, <workPath>/autorun.exe. Sets mobileInstallerPath and
// mobileInstallerName (the final names). An earlier autorun.exe is to go when
// the project no longer asks for one. False on failure.
bool BuildMobileInstaller(WizardContext& ctx, BuildLog& log, BuildOutcome& outcome,
                          BuildOutputs& outputs);

// Writes <workPath>/<title>.[DESKTOP].exe from the desktop stub and the mobile
// installer just built. Sets desktopInstallerPath. False on failure.
bool BuildDesktopInstaller(WizardContext& ctx, BuildLog& log, BuildOutcome& outcome,
                           BuildOutputs& outputs);

// The folder of the running wizard program, with its trailing separator.
std::string ProgramFolder(WizardContext& ctx);

}  // namespace zk
