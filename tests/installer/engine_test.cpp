#include "device/installer/installer_engine.h"
#include "device/installer/installer_texts.h"
#include "tests/installer/installer_test_support.h"

namespace zk::test {
namespace {

class EngineTest : public InstallerTest {
protected:
    // The project's cabinets packed one section each, as the stream stands
    // after unpacking.
    void Prepare(std::unique_ptr<Project> p, const SystemInfoRecord& facts) {
        std::string bytes;
        for (int i = 0; i < p->cabinetCount; ++i) {
            const std::string name = p->cabinets[i].fileName;
            bytes += Section(Zip({{name, "MSCF " + name}}));
        }
        WriteDevice("\\pkg.exe", bytes);
        session.state.packageStream = device.OpenFile(u"\\pkg.exe", DeviceOpenMode::Read);
        session.state.project = std::move(p);
        session.state.systemInfo = facts;
        RecordWceload();
    }
    std::vector<std::u16string> CommandLines() const {
        std::vector<std::u16string> lines;
        for (const ProgramStart& s : starts) lines.push_back(s.commandLine);
        return lines;
    }
};

TEST_F(EngineTest, CompatibleCabinetsInstallInListOrder) {
    auto p = NewProject();
    AddCabinet(*p, "a.cab", "2003SE");
    AddCabinet(*p, "b.cab", "2003,2003SE");
    Prepare(std::move(p), DeviceFacts(u"PocketPC", 4, 21));
    EXPECT_EQ(InstallerThread(session), 1);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0].commandLine, u"/askdest \"\\Temp\\a.cab\"");
    EXPECT_EQ(starts[1].commandLine, u"/askdest \"\\Temp\\b.cab\"");
    // Each cabinet is unpacked, its progress saved and its status shown
    // before the platform installer runs.
    EXPECT_TRUE(starts[0].cabinetPresent && starts[1].cabinetPresent);
    EXPECT_EQ(starts[0].stateFile, "2 0");
    EXPECT_EQ(starts[1].stateFile, "2 1");
    EXPECT_EQ(starts[1].status, u"Installing b.cab...");
    EXPECT_FALSE(ExistsOnDevice("\\Cab.zip"));
    EXPECT_TRUE(session.state.installDone);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{
                              "[InstallerThread] Installing [a.cab]",
                              "[InstallerThread] command [/askdest \"\\Temp\\a.cab\"]",
                              "[InstallerThread] Installing [b.cab]",
                              "[InstallerThread] command [/askdest \"\\Temp\\b.cab\"]"}));
}

TEST_F(EngineTest, OverrideRecordsTheFolderInTheRegistry) {
    auto p = NewProject();
    AddCabinet(*p, "a.cab", "2003SE", "X");
    Prepare(std::move(p), DeviceFacts(u"PocketPC", 4, 21));
    session.state.preferences.overrideInstallPath = true;
    session.state.preferences.overrideFolder = u"Program Files\\Apps\\";
    InstallerThread(session);
    EXPECT_EQ(CommandLines(), std::vector<std::u16string>{u"/noaskdest "});
    const auto values = device.ReadRegistryValues(INSTALL_REGISTRY_KEY);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].first, u"\"\\Temp\\a.cab\"");
    EXPECT_EQ(values[0].second, u"Program Files\\Apps\\X");
    EXPECT_EQ(LogLines().at(0),
              "[RegistryEntry] PathFrom [\"\\Temp\\a.cab\"] PathTo [Program Files\\Apps\\X]");
}

TEST_F(EngineTest, OptionsFollowTheVersionAndThePreferences) {
    EXPECT_EQ(InstallOptions(false, false, false), u"/askdest ");
    EXPECT_EQ(InstallOptions(false, true, false), u"/noaskdest ");
    EXPECT_EQ(InstallOptions(true, false, false), u"");
    EXPECT_EQ(InstallOptions(true, true, false), u"");
    EXPECT_EQ(InstallOptions(false, true, true), u"/noui ");
    EXPECT_EQ(InstallOptions(true, false, true), u"/noui ");

    auto p = NewProject();
    AddCabinet(*p, "a.cab", "5");
    Prepare(std::move(p), DeviceFacts(u"PocketPC", 5, 1));
    session.state.preferences.overrideInstallPath = true;
    InstallerThread(session);
    // Windows Mobile 5 with the override: no option at all, the registry
    // value still written.
    EXPECT_EQ(CommandLines(), std::vector<std::u16string>{u""});
    EXPECT_EQ(device.ReadRegistryValues(INSTALL_REGISTRY_KEY).size(), 1u);
}

TEST_F(EngineTest, AResumedRunPassesOverWhatWasDoneSilently) {
    auto p = NewProject();
    for (const char* name : {"a.cab", "b.cab", "c.cab", "d.cab"}) AddCabinet(*p, name, "2003");
    Prepare(std::move(p), DeviceFacts(u"PocketPC", 4, 0));
    session.state.resumeIndex = 2;
    InstallerThread(session);
    EXPECT_EQ(CommandLines(), (std::vector<std::u16string>{u"/askdest \"\\Temp\\c.cab\"",
                                                           u"/askdest \"\\Temp\\d.cab\""}));
    EXPECT_EQ(LogLines().size(), 4u);
    EXPECT_EQ(LogLines().at(0), "[InstallerThread] Installing [c.cab]");
    EXPECT_FALSE(ExistsOnDevice("\\Temp\\a.cab"));
    // Every section was read: the stream is at its end.
    char byte;
    EXPECT_EQ(session.state.packageStream->Read(&byte, 1), 0u);
}

TEST_F(EngineTest, IncompatibleCabinetsAreSkippedWithAStatus) {
    auto p = NewProject();
    AddCabinet(*p, "phone.cab", "2003");
    p->cabinets[0].forPocketPC = 0;
    p->cabinets[0].forSmartphone = 1;
    AddCabinet(*p, "none.cab", "2003");
    p->cabinets[1].forTI = p->cabinets[1].forIntel = p->cabinets[1].forSamsung = 0;
    Prepare(std::move(p), DeviceFacts(u"PocketPC", 4, 0));
    InstallerThread(session);
    EXPECT_TRUE(starts.empty());
    EXPECT_EQ(session.state.status.Text(), u"Skipping none.cab...");
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"[InstallerThread] Skipping phone.cab...",
                                                   "[InstallerThread] Skipping none.cab..."}));
    EXPECT_FALSE(ExistsOnDevice("\\Cab.zip"));
    EXPECT_TRUE(session.state.installDone);
}

TEST_F(EngineTest, WithoutResumeOnResetNoProgressIsKept) {
    auto p = NewProject();
    AddCabinet(*p, "a.cab", "2003");
    AddCabinet(*p, "b.cab", "2003");
    Prepare(std::move(p), DeviceFacts(u"PocketPC", 4, 0));
    session.state.preferences.resumeOnReset = false;
    InstallerThread(session);
    ASSERT_EQ(starts.size(), 2u);
    // A reset while b.cab installs would find nothing to resume from.
    EXPECT_EQ(starts[1].stateFile, "");
    EXPECT_FALSE(ExistsOnDevice("\\Windows\\Zephyrkit.dat"));
}

TEST_F(EngineTest, TheDebugLogTellsWhatWasUnpackedAndHowTheInstallerEnded) {
    auto p = NewProject();
    AddCabinet(*p, "a.cab", "2003");
    AddCabinet(*p, "b.cab", "2002");
    Prepare(std::move(p), DeviceFacts(u"PocketPC", 4, 0));
    session.state.preferences.debugLog = true;
    InstallerThread(session);
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].rfind("[InstallerThread] Unpacked section 1 (cabinet [a.cab]): ", 0), 0u)
        << lines[0];
    EXPECT_NE(lines[0].find(" bytes, 1 items, last [\\Temp\\a.cab]"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1], "[InstallerThread] Installing [a.cab]");
    EXPECT_EQ(lines[3], "[InstallerThread] wceload exit [0]");
    // A skipped cabinet is not unpacked: nothing more than its line.
    EXPECT_EQ(lines[4], "[InstallerThread] Skipping b.cab...");
}

TEST_F(EngineTest, NothingStopsTheRun) {
    auto p = NewProject();
    AddCabinet(*p, "a.cab", "2003");
    AddCabinet(*p, "b.cab", "2003");
    Prepare(std::move(p), DeviceFacts(u"PocketPC", 4, 0));
    device.SetProgram(WCELOAD_PROGRAM, nullptr);  // the installer cannot be started
    session.state.preferences.debugLog = true;
    InstallerThread(session);
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 8u);  // each cabinet: unpacked, installing, command, not started
    EXPECT_EQ(lines[3], "[InstallerThread] wceload could not be started");
    EXPECT_TRUE(session.state.installDone);

    InstallerSession empty(device);
    InstallerThread(empty);
    EXPECT_TRUE(empty.state.installDone);  // an empty list still offers Finish
}

}  // namespace
}  // namespace zk::test
