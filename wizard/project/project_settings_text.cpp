#include "wizard/project/project_settings_text.h"

#include "common/fixed_text.h"
#include "platform/page_view.h"
#include "wizard/build/build_overview.h"
#include "wizard/project/filter_options.h"
#include "wizard/project/wizard_context.h"

namespace zk {
namespace {

// The build log as lines on the console.
class PrintedLog : public BuildLog {
public:
    explicit PrintedLog(std::ostream& out) : out_(out) {}
    void AddLine(const std::string& line) override { out_ << line << "\n"; }
    void SetProgressCaption(const std::string&) override {}
    void SetProgressRange(int, int) override {}
    void StepProgress() override {}

private:
    std::ostream& out_;
};

}  // namespace

void PrintProjectSettings(WizardContext& ctx, std::ostream& out) {
    PrintedLog log(out);
    WriteBuildOverview(ctx, log, OverviewMode::Project);
    const Project& p = ctx.project;
    auto yes = [](std::uint8_t f) { return f ? "Yes" : "No"; };
    out << "\t\t*** Other settings ***\n";
    for (const FilterGroupSwitch& g : FILTER_GROUPS) {
        out << g.label << " : " << yes(p.*g.project) << "\t";
        const char* between = "- ";
        for (const FilterOption& o : FILTER_OPTIONS) {
            if (o.group != g.group) continue;
            out << between << o.label << " [" << yes(p.*o.option) << "]";
            between = "   - ";
        }
        out << "\n";
    }
    out << "Enable advanced settings window on device : " << yes(p.deviceAdvancedSettings) << "\n";
    out << "Show Project overview details : " << yes(p.showBuildOverview) << "\n";
    out << "Add current date to the path : " << yes(p.addDateToPath) << "\n";
    out << "Add subfolder '" << TextOf(p.title) << "' to the path : " << yes(p.addTitleSubfolder)
        << "\n";
    out << "Deploy Desktop installer when done : " << yes(p.deployDesktopWhenDone) << "\n";
    out << "Deploy Mobile installer when done : " << yes(p.deployMobileWhenDone) << "\n";
}

}  // namespace zk
