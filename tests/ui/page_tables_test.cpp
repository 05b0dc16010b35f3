#include "wizard/ui/page_tables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "common/fixed_text.h"
#include "tests/support/fake_desktop_platform.h"
#include "wizard/project/wizard_context.h"
#include "wizard/ui/control_ids.h"
#include "wizard/ui/page_builder.h"

namespace zk {
namespace {

TEST(PageTableTest, IdsAreUniqueOnEveryPage) {
    for (int step = 0; step <= 4; ++step) {
        std::set<int> ids;
        for (const ControlDefinition& entry : PageTable(step))
            EXPECT_TRUE(ids.insert(entry.id).second) << "step " << step << " id " << entry.id;
        EXPECT_FALSE(ids.empty());
    }
    EXPECT_TRUE(PageTable(5).empty());
    EXPECT_TRUE(PageTable(-1).empty());
}

TEST(PageTableTest, PresetsTabOrderFollowsTheRows) {
    const auto presets = PageTable(1);
    ASSERT_EQ(presets.size(), 29u);
    const int head[] = {IDC_TITLE_LABEL, IDC_LOAD_PROJECT, IDC_TITLE, IDC_COMPANY_LABEL,
                        IDC_COMPANY};
    for (std::size_t i = 0; i < std::size(head); ++i) EXPECT_EQ(presets[i].id, head[i]);
    EXPECT_EQ(presets.back().id, IDC_SPLASH_BROWSE);
}

TEST(PageTableTest, FilteredFieldsNameTheForbiddenCharacters) {
    const ControlDefinition* title = FindControl(1, IDC_TITLE);
    ASSERT_NE(title, nullptr);
    const std::string tip = title->tooltip;
    EXPECT_EQ(tip.back(), '|');
    EXPECT_NE(tip.find("\\, /,:,*,\",?,<,>,|"), std::string::npos);
    EXPECT_TRUE(title->fileNameFilter);
    EXPECT_TRUE(FindControl(3, IDC_PROJECT_NAME)->fileNameFilter);
    EXPECT_FALSE(FindControl(1, IDC_COMPANY)->fileNameFilter);
}

class PageBuildTest : public ::testing::Test {
protected:
    PageBuildTest() : project(std::make_unique<Project>()), ctx{*project, state, platform} {
        std::memset(project.get(), 0, sizeof(Project));
        InitialiseWizardState(state, platform);
    }
    test::FakeDesktopPlatform platform;
    std::unique_ptr<Project> project;
    WizardState state;
    WizardContext ctx;
    MemoryPageControls controls;
};

TEST_F(PageBuildTest, LoadedSubOptionIsEnabledWithItsGroupOff) {
    state.filterOs2005 = 1;
    CopyText(state.title, "Demo");
    ASSERT_TRUE(CreatePage(ctx, controls, 1));
    EXPECT_EQ(ctx.page, &controls.page);
    EXPECT_TRUE(controls.page.IsChecked(IDC_FILTER_OS2005));
    EXPECT_TRUE(controls.page.IsEnabled(IDC_FILTER_OS2005));
    EXPECT_FALSE(controls.page.IsEnabled(IDC_FILTER_OS2003SE));
    EXPECT_FALSE(controls.page.IsEnabled(IDC_EULA_PATH));
    EXPECT_EQ(controls.page.GetText(IDC_TITLE), "Demo");
    EXPECT_EQ(controls.page.GetText(IDC_TITLE_LABEL), "Title");

    DestroyPage(controls, 1);
    EXPECT_TRUE(controls.created.empty());
    EXPECT_FALSE(controls.page.HasControl(IDC_TITLE));
}

TEST_F(PageBuildTest, CabinetPageShowsTheKeptWorkPath) {
    CopyText(state.workPath, "/typed/before/back");
    CopyText(state.savedWorkPath, "/kept");
    state.customWorkPath = 1;
    CreatePage(ctx, controls, 2);
    EXPECT_EQ(controls.page.GetText(IDC_WORK_PATH), "/kept");
    EXPECT_STREQ(state.workPath, "/kept");
    EXPECT_TRUE(controls.page.IsEnabled(IDC_WORK_PATH));
    EXPECT_EQ(controls.page.ListColumnTitle(IDC_CABINET_LIST, 0), "Cabinet Name");
}

TEST_F(PageBuildTest, DeployPageStartsAtTheRootWithoutADevice) {
    ASSERT_TRUE(CreatePage(ctx, controls, 4));
    EXPECT_EQ(controls.page.GetText(IDC_REMOTE_PATH), "\\");
    EXPECT_FALSE(controls.page.IsEnabled(IDC_LOOK_FOR_DEVICE));
    EXPECT_FALSE(controls.page.shown_[IDC_REMOTE_TREE]);

    MemoryPageControls broken;
    broken.remoteTreeReady = false;
    EXPECT_FALSE(CreatePage(ctx, broken, 4));
    EXPECT_FALSE(broken.Exists(IDC_REMOTE_TREE));
    EXPECT_TRUE(broken.Exists(IDC_REMOTE_PATH));
}

}  // namespace
}  // namespace zk
