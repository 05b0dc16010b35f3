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

const FilterOption FILTER_OPTIONS[FILTER_OPTION_COUNT] = {
    {"PPC", 56, FilterGroup::Platform, &Project::platformFilterOn, &Project::filterPocketPC,
     &CabEntry::forPocketPC, {}},
    {"SMP", 56, FilterGroup::Platform, &Project::platformFilterOn, &Project::filterSmartphone,
     &CabEntry::forSmartphone, {}},
    {"2002", 56, FilterGroup::Os, &Project::osFilterOn, &Project::filterOs2002,
     &CabEntry::forOs2002, OS_SPAN_2002},
    {"2003", 56, FilterGroup::Os, &Project::osFilterOn, &Project::filterOs2003,
     &CabEntry::forOs2003, OS_SPAN_2003},
    {"2003SE", 56, FilterGroup::Os, &Project::osFilterOn, &Project::filterOs2003SE,
     &CabEntry::forOs2003SE, OS_SPAN_2003SE},
    {"WM 5", 56, FilterGroup::Os, &Project::osFilterOn, &Project::filterOs2005,
     &CabEntry::forOs2005, OS_SPAN_WM5},
    {"Intel", 64, FilterGroup::Processor, &Project::processorFilterOn, &Project::filterIntel,
     &CabEntry::forIntel, {}},
    {"TI", 64, FilterGroup::Processor, &Project::processorFilterOn, &Project::filterTI,
     &CabEntry::forTI, {}},
    {"Samsung", 64, FilterGroup::Processor, &Project::processorFilterOn,
     &Project::filterSamsung, &CabEntry::forSamsung, {}},
};

namespace {

bool SwitchOn(const Project& p, const FilterOption& o) { return p.*o.groupSwitch != 0; }
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
        case IMAGE_YES:
            yes = false;
            break;
        case IMAGE_NO:
            yes = true;
            break;
        default:
            return;
    }
    WriteCell(*list, row, column, yes);
    if (row >= CabinetCount(ctx.project)) return;
    const std::string title = list->ListColumnTitle(IDC_CABINET_LIST, column);
    for (const FilterOption& o : FILTER_OPTIONS)
        if (title == o.column) ctx.project.cabinets[row].*o.flag = yes ? 1 : 0;
}

int CheckPlatformSelection(const WizardState& s) {
    return s.platformFilterOn && !s.filterPocketPC && !s.filterSmartphone
               ? PAGE_PLATFORM_SELECTION
               : 0;
}

int CheckOsSelection(const WizardState& s) {
    return s.osFilterOn && !s.filterOs2002 && !s.filterOs2003 && !s.filterOs2003SE &&
                   !s.filterOs2005
               ? PAGE_OS_SELECTION
               : 0;
}

int CheckProcessorSelection(const WizardState& s) {
    return s.processorFilterOn && !s.filterIntel && !s.filterTI && !s.filterSamsung
               ? PAGE_PROCESSOR_SELECTION
               : 0;
}

int CheckFilterSelection(const WizardState& state) {
    if (int code = CheckPlatformSelection(state)) return code;
    if (int code = CheckOsSelection(state)) return code;
    return CheckProcessorSelection(state);
}

int CheckEntryFilters(const Project& project) {
    const int count = CabinetCount(project);
    if (count == 0) return PAGE_EMPTY_LIST;
    for (int i = 0; i < count; ++i) {
        const CabEntry& entry = project.cabinets[i];
        if (EntryFailsGroup(project, entry, FilterGroup::Platform)) return PAGE_PLATFORM_FILTERING;
        if (EntryFailsGroup(project, entry, FilterGroup::Os)) return PAGE_OS_FILTERING;
        if (EntryFailsGroup(project, entry, FilterGroup::Processor)) return PAGE_PROCESSOR_FILTERING;
    }
    return 0;
}

}  // namespace zk
