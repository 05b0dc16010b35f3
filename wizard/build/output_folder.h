#pragma once

#include <string>

namespace zk {

struct BuildOutcome;
struct WizardContext;

// The date subfolder text: the separator and day-month-year of the current
// UTC date without leading zeros ("\7-12-2026").
std::string DateSubfolderText(WizardContext& ctx);

// Appends the date and title subfolders to WizardState.workPath, as the two
// folder options ask, creating each last level. The "Save to" folder itself
// is not made: when it is not there, `outcome` says BuildFault::FolderMissing
// naming it; BuildFault::CannotMakeFolder when the folder the outputs go to
// could not be made or is no folder.
bool PrepareOutputFolder(WizardContext& ctx, BuildOutcome& outcome);

}  // namespace zk
