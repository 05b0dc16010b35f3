// Cabinets made at test time (the fixture tool, or gcab directly) and a
// wizard context over the fake platform whose temporary folder is the test's.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/cabinet/setup_files.h"
#include "common/cabinet/setup_info.h"
#include "common/project_record.h"
#include "tests/support/fake_desktop_platform.h"
#include "tests/support/temp_folder.h"
#include "wizard/project/wizard_context.h"
#include "wizard/project/wizard_state.h"

namespace zk::test {

// Runs tools/make_ce_cab.py with the arguments; returns the cabinet's path.
std::string MakeCeCab(const TempFolder& folder, const std::string& name,
                      const std::vector<std::string>& arguments);

// A cabinet packed by `gcab -c` from (stored name, content) pairs, in order.
std::string MakeGcab(const TempFolder& folder, const std::string& name,
                     const std::vector<std::pair<std::string, std::string>>& members,
                     bool compress = false);

// The member names `cabextract -l` lists, in stored order.
std::vector<std::string> CabextractNames(const std::string& cabinet);

// A 100-byte set-up header with the strings after it.
std::string SetupHeaderBytes(const std::string& signature, int minMajor, int minMinor, int maxMajor,
                             int maxMinor, const std::string& appName, const std::string& provider);

// The fake platform with a chosen creation time for every file, since POSIX
// keeps none that a test could set.
class CabinetPlatform : public FakeDesktopPlatform {
public:
    bool GetFileFacts(const std::string& path, FileFacts* out) override {
        if (!FakeDesktopPlatform::GetFileFacts(path, out)) return false;
        if (creationTime) out->creationTime = creationTime;
        return true;
    }
    std::uint64_t creationTime = 0;
};

// Checks that the temporary files hold the members an independent reader
// selects: cabextract lists the names, and the last of each suffix (in any
// case) is extracted by cabextract and compared.
void ExpectSameSelectionAsCabextract(const TempFolder& folder, const std::string& cabinet,
                                     const SetupFilePaths& ours);

class CabinetTest : public ::testing::Test {
protected:
    CabinetTest();

    std::string HeaderPath() const { return SetupFilePathsOf(platform).header; }
    std::string XmlPath() const { return SetupFilePathsOf(platform).xml; }

    TempFolder folder;
    mutable CabinetPlatform platform;
    std::unique_ptr<Project> project;
    WizardState state;
    FakePageView page;
    WizardContext ctx;
};

// A SetupInfo holding only an OS version range.
inline SetupInfo Range(int minMajor, int minMinor, int maxMajor, int maxMinor) {
    SetupInfo info{};
    info.osMinMajor = minMajor;
    info.osMinMinor = minMinor;
    info.osMaxMajor = maxMajor;
    info.osMaxMinor = maxMinor;
    return info;
}

}  // namespace zk::test
