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
    for (const ControlSpec& spec : PageTable(step)) {
        // Whatever was typed into the work path before Back, the page shows
        // the folder the last check accepted.
        if (spec.id == IDC_WORK_PATH) CopyText(s.workPath, TextOf(s.savedWorkPath));

        controls.CreateControl(spec);
        if (const char* text = BoundText(s, spec.bound)) view.SetText(spec.id, text);
        if (const std::uint8_t* flag = BoundFlag(s, spec.bound)) view.SetChecked(spec.id, *flag != 0);
        view.Enable(spec.id, EnabledAtCreation(spec, s));
        if (spec.createdHidden) view.Show(spec.id, false);

        switch (spec.kind) {
            case ControlKind::CabinetList:
                BuildCabinetList(ctx);
                break;
            case ControlKind::LogList:
                WriteBuildOverview(ctx, controls.Log());
                break;
            case ControlKind::RemoteTree:
                if (!controls.PrepareRemoteTree()) {
                    controls.DestroyControl(spec.id);
                    ready = false;
                }
                break;
            default:
                break;
        }
    }
    return ready;
}

bool DestroyPage(PageControls& controls, int step) {
    for (const ControlSpec& spec : PageTable(step)) controls.DestroyControl(spec.id);
    return true;
}

void MemoryPageControls::CreateControl(const ControlSpec& spec) {
    DestroyControl(spec.id);
    created.push_back(spec);
    switch (spec.kind) {
        case ControlKind::Check:
            page.SetChecked(spec.id, false);
            break;
        case ControlKind::CabinetList:
            page.lists[spec.id];
            break;
        default:
            break;
    }
    page.SetText(spec.id, spec.caption);
    page.Enable(spec.id, true);
    page.Show(spec.id, true);
    if (spec.kind == ControlKind::LogList) logLines.clear();
}

void MemoryPageControls::DestroyControl(int id) {
    auto it = std::find_if(created.begin(), created.end(),
                           [id](const ControlSpec& spec) { return spec.id == id; });
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
                       [id](const ControlSpec& spec) { return spec.id == id; });
}

}  // namespace zk
