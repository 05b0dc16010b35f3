// The desktop installer's window: the application's name, a status line, a
// progress bar and the buttons Install, "Save to a folder..." and Cancel.
// Installing and saving run on a worker thread, which only posts to the
// window; the window stays responsive and Cancel asks the worker to stop.
#pragma once

#include <windows.h>

#include <string>

#include "desktop/carried_installer.h"

namespace zk {

class DesktopPlatform;
class RemoteDevice;

// Shows the window and runs its message loop; returns the outcome code of
// the last install or save, DESKTOP_CANCELLED when nothing was done.
int RunDesktopWindow(HINSTANCE instance, DesktopPlatform& platform, RemoteDevice& device,
                     const std::string& ownPath, const CarriedInstaller& carried);

}  // namespace zk
