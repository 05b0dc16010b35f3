// Identifiers of the installer window's soft-key bars, commands, controls and
// timer, shared by the page flow and the window that draws it.
#pragma once

namespace zk {

// Soft-key bars (resources).
inline constexpr int BAR_WELCOME = 104;       // (none) | Start
inline constexpr int BAR_NAVIGATION = 102;    // Back | Next
inline constexpr int BAR_INSTALLATION = 105;  // (none) | Finish
inline constexpr int BAR_DAMAGED = 106;       // (none) | Exit: a damaged package

// Soft-key commands.
inline constexpr int CMD_WELCOME_LEFT = 40008;
inline constexpr int CMD_START = 40011;
inline constexpr int CMD_BACK = 40005;
inline constexpr int CMD_NEXT = 40007;
inline constexpr int CMD_INSTALLATION_LEFT = 40013;
inline constexpr int CMD_FINISH = 40017;
inline constexpr int CMD_DAMAGED_LEFT = 40018;
inline constexpr int CMD_EXIT = 40019;

// Each bar's left and right soft key, as its resource lists them.
struct SoftKeyPair {
    int bar;
    int left;
    int right;
};
inline constexpr SoftKeyPair SOFT_KEY_PAIRS[] = {
    {BAR_WELCOME, CMD_WELCOME_LEFT, CMD_START},
    {BAR_NAVIGATION, CMD_BACK, CMD_NEXT},
    {BAR_INSTALLATION, CMD_INSTALLATION_LEFT, CMD_FINISH},
    {BAR_DAMAGED, CMD_DAMAGED_LEFT, CMD_EXIT},
};

// Preference controls, in the order they are created, and the status box.
inline constexpr int IDC_OVERRIDE_CHECK = 305;
inline constexpr int IDC_OVERRIDE_EDIT = 306;
inline constexpr int IDC_OVERRIDE_BROWSE = 307;
inline constexpr int IDC_RESUME_CHECK = 311;
inline constexpr int IDC_RESET_CHECK = 312;
inline constexpr int IDC_SILENT_CHECK = 313;
inline constexpr int IDC_DEBUG_LOG_CHECK = 314;
inline constexpr int IDC_LOG_EDIT = 315;
inline constexpr int IDC_LOG_BROWSE = 316;
inline constexpr int IDC_STATUS_BOX = 317;

inline constexpr int STATUS_TIMER_ID = 1234;
inline constexpr unsigned STATUS_TIMER_MS = 500;

}  // namespace zk
