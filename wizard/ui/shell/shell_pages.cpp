#include "wizard/ui/shell/shell_pages.h"

#include "platform/memory_page_view.h"
#include "wizard/project/wizard_state.h"
#include "wizard/ui/control_ids.h"

namespace zk {
namespace {

void Check(MemoryPageView& page, int id, std::uint8_t flag, bool enabled = true) {
    page.SetChecked(id, flag != 0);
    page.Enable(id, enabled);
}

void Field(MemoryPageView& page, int id, const char* text, bool enabled = true) {
    page.SetText(id, text);
    page.Enable(id, enabled);
}

}  // namespace

void ShowPresetsPage(MemoryPageView& page, const WizardState& s) {
    page = MemoryPageView();
    page.anyControl = false;
    Field(page, IDC_TITLE, s.title);
    Field(page, IDC_COMPANY, s.company);
    Check(page, IDC_EULA_CHECK, s.eulaEnabled);
    Field(page, IDC_EULA_PATH, s.eulaPath, s.eulaEnabled);
    Check(page, IDC_README_CHECK, s.readmeEnabled);
    Field(page, IDC_README_PATH, s.readmePath, s.readmeEnabled);
    Check(page, IDC_PLATFORM_FILTER, s.platformFilterOn);
    Check(page, IDC_FILTER_POCKETPC, s.filterPocketPC, s.filterPocketPC || s.platformFilterOn);
    Check(page, IDC_FILTER_SMARTPHONE, s.filterSmartphone,
          s.filterSmartphone || s.platformFilterOn);
    Check(page, IDC_OS_FILTER, s.osFilterOn);
    Check(page, IDC_FILTER_OS2002, s.filterOs2002, s.filterOs2002 || s.osFilterOn);
    Check(page, IDC_FILTER_OS2003, s.filterOs2003, s.filterOs2003 || s.osFilterOn);
    Check(page, IDC_FILTER_OS2003SE, s.filterOs2003SE, s.filterOs2003SE || s.osFilterOn);
    Check(page, IDC_FILTER_OS2005, s.filterOs2005, s.filterOs2005 || s.osFilterOn);
    Check(page, IDC_PROCESSOR_FILTER, s.processorFilterOn);
    Check(page, IDC_FILTER_INTEL, s.filterIntel, s.filterIntel || s.processorFilterOn);
    Check(page, IDC_FILTER_TI, s.filterTI, s.filterTI || s.processorFilterOn);
    Check(page, IDC_FILTER_SAMSUNG, s.filterSamsung, s.filterSamsung || s.processorFilterOn);
    Check(page, IDC_REMOVABLE_CARD, s.removableCardOutput);
    Check(page, IDC_DEVICE_ADVANCED, s.deviceAdvancedSettings);
    Check(page, IDC_SHOW_OVERVIEW, s.showBuildOverview);
    Check(page, IDC_SPLASH_CHECK, s.splashEnabled);
    Field(page, IDC_SPLASH_PATH, s.splashPath, s.splashEnabled);
}

void ShowCabinetPage(MemoryPageView& page, const WizardState& s) {
    page = MemoryPageView();
    page.anyControl = false;
    page.lists[IDC_CABINET_LIST];
    for (int id : {IDC_DETAIL_NAME, IDC_DETAIL_PROVIDER, IDC_DETAIL_DATE, IDC_DETAIL_SIZE,
                   IDC_DETAIL_LOCATION})
        Field(page, id, "");
    Check(page, IDC_CUSTOM_WORK_PATH, s.customWorkPath);
    Field(page, IDC_WORK_PATH, s.savedWorkPath, s.customWorkPath);
}

void ShowBuildPage(MemoryPageView& page, const WizardState& s) {
    page = MemoryPageView();
    page.anyControl = false;
    Check(page, IDC_SAVE_PROJECT, s.saveProjectFile);
    Field(page, IDC_PROJECT_NAME, s.projectName, s.saveProjectFile);
    Check(page, IDC_DEPLOY_DESKTOP, s.deployDesktopWhenDone);
    Check(page, IDC_DEPLOY_MOBILE, s.deployMobileWhenDone);
}

}  // namespace zk
