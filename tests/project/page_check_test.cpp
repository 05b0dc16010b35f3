#include "wizard/project/page_check.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "common/fixed_text.h"
#include "tests/support/fake_desktop_platform.h"
#include "tests/support/temp_folder.h"
#include "wizard/project/file_name_rules.h"
#include "wizard/project/project_file.h"
#include "wizard/project/wizard_context.h"
#include "wizard/ui/control_ids.h"

namespace zk {
namespace {

using test::FakeDesktopPlatform;
using test::FakePageView;

class PageCheckTest : public ::testing::Test {
protected:
    PageCheckTest() : project(std::make_unique<Project>()), ctx{*project, state, platform, &page} {
        std::memset(project.get(), 0, sizeof(Project));
        InitialiseWizardState(state, platform);
        CopyText(project->title, "Old title");
        page.SetText(IDC_TITLE, "Viewer");
        page.SetText(IDC_COMPANY, "Acme");
        test::WriteFileBytes(folder / "eula.txt", "terms");
        test::WriteFileBytes(folder / "empty.txt", "");
    }
    int Check(int step) { return CheckPage(ctx, step); }

    test::TempFolder folder;
    FakeDesktopPlatform platform;
    std::unique_ptr<Project> project;
    WizardState state;
    FakePageView page;
    WizardContext ctx;
};

TEST_F(PageCheckTest, PresetsTitleAndCompany) {
    page.SetText(IDC_TITLE, "");
    EXPECT_EQ(Check(1), PAGE_TITLE_EMPTY);
    page.SetText(IDC_TITLE, "A/B");
    EXPECT_EQ(Check(1), PAGE_TITLE_CHARACTERS);
    for (const char* escaping : {"..", "CON", "Demo.", "   "}) {
        page.SetText(IDC_TITLE, escaping);
        EXPECT_EQ(Check(1), PAGE_TITLE_CHARACTERS) << escaping;
    }
    page.SetText(IDC_TITLE, " New title");
    page.SetText(IDC_COMPANY, "");
    EXPECT_EQ(Check(1), PAGE_COMPANY_EMPTY);
    // The title was read; nothing has reached the project yet.
    EXPECT_STREQ(state.title, " New title");
    EXPECT_STREQ(project->title, "Old title");
}

TEST_F(PageCheckTest, PresetsDocumentPathsThenTheirFiles) {
    page.SetChecked(IDC_EULA_CHECK, true);
    page.SetChecked(IDC_README_CHECK, true);
    EXPECT_EQ(Check(1), PAGE_EULA_PATH_EMPTY);
    EXPECT_EQ(state.readmeEnabled, 1);
    page.SetText(IDC_EULA_PATH, folder / "empty.txt");
    EXPECT_EQ(Check(1), PAGE_README_PATH_EMPTY);
    page.SetText(IDC_README_PATH, folder / "missing.txt");
    page.SetChecked(IDC_SPLASH_CHECK, true);
    EXPECT_EQ(Check(1), PAGE_SPLASH_PATH_EMPTY);
    page.SetText(IDC_SPLASH_PATH, folder / "eula.txt");
    // Every path is given: now the files, EULA first.
    EXPECT_EQ(Check(1), PAGE_EULA_FILE_ABSENT);
    EXPECT_STREQ(state.eulaFileName, "empty.txt");
    page.SetText(IDC_EULA_PATH, folder / "eula.txt");
    EXPECT_EQ(Check(1), PAGE_README_FILE_ABSENT);
    page.SetText(IDC_README_PATH, folder / "eula.txt");
    page.SetText(IDC_SPLASH_PATH, folder.path());
    EXPECT_EQ(Check(1), PAGE_SPLASH_FILE_ABSENT);
    EXPECT_STREQ(project->title, "Old title");
}

TEST_F(PageCheckTest, PresetsFilterGroupsAndWhatReachesTheProject) {
    page.SetChecked(IDC_PLATFORM_FILTER, true);
    page.SetChecked(IDC_OS_FILTER, true);
    EXPECT_EQ(Check(1), PAGE_PLATFORM_SELECTION);
    // Names and document flags were committed; the OS group not yet read.
    EXPECT_STREQ(project->title, "Viewer");
    EXPECT_STREQ(project->company, "Acme");
    EXPECT_EQ(state.osFilterOn, 0);
    EXPECT_EQ(project->platformFilterOn, 0);

    page.SetChecked(IDC_FILTER_SMARTPHONE, true);
    EXPECT_EQ(Check(1), PAGE_OS_SELECTION);
    page.SetChecked(IDC_FILTER_OS2003SE, true);
    page.SetChecked(IDC_PROCESSOR_FILTER, true);
    EXPECT_EQ(Check(1), PAGE_PROCESSOR_SELECTION);
    EXPECT_EQ(project->filterSmartphone, 0);

    page.SetChecked(IDC_FILTER_TI, true);
    page.SetChecked(IDC_SHOW_OVERVIEW, true);
    page.SetChecked(IDC_DEVICE_ADVANCED, true);
    EXPECT_EQ(Check(1), PAGE_OK);
    EXPECT_EQ(project->platformFilterOn, 1);
    EXPECT_EQ(project->filterSmartphone, 1);
    EXPECT_EQ(project->filterOs2003SE, 1);
    EXPECT_EQ(project->filterTI, 1);
    EXPECT_EQ(project->filterIntel, 0);
    EXPECT_EQ(project->showBuildOverview, 1);
    EXPECT_EQ(project->deviceAdvancedSettings, 1);
    EXPECT_EQ(project->removableCardOutput, 0);
}

TEST_F(PageCheckTest, CabinetsWorkPathListAndFilters) {
    CopyText(state.savedWorkPath, "saved");
    state.customWorkPath = 1;
    EXPECT_EQ(Check(2), PAGE_WORK_PATH_EMPTY);
    page.SetText(IDC_WORK_PATH, "/out");
    EXPECT_EQ(Check(2), PAGE_EMPTY_LIST);
    EXPECT_STREQ(state.workPath, "/out");
    EXPECT_STREQ(state.savedWorkPath, "saved");

    CabEntry ppcOnly{};
    ppcOnly.forPocketPC = 1;
    AppendCabinetEntry(*project, ppcOnly);
    project->platformFilterOn = 1;
    project->filterSmartphone = 1;
    EXPECT_EQ(Check(2), PAGE_PLATFORM_FILTERING);
    EXPECT_STREQ(state.savedWorkPath, "/out");
    project->filterPocketPC = 1;
    EXPECT_EQ(Check(2), PAGE_OK);
}

TEST_F(PageCheckTest, BuildProjectName) {
    page.SetChecked(IDC_SAVE_PROJECT, true);
    page.SetText(IDC_PROJECT_NAME, std::string(260, 'n'));
    EXPECT_EQ(Check(3), PAGE_PROJECT_NAME_TOO_LONG);
    EXPECT_STREQ(state.projectName, "ZephyrkitPrj");
    page.SetText(IDC_PROJECT_NAME, std::string(259, 'n'));
    EXPECT_EQ(Check(3), PAGE_OK);
    EXPECT_EQ(project->saveProjectFile, 1);
    page.SetText(IDC_PROJECT_NAME, "");
    EXPECT_EQ(Check(3), PAGE_PROJECT_NAME_EMPTY);
    page.SetText(IDC_PROJECT_NAME, "a|b");
    EXPECT_EQ(Check(3), PAGE_PROJECT_NAME_CHARACTERS);
    page.SetText(IDC_PROJECT_NAME, "..");
    EXPECT_EQ(Check(3), PAGE_PROJECT_NAME_CHARACTERS);
    page.SetText(IDC_PROJECT_NAME, "lpt3");
    EXPECT_EQ(Check(3), PAGE_PROJECT_NAME_CHARACTERS);

    // Unticked, the current name is the one tested.
    page.SetChecked(IDC_SAVE_PROJECT, false);
    EXPECT_EQ(Check(3), PAGE_PROJECT_NAME_CHARACTERS);
    CopyText(state.projectName, "fine");
    EXPECT_EQ(Check(3), PAGE_OK);
    EXPECT_EQ(project->saveProjectFile, 0);

    EXPECT_EQ(Check(0), PAGE_OK);
    EXPECT_EQ(Check(4), PAGE_OK);
}

TEST(UsableFileName, RefusesWhatWindowsReadsAsAnotherPlace) {
    for (const char* bad : {"\\", "/", ":", "*", "?", "\"", "<", ">", "|", "\x01", "\t", "\x1f"})
        EXPECT_FALSE(IsUsableFileName((std::string("a") + bad + "b").c_str())) << bad;
    for (const char* bad : {".", "..", " ", "App.", "App ", "App. ", "CON", "con", "Con.txt", "PRN",
                            "aux.log", "NUL", "nul.tar.gz", "COM1", "com9.x", "LPT1", "Lpt9"})
        EXPECT_FALSE(IsUsableFileName(bad)) << bad;
    for (const char* good : {"", " My App. (v1)", "CONSOLE", "Icon", "COM0", "COM10", "LPT", "..a",
                             ".hidden", "Soci\xe9t\xe9"})
        EXPECT_TRUE(IsUsableFileName(good)) << good;
    // One file to Windows, on the desktop and on the device.
    EXPECT_TRUE(SameFileName("Tool.cab", "tool.CAB"));
    EXPECT_TRUE(SameFileName("Soci\xe9t\xe9 \x9a\xff", "SOCI\xc9T\xc9 \x8a\x9f"));
    EXPECT_FALSE(SameFileName("a.cab", "a.cab "));
    EXPECT_FALSE(SameFileName("\xd7", "\xf7")) << "the multiplication and division signs";
}

TEST(PageErrorReport, OwnedBoxesAndSilentCodes) {
    FakeDesktopPlatform platform;
    for (int code : {1, 17, 273, 2, 18, 34, 3, 19, 35, 5, 4, 6, 7, 8, 9, 16, 272, 50, 51})
        ReportPageError(platform, code);
    ASSERT_EQ(platform.messages.size(), 19u);
    for (const auto& m : platform.messages) EXPECT_TRUE(m.owned) << m.text;
    const auto& title = platform.messages[2];
    EXPECT_EQ(title.text, "Cannot contain any of the following characters: \\, /,:,*,\",?,<,>,|");
    EXPECT_EQ(title.caption, "Invalid Title");
    EXPECT_EQ(platform.messages[18].text, title.text);
    EXPECT_EQ(platform.messages[18].caption, "Invalid Project name");
    EXPECT_EQ(platform.messages[6].icon, MessageIcon::Error);        // 3: file absent
    EXPECT_EQ(platform.messages[9].icon, MessageIcon::Information);  // 5: selection
    EXPECT_EQ(platform.messages[14].caption, "OS filtering error");
    EXPECT_EQ(platform.messages[14].text, platform.messages[13].text);
    EXPECT_EQ(platform.messages[16].caption, "Limit exceded");
    platform.messages.clear();
    for (int silent : {0, 66, 10, -1}) ReportPageError(platform, silent);
    EXPECT_TRUE(platform.messages.empty());
}

}  // namespace
}  // namespace zk
