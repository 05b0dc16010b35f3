// Cabinets made at test time (the fixture tool, or gcab directly) and a
// wizard context over the fake platform whose temporary folder is the test's.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/project_record.h"
#include "tests/support/fake_desktop_platform.h"
#include "tests/support/temp_folder.h"
#include "wizard/cabinet/setup_files.h"
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
std::string SetupHeaderBytes(const std::string& signature, int minMajor, int minMinor,
                             int maxMajor, int maxMinor, const std::string& appName,
                             const std::string& provider);

class CabinetTest : public ::testing::Test {
protected:
    CabinetTest();

    std::string HeaderPath() const { return SetupFilePathsOf(platform).header; }
    std::string XmlPath() const { return SetupFilePathsOf(platform).xml; }

    TempFolder folder;
    mutable FakeDesktopPlatform platform;
    std::unique_ptr<Project> project;
    WizardState state;
    FakePageView page;
    WizardContext ctx;
};

}  // namespace zk::test
