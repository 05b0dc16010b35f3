#include "tests/desktop/desktop_package.h"

#include <memory>
#include <random>

#include <gtest/gtest.h>

#include "common/fixed_text.h"
#include "tests/support/native_desktop_platform.h"
#include "wizard/build/zip_writer.h"

namespace zk::test {
namespace {

std::string Zip(const TempFolder& folder, const std::string& zipName,
                const std::vector<std::pair<std::string, std::string>>& members) {
    NativeDesktopPlatform platform;
    ZipWriter* writer = ZipCreate(platform, (folder / zipName).c_str());
    EXPECT_NE(writer, nullptr);
    // Sources under plain names: a member's name need not be a host file name.
    int number = 0;
    for (const auto& [name, bytes] : members) {
        const std::string source = folder / ("member-" + std::to_string(number++));
        WriteFileBytes(source, bytes);
        EXPECT_EQ(ZipAddFile(writer, name.c_str(), source.c_str()), ZIP_OK);
    }
    EXPECT_EQ(ZipClose(writer), ZIP_OK);
    return ReadFileBytes(folder / zipName);
}

std::string Section(const std::string& bytes) {
    return U32Bytes(static_cast<std::uint32_t>(bytes.size())) + bytes;
}

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

}  // namespace

std::string U32Bytes(std::uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
    return bytes;
}

std::string MakeDeviceInstaller(const TempFolder& folder, const PackageParts& parts) {
    auto project = std::make_unique<Project>();
    CopyText(project->title, parts.title);
    CopyText(project->company, parts.company);
    project->eulaEnabled = parts.eula;
    project->cabinetCount = parts.cabinets;
    std::string record(reinterpret_cast<const char*>(project.get()), sizeof *project);
    record.resize(parts.projectRecordBytes, '\0');

    std::vector<std::pair<std::string, std::string>> members;
    for (int i = 0; i < parts.projectMembers; ++i)
        members.push_back({parts.title + std::to_string(i) + ".paw", record});

    std::string stub = "MZ" + std::string(TEST_DEVICE_STUB_LENGTH - 2, '\x90');
    std::string installer = stub;
    installer += Section(Zip(folder, "sysinfo.zip", {{"SystemInfo.exe", "MZ tool"}}));
    installer += Section(Zip(folder, "project.zip", members));
    if (parts.eula) installer += Section(Zip(folder, "eula.zip", {{"eula.txt", "Terms."}}));
    for (int i = 0; i < parts.cabinets; ++i) {
        installer +=
            Section(Zip(folder, "cab.zip",
                        {{"App" + std::to_string(i) + ".cab",
                          RandomBytes(parts.cabinetBytes, 7u + static_cast<unsigned>(i))}}));
    }
    return installer;
}

std::string MakeDesktopInstaller(const std::string& installer) {
    return "MZ" + std::string(TEST_DESKTOP_STUB_LENGTH - 2, '\0') +
           U32Bytes(static_cast<std::uint32_t>(installer.size())) + installer;
}

}  // namespace zk::test
