// The five pages as data: every control's id, kind, caption, place on the
// 640 x 480 canvas, tooltip, the WizardState field it shows and its enable
// rule at creation. Each page's table is in creation order, which is also
// the Tab order. Any front (the Win32 window, an in-memory page) builds the
// pages from these tables.
#pragma once

#include <cstdint>
#include <span>

namespace zk {

struct WizardState;

enum class ControlKind {
    Label,             // static text
    Field,             // single-line edit with border, tab stop, auto scroll
    ReadOnlyField,     // the same, read-only, no tab stop
    ReadOnlyTabField,  // read-only with tab stop
    Check,             // automatic check box with tab stop
    Button,            // push button with tab stop
    Browse,            // the "..." push button beside a field
    CabinetList,       // report-view list, single selection, always shown
    LogList,           // list box with both scroll bars, tab expansion
    ProgressBar,       // with border; keeps its default font
    RemoteTree,        // tree view with buttons, lines, lines at the root
};

// The WizardState field a control shows, or the flag an enable rule names.
enum class Bound : std::uint8_t {
    None,
    // Texts.
    Title,
    Company,
    EulaPath,
    ReadmePath,
    SplashPath,
    WorkPath,
    ProjectName,
    // Flags.
    SkipIntroPage,
    EulaEnabled,
    ReadmeEnabled,
    PlatformFilterOn,
    FilterPocketPC,
    FilterSmartphone,
    OsFilterOn,
    FilterOs2002,
    FilterOs2003,
    FilterOs2003SE,
    FilterOs2005,
    ProcessorFilterOn,
    FilterIntel,
    FilterTI,
    FilterSamsung,
    RemovableCardOutput,
    DeviceAdvancedSettings,
    ShowBuildOverview,
    SplashEnabled,
    CustomWorkPath,
    SaveProjectFile,
    DeployDesktopWhenDone,
    DeployMobileWhenDone,
};

struct ControlDefinition {
    int id;
    ControlKind kind;
    const char* caption;  // "" for none
    int x, y, width, height;
    const char* tooltip;  // nullptr for none
    Bound bound;
    // Enabled at creation when either flag is set; with both None, always.
    Bound enabledBy = Bound::None;
    Bound orEnabledBy = Bound::None;
    bool createdDisabled = false;  // stays so until the step's logic enables it
    bool createdHidden = false;
    bool fileNameFilter = false;  // the file-name character filter is installed
};

// The table of a step, empty outside 0 to 4.
std::span<const ControlDefinition> PageTable(int step);
// The entry of `id` in the step's table, or null.
const ControlDefinition* FindControl(int step, int id);

// The text a text binding shows; null for a flag or None.
const char* BoundText(const WizardState& state, Bound bound);
// The flag a flag binding names; null for a text or None.
std::uint8_t* BoundFlag(WizardState& state, Bound bound);
const std::uint8_t* BoundFlag(const WizardState& state, Bound bound);

// Whether the control is enabled when its page is created.
bool EnabledAtCreation(const ControlDefinition& entry, const WizardState& state);

// The edit fields painted in the lighter field colour; all other controls
// take the page colour.
bool IsLightField(int id);
inline constexpr std::uint32_t FIELD_COLOUR = 0xF9E2DB;  // RGB(219, 226, 249) as 0x00BBGGRR
inline constexpr std::uint32_t PAGE_COLOUR = 0xF6E2D3;   // RGB(211, 226, 246)

}  // namespace zk
