#include <functional>

#include "common/fixed_text.h"
#include "device/installer/installer_engine.h"
#include "device/installer/installer_texts.h"
#include "tests/installer/installer_test_support.h"

namespace zk::test {
namespace {

class EngineTest : public InstallerTest {
public:
    void TestBody() override {}

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
        session.state.systemInfoKnown = true;
        CheckSections();
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
    EXPECT_EQ(session.state.outcomes, "ii");
    EXPECT_EQ(LogLines(),
              (std::vector<std::string>{"[InstallerThread] Installing [a.cab]",
                                        "[InstallerThread] command [/askdest \"\\Temp\\a.cab\"]",
                                        "[InstallerThread] Installed [a.cab]",
                                        "[InstallerThread] Installing [b.cab]",
                                        "[InstallerThread] command [/askdest \"\\Temp\\b.cab\"]",
                                        "[InstallerThread] Installed [b.cab]"}));
}

// Each way a cabinet fails is told, and fails that cabinet alone.
TEST_F(EngineTest, EachCabinetsOutcomeIsWhatTheDeviceShows) {
    struct Case {
        const char* what;
        std::function<void(EngineTest&)> arrange;
        const char* outcomes;
        const char* why;  // in the first failure's log line
    } cases[] = {
        {"wceload cannot start",
         [](EngineTest& t) { t.device.SetProgram(WCELOAD_PROGRAM, nullptr); }, "ff",
         "]: wceload.exe could not be started"},
        {"wceload refuses", [](EngineTest& t) { t.wceloadInstalls = false; }, "ff",
         "]: the platform installer did not install it (exit code 1)"},
        {"an older installation's key does not count",
         [](EngineTest& t) {
             t.wceloadInstalls = false;
             t.device.WriteRegistryNumber(u"Software\\Apps\\ A", u"Instl", 1);
         },
         "ff", "did not install it"},
        {"a flipped byte in a's section",
         [](EngineTest& t) {
             std::string bytes = t.ReadDevice("\\pkg.exe");
             bytes[bytes.find("MSCF a.cab") + 6] ^= 0x40;
             t.WriteDevice("\\pkg.exe", bytes);
         },
         "fi", "]: its section is damaged: [a.cab]:"},
        {"too little storage", [](EngineTest& t) { t.device.LimitStorage(120); }, "ff",
         "]: Not enough storage for a.cab (needs 1 KB, 0 KB free)"},
        {"a stale read-only cabinet in \\Temp",
         [](EngineTest& t) {
             t.WriteDevice("\\Temp\\a.cab", "OLD");
             t.device.SetAttributes(u"\\Temp\\a.cab", DEVICE_ATTR_READONLY);
         },
         "ii", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EngineTest t;
        auto p = NewProject();
        CopyText(AddCabinet(*p, "a.cab", "2003").appName, "A");
        CopyText(AddCabinet(*p, "b.cab", "2003").appName, "B");
        t.Prepare(std::move(p), DeviceFacts(u"PocketPC", 4, 0));
        c.arrange(t);
        t.session.state.packageStream = t.device.OpenFile(u"\\pkg.exe", DeviceOpenMode::Read);
        InstallerThread(t.session);
        EXPECT_EQ(t.session.state.outcomes, c.outcomes);
        EXPECT_TRUE(t.session.state.installDone);
        const std::vector<std::string> lines = t.LogLines();
        std::string failed;
        for (const std::string& line : lines)
            if (failed.empty() && line.rfind("[InstallerThread] Failed [", 0) == 0) failed = line;
        if (c.why) {
            EXPECT_NE(failed.find(c.why), std::string::npos) << failed;
        } else {
            EXPECT_EQ(failed, "");
        }
        // Nothing of a failed cabinet stays to be taken for it later.
        EXPECT_FALSE(t.ExistsOnDevice("\\Temp\\a.cab"));
        EXPECT_FALSE(t.ExistsOnDevice("\\Cab.zip"));
    }
}

TEST_F(EngineTest, AProcessorOfNoKnownFamilyFollowsTheFilter) {
    for (bool filterOn : {false, true}) {
        EngineTest t;
        auto p = NewProject();
        p->processorFilterOn = filterOn;
        AddCabinet(*p, "a.cab", "5");
        t.Prepare(std::move(p), DeviceFacts(u"PocketPC", 5, 2, u"MSM7200"));
        InstallerThread(t.session);
        EXPECT_EQ(t.session.state.outcomes, filterOn ? "s" : "i");
    }
}

// A reset struck while the platform installer ran: the registry says
// whether it got there; either way it is not handed over again.
TEST_F(EngineTest, AResumedRunJudgesTheCabinetWhoseInstallationWasCut) {
    for (bool recorded : {true, false}) {
        EngineTest t;
        auto p = NewProject();
        for (const char* name : {"a.cab", "b.cab", "c.cab"})
            CopyText(AddCabinet(*p, name, "2003").appName, name);
        t.Prepare(std::move(p), DeviceFacts(u"PocketPC", 4, 0));
        if (recorded) t.device.WriteRegistryNumber(u"Software\\Apps\\ b.cab", u"Instl", 1);
        t.session.state.outcomes = "iw-";
        InstallerThread(t.session);
        ASSERT_EQ(t.starts.size(), 1u);
        EXPECT_EQ(t.starts[0].commandLine, u"/askdest \"\\Temp\\c.cab\"");
        EXPECT_EQ(t.session.state.outcomes, recorded ? "iii" : "ifi");
    }
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
    EXPECT_EQ(LogLines().size(), 6u);
    EXPECT_EQ(LogLines().at(0), "[InstallerThread] Installing [c.cab]");
    EXPECT_FALSE(ExistsOnDevice("\\Temp\\a.cab"));
    // Every section was read: the stream is at its end.
    char byte;
    EXPECT_EQ(session.state.packageStream->Read(&byte, 1), 0u);
}

TEST_F(EngineTest, IncompatibleCabinetsAreSkippedWithAStatus) {
    auto p = NewProject();
    p->processorFilterOn = 1;
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
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0].rfind("[InstallerThread] Unpacked section 3 (cabinet [a.cab]): ", 0), 0u)
        << lines[0];
    EXPECT_NE(lines[0].find(" bytes, 1 items, last [\\Temp\\a.cab]"), std::string::npos)
        << lines[0];
    EXPECT_EQ(lines[1], "[InstallerThread] Installing [a.cab]");
    EXPECT_EQ(lines[3], "[InstallerThread] wceload exit [0]");
    // A skipped cabinet is not unpacked: nothing more than its line.
    EXPECT_EQ(lines[5], "[InstallerThread] Skipping b.cab...");
}

TEST_F(EngineTest, AnEmptyListStillOffersFinish) {
    InstallerThread(session);
    EXPECT_TRUE(session.state.installDone);
}

}  // namespace
}  // namespace zk::test
