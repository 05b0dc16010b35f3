#include "wizard/project/project_file.h"

#include <cstring>
#include <memory>

#include "common/fixed_text.h"
#include "platform/desktop_platform.h"
#include "platform/page_view.h"
#include "platform/path_text.h"
#include "wizard/project/filter_options.h"
#include "wizard/project/wizard_context.h"
#include "wizard/ui/control_ids.h"

namespace zk {

bool ReadProjectFile(DesktopPlatform& platform, Project& project, const char* path) {
    if (!path) return false;
    std::unique_ptr<FileHandle> file = platform.OpenFile(path, FileMode::Read);
    if (!file) return false;
    if (!file->SeekToEnd()) return false;
    const std::uint64_t size = file->Tell();
    if (size != PROJECT_RECORD_SIZE || !file->Seek(0)) return false;
    // Read into a scratch record so that a short read leaves the project
    // alone; the read fills it, so it is not zeroed first.
    auto loaded = std::make_unique_for_overwrite<Project>();
    if (file->Read(loaded.get(), PROJECT_RECORD_SIZE) != PROJECT_RECORD_SIZE) return false;
    std::memcpy(&project, loaded.get(), PROJECT_RECORD_SIZE);
    return true;
}

bool WriteProjectFile(DesktopPlatform& platform, const Project& project, const char* path) {
    if (!path) return false;
    std::unique_ptr<FileHandle> file = platform.OpenFile(path, FileMode::CreateWrite);
    if (!file) return false;
    bool ok = file->Write(&project, PROJECT_RECORD_SIZE) == PROJECT_RECORD_SIZE;
    return file->Close() && ok;
}

bool ReplaceProjectFile(DesktopPlatform& platform, const Project& project, const char* path) {
    if (!path || !*path) return false;
    const std::string partial = PartialName(path);
    if (WriteProjectFile(platform, project, partial.c_str()) && platform.RenameFile(partial, path))
        return true;
    // Only a temporary that is there is removed: a removal that fails would
    // stand in for the failure the caller reports.
    FileFacts facts;
    if (platform.GetFileFacts(partial, &facts)) platform.RemoveFile(partial);
    return false;
}

bool IsFilePresent(DesktopPlatform& platform, const char* path) {
    FileFacts facts;
    return path && *path && platform.GetFileFacts(path, &facts) &&
           !(facts.attributes & FILE_ATTR_DIRECTORY) && facts.size != 0;
}

namespace {

void ShowFlag(PageView* page, int id, std::uint8_t flag) {
    if (page) page->SetChecked(id, flag != 0);
}

void ShowText(PageView* page, int id, const char* text) {
    if (page) page->SetText(id, text);
}

void EnableControl(PageView* page, int id, bool enabled) {
    if (page) page->Enable(id, enabled);
}

// The documents a project may carry, as the record, the working state and
// the presets page hold each.
struct Document {
    std::uint8_t Project::*enabled;
    char (Project::*path)[520];
    std::uint8_t WizardState::*stateEnabled;
    char (WizardState::*statePath)[520];
    char (WizardState::*fileName)[260];
    int check, pathField, browse;
};

constexpr Document DOCUMENTS[] = {
    {&Project::eulaEnabled, &Project::eulaPath, &WizardState::eulaEnabled, &WizardState::eulaPath,
     &WizardState::eulaFileName, IDC_EULA_CHECK, IDC_EULA_PATH, IDC_EULA_BROWSE},
    {&Project::readmeEnabled, &Project::readmePath, &WizardState::readmeEnabled,
     &WizardState::readmePath, &WizardState::readmeFileName, IDC_README_CHECK, IDC_README_PATH,
     IDC_README_BROWSE},
    {&Project::splashEnabled, &Project::splashPath, &WizardState::splashEnabled,
     &WizardState::splashPath, &WizardState::splashFileName, IDC_SPLASH_CHECK, IDC_SPLASH_PATH,
     IDC_SPLASH_BROWSE},
};

}  // namespace

bool ApplyProjectToWizard(WizardContext& ctx, const char* projectName) {
    const Project& p = ctx.project;
    WizardState& s = ctx.state;
    // Only the presets page carries these controls; on any other page, or with
    // no window at all, only the working state changes.
    PageView* page = ctx.page && ctx.page->HasControl(IDC_TITLE) ? ctx.page : nullptr;

    CopyText(s.title, TextOf(p.title));
    CopyText(s.company, TextOf(p.company));
    ShowText(page, IDC_TITLE, s.title);
    ShowText(page, IDC_COMPANY, s.company);

    for (const Document& d : DOCUMENTS) {
        const std::uint8_t enabled = s.*d.stateEnabled = p.*d.enabled;
        CopyText(s.*d.statePath, TextOf(p.*d.path));
        CopyText(s.*d.fileName, FileNamePart(s.*d.statePath));
        ShowFlag(page, d.check, enabled);
        ShowText(page, d.pathField, s.*d.statePath);
        EnableControl(page, d.pathField, enabled);
        EnableControl(page, d.browse, enabled);
    }

    for (const FilterGroupSwitch& g : FILTER_GROUPS) {
        s.*g.state = p.*g.project;
        ShowFlag(page, g.control, s.*g.state);
    }
    for (const FilterOption& o : FILTER_OPTIONS) {
        s.*o.state = p.*o.option;
        ShowFlag(page, o.control, s.*o.state);
        EnableControl(page, o.control, s.*GroupOf(o).state);
    }

    s.removableCardOutput = p.removableCardOutput;
    s.showBuildOverview = p.showBuildOverview;
    s.deviceAdvancedSettings = p.deviceAdvancedSettings;
    ShowFlag(page, IDC_REMOVABLE_CARD, s.removableCardOutput);
    ShowFlag(page, IDC_SHOW_OVERVIEW, s.showBuildOverview);
    ShowFlag(page, IDC_DEVICE_ADVANCED, s.deviceAdvancedSettings);

    // The project-name controls live on the Build page; they are set when
    // that page exists, like the others.
    s.saveProjectFile = p.saveProjectFile;
    CopyText(s.projectName, projectName ? projectName : "");
    if (ctx.page) {
        ctx.page->SetChecked(IDC_SAVE_PROJECT, s.saveProjectFile != 0);
        ctx.page->SetText(IDC_PROJECT_NAME, s.projectName);
        ctx.page->Enable(IDC_PROJECT_NAME, s.saveProjectFile != 0);
    }

    s.addDateToPath = p.addDateToPath;
    s.addTitleSubfolder = p.addTitleSubfolder;
    s.deployDesktopWhenDone = p.deployDesktopWhenDone;
    s.deployMobileWhenDone = p.deployMobileWhenDone;

    CopyText(s.workPath, TextOf(p.outputFolder));

    return CheckBuildFiles(ctx);
}

bool CheckBuildFiles(WizardContext& ctx) {
    const WizardState& s = ctx.state;
    if (s.eulaEnabled && !IsFilePresent(ctx.platform, s.eulaPath)) return false;
    if (s.readmeEnabled && !IsFilePresent(ctx.platform, s.readmePath)) return false;
    if (s.splashEnabled && !IsFilePresent(ctx.platform, s.splashPath)) return false;
    const int count = CabinetCount(ctx.project);
    for (int i = 0; i < count; ++i) {
        const std::string path = TextOf(ctx.project.cabinets[i].path);
        if (!IsFilePresent(ctx.platform, path.c_str())) return false;
    }
    return true;
}

bool AppendCabinetEntry(Project& project, const CabEntry& entry) {
    const int count = CabinetCount(project);
    if (count >= MAX_CABINETS) return false;
    project.cabinets[count] = entry;
    project.cabinetCount = count + 1;
    return true;
}

bool RemoveCabinetEntry(Project& project, int index) {
    const int count = CabinetCount(project);
    if (index < 0 || index >= count) return false;
    std::memmove(&project.cabinets[index], &project.cabinets[index + 1],
                 sizeof(CabEntry) * static_cast<std::size_t>(count - index - 1));
    std::memset(&project.cabinets[count - 1], 0, sizeof(CabEntry));
    project.cabinetCount = count - 1;
    return true;
}

bool InsertCabinetEntry(Project& project, CabEntry entry, int index) {
    const int count = CabinetCount(project);
    if (count >= MAX_CABINETS || index < 0 || index > count) return false;
    std::memmove(&project.cabinets[index + 1], &project.cabinets[index],
                 sizeof(CabEntry) * static_cast<std::size_t>(count - index));
    project.cabinets[index] = entry;
    project.cabinetCount = count + 1;
    return true;
}

}  // namespace zk
