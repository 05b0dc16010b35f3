#include "wizard/project/build_settings.h"

#include "common/fixed_text.h"
#include "wizard/project/wizard_context.h"

namespace zk {

void CopyBuildSettingsToProject(WizardContext& ctx) {
    Project& p = ctx.project;
    const WizardState& s = ctx.state;
    if (p.eulaEnabled) CopyText(p.eulaPath, TextOf(s.eulaPath));
    if (p.readmeEnabled) CopyText(p.readmePath, TextOf(s.readmePath));
    if (p.splashEnabled) CopyText(p.splashPath, TextOf(s.splashPath));
    p.addDateToPath = s.addDateToPath;
    p.deployDesktopWhenDone = s.deployDesktopWhenDone;
    p.deployMobileWhenDone = s.deployMobileWhenDone;
    p.addTitleSubfolder = s.addTitleSubfolder;
    CopyText(p.outputFolder, TextOf(s.workPath));
}

}  // namespace zk
