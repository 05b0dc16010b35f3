#include "wizard/build/build_overview.h"

#include <string>

#include "common/fixed_text.h"
#include "platform/desktop_platform.h"
#include "platform/page_view.h"
#include "wizard/build/output_folder.h"
#include "wizard/build/package_section.h"
#include "wizard/project/wizard_context.h"

namespace zk {
namespace {

const char* YesNo(std::uint8_t flag) { return flag ? "Yes" : "No"; }

// "<label> Path : <path>" and, when the file opens, "<label> file size : N bytes".
// False when it does not open: the overview ends there.
bool FileLines(WizardContext& ctx, BuildLog& log, const std::string& label, const char* path,
               OverviewMode mode) {
    log.AddLine(label + " Path : " + path);
    bool opened = false;
    const std::uint64_t size = FileSizeOf(ctx.platform, path, &opened);
    if (!opened) return mode == OverviewMode::Project;
    log.AddLine(label + " file size : " + std::to_string(size) + " bytes");
    return true;
}

}  // namespace

void WriteBuildOverview(WizardContext& ctx, BuildLog& log, OverviewMode mode) {
    const WizardState& s = ctx.state;
    const Project& p = ctx.project;
    if (mode == OverviewMode::Build && !s.showBuildOverview) return;

    log.AddLine("\t\t*** Build Overview ***");
    log.AddLine(std::string("Title : ") + s.title);
    log.AddLine(std::string("Author : ") + s.company);
    log.AddLine(std::string("Eula : ") + YesNo(s.eulaEnabled));
    if (s.eulaEnabled && !FileLines(ctx, log, "Eula", s.eulaPath, mode)) return;
    log.AddLine(std::string("ReadMe : ") + YesNo(s.readmeEnabled));
    if (s.readmeEnabled && !FileLines(ctx, log, "ReadMe", s.readmePath, mode)) return;
    log.AddLine(std::string("Create output for Removable Card : ") + YesNo(s.removableCardOutput));
    log.AddLine(std::string("Splash : ") + YesNo(s.splashEnabled));
    if (s.splashEnabled && !FileLines(ctx, log, "Splash", s.splashPath, mode)) return;
    log.AddLine("Save project file :  Yes");
    log.AddLine(std::string("Project file path : {%Save to%}") + ctx.platform.PathSeparator() +
                s.projectName);
    std::string saveTo = TextOf(s.workPath);
    if (s.addDateToPath) saveTo += DateSubfolderText(ctx);
    if (s.addTitleSubfolder) saveTo += ctx.platform.PathSeparator() + TextOf(s.title);
    log.AddLine("Save to : " + saveTo);
    log.AddLine("");
    const int count = CabinetCount(p);
    log.AddLine("Number of entries:\t[" + std::to_string(count) + "]");
    log.AddLine("");
    for (int i = 0; i < count; ++i) {
        const CabEntry& c = p.cabinets[i];
        const std::string path = TextOf(c.path);
        log.AddLine("Entry:\t- Index [" + std::to_string(i) + "]\t- Path [" + path + "]");
        if (mode == OverviewMode::Project) {
            log.AddLine("Application:\t\t- Name [" + TextOf(c.appName) + "]   - Provider [" +
                        TextOf(c.provider) + "]");
        }
        log.AddLine(std::string("Platform:\t\t- PocketPC [") + YesNo(c.forPocketPC) +
                    "]   - Smartphone [" + YesNo(c.forSmartphone) + "]");
        log.AddLine(std::string("Operating System:\t- 2002 [") + YesNo(c.forOs2002) +
                    "]   - 2003 [" + YesNo(c.forOs2003) + "]   - 2003SE [" + YesNo(c.forOs2003SE) +
                    "]   - 2005 [" + YesNo(c.forOs2005) + "]");
        log.AddLine(std::string("Processor:\t- Intel [") + YesNo(c.forIntel) + "]   - TI [" +
                    YesNo(c.forTI) + "]   - Samsung [" + YesNo(c.forSamsung) + "]");
        bool opened = false;
        const std::uint64_t size = FileSizeOf(ctx.platform, path, &opened);
        if (!opened && mode == OverviewMode::Build) return;
        if (opened) log.AddLine("File size:\t\t- Bytes [" + std::to_string(size) + "]");
        log.AddLine("");
    }
}

}  // namespace zk
