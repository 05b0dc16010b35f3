// The package walk on installers the build itself writes, whole and damaged
// in the ways files get damaged: cut anywhere, a byte flipped, a count that
// lies, a section that is no zip.
#include "inspector/package_walk.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "common/fixed_text.h"
#include "common/package_layout.h"
#include "tests/build/build_fixture.h"
#include "tests/support/native_device_platform.h"
#include "wizard/build/build_outcome.h"
#include "wizard/build/build_run.h"

namespace zk {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

class PackageWalkTest : public ::testing::Test, public test::BuildFixture {
protected:
    void SetUp() override {
        // A read-me already compressed is stored, so a flipped byte of its
        // data reaches the CRC check unchanged.
        WriteFileBytes(Input("licence.txt"), "Licence of the demo. " + std::string(300, 'x'));
        WriteFileBytes(Input("readme.gz"), "stored read-me bytes");
        project->eulaEnabled = state.eulaEnabled = 1;
        project->readmeEnabled = state.readmeEnabled = 1;
        CopyText(state.eulaPath, Input("licence.txt"));
        CopyText(state.eulaFileName, "licence.txt");
        CopyText(state.readmePath, Input("readme.gz"));
        CopyText(state.readmeFileName, "readme.gz");
        AddCabinet("First.cab", 3000);
        AddCabinet("Last.cab", 400);
        project->cabinets[1].forOs2003 = 1;
        test::RecordingBuildLog log;
        BuildOutcome outcome;
        state.addDateToPath = state.addTitleSubfolder = 0;
        ASSERT_TRUE(RunInstallerBuild(ctx, log, outcome)) << BuildFailureText(outcome);
        mobile = ReadFileBytes(outputFolder + "/Demo.[MOBILE].exe");
        desktop = ReadFileBytes(outputFolder + "/Demo.[DESKTOP].exe");
        std::filesystem::create_directory(folder / "scratch");
        std::filesystem::create_directory(folder / "look");
    }

    PackageFacts Walk(const std::string& bytes, bool testMembers = true) {
        WriteFileBytes(folder / "look/package.exe", bytes);
        test::NativeDevicePlatform place(folder / "look");
        test::NativeDevicePlatform scratchPlace(folder / "scratch");
        ScratchSpace scratch{scratchPlace, folder / "scratch"};
        std::unique_ptr<DeviceFile> file = place.OpenFile(u"\\package.exe", DeviceOpenMode::Read);
        WalkOptions options{MOBILE_STUB_FIRST_SECTION_OFFSET,
                            static_cast<std::uint32_t>(desktopStub.size()), testMembers};
        return WalkPackage(platform, scratch, *file, "package.exe", options);
    }

    // The section offsets of the whole mobile installer.
    std::vector<std::uint64_t> SectionOffsets() {
        std::vector<std::uint64_t> offsets;
        for (const test::Section& s : test::ReadSections(mobile, MOBILE_STUB_FIRST_SECTION_OFFSET))
            offsets.push_back(s.offset);
        return offsets;
    }

    static std::string Faults(const PackageFacts& facts) {
        std::string text;
        for (const PackageFault& f : facts.faults) text += FaultLine(f) + "\n";
        return text;
    }

    std::string mobile, desktop;
};

TEST_F(PackageWalkTest, WholeInstallersShowEverySectionInItsRole) {
    for (const std::string* bytes : {&mobile, &desktop}) {
        const PackageFacts facts = Walk(*bytes);
        EXPECT_TRUE(facts.faults.empty()) << Faults(facts);
        EXPECT_EQ(facts.desktop, bytes == &desktop);
        const std::uint64_t base = facts.desktop ? desktopStub.size() + 4 : 0;
        ASSERT_EQ(facts.sections.size(), 6u);
        const SectionRole roles[] = {SectionRole::SystemInfo, SectionRole::Project,
                                     SectionRole::Eula,       SectionRole::ReadMe,
                                     SectionRole::Cabinet,    SectionRole::Cabinet};
        std::uint64_t at = base + MOBILE_STUB_FIRST_SECTION_OFFSET;
        for (std::size_t i = 0; i < facts.sections.size(); ++i) {
            const SectionFacts& s = facts.sections[i];
            EXPECT_EQ(s.role, roles[i]) << i;
            EXPECT_EQ(s.offset, at) << i;
            at += 4 + s.declared;
            ASSERT_EQ(s.members.size(), 1u) << i;
            EXPECT_TRUE(s.members[0].tested && s.members[0].testStatus == UNZIP_OK);
        }
        EXPECT_EQ(at, bytes->size());
        EXPECT_EQ(facts.sections[3].members[0].method, 0u);
        EXPECT_EQ(facts.sections[4].members[0].method, 8u);
        EXPECT_EQ(facts.sections[5].cabinetFileName, "Last.cab");
        EXPECT_EQ(facts.sections[5].members[0].uncompressedSize, 400u);
        ASSERT_TRUE(facts.projectLoaded);
        EXPECT_EQ(TextOf(facts.project->title), "Demo");
    }
}

TEST_F(PackageWalkTest, ADeviceInstallerWithAProgramWhereADesktopOneCarriesItsIsNoDesktopOne) {
    std::string planted = mobile;
    planted[desktopStub.size() + 4] = 'M';
    planted[desktopStub.size() + 5] = 'Z';
    const PackageFacts facts = Walk(planted);
    EXPECT_FALSE(facts.desktop);
    EXPECT_TRUE(facts.faults.empty()) << Faults(facts);
}

TEST_F(PackageWalkTest, EveryCutOfAMiddleAndOfTheLastSectionIsFoundWhereItIs) {
    const std::vector<std::uint64_t> offsets = SectionOffsets();
    ASSERT_EQ(offsets.size(), 6u);
    // The EULA section, in the middle, and the last cabinet's.
    for (std::size_t which : {std::size_t{2}, std::size_t{5}}) {
        const std::uint64_t start = offsets[which];
        const std::uint64_t end = which + 1 < offsets.size() ? offsets[which + 1] : mobile.size();
        for (std::uint64_t cut = start; cut < end; ++cut) {
            const PackageFacts facts = Walk(mobile.substr(0, cut), false);
            ASSERT_EQ(facts.faults.size(), 1u) << "cut at " << cut << "\n" << Faults(facts);
            EXPECT_EQ(facts.faults[0].offset, start) << "cut at " << cut;
            const std::string& message = facts.faults[0].message;
            const char* expected = cut == start      ? "is missing"
                                   : cut < start + 4 ? "byte count cut off"
                                                     : "the package is cut";
            EXPECT_NE(message.find(expected), std::string::npos)
                << "cut at " << cut << ": " << message;
            EXPECT_EQ(facts.sections.size(), which + 1);
        }
    }
}

TEST_F(PackageWalkTest, AFlippedByteOfMemberDataFailsItsCheck) {
    const std::vector<std::uint64_t> offsets = SectionOffsets();
    // The read-me is stored: its bytes follow the 30-byte local header, the
    // name and the 17-byte extra block.
    std::string flipped = mobile;
    flipped[offsets[3] + 4 + 30 + std::strlen("readme.gz") + 17 + 3] ^= 0x20;
    PackageFacts facts = Walk(flipped);
    ASSERT_EQ(facts.faults.size(), 1u) << Faults(facts);
    EXPECT_EQ(facts.faults[0].offset, offsets[3] + 4);
    EXPECT_NE(facts.faults[0].message.find("fails its CRC check"), std::string::npos)
        << facts.faults[0].message;

    // Deflated data: the stream breaks or the CRC fails; either is a fault of
    // that section alone.
    const std::uint64_t packed = Walk(mobile).sections[4].members[0].compressedSize;
    ASSERT_GT(packed, 8u);
    flipped = mobile;
    flipped[offsets[4] + 4 + 30 + std::strlen("First.cab") + 17 + packed / 2] ^= 0x55;
    facts = Walk(flipped);
    ASSERT_EQ(facts.faults.size(), 1u) << Faults(facts);
    EXPECT_EQ(facts.faults[0].offset, offsets[4] + 4);
    EXPECT_NE(facts.faults[0].message.find("section 5 (cabinet 0, First.cab)"), std::string::npos);
}

TEST_F(PackageWalkTest, CountsThatLieAndSectionsThatAreNoZipAreFaults) {
    const std::vector<std::uint64_t> offsets = SectionOffsets();
    auto putCount = [](std::string& bytes, std::uint64_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
    };
    std::string lying = mobile;
    putCount(lying, offsets[5], 0xFFFFFFF0u);
    PackageFacts facts = Walk(lying);
    ASSERT_EQ(facts.faults.size(), 1u) << Faults(facts);
    EXPECT_EQ(facts.faults[0].offset, offsets[5]);
    EXPECT_NE(facts.faults[0].message.find("declares 4294967280 bytes"), std::string::npos);

    // The EULA section's bytes replaced: not a zip, and the walk goes on to
    // the cabinets.
    std::string garbage = mobile;
    for (std::uint64_t i = offsets[2] + 4; i < offsets[3]; ++i)
        garbage[i] = static_cast<char>(i * 7);
    facts = Walk(garbage);
    ASSERT_EQ(facts.faults.size(), 1u) << Faults(facts);
    EXPECT_EQ(facts.faults[0].offset, offsets[2] + 4);
    EXPECT_NE(facts.faults[0].message.find("section 3 (EULA) is not a zip archive"),
              std::string::npos);
    EXPECT_EQ(facts.sections.size(), 6u);

    // Bytes after the last section.
    facts = Walk(mobile + "trailing");
    ASSERT_EQ(facts.faults.size(), 1u) << Faults(facts);
    EXPECT_EQ(facts.faults[0].offset, mobile.size());
}

TEST_F(PackageWalkTest, ADesktopInstallerWhoseCarriedPackageIsCut) {
    const PackageFacts facts = Walk(desktop.substr(0, desktop.size() - 100));
    ASSERT_GE(facts.faults.size(), 2u) << Faults(facts);
    EXPECT_TRUE(facts.desktop);
    EXPECT_EQ(facts.faults[0].offset, desktopStub.size());
    EXPECT_NE(facts.faults[0].message.find("the carried package is cut"), std::string::npos);
    EXPECT_NE(facts.faults[1].message.find("section 6 (cabinet 1, Last.cab)"), std::string::npos);
}

TEST_F(PackageWalkTest, AProjectSectionWithoutARecordLeavesTheRestUntold) {
    const std::vector<std::uint64_t> offsets = SectionOffsets();
    std::string damaged = mobile;
    for (std::uint64_t i = offsets[1] + 4; i < offsets[2]; ++i) damaged[i] = 'x';
    const PackageFacts facts = Walk(damaged);
    EXPECT_FALSE(facts.projectLoaded);
    ASSERT_EQ(facts.sections.size(), 6u);
    EXPECT_EQ(facts.sections[2].role, SectionRole::Unknown);
    EXPECT_GE(facts.faults.size(), 2u) << Faults(facts);

    // Nothing then bounds the walk but the file: empty sections end it at
    // the most any project can announce.
    const PackageFacts endless = Walk(damaged + std::string(4 * 1000, '\0'), false);
    EXPECT_EQ(endless.sections.size(), 5u + MAX_CABINETS);
    EXPECT_EQ(endless.faults.back().message, "more sections follow than any project announces");
}

}  // namespace
}  // namespace zk
