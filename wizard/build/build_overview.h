#pragma once

namespace zk {

class BuildLog;
struct WizardContext;

enum class OverviewMode {
    // Only when showBuildOverview is set; ends at the first file that cannot
    // be opened.
    Build,
    // Always, to the end (a file that cannot be opened shows no size line),
    // and each cabinet with its application name and provider.
    Project,
};

// Lists every setting and every cabinet in the build log, so the user can
// check them before building.
void WriteBuildOverview(WizardContext& ctx, BuildLog& log, OverviewMode mode = OverviewMode::Build);

}  // namespace zk
