#include "wizard/cabinet/cabinet_filters.h"

#include <string>

#include "common/cabinet/setup_header.h"
#include "common/fixed_text.h"
#include "platform/page_view.h"
#include "wizard/cabinet/cabinet_page.h"
#include "wizard/project/wizard_context.h"
#include "wizard/project/wizard_state.h"
#include "wizard/ui/control_ids.h"

namespace zk {

namespace {

bool SwitchOn(const Project& p, const FilterOption& o) { return p.*GroupOf(o).project != 0; }
bool Selected(const Project& p, const FilterOption& o) { return p.*o.option != 0; }
bool HasColumn(const Project& p, const FilterOption& o) { return SwitchOn(p, o) && Selected(p, o); }

void WriteCell(PageView& list, int row, int column, bool yes) {
    list.SetListCell(IDC_CABINET_LIST, row, column, yes ? "Yes" : "No", yes ? IMAGE_YES : IMAGE_NO);
}

}  // namespace

bool EntryFailsGroup(const Project& p, const CabEntry& entry, FilterGroup group) {
    bool switchedOn = false;
    for (const FilterOption& o : FILTER_OPTIONS) {
        if (o.group != group) continue;
        switchedOn = SwitchOn(p, o);
        if (Selected(p, o) && entry.*o.flag) return false;
    }
    return switchedOn;
}

void DeriveEntryFlags(const Project& project, const SetupInfo& info, CabEntry& entry) {
    for (const FilterOption& o : FILTER_OPTIONS) {
        if (o.group == FilterGroup::Os)
            entry.*o.flag = CabinetSupportsOs(info, o.span) ? 1 : 0;
        else
            entry.*o.flag = SwitchOn(project, o) == Selected(project, o) ? 1 : 0;
    }
}

void ShowCabinetColumns(WizardContext& ctx) {
    PageView* list = CabinetListOf(ctx);
    if (!list) return;
    while (list->ListColumnCount(IDC_CABINET_LIST) > 0) list->DeleteListColumn(IDC_CABINET_LIST, 0);
    list->InsertListColumn(IDC_CABINET_LIST, 0, CABINET_NAME_COLUMN, CABINET_NAME_WIDTH,
                           ColumnAlign::Centre);
    int column = 1;
    for (const FilterOption& o : FILTER_OPTIONS)
        if (HasColumn(ctx.project, o))
            list->InsertListColumn(IDC_CABINET_LIST, column++, o.column, o.width,
                                   ColumnAlign::Centre);
}

void RefreshCabinetRow(WizardContext& ctx, int row, bool insert) {
    if (row < 0 || row >= CabinetCount(ctx.project)) return;
    CabEntry& entry = ctx.project.cabinets[row];
    PageView* list = CabinetListOf(ctx);
    if (insert && list)
        list->InsertListRow(IDC_CABINET_LIST, row, TextOf(entry.fileName), IMAGE_CABINET);
    int column = 1;
    for (const FilterOption& o : FILTER_OPTIONS) {
        const bool switchOn = SwitchOn(ctx.project, o);
        const bool selected = Selected(ctx.project, o);
        if (!switchOn && !selected) {
            entry.*o.flag = 1;
        } else if (switchOn != selected) {
            // An OS boolean comes from the cabinet's own version range and is
            // kept; platform and processor booleans only mirror the filters.
            if (o.group != FilterGroup::Os) entry.*o.flag = 0;
        } else {
            if (list) WriteCell(*list, row, column, entry.*o.flag != 0);
            ++column;
        }
    }
}

void WriteFilterCells(WizardContext& ctx, int row) {
    PageView* list = CabinetListOf(ctx);
    if (!list || row < 0 || row >= CabinetCount(ctx.project)) return;
    const CabEntry& entry = ctx.project.cabinets[row];
    int column = 1;
    for (const FilterOption& o : FILTER_OPTIONS)
        if (HasColumn(ctx.project, o)) WriteCell(*list, row, column++, entry.*o.flag != 0);
}

void ToggleFilterCell(WizardContext& ctx, int row, int column) {
    PageView* list = CabinetListOf(ctx);
    if (!list || column < 1 || row < 0 || row >= list->ListRowCount(IDC_CABINET_LIST)) return;
    bool yes;
    switch (list->ListCellImage(IDC_CABINET_LIST, row, column)) {
    case IMAGE_YES: yes = false; break;
    case IMAGE_NO: yes = true; break;
    default: return;
    }
    WriteCell(*list, row, column, yes);
    if (row >= CabinetCount(ctx.project)) return;
    const std::string title = list->ListColumnTitle(IDC_CABINET_LIST, column);
    for (const FilterOption& o : FILTER_OPTIONS)
        if (title == o.column) ctx.project.cabinets[row].*o.flag = yes ? 1 : 0;
}

int CheckGroupSelection(const WizardState& s, FilterGroup group) {
    const FilterGroupSwitch& g = GroupOf(group);
    if (!(s.*g.state)) return 0;
    for (const FilterOption& o : FILTER_OPTIONS)
        if (o.group == group && s.*o.state) return 0;
    return g.selectionCode;
}

int CheckFilterSelection(const WizardState& state) {
    for (const FilterGroupSwitch& g : FILTER_GROUPS)
        if (int code = CheckGroupSelection(state, g.group)) return code;
    return 0;
}

int CheckEntryFilters(const Project& project) {
    const int count = CabinetCount(project);
    if (count == 0) return PAGE_EMPTY_LIST;
    for (int i = 0; i < count; ++i)
        for (const FilterGroupSwitch& g : FILTER_GROUPS)
            if (EntryFailsGroup(project, project.cabinets[i], g.group)) return g.filteringCode;
    return 0;
}

}  // namespace zk
