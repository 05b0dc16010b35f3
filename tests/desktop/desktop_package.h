// Desktop installers made for the tests: a stand-in desktop stub, then the
// one section carrying a device installer made of a stand-in device stub and
// real sections (the project zip through the wizard's zip writer).
#pragma once

#include <cstdint>
#include <string>

#include "common/project_record.h"
#include "tests/support/temp_folder.h"

namespace zk::test {

// Short stand-in stubs keep the files small; the reader is told their lengths.
inline constexpr std::uint64_t TEST_DESKTOP_STUB_LENGTH = 3000;
inline constexpr std::uint64_t TEST_DEVICE_STUB_LENGTH = 5000;

struct PackageParts {
    std::string title = "Demo";
    std::string company = "Morvane";
    bool eula = true;
    int cabinets = 2;
    std::size_t cabinetBytes = 40000;
    // Project members written into the project zip, each a full record.
    int projectMembers = 1;
    std::size_t projectRecordBytes = PROJECT_RECORD_SIZE;
};

// Makes a device installer (its zips made in `folder`) and returns its bytes.
std::string MakeDeviceInstaller(const TempFolder& folder, const PackageParts& parts);

// The desktop stub stand-in followed by the section carrying `installer`.
std::string MakeDesktopInstaller(const std::string& installer);

std::string U32Bytes(std::uint32_t value);

}  // namespace zk::test
