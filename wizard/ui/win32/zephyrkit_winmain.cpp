// Zephyrkit.exe: the wizard's Win32 entry. The program entry reads the
// command line as the C runtime split it; a "-silent" build ends with one
// real message box and its exit code, anything else opens the window.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/desktop_platform_win32.h"
#include "wizard/project/program_entry.h"
#include "wizard/project/wizard_context.h"
#include "wizard/ui/win32/start_sequence_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    zk::Win32DesktopPlatform platform;
    auto project = std::make_unique<zk::Project>();
    zk::WizardState state;
    zk::InitialiseWizardState(state, platform);
    zk::WizardContext ctx{*project, state, platform};
    std::vector<std::string> arguments;
    for (int i = 1; i < __argc; ++i) arguments.emplace_back(__argv[i]);
    zk::Win32StartSequence start(platform, instance, showCommand);
    return zk::RunZephyrkit(ctx, arguments, start);
}
