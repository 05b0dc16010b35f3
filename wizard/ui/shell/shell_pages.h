// The wizard's pages as the shell front builds them: in-memory controls that
// show WizardState the way the window's pages do when they are created, so
// that the page checks and cabinet commands read them as they would read the
// real controls.
#pragma once

namespace zk {

class MemoryPageView;
struct WizardState;

void ShowPresetsPage(MemoryPageView& page, const WizardState& state);
// The cabinet list control and the work-path field; the caller builds the
// list's rows with BuildCabinetList.
void ShowCabinetPage(MemoryPageView& page, const WizardState& state);
void ShowBuildPage(MemoryPageView& page, const WizardState& state);

}  // namespace zk
