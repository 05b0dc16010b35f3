// The compatibility filters: the nine target booleans of every cabinet entry
// in three groups (platform, OS version, processor), the project's filters
// that narrow them, the Yes/No columns of the cabinet list, and the checks
// run when the presets and cabinet steps are left.
#pragma once

#include <cstdint>

#include "common/cabinet/setup_info.h"
#include "common/project_record.h"
#include "wizard/project/filter_options.h"
#include "wizard/project/page_codes.h"

namespace zk {

struct WizardContext;
struct WizardState;

// The cabinet list and its first column; the images of the list's image list.
inline constexpr const char* CABINET_NAME_COLUMN = "Cabinet Name";
inline constexpr int CABINET_NAME_WIDTH = 128;
inline constexpr int IMAGE_CABINET = 0;
inline constexpr int IMAGE_YES = 1;
inline constexpr int IMAGE_NO = 2;

// The booleans of a new entry. Platform and processor: set when the group
// switch and the option agree (both on or both off). OS: whether the
// cabinet's version range meets the option's version span, whatever the
// filters say.
void DeriveEntryFlags(const Project& project, const SetupInfo& info, CabEntry& entry);

// Deletes every column of the cabinet list and lays out "Cabinet Name" and
// one column per option whose group switch is on and which is selected.
void ShowCabinetColumns(WizardContext& ctx);

// Brings entry `row`'s booleans in line with the filters and writes its
// Yes/No cells; with `insert` the row is first inserted at `row` showing the
// entry's file name. For an option whose switch and option are both off the
// boolean is set; when exactly one is on a platform or processor boolean is
// cleared and an OS boolean kept; when both are on the cell shows it.
void RefreshCabinetRow(WizardContext& ctx, int row, bool insert);

// Writes row `row`'s Yes/No cells from the entry's booleans as they stand,
// one per column that exists.
void WriteFilterCells(WizardContext& ctx, int row);

// A click on the cell at (row, column), as the list's hit test found it;
// -1 for none. Flips a Yes/No cell and the boolean its column names. The
// first column, and places outside a row, do nothing.
void ToggleFilterCell(WizardContext& ctx, int row, int column);

// The selection check of the presets step for one group, on the values read
// from the page: the group's selectionCode (platform 5, OS 4, processor 6)
// when it is switched on with no option selected, else 0.
int CheckGroupSelection(const WizardState& state, FilterGroup group);
// The three groups in order; the first failure wins.
int CheckFilterSelection(const WizardState& state);

// The check of the cabinet step: 7 for an empty list; else the first entry,
// in list order, that fails a group switched on (platform, then OS, then
// processor) gives the group's filteringCode: 8, 9 or 16. An entry passes a group when one of the
// selected options has its boolean set.
int CheckEntryFilters(const Project& project);

// Whether the group is switched on and none of its selected options has the
// entry's boolean set: the device would never install such an entry.
bool EntryFailsGroup(const Project& project, const CabEntry& entry, FilterGroup group);

}  // namespace zk
