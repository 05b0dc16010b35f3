#include "tests/installer/installer_test_support.h"

#include <sys/stat.h>

#include <sstream>

#include "common/fixed_text.h"
#include "device/installer/installer_texts.h"
#include "device/sysinfo/device_classification.h"
#include "wizard/build/zip_writer.h"

namespace zk::test {

InstallerTest::InstallerTest()
    : root(folder / "device"), device((mkdir(root.c_str(), 0755), root)), session(device) {
    for (const char16_t* f : {u"\\Windows", u"\\Temp"}) device.CreateFolder(f);
}

std::string InstallerTest::Host(const std::string& devicePath) const {
    return device.HostPath(Utf8ToUtf16(devicePath));
}

void InstallerTest::WriteDevice(const std::string& devicePath, const std::string& bytes) {
    WriteFileBytes(Host(devicePath), bytes);
}

std::string InstallerTest::ReadDevice(const std::string& devicePath) const {
    return ReadFileBytes(Host(devicePath));
}

bool InstallerTest::ExistsOnDevice(const std::string& devicePath) const {
    return FileExists(Host(devicePath));
}

std::vector<std::string> InstallerTest::LogLines() const {
    std::vector<std::string> lines;
    if (!ExistsOnDevice("\\Temp\\Zephyrkit.log")) return lines;
    std::istringstream in(ReadDevice("\\Temp\\Zephyrkit.log"));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string InstallerTest::Zip(const std::vector<std::pair<std::string, std::string>>& members) {
    const std::string base = folder / ("zip" + std::to_string(++zips));
    mkdir(base.c_str(), 0755);
    const std::string archive = base + ".zip";
    ZipWriter* zip = ZipCreate(desktop, archive.c_str());
    for (std::size_t i = 0; i < members.size(); ++i) {
        const std::string source = base + "/" + std::to_string(i);
        WriteFileBytes(source, members[i].second);
        ZipAddFile(zip, members[i].first.c_str(), source.c_str());
    }
    ZipClose(zip);
    return ReadFileBytes(archive);
}

std::string InstallerTest::Section(const std::string& bytes) {
    const std::uint32_t n = static_cast<std::uint32_t>(bytes.size());
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) out[static_cast<std::size_t>(i)] = static_cast<char>(n >> (8 * i));
    return out + bytes;
}

std::string InstallerTest::RecordBytes(const Project& project) {
    return std::string(reinterpret_cast<const char*>(&project), sizeof project);
}

void InstallerTest::RecordWceload() {
    device.SetProgram(WCELOAD_PROGRAM, [this](std::u16string_view commandLine) {
        ProgramStart start{std::u16string(WCELOAD_PROGRAM), std::u16string(commandLine), "", {},
                           false};
        if (ExistsOnDevice("\\windows\\Zephyrkit.dat")) start.stateFile = ReadDevice("\\windows\\Zephyrkit.dat");
        start.status = session.state.status.Text();
        const std::u16string line(commandLine);
        const std::size_t open = line.find(u'"');
        if (open != std::u16string::npos) {
            const std::size_t close = line.find(u'"', open + 1);
            start.cabinetPresent = ExistsOnDevice(Utf16ToUtf8(line.substr(open + 1, close - open - 1)));
        }
        starts.push_back(start);
        return true;
    });
}

std::unique_ptr<Project> NewProject(const char* company, const char* title) {
    auto project = std::make_unique<Project>();
    std::memset(project.get(), 0, sizeof(Project));
    CopyText(project->company, company);
    CopyText(project->title, title);
    return project;
}

CabEntry& AddCabinet(Project& project, const char* fileName, const char* points,
                     const char* provider) {
    CabEntry& e = project.cabinets[project.cabinetCount++];
    CopyText(e.fileName, fileName);
    CopyText(e.provider, provider);
    const std::string p = std::string(",") + points + ",";
    e.forPocketPC = 1;
    e.forOs2002 = p.find(",2002,") != std::string::npos;
    e.forOs2003 = p.find(",2003,") != std::string::npos;
    e.forOs2003SE = p.find(",2003SE,") != std::string::npos;
    e.forOs2005 = p.find(",5,") != std::string::npos;
    e.forTI = e.forIntel = e.forSamsung = 1;
    return e;
}

SystemInfoRecord DeviceFacts(const char16_t* platform, int major, int minor,
                             const char16_t* processor) {
    RawDeviceFacts facts;
    facts.versionKnown = facts.platformTypeKnown = facts.processorKnown = true;
    facts.majorVersion = major;
    facts.minorVersion = minor;
    facts.platformType = platform;
    facts.processorName = processor;
    facts.processorCore = u"ARM";
    facts.processorVendor = u"Vendor";
    return ClassifyDevice(facts);
}

}  // namespace zk::test
