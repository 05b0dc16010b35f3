// The compatibility filters, described once. Three groups (platform, OS
// version, processor), each a switch and its options; every option is a
// flag of the Project record, of WizardState and of every CabEntry, a box
// on the presets page and a column of the cabinet list. Whatever copies,
// shows, checks or names the filters loops over these two tables.
#pragma once

#include <cstdint>

#include "common/os_version_span.h"
#include "common/project_record.h"
#include "wizard/project/wizard_state.h"

namespace zk {

enum class FilterGroup { Platform, Os, Processor };

struct FilterGroupSwitch {
    FilterGroup group;
    const char* name;      // in messages: "the OS filter's options"
    const char* label;     // the box on the presets page and the settings text
    const char* word;      // on the command line: --os-filter
    const char* jsonName;  // in the project's JSON document
    std::uint8_t Project::*project;
    std::uint8_t WizardState::*state;
    int control;
    int selectionCode;  // the page code of the switch on with no option selected
    int filteringCode;  // the page code of an entry the group would never let through
};

struct FilterOption {
    FilterGroup group;
    const char* label;   // the box on the presets page and the settings text
    const char* word;    // on the command line: --os-filter 2003se
    const char* column;  // the cabinet list's column
    int width;
    std::uint8_t Project::*option;
    std::uint8_t WizardState::*state;
    std::uint8_t CabEntry::*flag;
    int control;
    OsSpan span;  // OS options only
};

// In the order of the page and of the checks.
inline constexpr int FILTER_GROUP_COUNT = 3;
extern const FilterGroupSwitch FILTER_GROUPS[FILTER_GROUP_COUNT];

// In the list's column order (Intel before TI), group by group.
inline constexpr int FILTER_OPTION_COUNT = 9;
extern const FilterOption FILTER_OPTIONS[FILTER_OPTION_COUNT];

inline const FilterGroupSwitch& GroupOf(FilterGroup group) {
    return FILTER_GROUPS[static_cast<int>(group)];
}
inline const FilterGroupSwitch& GroupOf(const FilterOption& option) {
    return GroupOf(option.group);
}

}  // namespace zk
