// The page check run before the wizard leaves a step: the step's values are
// read from its controls into WizardState and, as far as they pass, copied
// into Project. The first failing check returns its code at once; what was
// read or copied before it stays. The error report turns a code into its
// message box.
#pragma once

namespace zk {

struct WizardContext;
class DesktopPlatform;

// Result codes (0 = accepted).
inline constexpr int PAGE_OK = 0;
inline constexpr int PAGE_TITLE_EMPTY = 1;
inline constexpr int PAGE_COMPANY_EMPTY = 17;
inline constexpr int PAGE_TITLE_CHARACTERS = 273;
inline constexpr int PAGE_EULA_PATH_EMPTY = 2;
inline constexpr int PAGE_README_PATH_EMPTY = 18;
inline constexpr int PAGE_SPLASH_PATH_EMPTY = 34;
inline constexpr int PAGE_EULA_FILE_ABSENT = 3;
inline constexpr int PAGE_README_FILE_ABSENT = 19;
inline constexpr int PAGE_SPLASH_FILE_ABSENT = 35;
// 4, 5, 6, 7, 8, 9 and 16 are the filter checks' (wizard/cabinet/cabinet_filters.h).
inline constexpr int PAGE_WORK_PATH_EMPTY = 66;  // no message: the page stays
inline constexpr int PAGE_PROJECT_NAME_TOO_LONG = 272;
inline constexpr int PAGE_PROJECT_NAME_EMPTY = 50;
inline constexpr int PAGE_PROJECT_NAME_CHARACTERS = 51;

// Checks step 1 (presets), 2 (cabinets) or 3 (build); steps 0 and 4 have
// nothing to check and give 0, as does a step outside 0 to 4.
int CheckPage(WizardContext& ctx, int step);

// Shows the code's message box, owned by the main window, with an OK
// button. Codes 0 and 66, and codes the check never gives, show nothing.
void ReportPageError(DesktopPlatform& platform, int code);

// False when the text holds one of \ / : * ? " < > |. Empty text passes.
bool HasOnlyFileNameCharacters(const char* text);

}  // namespace zk
