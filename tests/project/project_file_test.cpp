#include "wizard/project/project_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "common/fixed_text.h"
#include "tests/support/fake_desktop_platform.h"
#include "tests/support/temp_folder.h"
#include "wizard/project/wizard_context.h"
#include "wizard/ui/control_ids.h"

namespace zk {
namespace {

using test::FakeDesktopPlatform;
using test::FakePageView;
using test::TempFolder;

class ProjectFileTest : public ::testing::Test {
protected:
    ProjectFileTest() : project(std::make_unique<Project>()), ctx{*project, state, platform} {
        std::memset(project.get(), 0, sizeof(Project));
        InitialiseWizardState(state, platform);
    }

    CabEntry Entry(const std::string& name) {
        CabEntry e{};
        CopyText(e.fileName, name);
        CopyText(e.path, folder / name);
        return e;
    }

    TempFolder folder;
    FakeDesktopPlatform platform;
    std::unique_ptr<Project> project;
    WizardState state;
    WizardContext ctx;
};

TEST_F(ProjectFileTest, LoadsOnlyFilesOfTheExactRecordSize) {
    CopyText(project->title, "Kept");
    for (std::size_t size : {PROJECT_RECORD_SIZE - 1, PROJECT_RECORD_SIZE + 1, std::size_t{0}}) {
        test::WriteFileBytes(folder / "p.paw", std::string(size, 'x'));
        EXPECT_FALSE(ReadProjectFile(platform, *project, (folder / "p.paw").c_str())) << size;
        EXPECT_STREQ(project->title, "Kept");
    }
    EXPECT_FALSE(ReadProjectFile(platform, *project, (folder / "missing.paw").c_str()));
    EXPECT_FALSE(ReadProjectFile(platform, *project, folder.path().c_str()));

    test::WriteFileBytes(folder / "zero.paw", std::string(PROJECT_RECORD_SIZE, '\0'));
    ASSERT_TRUE(ReadProjectFile(platform, *project, (folder / "zero.paw").c_str()));
    EXPECT_STREQ(project->title, "");
    EXPECT_EQ(project->cabinetCount, 0);
}

TEST_F(ProjectFileTest, WriteThenReadGivesTheIdenticalBytes) {
    std::string bytes(PROJECT_RECORD_SIZE, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + 3);
    test::WriteFileBytes(folder / "in.paw", bytes);
    ASSERT_TRUE(ReadProjectFile(platform, *project, (folder / "in.paw").c_str()));
    ASSERT_TRUE(WriteProjectFile(platform, *project, (folder / "out.paw").c_str()));
    EXPECT_EQ(test::ReadFileBytes(folder / "out.paw"), bytes);
    EXPECT_FALSE(WriteProjectFile(platform, *project, (folder / "no/such/dir.paw").c_str()));
}

TEST_F(ProjectFileTest, WriteReportsAFileThatCouldNotBeFilled) {
    platform.failWritesTo = "full.paw";
    platform.failWriteAfterBytes = 1000;
    EXPECT_FALSE(WriteProjectFile(platform, *project, (folder / "full.paw").c_str()));
}

TEST_F(ProjectFileTest, SlotOperationsKeepTheListInOrder) {
    for (const char* name : {"a.cab", "b.cab", "c.cab"})
        ASSERT_TRUE(AppendCabinetEntry(*project, Entry(name)));
    ASSERT_TRUE(RemoveCabinetEntry(*project, 0));
    EXPECT_EQ(project->cabinetCount, 2);
    EXPECT_STREQ(project->cabinets[0].fileName, "b.cab");
    EXPECT_STREQ(project->cabinets[1].fileName, "c.cab");
    const CabEntry zero{};
    EXPECT_EQ(std::memcmp(&project->cabinets[2], &zero, sizeof zero), 0);

    // A drag: remove at the source, insert at the target; the count is kept.
    CabEntry moved = project->cabinets[0];
    ASSERT_TRUE(RemoveCabinetEntry(*project, 0));
    ASSERT_TRUE(InsertCabinetEntry(*project, moved, 1));
    EXPECT_EQ(project->cabinetCount, 2);
    EXPECT_STREQ(project->cabinets[0].fileName, "c.cab");
    EXPECT_STREQ(project->cabinets[1].fileName, "b.cab");

    EXPECT_FALSE(RemoveCabinetEntry(*project, 2));
    EXPECT_FALSE(InsertCabinetEntry(*project, moved, 3));
}

TEST_F(ProjectFileTest, AFullListRefusesTheNextEntry) {
    for (int i = 0; i < MAX_CABINETS; ++i)
        ASSERT_TRUE(AppendCabinetEntry(*project, Entry("x" + std::to_string(i) + ".cab")));
    EXPECT_FALSE(AppendCabinetEntry(*project, Entry("last.cab")));
    EXPECT_FALSE(InsertCabinetEntry(*project, Entry("last.cab"), 0));
    EXPECT_EQ(project->cabinetCount, MAX_CABINETS);
    EXPECT_STREQ(project->cabinets[0].fileName, "x0.cab");
}

TEST_F(ProjectFileTest, CheckBuildFilesNeedsEveryEnabledFileAndEveryCabinet) {
    test::WriteFileBytes(folder / "eula.txt", "terms");
    test::WriteFileBytes(folder / "a.cab", "MSCF");
    test::WriteFileBytes(folder / "empty.cab", "");
    ASSERT_TRUE(AppendCabinetEntry(*project, Entry("a.cab")));
    CopyText(state.eulaPath, folder / "missing.txt");
    EXPECT_TRUE(CheckBuildFiles(ctx)) << "a disabled EULA is not looked at";

    state.eulaEnabled = 1;
    EXPECT_FALSE(CheckBuildFiles(ctx));
    CopyText(state.eulaPath, folder / "eula.txt");
    EXPECT_TRUE(CheckBuildFiles(ctx));

    ASSERT_TRUE(AppendCabinetEntry(*project, Entry("empty.cab")));
    EXPECT_FALSE(CheckBuildFiles(ctx)) << "a zero-length cabinet is not present";
}

TEST_F(ProjectFileTest, CheckBuildFilesSurvivesACountThatLies) {
    project->cabinetCount = 100000;
    EXPECT_FALSE(CheckBuildFiles(ctx));
    project->cabinetCount = -5;
    EXPECT_TRUE(CheckBuildFiles(ctx));
}

TEST_F(ProjectFileTest, ApplyCopiesIntoStateAndPresetsPage) {
    CopyText(project->title, "Demo");
    CopyText(project->company, "Morvane");
    project->eulaEnabled = 1;
    CopyText(project->eulaPath, "C:\\docs\\eula.txt");
    CopyText(project->readmePath, "/home/u/readme.txt");
    CopyText(project->splashPath, "splash.bmp");
    project->processorFilterOn = 1;
    project->filterIntel = 1;
    project->saveProjectFile = 1;
    project->addDateToPath = 0;
    project->addTitleSubfolder = 1;
    CopyText(project->outputFolder, "/out");

    FakePageView page;
    ctx.page = &page;
    EXPECT_FALSE(ApplyProjectToWizard(ctx, "Demo")) << "the EULA file is missing";

    EXPECT_STREQ(state.title, "Demo");
    EXPECT_STREQ(state.company, "Morvane");
    EXPECT_STREQ(state.projectName, "Demo");
    EXPECT_STREQ(state.workPath, "/out");
    EXPECT_STREQ(state.eulaFileName, "eula.txt");
    EXPECT_STREQ(state.readmeFileName, "readme.txt");
    EXPECT_STREQ(state.splashFileName, "splash.bmp");
    EXPECT_EQ(state.addDateToPath, 0);
    EXPECT_EQ(state.addTitleSubfolder, 1);
    EXPECT_EQ(state.filterIntel, 1);
    EXPECT_EQ(state.filterTI, 0);

    EXPECT_EQ(page.texts[IDC_TITLE], "Demo");
    EXPECT_TRUE(page.checks[IDC_EULA_CHECK]);
    EXPECT_TRUE(page.IsEnabled(IDC_EULA_PATH));
    EXPECT_FALSE(page.IsEnabled(IDC_README_PATH));
    EXPECT_TRUE(page.checks[IDC_FILTER_INTEL]);
    EXPECT_FALSE(page.checks[IDC_FILTER_TI]);
    EXPECT_TRUE(page.IsEnabled(IDC_FILTER_TI));
    EXPECT_FALSE(page.IsEnabled(IDC_FILTER_OS2002));
}

TEST_F(ProjectFileTest, ApplyWithoutAPageChangesOnlyTheState) {
    CopyText(project->title, "Quiet");
    EXPECT_TRUE(ApplyProjectToWizard(ctx, "Quiet"));
    EXPECT_STREQ(state.title, "Quiet");
}

}  // namespace
}  // namespace zk
