// A program folder with stand-in build inputs, a project that names real
// files, and a reader for the packages the builds write.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/project_record.h"
#include "tests/support/fake_desktop_platform.h"
#include "tests/support/temp_folder.h"
#include "wizard/project/wizard_context.h"

namespace zk::test {

struct Section {
    std::uint64_t offset;  // of its count
    std::string bytes;
};

// Splits a package into its sections, starting after a stub of `stubLength`.
// Fails the test when a count runs past the end.
std::vector<Section> ReadSections(const std::string& package, std::size_t stubLength);

// The member names of a zip held in memory, through Python's zipfile.
std::vector<std::string> ZipMemberNames(const std::string& zipBytes, const std::string& scratch);

class BuildFixture {
public:
    BuildFixture();

    // Adds a cabinet slot for a file of `size` bytes made under the inputs folder.
    void AddCabinet(const std::string& fileName, std::size_t size);
    std::string Input(const std::string& name) const { return folder / ("in/" + name); }

    TempFolder folder;
    FakeDesktopPlatform platform;
    std::unique_ptr<Project> project;
    WizardState state;
    WizardContext ctx;
    std::string programFolder;  // with the stand-in stubs
    std::string outputFolder;
    std::string mobileStub, desktopStub, systemInfo;
};

}  // namespace zk::test
