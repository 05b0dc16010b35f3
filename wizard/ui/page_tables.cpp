#include "wizard/ui/page_tables.h"

#include <iterator>

#include "wizard/project/wizard_state.h"
#include "wizard/ui/control_ids.h"

namespace zk {
namespace {

using K = ControlKind;
using B = Bound;

constexpr const char* MANDATORY = "Mandatory field";
constexpr const char* TITLE_TIP =
    "Application title field. Cannot contain any of the following characters: \\, "
    "/,:,*,\",?,<,>,|";
constexpr const char* PROJECT_NAME_TIP =
    "Change default project file name. Cannot contain any of the following characters: \\, "
    "/,:,*,\",?,<,>,|";

constexpr ControlDefinition INTRO[] = {
    {IDC_SKIP_INTRO, K::Check, "Don't start with this page again", 190, 386, 320, 20, nullptr,
     B::SkipIntroPage},
};

// A filter sub-option: enabled by its own flag or its group's switch.
constexpr ControlDefinition Option(int id, const char* caption, int x, int y, int w, Bound flag,
                                   Bound group) {
    return {id, K::Check, caption, x, y, w, 20, nullptr, flag, flag, group};
}

constexpr ControlDefinition PRESETS[] = {
    {IDC_TITLE_LABEL, K::Label, "Title", 190, 28, 54, 20, MANDATORY, B::None},
    {IDC_LOAD_PROJECT, K::Browse, "...", 590, 28, 26, 20, "Load project file", B::None},
    {IDC_TITLE, K::Field, "", 270, 28, 320, 20, TITLE_TIP, B::Title, B::None, B::None, false, false,
     true},
    {IDC_COMPANY_LABEL, K::Label, "Company", 190, 58, 80, 20, MANDATORY, B::None},
    {IDC_COMPANY, K::Field, "", 270, 58, 320, 20, "Developer name field", B::Company},
    {IDC_EULA_CHECK, K::Check, "Eula", 190, 88, 80, 20, "Use Eula (optional)", B::EulaEnabled},
    {IDC_EULA_PATH, K::Field, "", 270, 88, 320, 20, "Eula file path", B::EulaPath, B::EulaEnabled},
    {IDC_EULA_BROWSE, K::Browse, "...", 590, 88, 26, 20, "Browse Eula file path", B::None,
     B::EulaEnabled},
    {IDC_README_CHECK, K::Check, "ReadMe", 190, 118, 80, 20, "Use Readme (optional)",
     B::ReadmeEnabled},
    {IDC_README_PATH, K::Field, "", 270, 118, 320, 20, "Readme file path", B::ReadmePath,
     B::ReadmeEnabled},
    {IDC_README_BROWSE, K::Browse, "...", 590, 118, 26, 20, "Browse Readme file path", B::None,
     B::ReadmeEnabled},
    {IDC_PLATFORM_FILTER, K::Check, "Platform Filter", 190, 162, 120, 20,
     "Enable platform filters. See help for detailed samples", B::PlatformFilterOn},
    Option(IDC_FILTER_POCKETPC, "Pocket PC", 350, 162, 120, B::FilterPocketPC, B::PlatformFilterOn),
    Option(IDC_FILTER_SMARTPHONE, "Smartphone", 470, 162, 120, B::FilterSmartphone,
           B::PlatformFilterOn),
    {IDC_OS_FILTER, K::Check, "OS Filter", 190, 192, 80, 20,
     "Enable operating system filters. See help for detailed samples", B::OsFilterOn},
    Option(IDC_FILTER_OS2002, "WM 2002", 350, 192, 120, B::FilterOs2002, B::OsFilterOn),
    Option(IDC_FILTER_OS2003, "WM 2003", 470, 192, 120, B::FilterOs2003, B::OsFilterOn),
    Option(IDC_FILTER_OS2003SE, "WM 2003 SE", 350, 220, 120, B::FilterOs2003SE, B::OsFilterOn),
    Option(IDC_FILTER_OS2005, "WM 5", 470, 220, 120, B::FilterOs2005, B::OsFilterOn),
    {IDC_PROCESSOR_FILTER, K::Check, "Processor Filter", 190, 250, 160, 20,
     "Enable processor builder filters. See help for detailed samples", B::ProcessorFilterOn},
    Option(IDC_FILTER_INTEL, "Intel", 350, 250, 80, B::FilterIntel, B::ProcessorFilterOn),
    Option(IDC_FILTER_TI, "TI", 430, 250, 80, B::FilterTI, B::ProcessorFilterOn),
    Option(IDC_FILTER_SAMSUNG, "Samsung", 510, 250, 80, B::FilterSamsung, B::ProcessorFilterOn),
    {IDC_REMOVABLE_CARD, K::Check, "Create output for removable card", 190, 296, 320, 20,
     "Select this option if you want an additional installer for removable cards",
     B::RemovableCardOutput},
    {IDC_DEVICE_ADVANCED, K::Check, "Enable advanced settings window on device", 190, 326, 160, 20,
     "Enable advanced settings window on device. Recomanded for advanced users only",
     B::DeviceAdvancedSettings},
    {IDC_SHOW_OVERVIEW, K::Check, "Show Project overview details", 190, 356, 240, 20,
     "List all settings made before building the project", B::ShowBuildOverview},
    {IDC_SPLASH_CHECK, K::Check, "Splash", 190, 386, 80, 20, "Use Splash image (optional)",
     B::SplashEnabled},
    {IDC_SPLASH_PATH, K::Field, "", 270, 386, 320, 20, "Splash image file path", B::SplashPath,
     B::SplashEnabled},
    {IDC_SPLASH_BROWSE, K::Browse, "...", 590, 386, 26, 20, "Browse Splash image file path",
     B::None, B::SplashEnabled},
};

constexpr ControlDefinition CABINETS[] = {
    {IDC_CABINET_LIST, K::CabinetList, "", 190, 28, 400, 248, nullptr, B::None},
    {IDC_DETAIL_NAME_LABEL, K::Label, "Name", 190, 286, 40, 20, nullptr, B::None},
    {IDC_DETAIL_NAME, K::ReadOnlyField, "", 230, 286, 160, 20, "Application Title", B::None},
    {IDC_DETAIL_PROVIDER_LABEL, K::Label, "By", 400, 286, 16, 20, nullptr, B::None},
    {IDC_DETAIL_PROVIDER, K::ReadOnlyField, "", 430, 286, 160, 20, "Application Provider", B::None},
    {IDC_DETAIL_DATE_LABEL, K::Label, "Date", 190, 316, 26, 20, nullptr, B::None},
    {IDC_DETAIL_DATE, K::ReadOnlyField, "", 230, 316, 160, 20, "Cabinet file time and date",
     B::None},
    {IDC_DETAIL_SIZE_LABEL, K::Label, "Size", 400, 316, 26, 20, nullptr, B::None},
    {IDC_DETAIL_SIZE, K::ReadOnlyField, "", 430, 316, 160, 20, "Cabinet file size", B::None},
    {IDC_DETAIL_LOCATION_LABEL, K::Label, "Location", 190, 346, 80, 20, nullptr, B::None},
    {IDC_DETAIL_LOCATION, K::ReadOnlyField, "", 270, 346, 320, 20, "Cabinet file path", B::None},
    {IDC_CUSTOM_WORK_PATH, K::Check, "Save to", 190, 386, 80, 20, "Change default work path",
     B::CustomWorkPath},
    {IDC_WORK_PATH, K::ReadOnlyTabField, "", 270, 386, 320, 20, "Work path field", B::WorkPath,
     B::CustomWorkPath},
    {IDC_WORK_PATH_BROWSE, K::Browse, "...", 590, 386, 26, 20, "Browse Work path", B::None,
     B::CustomWorkPath},
    {IDC_MOVE_UP, K::Button, "/\\", 598, 76, 30, 30, "Move up one position", B::None},
    {IDC_MOVE_DOWN, K::Button, "\\/", 598, 120, 30, 30, "Move down one position", B::None},
    {IDC_ADD_CABINET, K::Button, "Add", 598, 164, 30, 30, "Add new cabinet file", B::None},
    {IDC_DELETE_CABINET, K::Button, "Del", 598, 208, 30, 30,
     "Remove highlighted cabinet file entry", B::None},
};

constexpr ControlDefinition BUILD[] = {
    {IDC_BUILD_LOG, K::LogList, "", 190, 32, 400, 222,
     "Debug output window. Check that all settings are correctly made", B::None},
    {IDC_PROGRESS_LABEL, K::Label, "Overall Progress", 190, 256, 240, 20, nullptr, B::None},
    {IDC_PROGRESS, K::ProgressBar, "", 190, 282, 320, 20, "Build progress", B::None},
    {IDC_SAVE_PROJECT, K::Check, "Save project file as", 190, 330, 160, 20,
     "Enable project file name field", B::SaveProjectFile},
    {IDC_PROJECT_NAME, K::Field, "", 350, 330, 240, 20, PROJECT_NAME_TIP, B::ProjectName,
     B::SaveProjectFile, B::None, false, false, true},
    {IDC_DEPLOY_DESKTOP, K::Check, "Deploy Desktop installer when done", 190, 358, 320, 20,
     "Deploy desktop build remotely. Make sure to sync succesfully device first",
     B::DeployDesktopWhenDone},
    {IDC_DEPLOY_MOBILE, K::Check, "Deploy Mobile installer when done", 190, 386, 320, 20,
     "Deploy mobile installer. Make sure to sync succesfully device first",
     B::DeployMobileWhenDone},
};

constexpr ControlDefinition DEPLOY[] = {
    {IDC_DEVICE_STATUS, K::ReadOnlyTabField, "", 190, 88, 280, 20,
     "Display device connection status", B::None},
    {IDC_LOOK_FOR_DEVICE, K::Button, "Look for device", 470, 88, 120, 20,
     "Search for device remotely", B::None, B::None, B::None, true},
    {IDC_REMOTE_PATH, K::ReadOnlyField, "\\", 190, 148, 400, 20, "Path to deploy to remotely",
     B::None},
    {IDC_REMOTE_TREE, K::RemoteTree, "", 190, 168, 400, 228, "Remote browse for folder", B::None,
     B::None, B::None, false, true},
};

}  // namespace

std::span<const ControlDefinition> PageTable(int step) {
    switch (step) {
    case 0: return INTRO;
    case 1: return PRESETS;
    case 2: return CABINETS;
    case 3: return BUILD;
    case 4: return DEPLOY;
    default: return {};
    }
}

const ControlDefinition* FindControl(int step, int id) {
    for (const ControlDefinition& entry : PageTable(step))
        if (entry.id == id) return &entry;
    return nullptr;
}

const char* BoundText(const WizardState& s, Bound bound) {
    switch (bound) {
    case B::Title: return s.title;
    case B::Company: return s.company;
    case B::EulaPath: return s.eulaPath;
    case B::ReadmePath: return s.readmePath;
    case B::SplashPath: return s.splashPath;
    case B::WorkPath: return s.workPath;
    case B::ProjectName: return s.projectName;
    default: return nullptr;
    }
}

const std::uint8_t* BoundFlag(const WizardState& s, Bound bound) {
    switch (bound) {
    case B::SkipIntroPage: return &s.skipIntroPage;
    case B::EulaEnabled: return &s.eulaEnabled;
    case B::ReadmeEnabled: return &s.readmeEnabled;
    case B::PlatformFilterOn: return &s.platformFilterOn;
    case B::FilterPocketPC: return &s.filterPocketPC;
    case B::FilterSmartphone: return &s.filterSmartphone;
    case B::OsFilterOn: return &s.osFilterOn;
    case B::FilterOs2002: return &s.filterOs2002;
    case B::FilterOs2003: return &s.filterOs2003;
    case B::FilterOs2003SE: return &s.filterOs2003SE;
    case B::FilterOs2005: return &s.filterOs2005;
    case B::ProcessorFilterOn: return &s.processorFilterOn;
    case B::FilterIntel: return &s.filterIntel;
    case B::FilterTI: return &s.filterTI;
    case B::FilterSamsung: return &s.filterSamsung;
    case B::RemovableCardOutput: return &s.removableCardOutput;
    case B::DeviceAdvancedSettings: return &s.deviceAdvancedSettings;
    case B::ShowBuildOverview: return &s.showBuildOverview;
    case B::SplashEnabled: return &s.splashEnabled;
    case B::CustomWorkPath: return &s.customWorkPath;
    case B::SaveProjectFile: return &s.saveProjectFile;
    case B::DeployDesktopWhenDone: return &s.deployDesktopWhenDone;
    case B::DeployMobileWhenDone: return &s.deployMobileWhenDone;
    default: return nullptr;
    }
}

std::uint8_t* BoundFlag(WizardState& state, Bound bound) {
    return const_cast<std::uint8_t*>(BoundFlag(static_cast<const WizardState&>(state), bound));
}

bool EnabledAtCreation(const ControlDefinition& entry, const WizardState& state) {
    if (entry.createdDisabled) return false;
    if (entry.enabledBy == B::None && entry.orEnabledBy == B::None) return true;
    for (Bound rule : {entry.enabledBy, entry.orEnabledBy}) {
        const std::uint8_t* flag = BoundFlag(state, rule);
        if (flag && *flag) return true;
    }
    return false;
}

bool IsLightField(int id) {
    constexpr int LIGHT[] = {IDC_TITLE,       IDC_COMPANY,      IDC_EULA_PATH,
                             IDC_README_PATH, IDC_PROJECT_NAME, IDC_SPLASH_PATH,
                             IDC_WORK_PATH,   IDC_DETAIL_NAME,  IDC_DETAIL_PROVIDER,
                             IDC_DETAIL_DATE, IDC_DETAIL_SIZE,  IDC_DETAIL_LOCATION};
    for (int light : LIGHT)
        if (light == id) return true;
    return false;
}

}  // namespace zk
