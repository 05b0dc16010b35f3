// The real Windows CE cabinets of the shared test data, against the values an
// independent dumper read from them (EXPECTED.tsv).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/cabinet/setup_files.h"
#include "common/fixed_text.h"
#include "tests/cabinet/cabinet_fixture.h"
#include "wizard/cabinet/cabinet_list.h"

namespace zk {
namespace {

const std::string kCabs = std::string(ZK_TESTDATA_DIR) + "/cabs";

std::vector<std::vector<std::string>> ExpectedRows() {
    std::vector<std::vector<std::string>> rows;
    std::ifstream in(kCabs + "/EXPECTED.tsv");
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
        if (!std::filesystem::exists(kCabs + "/EXPECTED.tsv"))
            GTEST_SKIP() << "no real cabinets at " << kCabs;
    }
};

TEST_F(RealCabinetsTest, AdmissionReadsWhatTheDumperRead) {
    const auto rows = ExpectedRows();
    ASSERT_FALSE(rows.empty());
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0]);
        const std::string path = kCabs + "/" + row[0];
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

TEST_F(RealCabinetsTest, MemberSelectionAgreesWithCabextract) {
    ZK_REQUIRE_HOST_TOOLS();
    for (const auto& row : ExpectedRows()) {
        const std::string path = kCabs + "/" + row[0];
        platform.RemoveFile(HeaderPath());
        platform.RemoveFile(XmlPath());
        ASSERT_TRUE(ExtractSetupFiles(platform, path)) << row[0];
        test::ExpectSameSelectionAsCabextract(folder, path, SetupFilePathsOf(platform));
    }
}

}  // namespace
}  // namespace zk
