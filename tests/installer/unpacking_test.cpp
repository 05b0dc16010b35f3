#include <filesystem>

#include "common/fixed_text.h"
#include "device/installer/ansi_text16.h"
#include "device/installer/installer_texts.h"
#include "device/installer/package_sections.h"
#include "device/installer/package_unpacking.h"
#include "device/sysinfo/system_info_file.h"
#include "tests/installer/installer_test_support.h"
#include "tests/support/signed_program.h"

namespace zk::test {
namespace {

class SectionTest : public InstallerTest {
protected:
    std::unique_ptr<DeviceFile> Stream(const std::string& bytes) {
        WriteDevice("\\pkg.bin", bytes);
        return device.OpenFile(u"\\pkg.bin", DeviceOpenMode::Read);
    }
    std::uint64_t Position(DeviceFile& f) {
        std::uint64_t at = 0;
        f.Tell(&at);
        return at;
    }
};

TEST_F(SectionTest, WholeSectionsAreCopiedAndTheStreamMovesOn) {
    std::string big(40000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
    auto stream = Stream(Section(big) + Section("next"));
    TakenSection taken = CopySection(device, *stream, u"\\Cab.zip");
    EXPECT_EQ(taken.fate, SectionFate::Whole);
    EXPECT_TRUE(taken.written);
    EXPECT_EQ(ReadDevice("\\Cab.zip"), big);
    EXPECT_EQ(Position(*stream), 40004u);
    taken = CopySection(device, *stream, u"\\Cab.zip");
    EXPECT_EQ(ReadDevice("\\Cab.zip"), "next");
    // At the end: missing, and an old temporary zip is not left to be used.
    taken = CopySection(device, *stream, u"\\Cab.zip");
    EXPECT_EQ(taken.fate, SectionFate::Missing);
    EXPECT_EQ(ReadDevice("\\Cab.zip"), "");
}

TEST_F(SectionTest, CountsPastTheEndCopyWhatIsThere) {
    // A count of nearly 4 GiB is never allocated: the copy goes by blocks.
    std::string bytes = "\xf0\xff\xff\xff" + std::string(5000, 'z');
    auto stream = Stream(bytes);
    TakenSection taken = CopySection(device, *stream, u"\\data.zip");
    EXPECT_EQ(taken.fate, SectionFate::Cut);
    EXPECT_EQ(taken.declared, 0xFFFFFFF0u);
    EXPECT_EQ(taken.copied, 5000u);
    EXPECT_EQ(ReadDevice("\\data.zip"), std::string(5000, 'z'));

    stream = Stream("\x10\x00");
    taken = CopySection(device, *stream, u"\\data.zip");
    EXPECT_EQ(taken.fate, SectionFate::CountCut);
}

TEST_F(SectionTest, UnpackingKeepsTheLastItemAndFolders) {
    WriteDevice("\\data.zip", Zip({{"first.paw", "1"}, {"docs/eula.htm", "<html/>"}}));
    UnpackedSection unpacked = UnpackSection(device, u"\\data.zip", UNPACK_FOLDER);
    EXPECT_TRUE(unpacked.opened);
    EXPECT_EQ(unpacked.items, 2);
    EXPECT_EQ(unpacked.lastPath, u"\\Temp\\docs/eula.htm");
    EXPECT_EQ(ReadDevice("\\Temp\\docs\\eula.htm"), "<html/>");
    EXPECT_EQ(ReadDevice("\\Temp\\first.paw"), "1");
    EXPECT_FALSE(ExistsOnDevice("\\data.zip"));

    WriteDevice("\\data.zip", "not a zip at all");
    unpacked = UnpackSection(device, u"\\data.zip", UNPACK_FOLDER);
    EXPECT_FALSE(unpacked.opened);
    EXPECT_TRUE(unpacked.lastPath.empty());
    EXPECT_FALSE(ExistsOnDevice("\\data.zip"));
}

class SystemInfoTest : public InstallerTest {
protected:
    // A package: a stub of `stub` bytes, the tool, the project and the rest.
    void MakePackage(const Project& project, const std::vector<std::string>& rest,
                     std::size_t stub = 1000, const std::string& projectName = "Demo.paw") {
        std::string bytes(stub, 'S');
        bytes += Section(Zip({{"SystemInfo.exe", "MZ tool"}}));
        bytes += Section(Zip({{projectName, RecordBytes(project)}}));
        for (const std::string& s : rest) bytes += s;
        WriteDevice("\\pkg.exe", bytes);
    }
    // The tool writes the profile's record, as the real one does.
    void ToolWrites(const SystemInfoRecord& record) {
        device.SetProgram(
            u"\\Temp\\SystemInfo.exe", [this, record](std::u16string_view cmd, std::uint32_t*) {
                toolRan = ExistsOnDevice("\\Temp\\SystemInfo.exe") && cmd.empty();
                unsigned char bytes[SYSTEM_INFO_RECORD_SIZE];
                EncodeSystemInfoRecord(record, bytes);
                WriteDevice("\\Temp\\SystemInfo.dat",
                            std::string(reinterpret_cast<char*>(bytes), sizeof bytes));
                return true;
            });
    }
    struct Window : UnpackingWindow {
        void SetTitle(std::u16string_view t) override { title = t; }
        void ShowSplash(std::u16string_view p) override { splash = p; }
        std::u16string title, splash;
    } window;
    bool toolRan = false;
};

TEST_F(SystemInfoTest, UnpacksTheLeadingSectionsInOrder) {
    auto project = NewProject("Caf\xe9", "Demo \x80");
    project->eulaEnabled = 1;
    project->readmeEnabled = 1;
    AddCabinet(*project, "a.cab", "2003");
    MakePackage(*project,
                {Section(Zip({{"eula.htm", "EULA"}})), Section(Zip({{"readme.txt", "README"}})),
                 Section(Zip({{"a.cab", "cabinet"}}))});
    ToolWrites(DeviceFacts(u"PocketPC", 4, 21));

    EXPECT_EQ(SystemInfo(session, u"\\pkg.exe", &window, 1000), 1);
    InstallerState& state = session.state;
    EXPECT_TRUE(toolRan);
    EXPECT_FALSE(ExistsOnDevice("\\Temp\\SystemInfo.exe"));
    EXPECT_FALSE(ExistsOnDevice("\\Temp\\SystemInfo.dat"));
    EXPECT_FALSE(ExistsOnDevice("\\Temp\\Demo.paw"));
    EXPECT_EQ(state.systemInfo.isOs2003SE, 1);
    EXPECT_EQ(state.project->cabinetCount, 1);
    EXPECT_EQ(state.readyText, u"Caf\u00e9 Demo \u20ac ready for install.");
    EXPECT_EQ(state.doneText, u"Caf\u00e9 Demo \u20ac installed successfuly.");
    EXPECT_EQ(window.title, u"Caf\u00e9 Demo \u20ac");
    EXPECT_EQ(state.eulaFilePath, u"\\Temp\\eula.htm");
    EXPECT_EQ(state.readMeFilePath, u"\\Temp\\readme.txt");
    EXPECT_TRUE(state.splashFilePath.empty());
    EXPECT_EQ(ReadDevice("\\Temp\\readme.txt"), "README");
    EXPECT_EQ(LogLines(), (std::vector<std::string>{
                              "[SystemInfo] Platform [PocketPC] majorVersion [4] minorVersion[21] "
                              "Processor [ARM PXA255 Vendor]"}));
    EXPECT_EQ(state.damage.sections, 0);
    EXPECT_TRUE(state.damage.whole);
    ASSERT_EQ(state.cabinetSections.size(), 1u);
    EXPECT_EQ(state.cabinetSections[0].unpackedBytes, 7u);
    // The stream stands at the first cabinet section.
    char next[6] = {};
    EXPECT_EQ(state.packageStream->Read(next, 6), 6u);
    EXPECT_EQ(std::string(next + 4, 2), "PK");
}

// A download cut short or spoilt anywhere is found before anything is
// installed; a code signature after the sections is no damage.
TEST_F(SystemInfoTest, EveryCutAndEveryStrayByteIsFoundBeforeInstalling) {
    auto project = NewProject();
    project->splashEnabled = project->eulaEnabled = project->readmeEnabled = 1;
    for (const char* name : {"a.cab", "b.cab", "c.cab"}) AddCabinet(*project, name, "2003");
    std::vector<std::string> rest = {Section(Zip({{"s.bmp", "BM"}})),
                                     Section(Zip({{"e.txt", "E"}})),
                                     Section(Zip({{"r.txt", "R"}}))};
    for (const char* name : {"a.cab", "b.cab", "c.cab"})
        rest.push_back(Section(Zip({{name, std::string(3000, *name)}})));
    MakePackage(*project, rest, 1000);
    const std::string whole = ReadDevice("\\pkg.exe");
    std::vector<std::size_t> cuts;
    for (std::size_t at = 1000; at < whole.size();) {
        const std::uint32_t n =
            static_cast<std::uint8_t>(whole[at]) | static_cast<std::uint8_t>(whole[at + 1]) << 8;
        for (std::size_t cut : {at, at + 2, at + 4, at + 4 + n / 2, at + 4 + n - 1})
            cuts.push_back(cut);
        at += 4 + n;
    }
    auto run = [&](const std::string& bytes) {
        WriteDevice("\\pkg.exe", bytes);
        InstallerSession s(device);
        SystemInfo(s, u"\\pkg.exe", nullptr, 1000);
        return s.state.damage.whole.load();
    };
    for (std::size_t cut : cuts) EXPECT_FALSE(run(whole.substr(0, cut))) << "cut at " << cut;
    EXPECT_TRUE(run(whole));
    EXPECT_FALSE(run(whole + "x"));
    EXPECT_FALSE(run(whole + std::string(1500, '\0')));
    // The last zip's directory claims more items than it holds.
    std::string claims = whole;
    const std::size_t end = claims.rfind("PK\x05\x06");
    claims[end + 8] = claims[end + 10] = '\x40';
    EXPECT_FALSE(run(claims));
    // A signed package: the signature follows the sections, 8-byte aligned.
    const std::string signedPackage = SignedProgram(whole);
    EXPECT_TRUE(run(signedPackage));
    EXPECT_FALSE(run(signedPackage + "x"));
    EXPECT_FALSE(run(signedPackage.substr(0, signedPackage.size() - 1)));
    EXPECT_FALSE(run(SignedProgram(whole, 1508, (whole.size() + 7) / 8 * 8 + 8)));
}

TEST_F(SystemInfoTest, TheFlagsAloneSayWhichSectionsFollow) {
    // No splash, a EULA, no read-me: the third section is the EULA.
    auto project = NewProject();
    project->eulaEnabled = 1;
    project->splashEnabled = 0;
    AddCabinet(*project, "x.cab", "2003");
    MakePackage(*project, {Section(Zip({{"licence.htm", "L"}})), Section(Zip({{"x.cab", "C"}}))});
    SystemInfo(session, u"\\pkg.exe", &window, 1000);
    EXPECT_EQ(session.state.eulaFilePath, u"\\Temp\\licence.htm");
    EXPECT_TRUE(window.splash.empty());

    InstallerSession other(device);
    project->splashEnabled = 1;
    project->eulaEnabled = 0;
    project->cabinetCount = 0;
    MakePackage(*project, {Section(Zip({{"logo.bmp", "BM"}}))});
    SystemInfo(other, u"\\pkg.exe", &window, 1000);
    EXPECT_EQ(other.state.splashFilePath, u"\\Temp\\logo.bmp");
    EXPECT_EQ(window.splash, u"\\Temp\\logo.bmp");
}

TEST_F(SystemInfoTest, WithoutTheToolOrItsRecordEveryFactIsZero) {
    auto project = NewProject();
    MakePackage(*project, {});
    SystemInfo(session, u"\\pkg.exe", &window, 1000);  // no program answers
    EXPECT_EQ(LogLines().at(0),
              "[SystemInfo] Platform [] majorVersion [0] minorVersion[0] Processor [  ]");
    EXPECT_EQ(session.state.systemInfo.isPocketPC, 0);
    EXPECT_FALSE(session.state.systemInfoKnown);
    EXPECT_EQ(session.state.damage.sections, 0);
}

TEST_F(SystemInfoTest, AShortProjectIsLoggedAndAMissingPackageEndsTheThread) {
    auto project = NewProject();
    std::string bytes(1000, 'S');
    bytes += Section(Zip({{"SystemInfo.exe", "MZ"}}));
    bytes += Section(Zip({{"Demo.paw", RecordBytes(*project).substr(0, 600)}}));
    WriteDevice("\\pkg.exe", bytes);
    SystemInfo(session, u"\\pkg.exe", nullptr, 1000);
    EXPECT_EQ(session.state.readyText, u"Morvane Demo ready for install.");
    EXPECT_FALSE(session.state.damage.whole);
    EXPECT_EQ(LogLines().at(LogLines().size() - 2),
              "[SystemInfo] Damaged package: the project holds 600 of 339536 bytes");

    InstallerSession other(device);
    SystemInfo(other, u"\\nowhere.exe", nullptr, 1000);
    EXPECT_TRUE(other.state.damage.unreadable);
    EXPECT_FALSE(other.state.damage.whole);
    EXPECT_EQ(LogLines().back(), "[SystemInfo] Cannot open the package [\\nowhere.exe]");
    EXPECT_EQ(other.state.readyText, u"");
}

// A device whose storage cannot take the installer's own files says so, at
// whatever point the storage runs out: the package is not called damaged
// (downloading it again would not help), and nothing of it is left behind.
TEST_F(SystemInfoTest, AStorageTooSmallForTheLeadingSectionsIsNoDamage) {
    auto project = NewProject();
    project->eulaEnabled = project->readmeEnabled = 1;
    AddCabinet(*project, "a.cab", "2003");
    MakePackage(*project, {Section(Zip({{"eula.htm", std::string(30000, 'E')}})),
                           Section(Zip({{"readme.txt", std::string(30000, 'R')}})),
                           Section(Zip({{"a.cab", "cabinet"}}))});
    ToolWrites(DeviceFacts(u"PocketPC", 4, 21));
    const std::filesystem::path temp = std::filesystem::path(device.root()) / "Temp";
    int short_of_room = 0;
    std::uint64_t enough = 0;
    for (std::uint64_t free = 0; free < 480000; free += 4999) {
        std::filesystem::remove_all(temp);
        device.LimitStorage(free);
        InstallerSession s(device);
        SystemInfo(s, u"\\pkg.exe", nullptr, 1000);
        const PackageDamage& damage = s.state.damage;
        EXPECT_EQ(damage.sections, 0) << free;
        for (const std::string& line : LogLines())
            EXPECT_EQ(line.find("Damaged"), std::string::npos) << free << ": " << line;
        for (const char* zip : {"\\SystemInfo.zip", "\\data.zip", "\\Eula.zip", "\\ReadMe.zip"})
            EXPECT_FALSE(ExistsOnDevice(zip)) << free << ": " << zip;
        if (damage.whole) {
            if (enough == 0) enough = free;
            EXPECT_FALSE(damage.noRoom) << free;
            EXPECT_EQ(ReadDevice("\\Temp\\readme.txt"), std::string(30000, 'R')) << free;
            continue;
        }
        ++short_of_room;
        EXPECT_TRUE(damage.OnlyWantOfRoom()) << free;
        EXPECT_EQ(enough, 0u) << "enough at " << enough << ", not at " << free;
        if (std::filesystem::exists(temp)) {
            for (const auto& entry : std::filesystem::directory_iterator(temp))
                EXPECT_EQ(entry.path().filename(), "Zephyrkit.log") << free;
        }
        if (free > 0) {
            EXPECT_EQ(LogLines().back(),
                      "[SystemInfo] Not enough storage to unpack the package: nothing is installed")
                << free;
        }
    }
    // The project record alone is 339 536 bytes unpacked.
    EXPECT_GT(short_of_room, 67);
    EXPECT_GT(enough, 339536u);

    // Cut short as well: downloading it again is what must be said.
    const std::string whole = ReadDevice("\\pkg.exe");
    WriteDevice("\\pkg.exe", whole.substr(0, 1100));
    device.LimitStorage(1000);
    InstallerSession cut(device);
    SystemInfo(cut, u"\\pkg.exe", nullptr, 1000);
    EXPECT_FALSE(cut.state.damage.whole);
    EXPECT_FALSE(cut.state.damage.OnlyWantOfRoom());
}

TEST(AnsiText16Test, CodePage1252) {
    EXPECT_EQ(AnsiToUtf16("A\xe9\x80\x9f\x81"), u"A\u00e9\u20ac\u0178\u0081");
}

}  // namespace
}  // namespace zk::test
