#include "wizard/ui/startup_settings.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/fake_desktop_platform.h"
#include "wizard/project/wizard_context.h"

namespace zk {
namespace {

const std::string STEP_VALUE = "HKCU|SOFTWARE\\Morvane\\Zephyrkit|General_Step_Index";
const std::string MACHINE_STEP_VALUE = "HKLM|SOFTWARE\\Morvane\\Zephyrkit|General_Step_Index";

class StartupTest : public ::testing::Test {
protected:
    StartupTest() : project(std::make_unique<Project>()), ctx{*project, state, platform} {
        std::memset(project.get(), 0, sizeof(Project));
        InitialiseWizardState(state, platform);
        platform.programPath = "C:\\Tools\\Zephyrkit.exe";
    }
    test::FakeDesktopPlatform platform;
    std::unique_ptr<Project> project;
    WizardState state;
    WizardContext ctx;
};

TEST_F(StartupTest, StartStepIsOneOnlyForAStoredDwordOne) {
    EXPECT_EQ(ReadStartStep(platform), 0);  // nothing stored
    platform.registry[STEP_VALUE] = "#1";
    EXPECT_EQ(ReadStartStep(platform), 1);
    platform.registry[STEP_VALUE] = "1";  // a string is not the setting
    EXPECT_EQ(ReadStartStep(platform), 0);
    platform.registry[STEP_VALUE] = "#3";  // never written by the wizard
    EXPECT_EQ(ReadStartStep(platform), 0);
}

TEST_F(StartupTest, UserStartStepComesBeforeTheMachineWideOne) {
    platform.registry[MACHINE_STEP_VALUE] = "#1";
    EXPECT_EQ(ReadStartStep(platform), 1);  // the user has none of their own
    platform.registry[STEP_VALUE] = "#0";
    EXPECT_EQ(ReadStartStep(platform), 0);
    platform.registry[STEP_VALUE] = "#1";
    platform.registry[MACHINE_STEP_VALUE] = "#0";
    EXPECT_EQ(ReadStartStep(platform), 1);
}

TEST_F(StartupTest, WriteStartStepStoresZeroOrOneForTheUserOnly) {
    EXPECT_TRUE(WriteStartStep(platform, 1));
    EXPECT_EQ(platform.registry[STEP_VALUE], "#1");
    WriteStartStep(platform, 0);
    EXPECT_EQ(platform.registry[STEP_VALUE], "#0");
    EXPECT_EQ(platform.registry.count(MACHINE_STEP_VALUE), 0u);
}

TEST_F(StartupTest, FirstStartShowsTheIntroductionAndWritesTheAssociation) {
    EXPECT_EQ(BeginWizardRun(ctx), 0);
    EXPECT_EQ(state.skipIntroPage, 0);
    EXPECT_EQ(platform.registry["HKCU|Software\\Classes\\.paw|"], "Zephyrkit.1");
    EXPECT_EQ(platform.registry["HKCU|Software\\Classes\\Zephyrkit.1|"], "Zephyrkit Project");
    EXPECT_EQ(platform.registry["HKCU|Software\\Classes\\Zephyrkit.1\\DefaultIcon|"],
              "C:\\Tools\\Zephyrkit.exe");
    EXPECT_EQ(platform.registry["HKCU|Software\\Classes\\Zephyrkit.1\\Shell\\Open\\Command|"],
              "\"C:\\Tools\\Zephyrkit.exe\" \"%1\"");
}

TEST_F(StartupTest, StoredPresetsStepSkipsIntroductionAndAssociation) {
    platform.registry[STEP_VALUE] = "#1";
    EXPECT_EQ(BeginWizardRun(ctx), 1);
    EXPECT_EQ(state.skipIntroPage, 1);
    EXPECT_EQ(platform.registry.count("HKCU|Software\\Classes\\.paw|"), 0u);
}

TEST_F(StartupTest, OpenCommandKeepsPercentSignsOfThePath) {
    EXPECT_EQ(BuildOpenCommand("C:\\100%s\\z.exe"), "\"C:\\100%s\\z.exe\" \"%1\"");
}

TEST(MainWindowTest, CentredInTheWorkAreaWithRoomForTheCaption) {
    const WindowPlacement at = PlaceMainWindow(1280, 1000, 6, 26);
    EXPECT_EQ(at.x, 320);
    EXPECT_EQ(at.y, 260);
    EXPECT_EQ(at.width, 646);
    EXPECT_EQ(at.height, 506);
}

}  // namespace
}  // namespace zk
