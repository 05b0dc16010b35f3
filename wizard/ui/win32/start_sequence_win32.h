// The wizard's run on Windows, from the stored start step to the end of the
// message loop: the association, the window class and the main window, COM
// around the loop, and the ActiveSync session closed at the end.
#pragma once

#include <windows.h>

#include "wizard/project/program_entry.h"

namespace zk {

// The main window's class: its procedure, the program's icons (resources
// IDI_ZEPHYRKIT and IDI_ZEPHYRKIT_SMALL), the arrow cursor.
void RegisterWindowClass(HINSTANCE instance);

class Win32DesktopPlatform;

class Win32StartSequence : public StartSequence {
public:
    // `platform` is the context's platform.
    Win32StartSequence(Win32DesktopPlatform& platform, HINSTANCE instance, int showCommand)
        : platform_(platform), instance_(instance), showCommand_(showCommand) {}
    int Run(WizardContext& ctx) override;

private:
    Win32DesktopPlatform& platform_;
    HINSTANCE instance_;
    int showCommand_;
};

}  // namespace zk
