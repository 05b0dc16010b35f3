#include "tests/installer/installer_test_support.h"

#include <sys/stat.h>

#include <sstream>

#include "common/fixed_text.h"
#include "device/installer/installer_engine.h"
#include "device/installer/installer_texts.h"
#include "device/installer/package_check.h"
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

std::string InstallerTest::StateLine() const {
    if (!ExistsOnDevice("\\Windows\\Zephyrkit.dat")) return {};
    std::string text = ReadDevice("\\Windows\\Zephyrkit.dat");
    if (text.rfind("zk-state ", 0) == 0) text.erase(0, text.find('\n') + 1);
    return text.substr(0, text.find('\n'));
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

void InstallerTest::CheckSections() {
    DeviceFile& stream = *session.state.packageStream;
    std::uint64_t length = 0;
    stream.Seek(0, DeviceSeek::End);
    stream.Tell(&length);
    Project cabinetsOnly = *session.state.project;
    cabinetsOnly.splashEnabled = cabinetsOnly.eulaEnabled = cabinetsOnly.readmeEnabled = 0;
    const PackageCheck check = CheckPackage(device, stream, 0, length, cabinetsOnly, 3);
    EXPECT_TRUE(check.whole) << Utf16ToUtf8(check.fault);
    session.state.cabinetSections = check.cabinets;
    stream.Seek(0, DeviceSeek::Start);
}

void InstallerTest::RecordWceload() {
    device.SetProgram(
        WCELOAD_PROGRAM, [this](std::u16string_view commandLine, std::uint32_t* exitCode) {
            ProgramStart start{
                std::u16string(WCELOAD_PROGRAM), std::u16string(commandLine), "", {}, false};
            start.stateFile = StateLine();
            start.status = session.state.status.Text();
            // The cabinet named on the command line, else those the override
            // left in the installer's registry key.
            std::vector<std::u16string> cabinets;
            const std::u16string line(commandLine);
            const std::size_t open = line.find(u'"');
            if (open != std::u16string::npos) {
                const std::size_t close = line.find(u'"', open + 1);
                cabinets.push_back(line.substr(open + 1, close - open - 1));
            } else {
                for (const auto& [name, value] : device.ReadRegistryValues(INSTALL_REGISTRY_KEY))
                    cabinets.push_back(name.substr(1, name.size() - 2));
            }
            for (const std::u16string& cabinet : cabinets) {
                start.cabinetPresent = ExistsOnDevice(Utf16ToUtf8(cabinet));
                if (!start.cabinetPresent || !wceloadInstalls) continue;
                // What a device's installer leaves: the application recorded,
                // the cabinet consumed.
                const Project& project = *session.state.project;
                for (int i = 0; i < project.cabinetCount; ++i) {
                    if (u"\\Temp\\" + Utf8ToUtf16(project.cabinets[i].fileName) != cabinet)
                        continue;
                    device.WriteRegistryNumber(InstalledAppKey(project.cabinets[i]),
                                               INSTALLED_VALUE, 1);
                }
                device.RemoveFile(cabinet);
            }
            if (!wceloadInstalls) *exitCode = 1;
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
