// The installation engine: the routine of the `InstallerThread` thread,
// started by Start on the installation page once unpacking has ended.
//
// It walks the project's cabinets in list order. A cabinet that suits the
// device is unpacked into "\Temp" from its section and handed to
// "\Windows\wceload.exe", which is waited for. Each cabinet's outcome is
// decided from what the device shows afterwards, never from what was hoped:
// installed only when the platform installer recorded the application
// (HKLM\Software\Apps\<provider> <application name>, Instl = 1) and consumed
// the cabinet; failed when its section does not unpack whole, the storage is
// too small, the platform installer does not start or does not record it.
//
// Progress goes to the state file at each step (the section being unpacked,
// the cabinet handed over, the outcome), so that a reset at any moment
// resumes right: a cut unpacking is done again, a cabinet whose installation
// was running (it may have reset the device itself) is judged by the
// registry and never installed twice, installed cabinets are passed over.
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

// "Software\Apps\<provider> <application name>": where the platform
// installer records the cabinet's application.
std::u16string InstalledAppKey(const CabEntry& entry);

// Records the installation folder folder + subfolder (no separator added)
// for the cabinet valueName in the platform installer's registry key, and
// logs it. A failing registry call is ignored.
void RegistryEntry(InstallerSession& session, std::u16string_view valueName,
                   std::u16string_view folder, std::u16string_view subfolder);

// The thread routine. Returns 1, as the thread's exit code.
int InstallerThread(InstallerSession& session);

}  // namespace zk
