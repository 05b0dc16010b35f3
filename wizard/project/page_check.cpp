#include "wizard/project/page_check.h"

#include <cstddef>
#include <string>

#include "common/fixed_text.h"
#include "platform/desktop_platform.h"
#include "platform/page_view.h"
#include "platform/path_text.h"
#include "wizard/cabinet/cabinet_filters.h"
#include "wizard/project/file_name_rules.h"
#include "wizard/project/project_file.h"
#include "wizard/project/wizard_context.h"
#include "wizard/ui/control_ids.h"

namespace zk {
namespace {

constexpr std::size_t MAX_PROJECT_NAME = 259;

// The controls as the page shows them; with no page every control reads as
// empty and unchecked.
std::string TextOfControl(WizardContext& ctx, int id) {
    return ctx.page ? ctx.page->GetText(id) : std::string();
}

std::uint8_t CheckOf(WizardContext& ctx, int id) {
    return ctx.page && ctx.page->IsChecked(id) ? 1 : 0;
}

// A document path and the file-name part kept beside it.
template <std::size_t P, std::size_t N>
void ReadPath(WizardContext& ctx, int id, char (&path)[P], char (&fileName)[N]) {
    CopyText(path, TextOfControl(ctx, id));
    CopyText(fileName, FileNamePart(path));
}

int CheckPresets(WizardContext& ctx) {
    WizardState& s = ctx.state;
    Project& p = ctx.project;

    CopyText(s.title, TextOfControl(ctx, IDC_TITLE));
    if (s.title[0] == '\0') return PAGE_TITLE_EMPTY;
    if (!IsUsableFileName(s.title)) return PAGE_TITLE_CHARACTERS;
    CopyText(s.company, TextOfControl(ctx, IDC_COMPANY));
    if (s.company[0] == '\0') return PAGE_COMPANY_EMPTY;

    s.eulaEnabled = CheckOf(ctx, IDC_EULA_CHECK);
    s.readmeEnabled = CheckOf(ctx, IDC_README_CHECK);
    s.splashEnabled = CheckOf(ctx, IDC_SPLASH_CHECK);
    if (s.eulaEnabled) {
        ReadPath(ctx, IDC_EULA_PATH, s.eulaPath, s.eulaFileName);
        if (s.eulaPath[0] == '\0') return PAGE_EULA_PATH_EMPTY;
    }
    if (s.readmeEnabled) {
        ReadPath(ctx, IDC_README_PATH, s.readmePath, s.readmeFileName);
        if (s.readmePath[0] == '\0') return PAGE_README_PATH_EMPTY;
    }
    if (s.splashEnabled) {
        ReadPath(ctx, IDC_SPLASH_PATH, s.splashPath, s.splashFileName);
        if (s.splashPath[0] == '\0') return PAGE_SPLASH_PATH_EMPTY;
    }
    if (s.eulaEnabled && !IsFilePresent(ctx.platform, s.eulaPath)) return PAGE_EULA_FILE_ABSENT;
    if (s.readmeEnabled && !IsFilePresent(ctx.platform, s.readmePath))
        return PAGE_README_FILE_ABSENT;
    if (s.splashEnabled && !IsFilePresent(ctx.platform, s.splashPath))
        return PAGE_SPLASH_FILE_ABSENT;

    CopyText(p.title, TextOf(s.title));
    CopyText(p.company, TextOf(s.company));
    p.eulaEnabled = s.eulaEnabled;
    p.readmeEnabled = s.readmeEnabled;
    p.splashEnabled = s.splashEnabled;

    // Group by group, each checked as soon as it is read; the project takes
    // them only when all three pass.
    for (const FilterGroupSwitch& g : FILTER_GROUPS) {
        s.*g.state = CheckOf(ctx, g.control);
        for (const FilterOption& o : FILTER_OPTIONS)
            if (o.group == g.group) s.*o.state = CheckOf(ctx, o.control);
        if (int code = CheckGroupSelection(s, g.group)) return code;
    }
    for (const FilterGroupSwitch& g : FILTER_GROUPS) p.*g.project = s.*g.state;
    for (const FilterOption& o : FILTER_OPTIONS) p.*o.option = s.*o.state;

    s.removableCardOutput = CheckOf(ctx, IDC_REMOVABLE_CARD);
    s.deviceAdvancedSettings = CheckOf(ctx, IDC_DEVICE_ADVANCED);
    s.showBuildOverview = CheckOf(ctx, IDC_SHOW_OVERVIEW);
    p.removableCardOutput = s.removableCardOutput;
    p.deviceAdvancedSettings = s.deviceAdvancedSettings;
    p.showBuildOverview = s.showBuildOverview;
    return PAGE_OK;
}

int CheckCabinets(WizardContext& ctx) {
    WizardState& s = ctx.state;
    if (s.customWorkPath) {
        CopyText(s.workPath, TextOfControl(ctx, IDC_WORK_PATH));
        if (s.workPath[0] == '\0') return PAGE_WORK_PATH_EMPTY;
    }
    if (CabinetCount(ctx.project) == 0) return PAGE_EMPTY_LIST;
    CopyText(s.savedWorkPath, TextOf(s.workPath));
    return CheckEntryFilters(ctx.project);
}

int CheckBuild(WizardContext& ctx) {
    WizardState& s = ctx.state;
    s.saveProjectFile = CheckOf(ctx, IDC_SAVE_PROJECT);
    if (s.saveProjectFile) {
        const std::string typed = TextOfControl(ctx, IDC_PROJECT_NAME);
        if (typed.size() > MAX_PROJECT_NAME) return PAGE_PROJECT_NAME_TOO_LONG;
        CopyText(s.projectName, typed);
        if (s.projectName[0] == '\0') return PAGE_PROJECT_NAME_EMPTY;
    }
    if (!IsUsableFileName(s.projectName)) return PAGE_PROJECT_NAME_CHARACTERS;
    ctx.project.saveProjectFile = s.saveProjectFile;
    return PAGE_OK;
}

struct PageMessage {
    int code;
    const char* text;
    const char* caption;
    MessageIcon icon;
};

constexpr const char* BAD_CHARACTERS_TEXT =
    "Cannot contain any of the following characters: \\, /,:,*,\",?,<,>,|";
constexpr const char* FILTERING_TEXT =
    "One of the entries in the list will not be installed. Please delete if not need of it.";

constexpr PageMessage PAGE_MESSAGES[] = {
    {PAGE_TITLE_EMPTY, "Title field is empty", "Please fill in", MessageIcon::Warning},
    {PAGE_COMPANY_EMPTY, "Company field is empty", "Please fill in", MessageIcon::Warning},
    {PAGE_TITLE_CHARACTERS, BAD_CHARACTERS_TEXT, "Invalid Title", MessageIcon::Warning},
    {PAGE_EULA_PATH_EMPTY, "Eula path is missing or invalid", "Please correct",
     MessageIcon::Warning},
    {PAGE_README_PATH_EMPTY, "Readme path is missing or invalid", "Please correct",
     MessageIcon::Warning},
    {PAGE_SPLASH_PATH_EMPTY, "Splash image path is missing or invalid", "Please correct",
     MessageIcon::Warning},
    {PAGE_EULA_FILE_ABSENT, "Eula path is invalid or file is empty", "Please correct",
     MessageIcon::Error},
    {PAGE_README_FILE_ABSENT, "Readme path is invalid or file is empty", "Please correct",
     MessageIcon::Error},
    {PAGE_SPLASH_FILE_ABSENT, "Splash image path is invalid or file is empty", "Please correct",
     MessageIcon::Error},
    {PAGE_PLATFORM_SELECTION, "Platform selection is invalid. For details please check the manual",
     "Please correct", MessageIcon::Information},
    {PAGE_OS_SELECTION,
     "Operating system selection is invalid. For details please check the manual", "Please correct",
     MessageIcon::Information},
    {PAGE_PROCESSOR_SELECTION,
     "Processor selection is invalid. For details please check the manual", "Please correct",
     MessageIcon::Information},
    {PAGE_EMPTY_LIST, "No cab file has been added in the list", "Please add entry",
     MessageIcon::Warning},
    {PAGE_PLATFORM_FILTERING, FILTERING_TEXT, "Platform filtering error", MessageIcon::Warning},
    {PAGE_OS_FILTERING, FILTERING_TEXT, "OS filtering error", MessageIcon::Warning},
    {PAGE_PROCESSOR_FILTERING, FILTERING_TEXT, "Processor filtering error", MessageIcon::Warning},
    {PAGE_PROJECT_NAME_TOO_LONG, "Project file name is too long", "Limit exceded",
     MessageIcon::Warning},
    {PAGE_PROJECT_NAME_EMPTY, "Project file name field is empty", "Please fill in",
     MessageIcon::Warning},
    {PAGE_PROJECT_NAME_CHARACTERS, BAD_CHARACTERS_TEXT, "Invalid Project name",
     MessageIcon::Warning},
};

}  // namespace

int CheckPage(WizardContext& ctx, int step) {
    switch (step) {
    case 1: return CheckPresets(ctx);
    case 2: return CheckCabinets(ctx);
    case 3: return CheckBuild(ctx);
    default: return PAGE_OK;
    }
}

void ReportPageError(DesktopPlatform& platform, int code, bool owned) {
    for (const PageMessage& m : PAGE_MESSAGES)
        if (m.code == code) {
            platform.ShowMessage(m.text, m.caption, m.icon, owned);
            return;
        }
}

}  // namespace zk
