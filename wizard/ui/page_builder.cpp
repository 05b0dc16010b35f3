#include "wizard/ui/page_builder.h"

#include <algorithm>

#include "common/fixed_text.h"
#include "wizard/build/build_overview.h"
#include "wizard/cabinet/cabinet_list.h"
#include "wizard/project/wizard_context.h"
#include "wizard/ui/control_ids.h"

namespace zk {

bool CreatePage(WizardContext& ctx, PageControls& controls, int step) {
    WizardState& s = ctx.state;
    PageView& view = controls.View();
    ctx.page = &view;
    bool ready = true;
    for (const ControlDefinition& entry : PageTable(step)) {
        // Whatever was typed into the work path before Back, the page shows
        // the folder the last check accepted.
        if (entry.id == IDC_WORK_PATH) CopyText(s.workPath, TextOf(s.savedWorkPath));

        controls.CreateControl(entry);
        if (const char* text = BoundText(s, entry.bound)) view.SetText(entry.id, text);
        if (const std::uint8_t* flag = BoundFlag(s, entry.bound))
            view.SetChecked(entry.id, *flag != 0);
        view.Enable(entry.id, EnabledAtCreation(entry, s));
        if (entry.createdHidden) view.Show(entry.id, false);

        switch (entry.kind) {
        case ControlKind::CabinetList: BuildCabinetList(ctx); break;
        case ControlKind::LogList: WriteBuildOverview(ctx, controls.Log()); break;
        case ControlKind::RemoteTree:
            if (!controls.PrepareRemoteTree()) {
                controls.DestroyControl(entry.id);
                ready = false;
            }
            break;
        default: break;
        }
    }
    return ready;
}

bool DestroyPage(PageControls& controls, int step) {
    for (const ControlDefinition& entry : PageTable(step)) controls.DestroyControl(entry.id);
    return true;
}

void MemoryPageControls::CreateControl(const ControlDefinition& entry) {
    DestroyControl(entry.id);
    created.push_back(entry);
    switch (entry.kind) {
    case ControlKind::Check: page.SetChecked(entry.id, false); break;
    case ControlKind::CabinetList: page.lists[entry.id]; break;
    default: break;
    }
    page.SetText(entry.id, entry.caption);
    page.Enable(entry.id, true);
    page.Show(entry.id, true);
    if (entry.kind == ControlKind::LogList) logLines.clear();
}

void MemoryPageControls::DestroyControl(int id) {
    auto it = std::find_if(created.begin(), created.end(),
                           [id](const ControlDefinition& entry) { return entry.id == id; });
    if (it == created.end()) return;
    created.erase(it);
    page.texts.erase(id);
    page.checks.erase(id);
    page.lists.erase(id);
    page.enabled_.erase(id);
    page.shown_.erase(id);
}

bool MemoryPageControls::Exists(int id) const {
    return std::any_of(created.begin(), created.end(),
                       [id](const ControlDefinition& entry) { return entry.id == id; });
}

}  // namespace zk
