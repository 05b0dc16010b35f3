#include "wizard/build/build_overview.h"

#include <gtest/gtest.h>

#include "common/fixed_text.h"
#include "tests/build/build_fixture.h"
#include "wizard/build/build_outcome.h"
#include "wizard/build/output_folder.h"

namespace zk {
namespace {

class BuildOverviewTest : public ::testing::Test, public test::BuildFixture {
protected:
    test::RecordingBuildLog log;
};

TEST_F(BuildOverviewTest, NothingWhenNotAskedFor) {
    WriteBuildOverview(ctx, log);
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(BuildOverviewTest, EverySettingAndEveryCabinet) {
    state.showBuildOverview = 1;
    state.readmeEnabled = 1;
    test::WriteFileBytes(Input("readme.txt"), "12345");
    CopyText(state.readmePath, Input("readme.txt"));
    CopyText(state.workPath, "/Out");
    AddCabinet("a.cab", 321);
    CabEntry& e = project->cabinets[0];
    e.forPocketPC = 0;
    e.forIntel = 1;
    WriteBuildOverview(ctx, log);
    const std::vector<std::string> expected = {
        "\t\t*** Build Overview ***",
        "Title : Demo",
        "Author : Morvane",
        "Eula : No",
        "ReadMe : Yes",
        "ReadMe Path : " + Input("readme.txt"),
        "ReadMe file size : 5 bytes",
        "Create output for Removable Card : No",
        "Splash : No",
        "Save project file :  Yes",
        "Project file path : {%Save to%}/ZephyrkitPrj",
        "Save to : /Out/7-12-2026/Demo",
        "",
        "Number of entries:\t[1]",
        "",
        "Entry:\t- Index [0]\t- Path [" + Input("a.cab") + "]",
        "Platform:\t\t- PocketPC [No]   - Smartphone [No]",
        "Operating System:\t- 2002 [No]   - 2003 [No]   - 2003SE [No]   - 2005 [No]",
        "Processor:\t- Intel [Yes]   - TI [No]   - Samsung [No]",
        "File size:\t\t- Bytes [321]",
        "",
    };
    EXPECT_EQ(log.lines, expected);
    EXPECT_TRUE(test::ListFolder(outputFolder).empty()) << "the overview creates nothing";
}

TEST_F(BuildOverviewTest, AMissingFileEndsTheOverview) {
    state.showBuildOverview = 1;
    state.eulaEnabled = 1;
    CopyText(state.eulaPath, Input("missing.txt"));
    WriteBuildOverview(ctx, log);
    ASSERT_EQ(log.lines.size(), 5u);
    EXPECT_EQ(log.lines.back(), "Eula Path : " + Input("missing.txt"));
}

TEST_F(BuildOverviewTest, OutputFolderTakesTheUtcDateAndTitle) {
    platform.unixTime = 1796601600 + 60;  // 00:01 UTC on 7 December 2026
    BuildOutcome outcome;
    ASSERT_TRUE(PrepareOutputFolder(ctx, outcome));
    EXPECT_EQ(std::string(state.workPath), outputFolder + "/7-12-2026/Demo");
    EXPECT_TRUE(test::FileExists(outputFolder + "/7-12-2026/Demo"));

    CopyText(state.workPath, outputFolder);
    state.addDateToPath = 0;
    state.addTitleSubfolder = 0;
    ASSERT_TRUE(PrepareOutputFolder(ctx, outcome));
    EXPECT_EQ(std::string(state.workPath), outputFolder);

    platform.unixTime = 1796601600 - 1;
    EXPECT_EQ(DateSubfolderText(ctx), "/6-12-2026");
}

}  // namespace
}  // namespace zk
