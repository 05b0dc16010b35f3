#include "wizard/project/wizard_state.h"

#include <cstring>
#include <string>

#include "common/fixed_text.h"
#include "platform/desktop_platform.h"
#include "platform/path_text.h"

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
        // The help ships beside the program. The folder we were started from
        // is only a guess: opening a project by double-click starts us in the
        // project's folder. (An "Install_Dir" too long to take the tail would
        // name a file that is not there.)
        std::string folder = FolderPart(platform.ProgramPath());
        if (!folder.empty())
            folder.pop_back();
        else
            folder = TextOf(state.workPath);
        help = folder + helpTail;
        if (help.size() >= sizeof state.helpPath) help = TextOf(state.workPath) + helpTail;
    }
    CopyText(state.helpPath, help);
}

}  // namespace zk
