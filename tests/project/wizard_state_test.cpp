#include "wizard/project/wizard_state.h"

#include <gtest/gtest.h>

#include "tests/support/fake_desktop_platform.h"

namespace zk {
namespace {

TEST(WizardStateTest, DefaultsWithoutInstallDir) {
    test::FakeDesktopPlatform platform;
    platform.currentDirectory = "/work/F";
    WizardState state;
    InitialiseWizardState(state, platform);
    EXPECT_STREQ(state.workPath, "/work/F");
    EXPECT_STREQ(state.savedWorkPath, "/work/F");
    EXPECT_STREQ(state.projectName, "ZephyrkitPrj");
    // The help is looked for beside the program, wherever it was started.
    EXPECT_STREQ(state.helpPath, "/fake/program/Help/ZEPHYRKIT.CHM");
    EXPECT_EQ(state.addDateToPath, 1);
    EXPECT_EQ(state.addTitleSubfolder, 1);
    EXPECT_EQ(state.eulaEnabled, 0);
    EXPECT_EQ(state.customWorkPath, 0);
    EXPECT_STREQ(state.title, "");
}

TEST(WizardStateTest, HelpPathFollowsInstallDir) {
    test::FakeDesktopPlatform platform;
    platform.WriteRegistryString(RegistryRoot::LocalMachine, WIZARD_REGISTRY_KEY, INSTALL_DIR_VALUE,
                                 "/opt/zk");
    WizardState state;
    InitialiseWizardState(state, platform);
    EXPECT_STREQ(state.helpPath, "/opt/zk/Help/ZEPHYRKIT.CHM");

    // A value too long to take the tail falls back to the program's folder.
    platform.WriteRegistryString(RegistryRoot::LocalMachine, WIZARD_REGISTRY_KEY, INSTALL_DIR_VALUE,
                                 std::string(1030, 'd'));
    InitialiseWizardState(state, platform);
    EXPECT_STREQ(state.helpPath, "/fake/program/Help/ZEPHYRKIT.CHM");

    // A dword under the name is another type and counts as absent.
    platform.WriteRegistryDword(RegistryRoot::LocalMachine, WIZARD_REGISTRY_KEY, INSTALL_DIR_VALUE,
                                7);
    InitialiseWizardState(state, platform);
    EXPECT_STREQ(state.helpPath, "/fake/program/Help/ZEPHYRKIT.CHM");
}

}  // namespace
}  // namespace zk
