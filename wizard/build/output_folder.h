#pragma once

#include <string>

namespace zk {

struct WizardContext;

// The date subfolder text: the separator and day-month-year of the current
// UTC date without leading zeros ("\7-12-2026").
std::string DateSubfolderText(WizardContext& ctx);

// Appends the date and title subfolders to WizardState.workPath, as the two
// folder options ask, creating each last level. Failures are not reported
// here: the build's own writes then fail and say so.
void PrepareOutputFolder(WizardContext& ctx);

}  // namespace zk
