// The two installer builds, run in this order after the output folder has been
// prepared. Each logs its steps to `log` and advances its progress bar; the
// command-line build passes a NullBuildLog.
//
// Unlike a plain copy-and-append, every file operation is checked: the first
// failure is logged as "<file>:\t- status: failed", recorded in `outcome`, and
// ends the build. Installers are written under a temporary name and renamed
// when complete, so a failed build never leaves a half-written installer
// under its final name.
#pragma once

#include <string>

namespace zk {

class BuildLog;
struct BuildOutcome;
struct WizardContext;

// Writes <workPath>/<projectName>.paw, <workPath>/<title>.[MOBILE].exe and,
// when asked for, <workPath>/autorun.exe. Sets mobileInstallerPath and
// mobileInstallerName. False on failure.
bool BuildMobileInstaller(WizardContext& ctx, BuildLog& log, BuildOutcome& outcome);

// Writes <workPath>/<title>.[DESKTOP].exe from the desktop stub and the mobile
// installer just built. Sets desktopInstallerPath. False on failure.
bool BuildDesktopInstaller(WizardContext& ctx, BuildLog& log, BuildOutcome& outcome);

// The folder of the running wizard program, with its trailing separator.
std::string ProgramFolder(WizardContext& ctx);

}  // namespace zk
