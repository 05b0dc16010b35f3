#include "wizard/ui/step_machine.h"

#include <gtest/gtest.h>

#include <functional>

#include <filesystem>

#include "common/fixed_text.h"
#include "tests/build/build_fixture.h"
#include "wizard/project/project_file.h"
#include "wizard/ui/control_ids.h"
#include "wizard/ui/page_painting.h"

namespace zk {
namespace {

constexpr int Intro = StepIndex(WizardStep::Intro);
constexpr int Presets = StepIndex(WizardStep::Presets);
constexpr int Cabinets = StepIndex(WizardStep::Cabinets);
constexpr int Build = StepIndex(WizardStep::Build);
constexpr int Deploy = StepIndex(WizardStep::Deploy);

class FakeFront : public WizardFront {
public:
    PageControls& Controls() override { return controls; }
    void Repaint() override { ++repaints; }
    bool ChooseFile(Chooser chooser, std::string* path) override {
        asked.push_back(chooser);
        if (chosen.empty()) return false;
        *path = chosen;
        return true;
    }
    bool ChooseWorkFolder(std::string* path) override {
        *path = chosen;
        return !chosen.empty();
    }
    void CloseWindow() override { ++closes; }
    void ShowAboutBox() override {}
    void OpenWebPage() override {}
    // The window is asked to close at the build's `closeAt`-th question;
    // `meanwhile` plays what else reaches the window during the build.
    bool BuildInterrupted() override {
        ++questions;
        if (meanwhile) meanwhile();
        return closeAt > 0 && questions >= closeAt;
    }

    MemoryPageControls controls;
    std::string chosen;
    std::vector<Chooser> asked;
    int repaints = 0;
    int closes = 0;
    int questions = 0;
    int closeAt = 0;
    std::function<void()> meanwhile;
};

class FakeDeploy : public DeployStep {
public:
    void Enter(WizardContext&) override { ++entered; }
    void LookForDevice(WizardContext&) override { ++looked; }
    void Deploy(WizardContext&) override { ++deployed; }
    int entered = 0, looked = 0, deployed = 0;
};

class StepMachineTest : public ::testing::Test {
protected:
    void Start(int step) {
        machine = std::make_unique<StepMachine>(f.ctx, front, deploy, step);
        machine->OnCreate();
    }
    MemoryPageView& page() { return front.controls.page; }
    void Tick(int id, bool on) {
        page().SetChecked(id, on);
        machine->OnCommand(id);
    }

    test::BuildFixture f;
    FakeFront front;
    FakeDeploy deploy;
    std::unique_ptr<StepMachine> machine;
};

TEST_F(StepMachineTest, NextChecksThePageBeingLeft) {
    Start(Intro);
    machine->OnCommand(IDC_BACK);
    EXPECT_EQ(machine->step(), Intro);

    machine->OnCommand(IDC_NEXT);
    ASSERT_EQ(machine->step(), Presets);
    EXPECT_TRUE(front.controls.Exists(IDC_TITLE));
    EXPECT_FALSE(front.controls.Exists(IDC_SKIP_INTRO));
    EXPECT_EQ(front.repaints, 1);

    page().SetText(IDC_TITLE, "");
    machine->OnCommand(IDC_NEXT);
    EXPECT_EQ(machine->step(), Presets);
    ASSERT_EQ(f.platform.messages.size(), 1u);
    EXPECT_EQ(f.platform.messages[0].text, "Title field is empty");

    page().SetText(IDC_TITLE, "Typed");
    machine->OnCommand(IDC_NEXT);
    EXPECT_EQ(machine->step(), Cabinets);
    EXPECT_STREQ(f.state.title, "Typed");
    EXPECT_STREQ(f.project->title, "Typed");
}

TEST_F(StepMachineTest, BackDropsTheValuesOfTheLeftPage) {
    f.AddCabinet("a.cab", 100);
    CopyText(f.state.savedWorkPath, "/kept");
    Start(Cabinets);
    Tick(IDC_CUSTOM_WORK_PATH, true);
    EXPECT_EQ(f.state.customWorkPath, 1);
    EXPECT_TRUE(page().IsEnabled(IDC_WORK_PATH_BROWSE));
    front.chosen = "/chosen";
    machine->OnCommand(IDC_WORK_PATH_BROWSE);
    EXPECT_EQ(page().GetText(IDC_WORK_PATH), "/chosen");

    machine->OnCommand(IDC_BACK);
    EXPECT_EQ(machine->step(), Presets);
    machine->OnCommand(IDC_NEXT);
    ASSERT_EQ(machine->step(), Cabinets);
    EXPECT_EQ(page().GetText(IDC_WORK_PATH), "/kept");
    EXPECT_EQ(page().ListRowCount(IDC_CABINET_LIST), 1);
}

TEST_F(StepMachineTest, FilterSwitchUnticksItsGroup) {
    Start(Presets);
    Tick(IDC_OS_FILTER, true);
    EXPECT_TRUE(page().IsEnabled(IDC_FILTER_OS2005));
    page().SetChecked(IDC_FILTER_OS2005, true);
    Tick(IDC_OS_FILTER, false);
    EXPECT_FALSE(page().IsEnabled(IDC_FILTER_OS2005));
    EXPECT_FALSE(page().IsChecked(IDC_FILTER_OS2005));
    Tick(IDC_OS_FILTER, true);
    EXPECT_TRUE(page().IsEnabled(IDC_FILTER_OS2005));
    EXPECT_FALSE(page().IsChecked(IDC_FILTER_OS2005));
}

TEST_F(StepMachineTest, DeployOptionsExcludeEachOther) {
    Start(Build);
    Tick(IDC_DEPLOY_DESKTOP, true);
    Tick(IDC_DEPLOY_MOBILE, true);
    EXPECT_EQ(f.state.deployMobileWhenDone, 1);
    EXPECT_EQ(f.state.deployDesktopWhenDone, 0);
    EXPECT_FALSE(page().IsChecked(IDC_DEPLOY_DESKTOP));
    Tick(IDC_DEPLOY_MOBILE, false);
    EXPECT_EQ(f.state.deployMobileWhenDone, 0);
    EXPECT_FALSE(page().IsChecked(IDC_DEPLOY_DESKTOP));

    machine->OnCommand(IDC_NEXT);  // without the mobile deployment, step 3 stays
    EXPECT_EQ(machine->step(), Build);
    EXPECT_EQ(deploy.entered, 0);
}

TEST_F(StepMachineTest, BuildWithAMissingFileBuildsNothing) {
    f.AddCabinet("a.cab", 100);
    std::filesystem::remove(f.Input("a.cab"));
    CopyText(f.state.savedWorkPath, f.outputFolder);
    Start(Build);
    machine->OnPaintedButton(PaintedButton::NextPosition);
    ASSERT_EQ(f.platform.messages.size(), 1u);
    EXPECT_EQ(f.platform.messages[0].text,
              "Cannot build project. Files are missing or corrupt. Please go back and correct");
    EXPECT_EQ(f.platform.messages[0].caption, "Error");
    EXPECT_EQ(f.platform.messages[0].icon, MessageIcon::Error);
    EXPECT_FALSE(f.platform.messages[0].owned);
    EXPECT_TRUE(test::ListFolder(f.outputFolder).empty());
    EXPECT_FALSE(machine->lastBuildSucceeded());
}

TEST_F(StepMachineTest, BuildThenStartTheDesktopInstallerAndClose) {
    f.AddCabinet("a.cab", 5000);
    CopyText(f.state.savedWorkPath, f.outputFolder);
    CopyText(f.state.workPath, "/elsewhere");
    Start(Build);
    Tick(IDC_DEPLOY_DESKTOP, true);
    machine->OnCommand(IDC_BUILD);

    ASSERT_TRUE(machine->lastBuildSucceeded()) << f.platform.messages.size();
    // The project keeps the folder without the date and title subfolders.
    EXPECT_STREQ(f.project->outputFolder, f.outputFolder.c_str());
    const std::string prepared = f.outputFolder + "/7-12-2026/Demo";
    EXPECT_TRUE(test::FileExists(prepared + "/Demo.[MOBILE].exe"));
    const std::string desktop = prepared + "/Demo.[DESKTOP].exe";
    EXPECT_TRUE(test::FileExists(desktop));
    ASSERT_EQ(f.platform.started.size(), 1u);
    EXPECT_EQ(f.platform.started[0], desktop);
    EXPECT_EQ(front.closes, 1);
    EXPECT_FALSE(front.controls.logLines.empty());

    machine->OnClose();
    EXPECT_EQ(f.platform.registry["HKCU|SOFTWARE\\Morvane\\Zephyrkit|General_Step_Index"], "#0");
}

TEST_F(StepMachineTest, AWindowClosedDuringTheBuildStopsItAndKeepsTheEarlierInstallers) {
    f.AddCabinet("a.cab", 300000);
    CopyText(f.state.savedWorkPath, f.outputFolder);
    Start(Build);
    machine->OnCommand(IDC_BUILD);
    ASSERT_TRUE(machine->lastBuildSucceeded());
    const std::string prepared = f.outputFolder + "/7-12-2026/Demo";
    auto files = [&prepared] {
        std::vector<std::string> bytes;
        for (const std::string& name : test::ListFolder(prepared))
            bytes.push_back(name + ":" + test::ReadFileBytes(prepared + "/" + name));
        return bytes;
    };
    const std::vector<std::string> earlier = files();
    ASSERT_EQ(earlier.size(), 3u);

    front.questions = 0;
    front.closeAt = 6;
    front.meanwhile = [this] { machine->OnCommand(IDC_BACK); };  // waits for no build
    f.platform.unixTime += 3600;  // another member time: other bytes, were they written
    machine->OnCommand(IDC_BUILD);
    EXPECT_FALSE(machine->lastBuildSucceeded());
    EXPECT_EQ(front.closes, 1) << "the window closes once the build has cleared up";
    EXPECT_TRUE(f.platform.messages.empty()) << "no box stands in the way of the close";
    EXPECT_EQ(machine->step(), Build);
    EXPECT_EQ(files(), earlier);
}

TEST_F(StepMachineTest, BuildThenMoveToTheDeviceStep) {
    f.AddCabinet("a.cab", 100);
    CopyText(f.state.savedWorkPath, f.outputFolder);
    Start(Build);
    Tick(IDC_DEPLOY_MOBILE, true);
    machine->OnCommand(IDC_BUILD);
    EXPECT_EQ(machine->step(), Deploy);
    EXPECT_EQ(deploy.entered, 1);
    EXPECT_EQ(front.closes, 0);
    EXPECT_EQ(machine->NextPositionCommand(), IDC_DEPLOY);
    machine->OnPaintedButton(PaintedButton::NextPosition);
    machine->OnCommand(IDC_LOOK_FOR_DEVICE);
    machine->OnCommand(IDC_NEXT);  // stays, connects again
    EXPECT_EQ(machine->step(), Deploy);
    EXPECT_EQ(deploy.deployed, 1);
    EXPECT_EQ(deploy.looked, 1);
    EXPECT_EQ(deploy.entered, 2);
}

TEST_F(StepMachineTest, LoadProjectFillsThePresetsPage) {
    Start(Presets);
    front.chosen = f.folder / "short.paw";
    test::WriteFileBytes(front.chosen, "not a project");
    machine->OnCommand(IDC_LOAD_PROJECT);
    ASSERT_EQ(f.platform.messages.size(), 1u);
    EXPECT_EQ(f.platform.messages[0].text, "Project file is invalid");
    EXPECT_STREQ(f.state.title, "Demo");

    CopyText(f.project->title, "Loaded");
    CopyText(f.project->outputFolder, "/saved/output");
    front.chosen = f.folder / "Saved.paw";
    ASSERT_TRUE(WriteProjectFile(f.platform, *f.project, front.chosen.c_str()));
    CopyText(f.project->title, "Other");
    machine->OnCommand(IDC_LOAD_PROJECT);
    EXPECT_STREQ(f.state.title, "Loaded");
    EXPECT_STREQ(f.state.projectName, "Saved");
    EXPECT_EQ(page().GetText(IDC_TITLE), "Loaded");
    EXPECT_STREQ(f.state.savedWorkPath, "/saved/output");
}

TEST_F(StepMachineTest, ChosenDocumentFillsFieldAndFileName) {
    Start(Presets);
    front.chosen = "/docs/licence.txt";
    machine->OnCommand(IDC_EULA_BROWSE);
    EXPECT_EQ(page().GetText(IDC_EULA_PATH), "/docs/licence.txt");
    EXPECT_STREQ(f.state.eulaFileName, "licence.txt");
    EXPECT_EQ(front.asked.back(), Chooser::Eula);
}

TEST_F(StepMachineTest, SkipIntroIsStoredAtClose) {
    Start(Intro);
    Tick(IDC_SKIP_INTRO, true);
    machine->OnClose();
    EXPECT_EQ(f.platform.registry["HKCU|SOFTWARE\\Morvane\\Zephyrkit|General_Step_Index"], "#1");
    EXPECT_FALSE(machine->OnCommand(9999));
}

TEST(PagePaintingTest, DeployTextNamesCompanyThenTitle) {
    auto project = std::make_unique<Project>();
    std::memset(project.get(), 0, sizeof(Project));
    CopyText(project->company, "Morvane");
    CopyText(project->title, "Demo 100%");
    const PaintedPage painted = PaintingOf(4, *project);
    ASSERT_EQ(painted.texts.size(), 2u);
    EXPECT_EQ(painted.texts[0].text.rfind("This wizard will help you install Morvane Demo 100% on "
                                          "your WindowsCE device.",
                                          0),
              0u);
    EXPECT_EQ(painted.texts[1].weight, 700);
    EXPECT_EQ(PaintingOf(2, *project).lineRows, (std::vector<int>{12, 376}));
}

}  // namespace
}  // namespace zk
