#include "wizard/build/installer_build.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>

#include "common/fixed_text.h"
#include "common/package_layout.h"
#include "tests/build/build_fixture.h"
#include "wizard/build/build_outcome.h"
#include "wizard/build/build_outputs.h"
#include "wizard/build/build_run.h"
#include "wizard/build/compression_figure.h"
#include "wizard/build/installer_signer.h"

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
    InstallerBuildTest() { state.addDateToPath = state.addTitleSubfolder = 0; }
    bool Build(const BuildRunOptions& options = {}) {
        outcome = BuildOutcome();
        log = RecordingBuildLog();
        return RunInstallerBuild(ctx, log, outcome, options);
    }
    // Every file of the output folder with its bytes.
    std::map<std::string, std::string> Outputs() const {
        std::map<std::string, std::string> files;
        for (const std::string& name : test::ListFolder(outputFolder))
            files[name] = ReadFileBytes(Out(name));
        return files;
    }
    std::string Out(const std::string& name) const { return outputFolder + "/" + name; }

    RecordingBuildLog log;
    BuildOutcome outcome;
};

TEST_F(InstallerBuildTest, TwoCabinetsAndNoOptionalSections) {
    ZK_REQUIRE_HOST_TOOLS();
    AddCabinet("Setup.cab", 70000);
    AddCabinet("Other.CAB", 100);
    ASSERT_TRUE(Build()) << BuildFailureText(outcome);

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
    EXPECT_EQ(
        test::ListFolder(outputFolder),
        (std::vector<std::string>{"Demo.[DESKTOP].exe", "Demo.[MOBILE].exe", "ZephyrkitPrj.paw"}))
        << "no temporary archive is left behind";
}

TEST_F(InstallerBuildTest, OptionalSectionsComeInTheirOrder) {
    ZK_REQUIRE_HOST_TOOLS();
    test::WriteFileBytes(Input("eula.txt"), std::string(2000, 'e'));
    test::WriteFileBytes(Input("readme.txt"), "read me");
    test::WriteFileBytes(Input("splash.bmp"), test::SmallBitmap());
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
        ASSERT_TRUE(Build()) << BuildFailureText(outcome);

        std::vector<std::string> expected = {"ZephyrkitPrj.paw"};
        if (c.splash) expected.push_back("splash.bmp");
        if (c.eula) expected.push_back("eula.txt");
        if (c.readme) expected.push_back("readme.txt");
        expected.push_back("a.cab");
        auto sections = test::ReadSections(ReadFileBytes(Out("Demo.[MOBILE].exe")),
                                           MOBILE_STUB_FIRST_SECTION_OFFSET);
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

    BuildOutputs outputs(platform);
    RecordingBuildLog mobileLog;
    ASSERT_TRUE(BuildMobileInstaller(ctx, mobileLog, outcome, outputs));
    EXPECT_EQ(mobileLog.captions, std::vector<std::string>{" Mobile installer progress"});
    EXPECT_EQ(mobileLog.rangeMaximum, 4);
    EXPECT_EQ(mobileLog.position, 4);
    ASSERT_EQ(mobileLog.lines.size(), 6u);
    EXPECT_EQ(mobileLog.lines[0], "\t***Mobile installer overview***");
    EXPECT_EQ(mobileLog.lines[1], "");
    EXPECT_EQ(mobileLog.lines[2], "Project file packed:\t- compression: 99 %\t- status: done");
    EXPECT_TRUE(StartsWith(mobileLog.lines[3], "Eula file packed:\t- compression: "))
        << mobileLog.lines[3];
    EXPECT_TRUE(StartsWith(mobileLog.lines[4], "Setup.cab file packed:\t- compression: "));
    EXPECT_TRUE(StartsWith(mobileLog.lines[5], "Mobile installer:\t- compression: "));
    EXPECT_TRUE(EndsWith(mobileLog.lines[5], " %\t- status: done"));

    RecordingBuildLog desktopLog;
    ASSERT_TRUE(BuildDesktopInstaller(ctx, desktopLog, outcome, outputs));
    EXPECT_EQ(desktopLog.lines, (std::vector<std::string>{"\t***Desktop installer overview***", "",
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

TEST_F(InstallerBuildTest, AFailedBuildLeavesTheEarlierOutputsAsTheyWere) {
    AddCabinet("a.cab", 500);
    AddCabinet("b.cab", 400000);
    project->removableCardOutput = state.removableCardOutput = 1;
    ASSERT_TRUE(Build()) << BuildFailureText(outcome);
    const std::map<std::string, std::string> earlier = Outputs();
    ASSERT_EQ(earlier.size(), 4u) << "the project file, both installers and autorun.exe";

    const std::string stub = programFolder + "/MobileZephyrkit.exe";
    struct Case {
        std::string what;
        std::function<void()> spoil, mend;
        BuildFault fault;
        std::string file;  // the file the failure names
    };
    auto removed = [this](const std::string& path) {
        return Case{path, [path] { std::rename(path.c_str(), (path + ".away").c_str()); },
                    [path] { std::rename((path + ".away").c_str(), path.c_str()); },
                    BuildFault::CannotRead, path};
    };
    const Case cases[] = {
        removed(programFolder + "/MobileZephyrkit.exe"),
        removed(programFolder + "/SystemInfo.dat"),
        removed(programFolder + "/DesktopZephyrkit.exe"),
        removed(Input("a.cab")),
        {"a stub of the wrong length", [&] { test::WriteFileBytes(stub, mobileStub + "x"); },
         [&] { test::WriteFileBytes(stub, mobileStub); }, BuildFault::InputUnusable, stub},
        {"a cabinet cut while read",
         [&] {
             platform.failReadsFrom = "b.cab";
             platform.failReadAfterBytes = 300000;
         },
         [&] { platform.failReadsFrom.clear(); }, BuildFault::CannotRead, Input("b.cab")},
        {"the mobile installer cannot be written",
         [&] {
             platform.failWritesTo = "[MOBILE].exe.partial";
             platform.failWriteAfterBytes = 100;
         },
         [&] { platform.failWritesTo.clear(); }, BuildFault::CannotWrite, Out("Demo.[MOBILE].exe")},
        {"the desktop installer cannot be written",
         [&] {
             platform.failWritesTo = "[DESKTOP].exe.partial";
             platform.failWriteAfterBytes = 5000;
         },
         [&] { platform.failWritesTo.clear(); }, BuildFault::CannotWrite,
         Out("Demo.[DESKTOP].exe")},
        {"autorun.exe cannot be written",
         [&] {
             platform.failWritesTo = "autorun.exe.partial";
             platform.failWriteAfterBytes = 10;
         },
         [&] { platform.failWritesTo.clear(); }, BuildFault::CannotWrite, Out("autorun.exe")},
    };
    for (const Case& c : cases) {
        c.spoil();
        EXPECT_FALSE(Build()) << c.what;
        c.mend();
        EXPECT_EQ(outcome.fault, c.fault) << c.what;
        EXPECT_EQ(outcome.file, c.file) << c.what;
        EXPECT_EQ(log.lines.back(), c.file + ":\t- status: failed") << c.what;
        EXPECT_EQ(Outputs(), earlier) << c.what << ": the earlier outputs and nothing else";
    }
    EXPECT_EQ(outcome.reason, test::SPENT_BUDGET);
    EXPECT_TRUE(Build()) << BuildFailureText(outcome);
}

TEST_F(InstallerBuildTest, FailuresTellTheSystemsReason) {
    AddCabinet("a.cab", 500);
    std::remove(Input("a.cab").c_str());
    EXPECT_FALSE(Build());
    EXPECT_EQ(outcome.fault, BuildFault::CannotRead);
    EXPECT_EQ(outcome.file, Input("a.cab"));
    EXPECT_FALSE(outcome.reason.empty());
    test::WriteFileBytes(Input("a.cab"), "MSCF");

    // A missing "Save to" folder is named as chosen, whatever subfolders
    // were to go below it.
    struct Case {
        std::string workPath;
        bool dateFolder, titleFolder;
        BuildFault fault;
        std::string file;
        const char* reason;  // null: the system's own, "Not a directory" here
    };
    const std::string missing = folder / "no-such-folder";
    for (const Case& c : {Case{missing, false, false, BuildFault::FolderMissing, missing, ""},
                          Case{missing, true, true, BuildFault::FolderMissing, missing, ""},
                          Case{Input("a.cab"), false, false, BuildFault::CannotMakeFolder,
                               Input("a.cab"), "not a folder"},
                          Case{Input("a.cab"), false, true, BuildFault::CannotMakeFolder,
                               Input("a.cab") + "/Demo", nullptr}}) {
        CopyText(state.workPath, c.workPath);
        state.addDateToPath = c.dateFolder;
        state.addTitleSubfolder = c.titleFolder;
        EXPECT_FALSE(Build()) << c.workPath;
        EXPECT_EQ(outcome.fault, c.fault) << c.workPath;
        EXPECT_EQ(outcome.file, c.file);
        if (c.reason)
            EXPECT_EQ(outcome.reason, c.reason);
        else
            EXPECT_FALSE(outcome.reason.empty());
    }
}

// A build stopped at its k-th write — a signal, or the window closed — ends
// as a failed one does: the earlier outputs exactly as they were, no
// temporary, and the outcome says it was interrupted.
TEST_F(InstallerBuildTest, AnInterruptedBuildLeavesTheEarlierOutputsAsTheyWere) {
    AddCabinet("a.cab", 70000);
    AddCabinet("b.cab", 300000);
    project->removableCardOutput = state.removableCardOutput = 1;
    int writes = 0;
    BuildRunOptions counting;
    counting.interrupted = [&writes] { return ++writes < 0; };
    ASSERT_TRUE(Build(counting)) << BuildFailureText(outcome);
    const int asked = writes;
    ASSERT_GT(asked, 10);
    const std::map<std::string, std::string> earlier = Outputs();

    for (int k : {1, 2, 5, asked / 2, asked - 3, asked - 1, asked}) {
        int calls = 0;
        BuildRunOptions stopping;
        stopping.interrupted = [&calls, k] { return ++calls >= k; };
        EXPECT_FALSE(Build(stopping)) << k;
        EXPECT_EQ(outcome.fault, BuildFault::Interrupted) << k;
        EXPECT_EQ(Outputs(), earlier) << "stopped at question " << k;
    }
}

TEST_F(InstallerBuildTest, OneBuildAtATimeWritesIntoAFolder) {
    AddCabinet("a.cab", 500);
    bool busy = false;
    {
        const std::string lockPath = Out(OUTPUT_LOCK_FILE_NAME);
        std::unique_ptr<FileLock> held = platform.LockFile(lockPath, 0, &busy);
        ASSERT_TRUE(held);
        BuildRunOptions hurried;
        hurried.lockWaitMilliseconds = 100;
        EXPECT_FALSE(Build(hurried));
        EXPECT_EQ(outcome.fault, BuildFault::Busy);
        EXPECT_EQ(outcome.file, outputFolder);
        EXPECT_EQ(test::ListFolder(outputFolder), std::vector<std::string>{OUTPUT_LOCK_FILE_NAME});
    }
    EXPECT_TRUE(Build()) << BuildFailureText(outcome);
    for (const std::string& name : test::ListFolder(outputFolder))
        EXPECT_NE(name, OUTPUT_LOCK_FILE_NAME) << "the lock goes with the build";
}

TEST_F(InstallerBuildTest, AnEarlierCardCopyGoesOnlyWithACompleteBuild) {
    AddCabinet("a.cab", 500);
    project->removableCardOutput = state.removableCardOutput = 1;
    ASSERT_TRUE(Build());
    project->removableCardOutput = state.removableCardOutput = 0;
    platform.failWritesTo = "[DESKTOP].exe.partial";
    EXPECT_FALSE(Build());
    EXPECT_TRUE(test::FileExists(Out("autorun.exe"))) << "kept with the installers it matches";
    platform.failWritesTo.clear();
    ASSERT_TRUE(Build());
    EXPECT_EQ(
        test::ListFolder(outputFolder),
        (std::vector<std::string>{"Demo.[DESKTOP].exe", "Demo.[MOBILE].exe", "ZephyrkitPrj.paw"}));
}

// Signs by appending a mark naming the product and time, as a certificate
// table follows the sections; records every request, and fails the k-th
// with the result given.
class FakeSigner : public InstallerSigner {
public:
    std::string ToolName() const override { return "fakesign"; }
    SigningReport Sign(const SignatureRequest& r) override {
        requests.push_back({r.productName, r.unixTime, r.input, r.output});
        if (static_cast<int>(requests.size()) == failAt) {
            if (!failingOutput.empty()) test::WriteFileBytes(r.output, failingOutput);
            return {failWith, "it said no"};
        }
        test::WriteFileBytes(r.output, ReadFileBytes(r.input) + Mark(r.productName, r.unixTime));
        return {};
    }
    static std::string Mark(const std::string& product, std::int64_t time) {
        return "<signed " + product + " " + std::to_string(time) + ">";
    }

    struct Request {
        std::string product;
        std::int64_t time;
        std::string input, output;
    };
    std::vector<Request> requests;
    int failAt = 0;
    SigningResult failWith = SigningResult::Failed;
    std::string failingOutput;  // what a failing signing leaves half-written
};

class SignedBuildTest : public InstallerBuildTest {
protected:
    SignedBuildTest() {
        test::WriteFileBytes(Input("key.pfx"), "certificate");
        test::WriteFileBytes(Input("password"), "secret\n");
        signing.signer = &signer;
        signing.signing.certificate = Input("key.pfx");
        signing.signing.passwordFile = Input("password");
        signing.signing.url = "https://morvane.example";
        AddCabinet("a.cab", 5000);
        project->removableCardOutput = state.removableCardOutput = 1;
    }
    BuildRunOptions signing;
    FakeSigner signer;
};

// The mobile installer is signed before the desktop installer is made from
// it: the copy the desktop installer carries to the device is the signed
// one. Then the desktop installer and autorun.exe, each under its temporary
// name, with the title as the product and the build's time.
TEST_F(SignedBuildTest, TheMobileInstallerIsSignedBeforeTheDesktopInstallerCarriesIt) {
    ASSERT_TRUE(Build(signing)) << BuildFailureText(outcome);
    const std::string mark = FakeSigner::Mark("Demo", platform.unixTime);
    ASSERT_EQ(signer.requests.size(), 3u);
    const char* signedInOrder[] = {"Demo.[MOBILE].exe", "Demo.[DESKTOP].exe", "autorun.exe"};
    for (std::size_t i = 0; i < 3; ++i) {
        const FakeSigner::Request& r = signer.requests[i];
        EXPECT_EQ(r.input, Out(std::string(signedInOrder[i]) + ".partial"));
        EXPECT_EQ(r.output, Out(std::string(signedInOrder[i]) + ".revised"));
        EXPECT_EQ(r.product, "Demo");
        EXPECT_EQ(r.time, platform.unixTime);
        EXPECT_TRUE(EndsWith(ReadFileBytes(Out(signedInOrder[i])), mark)) << signedInOrder[i];
    }
    const std::string mobile = ReadFileBytes(Out("Demo.[MOBILE].exe"));
    const std::string desktop = ReadFileBytes(Out("Demo.[DESKTOP].exe"));
    ASSERT_EQ(desktop.size(), desktopStub.size() + 4 + mobile.size() + mark.size());
    EXPECT_EQ(desktop.substr(desktopStub.size() + 4, mobile.size()), mobile)
        << "the desktop installer carries the signed mobile installer";
    EXPECT_EQ(ReadFileBytes(Out("autorun.exe")), mobile);
    EXPECT_EQ(test::ListFolder(outputFolder),
              (std::vector<std::string>{"Demo.[DESKTOP].exe", "Demo.[MOBILE].exe",
                                        "ZephyrkitPrj.paw", "autorun.exe"}));
}

// A signing that fails, at any of the three, ends the build as any failure
// does: nothing moved in place, no temporary or half-signed copy behind, and
// the fault names what the user must mend.
TEST_F(SignedBuildTest, AFailedSigningLeavesTheEarlierOutputsAsTheyWere) {
    ASSERT_TRUE(Build()) << BuildFailureText(outcome);  // unsigned outputs of an earlier build
    const std::map<std::string, std::string> earlier = Outputs();
    struct Case {
        int at;
        SigningResult result;
        BuildFault fault;
        std::string file;
        std::string detail;
    };
    const std::string mobile = Out("Demo.[MOBILE].exe"), desktop = Out("Demo.[DESKTOP].exe");
    const Case cases[] = {
        {1, SigningResult::SignerMissing, BuildFault::SignerMissing, "fakesign", ""},
        {1, SigningResult::PasswordRefused, BuildFault::InputUnusable, Input("key.pfx"),
         "does not open with the password in " + Input("password") + " (fakesign: it said no)"},
        {1, SigningResult::CertificateUnusable, BuildFault::InputUnusable, Input("key.pfx"),
         "is no PKCS#12 file holding a certificate and its key (fakesign: it said no)"},
        {1, SigningResult::CannotWrite, BuildFault::CannotWrite, mobile, ""},
        {2, SigningResult::Failed, BuildFault::SigningFailed, desktop, "fakesign: it said no"},
        {3, SigningResult::Failed, BuildFault::SigningFailed, Out("autorun.exe"),
         "fakesign: it said no"},
    };
    for (const Case& c : cases) {
        signer.requests.clear();
        signer.failAt = c.at;
        signer.failWith = c.result;
        signer.failingOutput = "half";
        EXPECT_FALSE(Build(signing)) << c.at;
        EXPECT_EQ(outcome.fault, c.fault) << c.at;
        EXPECT_EQ(outcome.file, c.file);
        EXPECT_EQ(outcome.detail, c.detail);
        EXPECT_EQ(signer.requests.size(), static_cast<std::size_t>(c.at));
        EXPECT_EQ(Outputs(), earlier) << "signing failed at " << c.at;
    }
}

// The certificate and password file are read before anything is written.
TEST_F(SignedBuildTest, AnUnreadableCertificateOrPasswordFileWritesNothing) {
    const std::map<std::string, std::string> earlier = Outputs();
    signing.signing.certificate = Input("none.pfx");
    EXPECT_FALSE(Build(signing));
    EXPECT_EQ(outcome.fault, BuildFault::CannotRead);
    EXPECT_EQ(outcome.file, Input("none.pfx"));
    EXPECT_FALSE(outcome.reason.empty());

    signing.signing.certificate = Input("key.pfx");
    signing.signing.passwordFile = Input("");  // the inputs folder
    EXPECT_FALSE(Build(signing));
    EXPECT_EQ(outcome.fault, BuildFault::CannotRead);
    EXPECT_EQ(outcome.reason, "it is a folder");

    EXPECT_TRUE(signer.requests.empty());
    EXPECT_EQ(Outputs(), earlier);
}

}  // namespace
}  // namespace zk
