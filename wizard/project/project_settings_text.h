// Every setting and cabinet of a loaded project as lines of text: the build
// overview (always, to the end) followed by the options the overview leaves
// out. What `zephyrkit-project show` prints, and `zephyrkit-package list`
// after the sections of a package.
#pragma once

#include <ostream>

namespace zk {

struct WizardContext;

// ctx holds the project and the WizardState it was applied to.
void PrintProjectSettings(WizardContext& ctx, std::ostream& out);

}  // namespace zk
