// The installation engine: the routine of the `InstallerThread` thread,
// started by Start on the installation page once unpacking has ended.
//
// It walks the project's cabinets in list order. Every cabinet's section is
// read, whether the cabinet is installed, skipped or passed over on a resumed
// run, so the stream stays in step with the list; the state file is saved
// after each section is read, so a reset while cabinet i is installed comes
// back with cabinet i + 1. A compatible cabinet is unpacked into "\Temp" and
// handed to "\Windows\wceload.exe", which is waited for; what it reports is
// not examined.
#pragma once

#include <string>
#include <string_view>

#include "device/installer/installer_state.h"

namespace zk {

// The options of the platform installer's command line: "/askdest ",
// "/noaskdest " (override on) or nothing on Windows Mobile 5; silent install
// replaces any of them with "/noui ".
std::u16string InstallOptions(bool isOs2005, bool overrideInstallPath, bool silentInstall);

// '"' "\Temp\" name '"'
std::u16string QuotedCabinetPath(std::u16string_view name);

// Records the installation folder folder + subfolder (no separator added)
// for the cabinet valueName in the platform installer's registry key, and
// logs it. A failing registry call is ignored.
void RegistryEntry(InstallerSession& session, std::u16string_view valueName,
                   std::u16string_view folder, std::u16string_view subfolder);

// The thread routine. Returns 1, as the thread's exit code.
int InstallerThread(InstallerSession& session);

}  // namespace zk
