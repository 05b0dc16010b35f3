// The wizard's process-wide records, owned by the front and passed down.
#pragma once

#include "common/project_record.h"
#include "wizard/project/wizard_state.h"

namespace zk {

class DesktopPlatform;
class PageView;

struct WizardContext {
    Project& project;
    WizardState& state;
    DesktopPlatform& platform;
    // The current page's controls; null when no page exists (command-line build).
    PageView* page = nullptr;
};

}  // namespace zk
