// A device root in a temporary folder, with the programs it starts recorded,
// and packages put together from zips made by the wizard's own zip writer.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/project_record.h"
#include "common/utf16_text.h"
#include "device/installer/installer_state.h"
#include "device/platform/device_platform_posix.h"
#include "platform/desktop_platform_posix.h"
#include "tests/support/temp_folder.h"

namespace zk::test {

// What was true when a program started.
struct ProgramStart {
    std::u16string program;
    std::u16string commandLine;
    std::string stateFile;  // the state file's text at the time
    std::u16string status;  // the installation status at the time
    bool cabinetPresent;    // "\Temp\<the cabinet named>" existed
};

class InstallerTest : public ::testing::Test {
public:
    InstallerTest();

    std::string Host(const std::string& devicePath) const;
    void WriteDevice(const std::string& devicePath, const std::string& bytes);
    std::string ReadDevice(const std::string& devicePath) const;
    bool ExistsOnDevice(const std::string& devicePath) const;
    std::vector<std::string> LogLines() const;
    // The state file's first line: page and cabinet; "" without a file.
    std::string StateLine() const;

    // A zip holding the members (name, bytes), made with the wizard's writer.
    std::string Zip(const std::vector<std::pair<std::string, std::string>>& members);
    // u32 count and bytes.
    static std::string Section(const std::string& bytes);
    // The raw bytes of a project record.
    static std::string RecordBytes(const Project& project);

    // What the unpacking thread's check leaves for the engine, over a
    // packageStream that holds the cabinet sections from its start.
    void CheckSections();
    // Records every start of wceload in `starts` and plays a device's
    // installer: the cabinet's application recorded in the registry and the
    // cabinet deleted, unless wceloadInstalls is false (it refuses, exit 1).
    void RecordWceload();
    bool wceloadInstalls = true;

    TempFolder folder;
    std::string root;
    PosixDevicePlatform device;
    PosixDesktopPlatform desktop;
    InstallerSession session;
    std::vector<ProgramStart> starts;
    int zips = 0;
};

// A fresh zeroed project.
std::unique_ptr<Project> NewProject(const char* company = "Morvane", const char* title = "Demo");
// Adds a cabinet for Pocket PC, every processor and the given OS points
// ("2003,2003SE,5").
CabEntry& AddCabinet(Project& project, const char* fileName, const char* points,
                     const char* provider = "");
SystemInfoRecord DeviceFacts(const char16_t* platform, int major, int minor,
                             const char16_t* processor = u"PXA255");

}  // namespace zk::test
