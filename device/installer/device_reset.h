// The end of a run: removing what the run leaves on the device, or keeping
// what a later start needs to go on; the device reset, and the Finish soft
// key.
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
    Reset,        // "Reset when installer finishes": leftovers removed, reset asked for
    CloseWindow,  // the installation is done: the window is to close, ending the program
    Nothing,      // still installing
};

// The Finish soft key. Resets at once when asked to, even while cabinets are
// still being installed.
FinishAction Finish(InstallerSession& session);

// After the message loop (the threads have ended). When cabinets that suit
// the device were left uninstalled (failed, or the window closed before
// their turn), the state and the restart shortcut stay, so that the next
// start goes on with exactly those; otherwise everything goes. Returns the
// program's exit code: 0 when every cabinet that suits the device was
// installed or the installation was never started, 1 when the package is
// damaged or a cabinet is left.
int EndRun(InstallerSession& session);

}  // namespace zk
