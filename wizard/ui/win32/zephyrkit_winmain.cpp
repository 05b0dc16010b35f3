// Zephyrkit.exe: the wizard's Win32 entry. The program entry reads the
// command line as the C runtime split it; a "-silent" build ends with one
// real message box and its exit code, anything else opens the window.
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/desktop_platform_win32.h"
#include "platform/interruption.h"
#include "platform/source_date_platform.h"
#include "wizard/project/program_entry.h"
#include "wizard/project/wizard_context.h"
#include "wizard/ui/startup_settings.h"
#include "wizard/ui/win32/start_sequence_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    zk::Win32DesktopPlatform platform;
    // SOURCE_DATE_EPOCH makes the build reproducible: that instant is "now"
    // and no packed file is later than it.
    std::unique_ptr<zk::SourceDatePlatform> dated;
    zk::DesktopPlatform* chosen = &platform;
    if (const char* sourceDate = std::getenv("SOURCE_DATE_EPOCH"); sourceDate && *sourceDate) {
        std::int64_t seconds = 0;
        if (!zk::ParseSourceDateEpoch(sourceDate, &seconds)) {
            platform.ShowMessage(
                std::string("SOURCE_DATE_EPOCH is not a count of seconds since 1970: ") +
                    sourceDate,
                zk::MAIN_WINDOW_TITLE, zk::MessageIcon::Error, false);
            return 0;
        }
        dated = std::make_unique<zk::SourceDatePlatform>(platform, seconds);
        chosen = dated.get();
    }
    auto project = std::make_unique<zk::Project>();
    zk::WizardState state;
    zk::InitialiseWizardState(state, *chosen);
    zk::WizardContext ctx{*project, state, *chosen};
    std::vector<std::string> arguments;
    for (int i = 1; i < __argc; ++i) arguments.emplace_back(__argv[i]);
    // A silent build started from a console stops at Ctrl+C or when the
    // console closes, leaving the earlier installers as they were.
    zk::CatchInterruptions();
    zk::Win32StartSequence start(platform, instance, showCommand);
    const int code = zk::RunZephyrkit(ctx, arguments, start);
    zk::InterruptionHandled();
    return code;
}
