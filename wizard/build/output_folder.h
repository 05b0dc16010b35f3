#pragma once

#include <string>

namespace zk {

struct WizardContext;

// The date subfolder text: the separator and day-month-year of the current
// UTC date without leading zeros ("\7-12-2026").
std::string DateSubfolderText(WizardContext& ctx);

// Appends the date and title subfolders to WizardState.workPath, as the two
// folder options ask, creating each last level. False when the folder the
// outputs go to is then not there, with why in `*reason` when given.
bool PrepareOutputFolder(WizardContext& ctx, std::string* reason = nullptr);

}  // namespace zk
