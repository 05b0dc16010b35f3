#include "wizard/build/installer_build.h"

#include <gtest/gtest.h>

#include "common/fixed_text.h"
#include "common/package_layout.h"
#include "tests/build/build_fixture.h"
#include "wizard/build/build_outcome.h"
#include "wizard/build/compression_figure.h"

namespace zk {
namespace {

using test::ReadFileBytes;
using test::RecordingBuildLog;

bool StartsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }
bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

class InstallerBuildTest : public ::testing::Test, public test::BuildFixture {
protected:
    bool Build() {
        outcome = BuildOutcome();
        log = RecordingBuildLog();
        return BuildMobileInstaller(ctx, log, outcome) && BuildDesktopInstaller(ctx, log, outcome);
    }
    std::string Out(const std::string& name) const { return outputFolder + "/" + name; }

    RecordingBuildLog log;
    BuildOutcome outcome;
};

TEST_F(InstallerBuildTest, TwoCabinetsAndNoOptionalSections) {
    ZK_REQUIRE_HOST_TOOLS();
    AddCabinet("Setup.cab", 70000);
    AddCabinet("Other.CAB", 100);
    ASSERT_TRUE(Build()) << outcome.failure;

    const std::string mobile = ReadFileBytes(Out("Demo.[MOBILE].exe"));
    EXPECT_EQ(mobile.substr(0, mobileStub.size()), mobileStub);
    auto sections = test::ReadSections(mobile, MOBILE_STUB_FIRST_SECTION_OFFSET);
    ASSERT_EQ(sections.size(), 4u);
    std::uint64_t total = MOBILE_STUB_FIRST_SECTION_OFFSET;
    for (const auto& s : sections) total += 4 + s.bytes.size();
    EXPECT_EQ(total, mobile.size());

    EXPECT_EQ(sections[0].bytes, systemInfo);
    const std::string scratch = folder / "section.zip";
    EXPECT_EQ(test::ZipMemberNames(sections[1].bytes, scratch),
              std::vector<std::string>{"ZephyrkitPrj.paw"});
    EXPECT_EQ(test::ZipMemberNames(sections[2].bytes, scratch),
              std::vector<std::string>{"Setup.cab"});
    EXPECT_EQ(test::ZipMemberNames(sections[3].bytes, scratch),
              std::vector<std::string>{"Other.CAB"});

    // The project packed is the record as it stands, and so is the file left
    // beside the installer.
    const std::string paw = ReadFileBytes(Out("ZephyrkitPrj.paw"));
    ASSERT_EQ(paw.size(), PROJECT_RECORD_SIZE);
    EXPECT_EQ(paw.substr(0, 4), "Demo");

    const std::string desktop = ReadFileBytes(Out("Demo.[DESKTOP].exe"));
    EXPECT_EQ(desktop.size(), desktopStub.size() + 4 + mobile.size());
    EXPECT_EQ(desktop.substr(0, desktopStub.size()), desktopStub);
    EXPECT_EQ(test::ReadU32(desktop, desktopStub.size()), mobile.size());
    EXPECT_EQ(desktop.substr(desktopStub.size() + 4), mobile);

    EXPECT_STREQ(state.mobileInstallerPath, Out("Demo.[MOBILE].exe").c_str());
    EXPECT_STREQ(state.mobileInstallerName, "Demo.[MOBILE].exe");
    EXPECT_STREQ(state.desktopInstallerPath, Out("Demo.[DESKTOP].exe").c_str());
    EXPECT_EQ(test::ListFolder(outputFolder),
              (std::vector<std::string>{"Demo.[DESKTOP].exe", "Demo.[MOBILE].exe",
                                        "ZephyrkitPrj.paw"}))
        << "no temporary archive is left behind";
}

TEST_F(InstallerBuildTest, OptionalSectionsComeInTheirOrder) {
    ZK_REQUIRE_HOST_TOOLS();
    test::WriteFileBytes(Input("eula.txt"), std::string(2000, 'e'));
    test::WriteFileBytes(Input("readme.txt"), "read me");
    test::WriteFileBytes(Input("splash.bmp"), "BM" + std::string(5000, '\x7f'));
    AddCabinet("a.cab", 10);
    struct Case {
        bool splash, eula, readme;
    };
    for (Case c : {Case{false, true, false}, Case{true, true, true}, Case{true, false, true}}) {
        project->splashEnabled = state.splashEnabled = c.splash;
        project->eulaEnabled = state.eulaEnabled = c.eula;
        project->readmeEnabled = state.readmeEnabled = c.readme;
        CopyText(state.splashPath, Input("splash.bmp"));
        CopyText(state.splashFileName, "splash.bmp");
        CopyText(state.eulaPath, Input("eula.txt"));
        CopyText(state.eulaFileName, "eula.txt");
        CopyText(state.readmePath, Input("readme.txt"));
        CopyText(state.readmeFileName, "readme.txt");
        ASSERT_TRUE(Build()) << outcome.failure;

        std::vector<std::string> expected = {"ZephyrkitPrj.paw"};
        if (c.splash) expected.push_back("splash.bmp");
        if (c.eula) expected.push_back("eula.txt");
        if (c.readme) expected.push_back("readme.txt");
        expected.push_back("a.cab");
        auto sections =
            test::ReadSections(ReadFileBytes(Out("Demo.[MOBILE].exe")), MOBILE_STUB_FIRST_SECTION_OFFSET);
        ASSERT_EQ(sections.size(), expected.size() + 1);
        for (std::size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(test::ZipMemberNames(sections[i + 1].bytes, folder / "s.zip"),
                      std::vector<std::string>{expected[i]});
    }
}

TEST_F(InstallerBuildTest, LogLinesAndProgress) {
    test::WriteFileBytes(Input("eula.txt"), std::string(1000, 'e'));
    project->eulaEnabled = state.eulaEnabled = 1;
    CopyText(state.eulaPath, Input("eula.txt"));
    CopyText(state.eulaFileName, "eula.txt");
    AddCabinet("Setup.cab", 5000);

    RecordingBuildLog mobileLog;
    ASSERT_TRUE(BuildMobileInstaller(ctx, mobileLog, outcome));
    EXPECT_EQ(mobileLog.captions, std::vector<std::string>{" Mobile installer progress"});
    EXPECT_EQ(mobileLog.rangeMaximum, 4);
    EXPECT_EQ(mobileLog.position, 4);
    ASSERT_EQ(mobileLog.lines.size(), 6u);
    EXPECT_EQ(mobileLog.lines[0], "\t***Mobile installer overview***");
    EXPECT_EQ(mobileLog.lines[1], "");
    EXPECT_EQ(mobileLog.lines[2], "Project file packed:\t- compression: 99 %\t- status: done");
    EXPECT_TRUE(StartsWith(mobileLog.lines[3], "Eula file packed:\t- compression: ")) << mobileLog.lines[3];
    EXPECT_TRUE(StartsWith(mobileLog.lines[4], "Setup.cab file packed:\t- compression: "));
    EXPECT_TRUE(StartsWith(mobileLog.lines[5], "Mobile installer:\t- compression: "));
    EXPECT_TRUE(EndsWith(mobileLog.lines[5], " %\t- status: done"));

    RecordingBuildLog desktopLog;
    ASSERT_TRUE(BuildDesktopInstaller(ctx, desktopLog, outcome));
    EXPECT_EQ(desktopLog.lines,
              (std::vector<std::string>{"\t***Desktop installer overview***", "",
                                        "Desktop installer:\t- status: done"}));
    EXPECT_EQ(desktopLog.captions, std::vector<std::string>{" Desktop installer progress"});
    EXPECT_EQ(desktopLog.position, 3);
    EXPECT_EQ(desktopLog.rangeMaximum, 3);
}

TEST_F(InstallerBuildTest, ASecondBuildReplacesTheFirst) {
    AddCabinet("a.cab", 500);
    project->removableCardOutput = state.removableCardOutput = 1;
    ASSERT_TRUE(Build());
    const std::string first = ReadFileBytes(Out("Demo.[MOBILE].exe"));
    ASSERT_TRUE(Build());
    // The same sections again, not appended to the old file; the member
    // times may differ by the second that passed.
    const std::string second = ReadFileBytes(Out("Demo.[MOBILE].exe"));
    EXPECT_EQ(second.size(), first.size());
    EXPECT_EQ(test::ReadSections(second, MOBILE_STUB_FIRST_SECTION_OFFSET).size(), 3u);
    EXPECT_EQ(ReadFileBytes(Out("autorun.exe")), second);
    EXPECT_EQ(test::FileSize(Out("Demo.[DESKTOP].exe")), desktopStub.size() + 4 + second.size());
}

TEST_F(InstallerBuildTest, CompressionFigures) {
    EXPECT_EQ(CompressionFigure(339536, 611), 99);
    EXPECT_EQ(CompressionFigure(1000, 1100), 47);
    EXPECT_EQ(CompressionFigure(3000000000ULL, 2900000000ULL), 50);
    EXPECT_EQ(CompressionFigure(0, 0), 0);
}

TEST_F(InstallerBuildTest, AMissingInputFailsTheBuildAndLeavesNoInstaller) {
    AddCabinet("a.cab", 500);
    for (const char* input : {"MobileZephyrkit.exe", "SystemInfo.dat", "DesktopZephyrkit.exe"}) {
        const std::string path = programFolder + "/" + input;
        const std::string saved = ReadFileBytes(path);
        std::remove(path.c_str());
        EXPECT_FALSE(Build()) << input;
        EXPECT_EQ(outcome.failure, "cannot read " + path);
        EXPECT_EQ(log.lines.back(), path + ":\t- status: failed");
        for (const std::string& name : test::ListFolder(outputFolder))
            EXPECT_TRUE(name == "ZephyrkitPrj.paw" || name == "Demo.[MOBILE].exe") << name;
        if (std::string(input) != "DesktopZephyrkit.exe") {
            EXPECT_FALSE(test::FileExists(Out("Demo.[MOBILE].exe")));
        }
        EXPECT_FALSE(test::FileExists(Out("Demo.[DESKTOP].exe")));
        test::WriteFileBytes(path, saved);
    }

    std::remove(Input("a.cab").c_str());
    EXPECT_FALSE(Build());
    EXPECT_EQ(outcome.failure, "cannot read " + Input("a.cab"));
    EXPECT_FALSE(test::FileExists(Out("Demo.[MOBILE].exe")));
    EXPECT_FALSE(test::FileExists(Out("a.cab.zip")));
}

TEST_F(InstallerBuildTest, AStubOfTheWrongLengthFailsTheBuildAndLeavesNoInstaller) {
    AddCabinet("a.cab", 500);
    ASSERT_TRUE(Build());
    const std::string stub = programFolder + "/MobileZephyrkit.exe";
    const std::string expected = std::to_string(MOBILE_STUB_FIRST_SECTION_OFFSET);
    for (const std::string& wrong : {std::string("MZ") + std::string(998, 's'), std::string(),
                                     mobileStub + "x", mobileStub.substr(0, mobileStub.size() - 1)}) {
        test::WriteFileBytes(stub, wrong);
        EXPECT_FALSE(Build()) << wrong.size();
        EXPECT_EQ(outcome.failure, stub + " is " + std::to_string(wrong.size()) +
                                       " bytes long; the device stub must be " + expected + " bytes");
        EXPECT_EQ(log.lines.back(), stub + ":\t- status: failed");
        EXPECT_FALSE(test::FileExists(Out("Demo.[MOBILE].exe"))) << wrong.size();
        EXPECT_FALSE(test::FileExists(Out("Demo.[DESKTOP].exe"))) << "not even the earlier one";
        EXPECT_FALSE(test::FileExists(Out("Demo.[MOBILE].exe.partial")));
    }
    test::WriteFileBytes(stub, mobileStub);
    EXPECT_TRUE(Build());
}

TEST_F(InstallerBuildTest, ACabinetThatCannotBeReadWholeFailsTheBuild) {
    AddCabinet("a.cab", 50000);
    AddCabinet("b.cab", 400000);
    platform.failReadsFrom = "b.cab";
    platform.failReadAfterBytes = 300000;
    EXPECT_FALSE(Build()) << "a cut cabinet is no installer";
    EXPECT_EQ(outcome.failure.rfind("cannot read ", 0), 0u) << outcome.failure;
    EXPECT_NE(outcome.failure.find("b.cab"), std::string::npos) << outcome.failure;
    for (const std::string& name : test::ListFolder(outputFolder))
        EXPECT_EQ(name.find(".exe"), std::string::npos) << name << " left behind";
}

TEST_F(InstallerBuildTest, AnUnwritableOutputFailsTheBuild) {
    AddCabinet("a.cab", 50000);
    platform.failWritesTo = "[MOBILE].exe.partial";
    platform.failWriteAfterBytes = 100;
    EXPECT_FALSE(Build());
    EXPECT_EQ(outcome.failure, "cannot write " + Out("Demo.[MOBILE].exe"));
    EXPECT_EQ(log.lines.back(), Out("Demo.[MOBILE].exe") + ":\t- status: failed");
    EXPECT_TRUE(test::ListFolder(outputFolder).empty()) << "the partial installer is gone";

    platform.failWritesTo.clear();
    CopyText(state.workPath, folder / "no-such-folder");
    EXPECT_FALSE(Build());
    EXPECT_EQ(outcome.failure, "cannot write " + (folder / "no-such-folder/Demo.[MOBILE].exe"));
}

}  // namespace
}  // namespace zk
