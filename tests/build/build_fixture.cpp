#include "tests/build/build_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sstream>

#include "common/fixed_text.h"
#include "common/package_layout.h"
#include "wizard/build/zip_writer.h"

namespace zk::test {

std::vector<Section> ReadSections(const std::string& package, std::size_t stubLength) {
    std::vector<Section> sections;
    std::size_t at = stubLength;
    while (at < package.size()) {
        EXPECT_LE(at + 4, package.size()) << "a count is cut off at " << at;
        if (at + 4 > package.size()) break;
        const std::uint32_t n = ReadU32(package, at);
        EXPECT_LE(at + 4 + n, package.size()) << "a section runs past the end at " << at;
        if (at + 4 + n > package.size()) break;
        sections.push_back({at, package.substr(at + 4, n)});
        at += 4 + n;
    }
    return sections;
}

std::vector<std::string> ZipMemberNames(const std::string& zipBytes, const std::string& scratch) {
    WriteFileBytes(scratch, zipBytes);
    std::string out;
    RunCommand(std::string(ZK_PYTHON) +
                   " -c \"import sys,zipfile; z=zipfile.ZipFile(sys.argv[1]); "
                   "assert z.testzip() is None; print('\\n'.join(z.namelist()))\" '" +
                   scratch + "'",
               &out);
    std::string unzipOut;
    EXPECT_EQ(RunCommand("unzip -tqq '" + scratch + "' 2>&1", &unzipOut), 0) << unzipOut;
    std::vector<std::string> names;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) names.push_back(line);
    return names;
}

BuildFixture::BuildFixture()
    : project(std::make_unique<Project>()), ctx{*project, state, platform} {
    std::memset(project.get(), 0, sizeof(Project));
    programFolder = folder / "program";
    outputFolder = folder / "out";
    std::filesystem::create_directory(programFolder);
    std::filesystem::create_directory(outputFolder);
    std::filesystem::create_directory(folder / "in");
    platform.programPath = programFolder + "/zephyrkit";
    platform.currentDirectory = folder.path();

    std::string stub(MOBILE_STUB_FIRST_SECTION_OFFSET, '\0');
    stub[0] = 'M';
    stub[1] = 'Z';
    for (std::size_t i = 2; i < stub.size(); ++i) stub[i] = static_cast<char>(i % 251);
    mobileStub = stub;
    WriteFileBytes(programFolder + "/MobileZephyrkit.exe", mobileStub);
    desktopStub = "MZ desktop stand-in " + std::string(3000, 'd');
    WriteFileBytes(programFolder + "/DesktopZephyrkit.exe", desktopStub);

    WriteFileBytes(folder / "SystemInfo.exe", "MZ system information tool stand-in");
    ZipWriter* zip = ZipCreate(platform, (programFolder + "/SystemInfo.dat").c_str());
    ZipAddFile(zip, "SystemInfo.exe", (folder / "SystemInfo.exe").c_str());
    ZipClose(zip);
    systemInfo = ReadFileBytes(programFolder + "/SystemInfo.dat");

    InitialiseWizardState(state, platform);
    CopyText(project->title, "Demo");
    CopyText(project->company, "Morvane");
    CopyText(project->outputFolder, outputFolder);
    CopyText(state.title, "Demo");
    CopyText(state.company, "Morvane");
    CopyText(state.workPath, outputFolder);
}

void BuildFixture::AddCabinet(const std::string& fileName, std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>("MSCF"[i % 4] + i / 4096);
    WriteFileBytes(Input(fileName), bytes);
    CabEntry& e = project->cabinets[project->cabinetCount++];
    CopyText(e.path, Input(fileName));
    CopyText(e.fileName, fileName);
    e.forPocketPC = 1;
}

}  // namespace zk::test
