// The deployment step: looking for the device and Deploy, as the status
// field, the button and the tree show them.
#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>

#include "common/fixed_text.h"
#include "common/project_record.h"
#include "tests/support/deploy_bench.h"
#include "tests/support/fake_desktop_platform.h"
#include "wizard/deploy/deploy_step.h"
#include "wizard/deploy/device_deploy_step.h"
#include "wizard/project/wizard_context.h"
#include "wizard/ui/control_ids.h"

namespace zk::test {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// Keeps every text the status field showed.
class StatusPage : public MemoryPageView {
public:
    void SetText(int id, const std::string& text) override {
        if (id == IDC_DEVICE_STATUS) statuses.push_back(text);
        MemoryPageView::SetText(id, text);
    }
    bool IsShown(int id) const { return shown_.count(id) && shown_.at(id); }

    Strings statuses;
};

TEST(DeviceInstallerPathTest, JoinsFolderAndNameWithOneSeparator) {
    std::u16string path;
    ASSERT_TRUE(DeviceInstallerPath("\\", "Demo.[MOBILE].exe", &path));
    EXPECT_EQ(path, u"\\Demo.[MOBILE].exe");
    ASSERT_TRUE(DeviceInstallerPath("\\Temp", "Demo.[MOBILE].exe", &path));
    EXPECT_EQ(path, u"\\Temp\\Demo.[MOBILE].exe");
    ASSERT_TRUE(DeviceInstallerPath("\\Temp\\", "Demo.[MOBILE].exe", &path));
    EXPECT_EQ(path, u"\\Temp\\Demo.[MOBILE].exe");
    ASSERT_TRUE(DeviceInstallerPath("\\Caf\xE9", "\x80.[MOBILE].exe", &path));
    EXPECT_EQ(path, u"\\Caf\u00E9\\\u20AC.[MOBILE].exe");

    std::string deep = "\\" + std::string(TARGET_FOLDER_MAX - 1, 'd');
    EXPECT_TRUE(DeviceInstallerPath(deep, "D.exe", &path));
    EXPECT_FALSE(DeviceInstallerPath(deep + "d", "D.exe", &path));
}

class DeployStepTest : public DeviceBench {
protected:
    DeployStepTest() {
        std::memset(&project, 0, sizeof project);
        std::memset(&state, 0, sizeof state);
        page.SetText(IDC_REMOTE_PATH, "\\");
    }

    void Built(const std::string& bytes) {
        std::string path = local / "Demo.[MOBILE].exe";
        WriteFileBytes(path, bytes);
        CopyText(state.mobileInstallerPath, path);
        CopyText(state.mobileInstallerName, "Demo.[MOBILE].exe");
    }

    TempFolder local;
    StatusPage page;
    Project project;
    WizardState state;
    FakeDesktopPlatform platform;
    WizardContext context{project, state, platform, &page};
};

TEST_F(DeployStepTest, LookingForAConnectedDeviceShowsTheTree) {
    page.Show(IDC_REMOTE_TREE, false);
    bool buttonDisabledWhileWaiting = false;
    onTick = [&] { buttonDisabledWhileWaiting = !page.IsEnabled(IDC_LOOK_FOR_DEVICE); };
    LookForDevice(page, connection);
    EXPECT_EQ(page.statuses, (Strings{STATUS_CONNECTING, STATUS_CONNECTED}));
    EXPECT_EQ(ticks, 1);
    EXPECT_TRUE(buttonDisabledWhileWaiting);
    EXPECT_TRUE(page.IsEnabled(IDC_LOOK_FOR_DEVICE));
    EXPECT_TRUE(page.IsShown(IDC_REMOTE_TREE));
    // An earlier connection is dropped first; the new one stays open.
    EXPECT_EQ(recorder.Calls(), (Strings{"CeRapiUninit", "CeRapiInit"}));
    EXPECT_TRUE(device.connected());
}

TEST_F(DeployStepTest, LookingForNoDeviceFailsAfterFiveTicksAndCanBeTriedAgain) {
    device.AnswerNever();
    LookForDevice(page, connection);
    EXPECT_EQ(page.statuses, (Strings{STATUS_CONNECTING, STATUS_NOT_CONNECTED}));
    EXPECT_EQ(ticks, 5);
    EXPECT_FALSE(page.IsShown(IDC_REMOTE_TREE));
    EXPECT_TRUE(page.IsEnabled(IDC_LOOK_FOR_DEVICE));

    device.AnswerAtOnce();
    LookForDevice(page, connection);
    EXPECT_EQ(page.statuses.back(), STATUS_CONNECTED);
    EXPECT_TRUE(page.IsShown(IDC_REMOTE_TREE));
}

TEST_F(DeployStepTest, DeployCopiesIntoTheTargetFolderAndThenStartsTheCopy) {
    Built(std::string(40000, 'z'));
    fs::create_directory(root / "Temp");
    page.SetText(IDC_REMOTE_PATH, "\\Temp");
    DeployInstaller(context, connection);
    EXPECT_EQ(page.statuses, (Strings{STATUS_COPYING, STATUS_COPIED, STATUS_STARTED}));
    EXPECT_EQ(DeviceFile("Temp/Demo.[MOBILE].exe"), std::string(40000, 'z'));
    ASSERT_EQ(device.StartedPrograms().size(), 1u);
    EXPECT_EQ(device.StartedPrograms()[0].program, u"\\Temp\\Demo.[MOBILE].exe");
    Strings calls = recorder.Calls();
    auto created = std::find(calls.begin(), calls.end(), "CeCreateFile \\Temp\\Demo.[MOBILE].exe");
    auto started =
        std::find(calls.begin(), calls.end(), "CeCreateProcess \\Temp\\Demo.[MOBILE].exe|");
    EXPECT_LT(created, started);
    EXPECT_NE(started, calls.end());
}

TEST_F(DeployStepTest, TheInitialRootFolderTakesTheNameDirectly) {
    Built("MZ");
    DeployInstaller(context, connection);
    EXPECT_EQ(DeviceFile("Demo.[MOBILE].exe"), "MZ");
    EXPECT_EQ(page.statuses.back(), STATUS_STARTED);
}

TEST_F(DeployStepTest, AFailedCopyIsNeverStarted) {
    Built("MZ");
    page.SetText(IDC_REMOTE_PATH, "\\Missing");
    DeployInstaller(context, connection);
    EXPECT_EQ(page.statuses, (Strings{STATUS_COPYING, STATUS_COPY_FAILED}));

    CopyText(state.mobileInstallerPath, "");  // no build since the start
    page.SetText(IDC_REMOTE_PATH, "\\");
    DeployInstaller(context, connection);
    EXPECT_EQ(page.statuses.back(), STATUS_COPY_FAILED);
    EXPECT_TRUE(recorder.CallsStartingWith("CeCreateProcess").empty());
    EXPECT_TRUE(device.StartedPrograms().empty());
}

TEST_F(DeployStepTest, AStartFailureFollowsACompletedCopy) {
    Built("MZ");
    device.FailProgramStarts(true);
    DeployInstaller(context, connection);
    EXPECT_EQ(page.statuses, (Strings{STATUS_COPYING, STATUS_COPIED, STATUS_START_FAILED}));
    EXPECT_EQ(DeviceFile("Demo.[MOBILE].exe"), "MZ");
}

TEST_F(DeployStepTest, TheStepMachineReachesTheSameSequences) {
    DeviceDeployStep step(connection);
    Built("MZ");
    step.Enter(context);
    EXPECT_EQ(page.statuses, (Strings{STATUS_CONNECTING, STATUS_CONNECTED}));
    step.Deploy(context);
    EXPECT_EQ(page.statuses.back(), STATUS_STARTED);

    WizardContext noPage{project, state, platform, nullptr};
    step.LookForDevice(noPage);
    step.Deploy(noPage);
    EXPECT_EQ(page.statuses.size(), 5u);
}

}  // namespace
}  // namespace zk::test
