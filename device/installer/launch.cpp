#include "device/installer/launch.h"

#include "common/utf16_text.h"
#include "device/installer/device_reset.h"
#include "device/installer/format_text.h"
#include "device/installer/installer_resume.h"
#include "device/installer/installer_texts.h"

namespace zk {

LaunchWord ClassifyCommandLine(std::u16string_view commandLine) {
    if (commandLine.empty()) return LaunchWord::Empty;
    if (EqualsIgnoringCase(commandLine, WORD_UNINSTALL)) return LaunchWord::Uninstall;
    if (EqualsIgnoringCase(commandLine, WORD_INSTALL)) return LaunchWord::Install;
    if (EqualsIgnoringCase(commandLine, WORD_SILENT)) return LaunchWord::Silent;
    return LaunchWord::Other;
}

namespace {

int RunSilently(InstallerSession& session, InstallerWork& work) {
    InstallerState& state = session.state;
    state.preferences.silentInstall = true;
    work.StartUnpacking();
    work.WaitForUnpacking();
    if (state.damage.whole) {
        state.page = PAGE_INSTALLATION;
        BeginInstallation(session);
        work.StartInstallation();
        work.WaitForInstallation();
    }
    return EndRun(session);
}

}  // namespace

int RunInstaller(LaunchShell& shell, InstallerSession& session, InstallerWork& work,
                 std::u16string_view commandLine) {
    const LaunchWord word = ClassifyCommandLine(commandLine);
    if (word == LaunchWord::Uninstall) return 0;
    if (word == LaunchWord::Install && !shell.AskProceedFromCard()) return 0;
    const bool silent = word == LaunchWord::Silent;

    if (!silent) shell.ShowWaitCursor();
    InstallerState& state = session.state;
    std::u16string folder;
    if ((word == LaunchWord::Empty || silent) && shell.StartupFolder(&folder)) {
        state.startupShortcutPath = CutText(folder + SHORTCUT_FILE_NAME, DEVICE_TEXT_UNITS);
        session.platform.RemoveFile(state.startupShortcutPath);
        // A silent run cut by a reset goes on silently.
        std::u16string target = FormatText(SHORTCUT_TARGET_PATTERN, {shell.ModulePath()});
        if (silent) target += u" " + std::u16string(WORD_SILENT);
        shell.CreateShortcut(state.startupShortcutPath, target);
    }
    state.package =
        ReadPackageIdentity(session.platform, shell.ModulePath(), state.firstSectionOffset);
    RestoreState(session);

    if (!shell.ClaimSingleInstance() || shell.BringRunningWindowForward()) {
        if (!silent) shell.RestoreCursor();
        return 0;
    }
    if (silent) return RunSilently(session, work);
    if (!shell.CreateMainWindow()) {
        shell.RestoreCursor();
        return 0;
    }
    shell.RestoreCursor();
    const int code = shell.RunMessageLoop();
    work.WaitForInstallation();
    const int end = EndRun(session);
    return code != 0 ? code : end;
}

}  // namespace zk
