// The real Windows CE cabinets of the shared test data, against the values an
// independent dumper read from them (EXPECTED.tsv).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "common/cabinet/setup_files.h"
#include "common/cabinet/setup_header.h"
#include "common/fixed_text.h"
#include "tests/cabinet/cabinet_fixture.h"
#include "wizard/cabinet/cabinet_list.h"

namespace zk {
namespace {

const std::string CABS = std::string(ZK_TESTDATA_DIR) + "/cabs";

std::vector<std::vector<std::string>> ExpectedRows() {
    std::vector<std::vector<std::string>> rows;
    std::ifstream in(CABS + "/EXPECTED.tsv");
    std::string line;
    std::getline(in, line);  // the column names
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::stringstream split(line);
        for (std::string f; std::getline(split, f, '\t');) fields.push_back(f);
        if (fields.size() >= 8) rows.push_back(fields);
    }
    return rows;
}

class RealCabinetsTest : public test::CabinetTest {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(CABS + "/EXPECTED.tsv"))
            GTEST_SKIP() << "no real cabinets at " << CABS;
    }
};

TEST_F(RealCabinetsTest, AdmissionReadsWhatTheDumperRead) {
    const auto rows = ExpectedRows();
    ASSERT_FALSE(rows.empty());
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0]);
        const std::string path = CABS + "/" + row[0];
        SetupInfo info{};
        EXPECT_EQ(AdmitCabinet(ctx, path, std::filesystem::path(row[0]).filename().string(), &info),
                  Admission::Admitted);
        EXPECT_EQ(TextOf(info.appName), row[2]);
        EXPECT_EQ(TextOf(info.provider), row[3]);
        EXPECT_EQ(std::to_string(info.osMinMajor), row[4]);
        EXPECT_EQ(std::to_string(info.osMinMinor), row[5]);
        EXPECT_EQ(std::to_string(info.osMaxMajor), row[6]);
        EXPECT_EQ(std::to_string(info.osMaxMinor), row[7]);
    }
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(project->cabinetCount, static_cast<int>(rows.size()));
}

// The OS flags each cabinet's declared range gives, worked out by hand:
// 2002 = 3.0-3.99, 2003 = 4.0-4.20, 2003 SE = 4.21-4.99, WM 5 = 5.0-5.99.
TEST_F(RealCabinetsTest, OsFlagsFollowTheDeclaredRanges) {
    const std::map<std::string, std::string> expected = {
        {"nsbasic_AXPack.HPC_1824.CAB", "nYYY"},           // 4.0-100.0
        {"nsbasic_Runtime.HPC_4000.CAB", "nYYY"},          // 4.0-100.0
        {"nsbasic_App.WM.CAB", "nYYY"},                    // 4.2-100.0
        {"nsbasic_BenchmarkDotNet_PPC.ARM.CAB", "YYYn"},   // 3.0-4.99
        {"nsbasic_SymbolAXO.arm.cab", "nYYY"},             // 4.20-5.999
        {"synce_smelter.rsh3.CAB", "YYYY"},                // 3.0-100.0
        {"limows_LimAppManager.cab", "nYYY"},              // 4.0-6.0
        {"ushahidi_Ushahidi.CAB", "nYYY"},                 // 4.0-6.99
        {"ushahidi_NETCFv35.Messages.EN.wm.cab", "nYYY"},  // 4.0-6.999
        {"ushahidi_NETCFv35.wm.armv4i.cab", "nnnY"},       // 5.0-6.999
        {"fzammetti_Eliminator.ARM.CAB", "YYYY"},          // no bounds
        {"generated/gen_ppc2000_v3.0-3.99.cab", "Ynnn"},
        {"generated/gen_wm2003se_v4.21-5.1.cab", "nnYY"},
        {"generated/gen_wm6_v5.2-7.99.cab", "nnnY"},
        {"generated/derived_xmlonly_v4.21-5.1.cab", "nnYY"},
    };
    const auto rows = ExpectedRows();
    ASSERT_EQ(rows.size(), expected.size());
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0]);
        SetupInfo info{};
        ASSERT_EQ(AdmitCabinet(ctx, CABS + "/" + row[0],
                               std::filesystem::path(row[0]).filename().string(), &info),
                  Admission::Admitted);
        std::string flags;
        for (OsSpan span : {OS_SPAN_2002, OS_SPAN_2003, OS_SPAN_2003SE, OS_SPAN_WM5})
            flags += CabinetSupportsOs(info, span) ? 'Y' : 'n';
        ASSERT_TRUE(expected.count(row[0]));
        EXPECT_EQ(flags, expected.at(row[0]));
        // The entry the list made carries the same flags.
        const CabEntry& entry = project->cabinets[project->cabinetCount - 1];
        EXPECT_EQ(std::string({entry.forOs2002 ? 'Y' : 'n', entry.forOs2003 ? 'Y' : 'n',
                               entry.forOs2003SE ? 'Y' : 'n', entry.forOs2005 ? 'Y' : 'n'}),
                  flags);
    }
}

TEST_F(RealCabinetsTest, MemberSelectionAgreesWithCabextract) {
    ZK_REQUIRE_HOST_TOOLS();
    for (const auto& row : ExpectedRows()) {
        const std::string path = CABS + "/" + row[0];
        platform.RemoveFile(HeaderPath());
        platform.RemoveFile(XmlPath());
        ASSERT_TRUE(ExtractSetupFiles(platform, path)) << row[0];
        test::ExpectSameSelectionAsCabextract(folder, path, SetupFilePathsOf(platform));
    }
}

}  // namespace
}  // namespace zk
