// What a device would make of a project's inputs, checked before anything is
// built (and by `check`). The package unpacks the system-information tool,
// the project file, the splash, EULA, read-me and every cabinet into the
// device's \Temp: each needs a name the device can keep there, and no two
// may be one file on storage that does not tell names apart by case. The
// splash must be a bitmap the device can load, and the EULA and read-me
// text it can show.
#pragma once

namespace zk {

struct BuildOutcome;
struct WizardContext;

// True when the inputs named in WizardState and the project's cabinets pass.
// Otherwise `outcome` tells the first problem: BuildFault::NameRefused or
// NamesClash for names, InputUnusable for a splash, EULA or read-me the
// device cannot use, CannotRead for one that cannot be read.
bool CheckBuildInputs(WizardContext& ctx, BuildOutcome& outcome);

}  // namespace zk
