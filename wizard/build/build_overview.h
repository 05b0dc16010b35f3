#pragma once

namespace zk {

class BuildLog;
struct WizardContext;

// Lists every setting and every cabinet in the build log, when
// showBuildOverview is set, so the user can check them before building.
void WriteBuildOverview(WizardContext& ctx, BuildLog& log);

}  // namespace zk
