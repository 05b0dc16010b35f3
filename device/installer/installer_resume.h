// Going on where an earlier run stopped: a device reset (one a cabinet asked
// for, or a battery pulled), a window closed mid-way, or a run that could not
// install every cabinet. The state file says how far the run got, with which
// preferences, for which package.
#pragma once

#include <cstdint>
#include <string_view>

#include "device/installer/installer_state.h"

namespace zk {

// The package's length and the CRC-32 of its project section's bytes, read
// from the file without unpacking anything. All zero when it cannot be read.
PackageIdentity ReadPackageIdentity(DevicePlatform& platform, std::u16string_view packagePath,
                                    std::uint32_t firstSectionOffset);

// Start-up: sets page, resumeIndex, the outcomes and the preferences from
// the state file. A state of another package is removed and the run starts
// afresh; a state saved before the installation page starts from the
// welcome page. The two-number form resumes after the cabinet it names.
void RestoreState(InstallerSession& session);

// Start has been pressed (or a silent start runs): the state says the
// installation page, or, without "Resume install on reset", nothing is kept
// for a reset to restart from.
void BeginInstallation(InstallerSession& session);

// Saves (page, index) with the outcomes, the preferences and the package's
// identity. False when it could not be written whole.
bool SaveProgress(InstallerSession& session, int page, int index);

}  // namespace zk
