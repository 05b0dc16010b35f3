#include "wizard/ui/startup_settings.h"

#include <cstdint>

#include "platform/desktop_platform.h"
#include "wizard/project/wizard_context.h"
#include "wizard/project/wizard_state.h"

namespace zk {

WindowPlacement PlaceMainWindow(int workAreaWidth, int workAreaHeight, int nonClientWidth,
                                int nonClientHeight) {
    return {(workAreaWidth - CANVAS_WIDTH) / 2, (workAreaHeight - CANVAS_HEIGHT) / 2,
            CANVAS_WIDTH + nonClientWidth, CANVAS_HEIGHT + nonClientHeight};
}

int ReadStartStep(DesktopPlatform& platform) {
    std::uint32_t stored = 0;
    // The user's own choice first; a machine-wide value (from older versions
    // or an administrator) still counts when the user has none.
    if (!platform.ReadRegistryDword(RegistryRoot::CurrentUser, WIZARD_REGISTRY_KEY,
                                    START_STEP_VALUE, &stored) &&
        !platform.ReadRegistryDword(RegistryRoot::LocalMachine, WIZARD_REGISTRY_KEY,
                                    START_STEP_VALUE, &stored))
        return 0;
    return stored == 1 ? 1 : 0;
}

bool WriteStartStep(DesktopPlatform& platform, int flag) {
    // An ordinary user cannot write under the machine's key, so the choice
    // is kept with the user, where it can always be stored.
    return platform.WriteRegistryDword(RegistryRoot::CurrentUser, WIZARD_REGISTRY_KEY,
                                       START_STEP_VALUE, flag ? 1u : 0u);
}

std::string BuildOpenCommand(const std::string& programPath) {
    // OPEN_COMMAND_FORMAT filled without printf, so a '%' in the path stays.
    return "\"" + programPath + "\" \"%1\"";
}

bool RegisterProjectFileType(DesktopPlatform& platform, const std::string& programPath) {
    // The user's classes: the merged classes root shows them, and unlike the
    // machine's classes they can be written without administrator rights.
    const RegistryRoot root = RegistryRoot::CurrentUser;
    const std::string classes = USER_CLASSES_KEY;
    // Each write creates or opens its key; the type's subkeys are only worth
    // writing when the type's own key could be made.
    platform.WriteRegistryString(root, classes + PROJECT_EXTENSION_KEY, "", PROJECT_PROG_ID);
    if (platform.WriteRegistryString(root, classes + PROJECT_PROG_ID, "", PROJECT_TYPE_NAME)) {
        platform.WriteRegistryString(root, classes + PROJECT_ICON_KEY, "", programPath);
        platform.WriteRegistryString(root, classes + PROJECT_OPEN_KEY, "",
                                     BuildOpenCommand(programPath));
    }
    platform.NotifyAssociationsChanged();
    return true;
}

int BeginWizardRun(WizardContext& ctx) {
    const int step = ReadStartStep(ctx.platform);
    ctx.state.skipIntroPage = step == 1 ? 1 : 0;
    if (step == 0) RegisterProjectFileType(ctx.platform, ctx.platform.ProgramPath());
    return step;
}

}  // namespace zk
