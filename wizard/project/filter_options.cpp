#include "wizard/project/filter_options.h"

#include "wizard/project/page_codes.h"
#include "wizard/ui/control_ids.h"

namespace zk {

// The platform and processor options hold no OS versions.
constexpr OsSpan NO_SPAN{};

const FilterGroupSwitch FILTER_GROUPS[FILTER_GROUP_COUNT] = {
    {FilterGroup::Platform, "platform", "Platform Filter", "platform", "platformFilterOn",
     &Project::platformFilterOn, &WizardState::platformFilterOn, IDC_PLATFORM_FILTER,
     PAGE_PLATFORM_SELECTION, PAGE_PLATFORM_FILTERING},
    {FilterGroup::Os, "OS", "OS Filter", "os", "osFilterOn", &Project::osFilterOn,
     &WizardState::osFilterOn, IDC_OS_FILTER, PAGE_OS_SELECTION, PAGE_OS_FILTERING},
    {FilterGroup::Processor, "processor", "Processor Filter", "processor", "processorFilterOn",
     &Project::processorFilterOn, &WizardState::processorFilterOn, IDC_PROCESSOR_FILTER,
     PAGE_PROCESSOR_SELECTION, PAGE_PROCESSOR_FILTERING},
};

const FilterOption FILTER_OPTIONS[FILTER_OPTION_COUNT] = {
    {FilterGroup::Platform, "Pocket PC", "pocketpc", "PPC", 56, &Project::filterPocketPC,
     &WizardState::filterPocketPC, &CabEntry::forPocketPC, IDC_FILTER_POCKETPC, NO_SPAN},
    {FilterGroup::Platform, "Smartphone", "smartphone", "SMP", 56, &Project::filterSmartphone,
     &WizardState::filterSmartphone, &CabEntry::forSmartphone, IDC_FILTER_SMARTPHONE, NO_SPAN},
    {FilterGroup::Os, "WM 2002", "2002", "2002", 56, &Project::filterOs2002,
     &WizardState::filterOs2002, &CabEntry::forOs2002, IDC_FILTER_OS2002, OS_SPAN_2002},
    {FilterGroup::Os, "WM 2003", "2003", "2003", 56, &Project::filterOs2003,
     &WizardState::filterOs2003, &CabEntry::forOs2003, IDC_FILTER_OS2003, OS_SPAN_2003},
    {FilterGroup::Os, "WM 2003 SE", "2003se", "2003SE", 56, &Project::filterOs2003SE,
     &WizardState::filterOs2003SE, &CabEntry::forOs2003SE, IDC_FILTER_OS2003SE, OS_SPAN_2003SE},
    {FilterGroup::Os, "WM 5", "wm5", "WM 5", 56, &Project::filterOs2005, &WizardState::filterOs2005,
     &CabEntry::forOs2005, IDC_FILTER_OS2005, OS_SPAN_WM5},
    {FilterGroup::Processor, "Intel", "intel", "Intel", 64, &Project::filterIntel,
     &WizardState::filterIntel, &CabEntry::forIntel, IDC_FILTER_INTEL, NO_SPAN},
    {FilterGroup::Processor, "TI", "ti", "TI", 64, &Project::filterTI, &WizardState::filterTI,
     &CabEntry::forTI, IDC_FILTER_TI, NO_SPAN},
    {FilterGroup::Processor, "Samsung", "samsung", "Samsung", 64, &Project::filterSamsung,
     &WizardState::filterSamsung, &CabEntry::forSamsung, IDC_FILTER_SAMSUNG, NO_SPAN},
};

}  // namespace zk
