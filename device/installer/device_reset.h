// The end of a run: removing what the run leaves on the device, the device
// reset, and the Finish soft key.
#pragma once

#include "device/installer/installer_state.h"

namespace zk {

// Deletes the state file, the unpacked EULA, read-me and splash files and the
// restart shortcut; each only when it exists. Without the state file and the
// shortcut a later reset does not restart the installer.
void RemoveRunLeftovers(InstallerSession& session);

// Logs "[ResetPocketPC] reset ok" and asks the platform to restart the
// device. Does not return when the restart happens.
void ResetPocketPC(InstallerSession& session);

enum class FinishAction {
    Reset,       // "Reset when installer finishes": leftovers removed, reset asked for
    CloseWindow, // the installation is done: the window is to close, ending the program
    Nothing,     // still installing
};

// The Finish soft key. Resets at once when asked to, even while cabinets are
// still being installed.
FinishAction Finish(InstallerSession& session);

}  // namespace zk
