// Reading a built installer package the way the device reads it, to show and
// check what it holds.
//
// A device package is the device stub followed by sections, each a u32
// little-endian byte count and that many bytes holding one zip archive:
// system-information tool, project, then splash, EULA and read-me as the
// project's flags say, then one per cabinet. Nothing in the file names a
// section, so the walk reads the project record from the second section
// before it knows what follows. A desktop installer is the desktop stub and
// one section carrying a whole device package; the walk finds it (a program
// right after the count at the desktop stub's length) and reads the carried
// package inside it, reporting offsets within the outer file.
//
// Sections are taken with the device's own section reader into a scratch
// zip, then opened with the device's zip reader. Every fault is collected
// with the file offset it was found at; the walk never stops on a damaged
// member and stops at the first section that is cut, since nothing after it
// can be placed. A certificate table that code signing appended after the
// last section is the signature, not damage (common/certificate_table.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/project_record.h"
#include "device/platform/device_platform.h"
#include "device/unzip/unzip_status.h"

namespace zk {

class DesktopPlatform;

enum class SectionRole { SystemInfo, Project, Splash, Eula, ReadMe, Cabinet, Unknown };

// "system information", "project", "splash", "EULA", "read-me", "cabinet",
// "unknown".
const char* SectionRoleName(SectionRole role);

struct PackageFault {
    std::uint64_t offset = 0;  // in the file inspected
    std::string message;
};

struct MemberFacts {
    std::string name;        // as the device extracts it (UTF-8)
    std::string storedName;  // as the archive stores it
    std::uint32_t method = 0;
    std::uint32_t flags = 0;
    std::uint32_t crc = 0;  // stored
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    // Filled when members are tested: UNZIP_OK, or why the data does not
    // come out whole.
    bool tested = false;
    UnzipStatus testStatus = UNZIP_OK;
    // Filled when members are extracted.
    bool extracted = false;
    UnzipStatus extractStatus = UNZIP_OK;
};

struct SectionFacts {
    int number = 0;  // 1 for the first section after the stub
    SectionRole role = SectionRole::Unknown;
    int cabinetIndex = -1;        // cabinets only: the slot
    std::string cabinetFileName;  // cabinets only: the slot's fileName (UTF-8)
    std::uint64_t offset = 0;     // of the byte count, in the file inspected
    std::uint32_t declared = 0;   // the byte count
    std::uint64_t present = 0;    // bytes of the section actually there
    bool whole = false;
    bool opened = false;  // the zip archive opened
    UnzipStatus openStatus = UNZIP_OK;
    std::vector<MemberFacts> members;
};

struct PackageFacts {
    std::string path;
    std::uint64_t fileSize = 0;
    bool readable = false;  // the file could be opened and sized

    bool desktop = false;  // a desktop installer carrying a device package
    std::uint64_t desktopStubLength = 0;
    std::uint32_t carriedDeclared = 0;  // the desktop section's byte count
    std::uint64_t carriedOffset = 0;    // of the carried package's first byte
    std::uint64_t carriedLength = 0;    // bytes of it present

    std::uint64_t stubLength = 0;  // the device stub, within the carried package
    // Bytes of the Authenticode certificate table that code signing appended
    // to the file (and, for a desktop installer, to the carried package
    // before it was carried); 0 when not signed.
    std::uint64_t signatureBytes = 0;
    std::uint64_t carriedSignatureBytes = 0;
    std::vector<SectionFacts> sections;

    // The record packed in the project section, when it could be read.
    bool projectLoaded = false;
    std::unique_ptr<Project> project;
    std::string projectMemberName;

    std::vector<PackageFault> faults;
};

struct WalkOptions {
    std::uint32_t stubLength;         // the device stub's length
    std::uint32_t desktopStubLength;  // the desktop stub's length
    bool testMembers = false;         // inflate every member and check its CRC
    // When given, every member of every whole section is extracted as the
    // device extracts it, below this platform's root.
    DevicePlatform* extractTo = nullptr;
};

// Where the walk may keep its scratch files: a device platform rooted at a
// scratch folder of the host, and that folder's host path for the project
// record reader. The walk leaves nothing there.
struct ScratchSpace {
    DevicePlatform& device;
    std::string hostFolder;
};

// `package` is the open package file; `path` names it in the facts.
PackageFacts WalkPackage(DesktopPlatform& desktop, ScratchSpace& scratch, DeviceFile& package,
                         const std::string& path, const WalkOptions& options);

// A fault's sentence, "offset N: message".
std::string FaultLine(const PackageFault& fault);

}  // namespace zk
