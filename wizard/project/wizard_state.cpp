#include "wizard/project/wizard_state.h"

#include <cstring>
#include <string>

#include "common/fixed_text.h"
#include "platform/desktop_platform.h"

namespace zk {

void InitialiseWizardState(WizardState& state, DesktopPlatform& platform) {
    std::memset(&state, 0, sizeof state);
    CopyText(state.workPath, platform.CurrentDirectory());
    CopyText(state.savedWorkPath, TextOf(state.workPath));
    CopyText(state.projectName, DEFAULT_PROJECT_NAME);
    state.addDateToPath = 1;
    state.addTitleSubfolder = 1;

    const std::string helpTail = std::string(1, platform.PathSeparator()) + "Help" +
                                 platform.PathSeparator() + "ZEPHYRKIT.CHM";
    std::string installDir;
    std::string help;
    if (platform.ReadRegistryString(RegistryRoot::LocalMachine, WIZARD_REGISTRY_KEY,
                                    INSTALL_DIR_VALUE, &installDir) &&
        installDir.size() + helpTail.size() < sizeof state.helpPath) {
        help = installDir + helpTail;
    } else {
        // An "Install_Dir" too long to take the tail would name a file that is
        // not there; the folder we started from is the better guess.
        help = TextOf(state.workPath) + helpTail;
    }
    CopyText(state.helpPath, help);
}

}  // namespace zk
