#include "device/installer/device_reset.h"

#include "device/installer/installer_resume.h"
#include "device/installer/installer_texts.h"

namespace zk {
namespace {

void RemoveUnpackedFiles(InstallerSession& session) {
    InstallerState& state = session.state;
    for (const std::u16string* path :
         {&state.eulaFilePath, &state.readMeFilePath, &state.splashFilePath}) {
        if (!path->empty()) session.platform.RemoveFile(*path);
    }
}

// Cabinets are left for the next start: the state says which.
bool KeepForNextStart(const InstallerSession& session) {
    const InstallerState& state = session.state;
    return state.damage.whole && state.installationStarted && state.CabinetsRemain();
}

void KeepState(InstallerSession& session) {
    // The first line's cabinet, for a reader of the two-number form, means
    // nothing was done: it starts over rather than skip a failed cabinet.
    SaveProgress(session, PAGE_INSTALLATION, -1);
    RemoveUnpackedFiles(session);
}

}  // namespace

void RemoveRunLeftovers(InstallerSession& session) {
    InstallerState& state = session.state;
    session.stateFile.Remove();
    RemoveUnpackedFiles(session);
    if (!state.startupShortcutPath.empty()) session.platform.RemoveFile(state.startupShortcutPath);
}

void ResetPocketPC(InstallerSession& session) {
    session.log.LogLine(LOG_RESET);
    session.platform.ResetDevice();
}

FinishAction Finish(InstallerSession& session) {
    if (session.state.preferences.resetWhenFinished) {
        // Cabinets that failed are still offered after the restart.
        if (session.state.installDone && KeepForNextStart(session)) {
            KeepState(session);
        } else {
            RemoveRunLeftovers(session);
        }
        ResetPocketPC(session);
        return FinishAction::Reset;
    }
    if (session.state.installDone) return FinishAction::CloseWindow;
    return FinishAction::Nothing;
}

int EndRun(InstallerSession& session) {
    const InstallerState& state = session.state;
    if (KeepForNextStart(session)) {
        KeepState(session);
        return 1;
    }
    RemoveRunLeftovers(session);
    return state.damage.whole ? 0 : 1;
}

}  // namespace zk
