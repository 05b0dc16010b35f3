#include "tests/cabinet/cabinet_fixture.h"

#include <cctype>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "common/little_endian.h"

namespace zk::test {
namespace {

std::string Quote(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace

std::string MakeCeCab(const TempFolder& folder, const std::string& name,
                      const std::vector<std::string>& arguments) {
    const std::string out = folder / name;
    std::string command = std::string(ZK_PYTHON) + " " +
                          Quote(std::string(ZK_SOURCE_DIR) + "/tools/make_ce_cab.py") + " " +
                          Quote(out);
    for (const std::string& a : arguments) command += " " + Quote(a);
    EXPECT_EQ(RunCommand(command + " 2>&1"), 0) << command;
    return out;
}

std::string MakeGcab(const TempFolder& folder, const std::string& name,
                     const std::vector<std::pair<std::string, std::string>>& members,
                     bool compress) {
    const std::string stage = folder / ("stage-" + name);
    std::string command =
        "cd " + Quote(stage) + " && gcab -c" + (compress ? " -z " : " ") + Quote(folder / name);
    for (const auto& [stored, content] : members) {
        const std::filesystem::path file = std::filesystem::path(stage) / stored;
        std::filesystem::create_directories(file.parent_path());
        WriteFileBytes(file.string(), content);
        command += " " + Quote(stored);
    }
    EXPECT_EQ(RunCommand(command + " 2>&1"), 0) << command;
    return folder / name;
}

std::vector<std::string> CabextractNames(const std::string& cabinet) {
    std::string listing;
    RunCommand("cabextract -l " + Quote(cabinet) + " 2>/dev/null", &listing);
    std::vector<std::string> names;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t bar = line.rfind(" | ");
        if (bar == std::string::npos || line.find(" | ") == bar) continue;
        if (line.find_first_of("0123456789") > line.find('|')) continue;
        names.push_back(line.substr(bar + 3));
    }
    return names;
}

std::string SetupHeaderBytes(const std::string& signature, int minMajor, int minMinor, int maxMajor,
                             int maxMinor, const std::string& appName,
                             const std::string& provider) {
    unsigned char h[100] = {};
    std::memcpy(h, signature.data(), signature.size() < 4 ? signature.size() : 4);
    PutU32(h + 24, static_cast<std::uint32_t>(minMajor));
    PutU32(h + 28, static_cast<std::uint32_t>(minMinor));
    PutU32(h + 32, static_cast<std::uint32_t>(maxMajor));
    PutU32(h + 36, static_cast<std::uint32_t>(maxMinor));
    const std::string app = appName + '\0';
    const std::string prov = provider + '\0';
    PutU16(h + 84, 100);
    PutU16(h + 86, static_cast<std::uint16_t>(app.size()));
    PutU16(h + 88, static_cast<std::uint16_t>(100 + app.size()));
    PutU16(h + 90, static_cast<std::uint16_t>(prov.size()));
    return std::string(reinterpret_cast<char*>(h), sizeof h) + app + prov;
}

void ExpectSameSelectionAsCabextract(const TempFolder& folder, const std::string& cabinet,
                                     const SetupFilePaths& ours) {
    auto endsWith = [](std::string name, const char* suffix) {
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return name.size() >= 4 && name.compare(name.size() - 4, 4, suffix) == 0;
    };
    std::string lastHeader, lastXml;
    for (const std::string& listed : CabextractNames(cabinet)) {
        if (endsWith(listed, ".000")) lastHeader = listed;
        if (endsWith(listed, ".xml")) lastXml = listed;
    }
    const std::string out = folder / "cabextract";
    RunCommand("rm -rf " + Quote(out) + " && cabextract -q -d " + Quote(out) + " " +
               Quote(cabinet) + " 2>/dev/null");
    for (const auto& [name, path] : {std::pair{lastHeader, ours.header}, {lastXml, ours.xml}}) {
        SCOPED_TRACE(cabinet + ": " + name);
        EXPECT_EQ(FileExists(path), !name.empty());
        if (!name.empty()) {
            EXPECT_EQ(ReadFileBytes(path), ReadFileBytes(out + "/" + name));
        }
    }
}

CabinetTest::CabinetTest()
    : project(std::make_unique<Project>()), ctx{*project, state, platform, &page} {
    std::memset(project.get(), 0, sizeof(Project));
    InitialiseWizardState(state, platform);
    platform.temporaryFolder = folder / "tmp";
    std::filesystem::create_directory(platform.temporaryFolder);
    page.anyControl = true;
}

}  // namespace zk::test
