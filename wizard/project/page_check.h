// The page check run before the wizard leaves a step: the step's values are
// read from its controls into WizardState and, as far as they pass, copied
// into Project. The first failing check returns its code at once; what was
// read or copied before it stays. The error report turns a code into its
// message box.
#pragma once

#include "wizard/project/page_codes.h"

namespace zk {

struct WizardContext;
class DesktopPlatform;

// Checks step 1 (presets), 2 (cabinets) or 3 (build); steps 0 and 4 have
// nothing to check and give 0, as does a step outside 0 to 4.
int CheckPage(WizardContext& ctx, int step);

// Shows the code's message box, owned by the main window unless told
// otherwise (a run without one), with an OK
// button. Codes 0 and 66, and codes the check never gives, show nothing.
void ReportPageError(DesktopPlatform& platform, int code, bool owned = true);

}  // namespace zk
