#include "device/installer/launch.h"

#include "common/utf16_text.h"
#include "device/installer/device_reset.h"
#include "device/installer/format_text.h"
#include "device/installer/installer_texts.h"

namespace zk {

LaunchWord ClassifyCommandLine(std::u16string_view commandLine) {
    if (commandLine.empty()) return LaunchWord::Empty;
    if (EqualsIgnoringCase(commandLine, WORD_UNINSTALL)) return LaunchWord::Uninstall;
    if (EqualsIgnoringCase(commandLine, WORD_INSTALL)) return LaunchWord::Install;
    return LaunchWord::Other;
}

int RunInstaller(LaunchShell& shell, InstallerSession& session, std::u16string_view commandLine) {
    const LaunchWord word = ClassifyCommandLine(commandLine);
    if (word == LaunchWord::Uninstall) return 0;
    if (word == LaunchWord::Install && !shell.AskProceedFromCard()) return 0;

    shell.ShowWaitCursor();
    InstallerState& state = session.state;
    std::u16string folder;
    if (word == LaunchWord::Empty && shell.StartupFolder(&folder)) {
        state.startupShortcutPath = CutText(folder + SHORTCUT_FILE_NAME, DEVICE_TEXT_UNITS);
        session.platform.RemoveFile(state.startupShortcutPath);
        shell.CreateShortcut(state.startupShortcutPath,
                             FormatText(SHORTCUT_TARGET_PATTERN, {shell.ModulePath()}));
    }
    const ResumePoint resume = session.stateFile.Load();
    state.page = resume.page;
    state.resumeIndex = resume.resumeIndex;

    if (!shell.ClaimSingleInstance() || shell.BringRunningWindowForward() ||
        !shell.CreateMainWindow()) {
        shell.RestoreCursor();
        return 0;
    }
    shell.RestoreCursor();
    const int code = shell.RunMessageLoop();
    RemoveRunLeftovers(session);
    return code;
}

}  // namespace zk
