// The cabinet step's controls as the cabinet logic reaches them.
#pragma once

#include "platform/page_view.h"
#include "wizard/project/wizard_context.h"
#include "wizard/ui/control_ids.h"

namespace zk {

// The page when it carries the cabinet list, else null: without the list
// (another step, or no window at all) only the Project changes.
inline PageView* CabinetListOf(WizardContext& ctx) {
    return ctx.page && ctx.page->HasControl(IDC_CABINET_LIST) ? ctx.page : nullptr;
}

}  // namespace zk
