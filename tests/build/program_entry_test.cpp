#include "wizard/project/program_entry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/fixed_text.h"
#include "common/package_layout.h"
#include "tests/build/build_fixture.h"
#include "wizard/project/project_file.h"

namespace zk {
namespace {

using test::ShownMessage;

class RecordingStart : public StartSequence {
public:
    int Run(WizardContext& ctx) override {
        ++runs;
        title = ctx.state.title;
        savedWorkPath = ctx.state.savedWorkPath;
        return 7;
    }
    int runs = 0;
    std::string title;
    std::string savedWorkPath;
};

class ProgramEntryTest : public ::testing::Test, public test::BuildFixture {
protected:
    ProgramEntryTest() {
        // The date and title subfolders of the default project.
        project->addDateToPath = 1;
        project->addTitleSubfolder = 1;
    }
    std::string SaveProject(const std::string& name) {
        const std::string path = folder / name;
        EXPECT_TRUE(WriteProjectFile(platform, *project, path.c_str()));
        return path;
    }
    int Run(std::vector<std::string> args) {
        platform.messages.clear();
        return RunZephyrkit(ctx, args, start);
    }
    void ExpectMessage(const std::string& text, const std::string& caption, MessageIcon icon) {
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(platform.messages[0].text, text);
        EXPECT_EQ(platform.messages[0].caption, caption);
        EXPECT_EQ(platform.messages[0].icon, icon);
        EXPECT_FALSE(platform.messages[0].owned);
    }
    RecordingStart start;
};

TEST_F(ProgramEntryTest, ArgumentRules) {
    const std::string paw = SaveProject("Demo.paw");
    const char* tooMany =
        "Too many arguments. Please read console command line paragraph in the help manual";
    const char* badParameters =
        "Invalid build parameters. Please read console command line paragraph in the help manual";
    EXPECT_EQ(Run({"-silent", paw, "x"}), 0);
    ExpectMessage(tooMany, "Error", MessageIcon::Error);
    EXPECT_EQ(Run({"-silent", paw, "x", "y"}), 0);
    ExpectMessage(tooMany, "Error", MessageIcon::Error);
    EXPECT_EQ(Run({paw, "-silent"}), 0);
    ExpectMessage(badParameters, "Error", MessageIcon::Error);
    EXPECT_EQ(Run({"-SILENT", paw}), 0);
    ExpectMessage(badParameters, "Error", MessageIcon::Error);
    EXPECT_EQ(start.runs, 0);

    EXPECT_EQ(Run({}), 7);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(start.runs, 1);
}

TEST_F(ProgramEntryTest, ProjectFileChecks) {
    const char* invalidPath =
        "Invalid Path. Please read console command line paragraph in the help manual";
    test::WriteFileBytes(folder / "empty.paw", "");
    test::WriteFileBytes(folder / "short.paw", std::string(100, 'p'));
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"-silent", folder / "empty.paw"}, {folder / "empty.paw"}, {folder / "none.paw"}}) {
        EXPECT_EQ(Run(args), 0);
        ExpectMessage(invalidPath, "Error", MessageIcon::Error);
    }
    for (const auto& args : std::vector<std::vector<std::string>>{{"-silent", folder / "short.paw"},
                                                                  {folder / "short.paw"}}) {
        EXPECT_EQ(Run(args), 0);
        ExpectMessage("Project file is invalid", "Error", MessageIcon::Error);
    }
    EXPECT_EQ(start.runs, 0);
}

TEST_F(ProgramEntryTest, SilentBuildSucceedsWithExitCodeOne) {
    AddCabinet("a.cab", 1000);
    CopyText(project->title, "Demo");
    const std::string paw = SaveProject("My.paw");
    EXPECT_EQ(Run({"-silent", paw}), 1);
    ExpectMessage("Zephyrkit files successfully built.", "Success", MessageIcon::Information);
    const std::string out = outputFolder + "/7-12-2026/Demo";
    EXPECT_EQ(test::ListFolder(out),
              (std::vector<std::string>{"Demo.[DESKTOP].exe", "Demo.[MOBILE].exe", "My.paw"}));
    EXPECT_EQ(test::ReadFileBytes(out + "/My.paw"), test::ReadFileBytes(paw))
        << "the project is used exactly as loaded";
    EXPECT_EQ(start.runs, 0);
}

TEST_F(ProgramEntryTest, SilentBuildRefusesMissingFilesWithExitCodeZero) {
    test::WriteFileBytes(Input("splash.bmp"), "BM");
    project->splashEnabled = 1;
    CopyText(project->splashPath, Input("splash.bmp"));
    const std::string paw = SaveProject("Demo.paw");
    std::remove(Input("splash.bmp").c_str());
    EXPECT_EQ(Run({"-silent", paw}), 0);
    ExpectMessage(
        "Project file contains errors. Please open the file in the wizard and correct them",
        "Error", MessageIcon::Error);
    EXPECT_TRUE(test::ListFolder(outputFolder).empty()) << "nothing is built";
}

TEST_F(ProgramEntryTest, SilentBuildReportsAFailedBuild) {
    AddCabinet("a.cab", 1000);
    const std::string paw = SaveProject("Demo.paw");
    std::remove((programFolder + "/MobileZephyrkit.exe").c_str());
    EXPECT_EQ(Run({"-silent", paw}), 0);
    ASSERT_EQ(platform.messages.size(), 1u);
    // With the system's reason, whose words differ between systems.
    EXPECT_THAT(platform.messages[0].text,
                testing::StartsWith("Build failed: cannot read " + programFolder +
                                    "/MobileZephyrkit.exe: "));

    test::WriteFileBytes(programFolder + "/MobileZephyrkit.exe", "MZ" + std::string(998, 's'));
    EXPECT_EQ(Run({"-silent", paw}), 0);
    ExpectMessage("Build failed: " + programFolder + "/MobileZephyrkit.exe is 1000 bytes long; " +
                      "the device stub must be " +
                      std::to_string(MOBILE_STUB_FIRST_SECTION_OFFSET) + " bytes",
                  "Error", MessageIcon::Error);
    for (const std::string& name : test::ListFolder(outputFolder))
        EXPECT_EQ(name.find(".exe"), std::string::npos) << name;
}

// The title names the installers and a folder: the presets page's check
// and message refuse what it refuses, and nothing is written anywhere.
TEST_F(ProgramEntryTest, SilentBuildRefusesATitleThePresetsPageRefuses) {
    AddCabinet("a.cab", 1000);
    // With no date folder "<out>/.." is the folder above the output folder.
    project->addDateToPath = 0;
    const std::string refused =
        "Cannot contain any of the following characters: \\, /,:,*,\",?,<,>,|";
    struct Case {
        const char* title;
        std::string text, caption;
    };
    for (const Case& c :
         {Case{"", "Title field is empty", "Please fill in"}, Case{"..", refused, "Invalid Title"},
          Case{"CON", refused, "Invalid Title"}, Case{"Demo.", refused, "Invalid Title"}}) {
        CopyText(project->title, c.title);
        const std::string paw = SaveProject("Demo.paw");
        EXPECT_EQ(Run({"-silent", paw}), 0) << c.title;
        ExpectMessage(c.text, c.caption, MessageIcon::Warning);
        EXPECT_TRUE(test::ListFolder(outputFolder).empty()) << c.title;
        for (const std::string& name : test::ListFolder(folder.path()))
            EXPECT_EQ(name.find(".exe"), name == "SystemInfo.exe" ? 10 : std::string::npos)
                << "nothing beside the output folder: " << name;
    }
    // A record of zeros: no title, no output folder (the current one is taken).
    test::WriteFileBytes(folder / "zero.paw", std::string(PROJECT_RECORD_SIZE, '\0'));
    EXPECT_EQ(Run({"-silent", folder / "zero.paw"}), 0);
    ExpectMessage("Title field is empty", "Please fill in", MessageIcon::Warning);
    for (const std::string& name : test::ListFolder(folder.path()))
        EXPECT_NE(name[0], '.') << "no hidden installer in the current folder";
}

TEST_F(ProgramEntryTest, OpeningAProjectLoadsItAndWarnsOfMissingFiles) {
    project->eulaEnabled = 1;
    CopyText(project->eulaPath, Input("gone.txt"));
    CopyText(project->title, "Loaded");
    CopyText(project->outputFolder, "/projects/out");
    const std::string paw = SaveProject("Demo.paw");
    EXPECT_EQ(Run({paw}), 7);
    ExpectMessage("Project file contains errors. Please check used files path before building",
                  "Attention", MessageIcon::Warning);
    EXPECT_EQ(start.title, "Loaded");
    EXPECT_STREQ(state.projectName, "Demo");
    // The cabinet page offers the project's output folder, not the folder
    // the program was started in.
    EXPECT_EQ(start.savedWorkPath, "/projects/out");
}

TEST(ProjectNameTest, DerivedFromTheFileName) {
    EXPECT_EQ(DeriveProjectName("C:\\work\\Demo.paw"), "Demo");
    EXPECT_EQ(DeriveProjectName("/work/Demo.paw"), "Demo");
    EXPECT_EQ(DeriveProjectName("Demo.PAW"), "Demo.PAW");
    EXPECT_EQ(DeriveProjectName("/a/Demo"), "Demo");
    EXPECT_EQ(DeriveProjectName("x.paw.bak"), "x.paw");
}

}  // namespace
}  // namespace zk
