#include "device/installer/device_reset.h"

#include "device/installer/installer_texts.h"

namespace zk {

void RemoveRunLeftovers(InstallerSession& session) {
    InstallerState& state = session.state;
    session.stateFile.Remove();
    for (const std::u16string* path : {&state.eulaFilePath, &state.readMeFilePath,
                                       &state.splashFilePath, &state.startupShortcutPath}) {
        if (!path->empty()) session.platform.RemoveFile(*path);
    }
}

void ResetPocketPC(InstallerSession& session) {
    session.log.LogLine(LOG_RESET);
    session.platform.ResetDevice();
}

FinishAction Finish(InstallerSession& session) {
    if (session.state.preferences.resetWhenFinished) {
        RemoveRunLeftovers(session);
        ResetPocketPC(session);
        return FinishAction::Reset;
    }
    if (session.state.installDone) return FinishAction::CloseWindow;
    return FinishAction::Nothing;
}

}  // namespace zk
