// The result codes of the page check, 0 = accepted. The error report turns
// each into its message box (wizard/project/page_check.h).
#pragma once

namespace zk {

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
// The filter checks (wizard/cabinet/cabinet_filters.h).
inline constexpr int PAGE_OS_SELECTION = 4;
inline constexpr int PAGE_PLATFORM_SELECTION = 5;
inline constexpr int PAGE_PROCESSOR_SELECTION = 6;
inline constexpr int PAGE_EMPTY_LIST = 7;
inline constexpr int PAGE_PLATFORM_FILTERING = 8;
inline constexpr int PAGE_OS_FILTERING = 9;
inline constexpr int PAGE_PROCESSOR_FILTERING = 16;
inline constexpr int PAGE_WORK_PATH_EMPTY = 66;  // no message: the page stays
inline constexpr int PAGE_PROJECT_NAME_TOO_LONG = 272;
inline constexpr int PAGE_PROJECT_NAME_EMPTY = 50;
inline constexpr int PAGE_PROJECT_NAME_CHARACTERS = 51;

}  // namespace zk
