#include <atomic>
#include <chrono>
#include <map>
#include <thread>

#include "device/installer/device_reset.h"
#include "device/installer/installer_texts.h"
#include "device/installer/launch.h"
#include "device/installer/page_flow.h"
#include "tests/installer/installer_test_support.h"

namespace zk::test {
namespace {

// Records what the flow asks of the window, one text per call.
class RecordingWindow : public InstallerWindow {
public:
    void CreateSoftKeyBar(int bar) override { Note("bar+" + std::to_string(bar)); }
    void DestroySoftKeyBar(int bar) override { Note("bar-" + std::to_string(bar)); }
    void ShowEula(std::u16string_view a) override { Note("eula " + Utf16ToUtf8(a)); }
    void CreatePreferenceControls(const Preferences& p, std::u16string_view log) override {
        checks[IDC_OVERRIDE_CHECK] = p.overrideInstallPath;
        checks[IDC_RESUME_CHECK] = p.resumeOnReset;
        checks[IDC_RESET_CHECK] = p.resetWhenFinished;
        checks[IDC_SILENT_CHECK] = p.silentInstall;
        Note("prefs+ " + Utf16ToUtf8(log));
    }
    void DestroyPreferenceControls() override { Note("prefs-"); }
    void PrepareInstallationPage(std::u16string_view a) override {
        Note("install " + Utf16ToUtf8(a));
    }
    void HideHtmlView() override { Note("hide"); }
    void Invalidate() override {}
    bool IsChecked(int control) override { return checks[control]; }
    void EnableControl(int control, bool on) override {
        Note("enable " + std::to_string(control) + (on ? " on" : " off"));
    }
    void SetControlText(int control, std::u16string_view t) override {
        Note("text " + std::to_string(control) + " " + Utf16ToUtf8(t));
    }
    void FocusControl(int control) override { Note("focus " + std::to_string(control)); }
    bool BrowseFolder(std::u16string* folder) override {
        if (browseAnswer.empty()) return false;
        *folder = browseAnswer;
        return true;
    }
    void StartStatusTimer() override { Note("timer+"); }
    void StopStatusTimer() override { Note("timer-"); }
    void SetStatusText(std::u16string_view t) override { Note("status " + Utf16ToUtf8(t)); }
    void ShowReadMe() override { Note("readme"); }
    void RemoveStatusBox() override { Note("closing text"); }
    void Close() override { Note("close"); }

    void Note(const std::string& s) { calls.push_back(s); }
    std::vector<std::string> Take() { return std::exchange(calls, {}); }

    std::vector<std::string> calls;
    std::map<int, bool> checks;
    std::u16string browseAnswer;
};

class FakeWork : public InstallerWork {
public:
    void StartUnpacking() override { ++unpacks; }
    void WaitForUnpacking() override { ++waits; }
    void StartInstallation() override { ++installs; }
    void WaitForInstallation() override {}
    int unpacks = 0, waits = 0, installs = 0;
};

class PageFlowTest : public InstallerTest {
protected:
    PageFlowTest() : flow(session, window, work) {
        session.state.eulaFilePath = u"\\Temp\\eula.htm";
        session.state.readMeFilePath = u"\\Temp\\readme.txt";
    }
    void Flags(bool eula, bool advanced) {
        session.state.project->eulaEnabled = eula;
        session.state.project->deviceAdvancedSettings = advanced;
    }
    std::string Saved() { return StateLine(); }

    RecordingWindow window;
    FakeWork work;
    PageFlow flow;
};

TEST_F(PageFlowTest, ForwardThroughEveryCombinationOfEulaAndPreferences) {
    struct Case {
        bool eula, advanced;
        std::vector<int> pages;  // after each press, from the welcome page
    } cases[] = {
        {false, false, {2}}, {true, false, {0, 2}}, {false, true, {1, 2}}, {true, true, {0, 1, 2}}};
    for (const Case& c : cases) {
        InstallerSession s(device);
        RecordingWindow w;
        FakeWork k;
        PageFlow f(s, w, k);
        s.state.project->eulaEnabled = c.eula;
        s.state.project->deviceAdvancedSettings = c.advanced;
        f.OnCreate();
        EXPECT_EQ(k.unpacks, 1);
        EXPECT_EQ(f.SoftKeyBar(), BAR_WELCOME);
        for (int page : c.pages) {
            f.OnCommand(f.SoftKeyBar() == BAR_WELCOME ? CMD_START : CMD_NEXT);
            EXPECT_EQ(f.Page(), page) << c.eula << c.advanced;
            EXPECT_EQ(f.SoftKeyBar(), page == 2 ? BAR_INSTALLATION : BAR_NAVIGATION);
        }
        EXPECT_EQ(k.installs, 1);
        EXPECT_EQ(k.waits, static_cast<int>(c.pages.size()));
        EXPECT_EQ(StateLine(), "2 0");
        // Once installing, no key starts it again.
        f.OnCommand(CMD_START);
        f.OnCommand(CMD_NEXT);
        EXPECT_EQ(k.installs, 1);
    }
}

// Enter on the welcome page is its right soft key; elsewhere it is not the flow's.
TEST_F(PageFlowTest, StraightToTheInstallationFromTheWelcomePage) {
    Flags(false, false);
    flow.OnCreate();
    window.Take();
    EXPECT_TRUE(flow.OnEnterKey());
    EXPECT_EQ(window.Take(), (std::vector<std::string>{"install file://\\Temp\\readme.txt",
                                                       "timer+", "bar-104", "bar+105"}));
    EXPECT_EQ(work.installs, 1);
    EXPECT_FALSE(flow.OnEnterKey());
    EXPECT_EQ(work.installs, 1);
}

TEST_F(PageFlowTest, WithoutResumeOnResetTheInstallationLeavesNothingToRestart) {
    Flags(false, true);
    session.state.startupShortcutPath = u"\\Windows\\StartUp\\Zephyrkit.lnk";
    WriteDevice("\\Windows\\StartUp\\Zephyrkit.lnk", "20#\"\\My Documents\\a.exe\"");
    flow.OnCreate();
    flow.OnCommand(CMD_START);
    EXPECT_EQ(Saved(), "1 0");
    window.checks[IDC_RESUME_CHECK] = false;
    flow.OnCommand(CMD_NEXT);
    EXPECT_FALSE(session.state.preferences.resumeOnReset);
    EXPECT_FALSE(ExistsOnDevice("\\Windows\\Zephyrkit.dat"));
    EXPECT_FALSE(ExistsOnDevice("\\Windows\\StartUp\\Zephyrkit.lnk"));
    EXPECT_EQ(work.installs, 1);
}

TEST_F(PageFlowTest, BackFromThePreferencesKeepsOrSwapsTheBar) {
    Flags(true, true);
    flow.OnCreate();
    flow.OnCommand(CMD_START);
    flow.OnCommand(CMD_NEXT);
    ASSERT_EQ(flow.Page(), 1);
    window.Take();
    flow.OnCommand(CMD_BACK);
    EXPECT_EQ(flow.Page(), 0);
    EXPECT_EQ(flow.SoftKeyBar(), BAR_NAVIGATION);
    EXPECT_EQ(window.Take(), (std::vector<std::string>{"prefs-", "eula file://\\Temp\\eula.htm"}));
    EXPECT_EQ(Saved(), "0 0");
    flow.OnCommand(CMD_BACK);
    EXPECT_EQ(flow.Page(), -1);
    EXPECT_EQ(flow.SoftKeyBar(), BAR_WELCOME);
    EXPECT_EQ(Saved(), "-1 0");
    // Back has no key on the welcome bar.
    flow.OnCommand(CMD_BACK);
    EXPECT_EQ(flow.Page(), -1);

    Flags(false, true);
    flow.OnCommand(CMD_START);
    ASSERT_EQ(flow.Page(), 1);
    flow.OnCommand(CMD_BACK);
    EXPECT_EQ(flow.Page(), -1);
    EXPECT_EQ(flow.SoftKeyBar(), BAR_WELCOME);
}

TEST_F(PageFlowTest, AResumedRunStartsFromTheWelcomeBar) {
    session.state.page = 2;
    session.state.resumeIndex = 4;
    flow.OnCreate();
    flow.OnCommand(CMD_START);
    EXPECT_EQ(Saved(), "2 4");
    EXPECT_EQ(work.installs, 1);
    EXPECT_EQ(flow.SoftKeyBar(), BAR_INSTALLATION);
}

TEST_F(PageFlowTest, PreferenceControls) {
    Flags(false, true);
    flow.OnCreate();
    flow.OnCommand(CMD_START);
    window.Take();
    window.checks[IDC_OVERRIDE_CHECK] = true;
    flow.OnCommand(IDC_OVERRIDE_CHECK);
    EXPECT_TRUE(session.state.preferences.overrideInstallPath);
    window.browseAnswer = u"\\Storage Card\\Apps";
    flow.OnCommand(IDC_OVERRIDE_BROWSE);
    EXPECT_EQ(session.state.preferences.overrideFolder, u"Storage Card\\Apps\\");
    EXPECT_EQ(window.Take(),
              (std::vector<std::string>{"enable 306 on", "enable 307 on",
                                        "text 306 \\Storage Card\\Apps", "focus 305"}));
    // A cancelled browse empties the folder; the log falls back to the root.
    window.browseAnswer.clear();
    flow.OnCommand(IDC_OVERRIDE_BROWSE);
    EXPECT_TRUE(session.state.preferences.overrideFolder.empty());
    flow.OnCommand(IDC_LOG_BROWSE);
    EXPECT_EQ(session.log.Path(), u"\\Zephyrkit.log");
    window.browseAnswer = u"\\Storage Card";
    flow.OnCommand(IDC_LOG_BROWSE);
    EXPECT_EQ(session.log.Path(), u"\\Storage Card\\Zephyrkit.log");

    // A rotation rebuilds the controls with what was ticked so far.
    window.checks[IDC_SILENT_CHECK] = true;
    window.checks[IDC_RESUME_CHECK] = false;
    window.Take();
    flow.OnWorkAreaChanged(320, 240);
    EXPECT_EQ(window.Take(),
              (std::vector<std::string>{"prefs-", "prefs+ \\Storage Card\\Zephyrkit.log"}));
    EXPECT_TRUE(window.checks[IDC_SILENT_CHECK]);
    flow.OnWorkAreaChanged(320, 240);
    EXPECT_TRUE(window.Take().empty());

    window.checks[IDC_RESET_CHECK] = true;
    flow.OnCommand(CMD_NEXT);
    EXPECT_TRUE(session.state.preferences.silentInstall);
    EXPECT_TRUE(session.state.preferences.resetWhenFinished);
    EXPECT_FALSE(session.state.preferences.resumeOnReset);
    EXPECT_EQ(flow.Page(), 2);
    EXPECT_FALSE(flow.OnCommand(40099));
}

TEST_F(PageFlowTest, TheTimerShowsTheStatusThenTheEnd) {
    Flags(false, false);
    flow.OnCreate();
    flow.OnCommand(CMD_START);
    window.Take();
    session.state.status.SetText(u"Installing a.cab...");
    flow.OnStatusTimer();
    session.state.installDone = true;
    flow.OnStatusTimer();
    EXPECT_EQ(window.Take(),
              (std::vector<std::string>{"status Installing a.cab...", "closing text", "timer-"}));
    session.state.project->readmeEnabled = 1;
    flow.OnStatusTimer();
    EXPECT_EQ(window.Take(), (std::vector<std::string>{"readme", "timer-"}));
}

// A damaged package: the Exit key alone, whatever is pressed; silent, not
// even that.
TEST_F(PageFlowTest, ADamagedPackageOffersOnlyExit) {
    for (bool silent : {false, true}) {
        InstallerSession s(device);
        RecordingWindow w;
        FakeWork k;
        PageFlow f(s, w, k);
        s.state.page = PAGE_INSTALLATION;  // a resumed run
        s.state.preferences.silentInstall = silent;
        s.state.damage.whole = false;
        f.OnCreate();
        f.OnUnpackingEnded();
        EXPECT_EQ(f.SoftKeyBar(), BAR_DAMAGED);
        EXPECT_EQ(f.Page(), PAGE_WELCOME);
        EXPECT_EQ(w.Take().back(), silent ? "close" : "bar+106");
        f.OnCommand(CMD_START);
        f.OnCommand(CMD_NEXT);
        EXPECT_EQ(k.installs, 0);
        EXPECT_TRUE(f.OnEnterKey());
        EXPECT_EQ(w.Take(), std::vector<std::string>{"close"});
    }
}

TEST_F(PageFlowTest, TheClosingPageNamesTheCabinetsThatFailed) {
    auto& project = *session.state.project;
    for (const char* name : {"a.cab", "b.cab", "c.cab"}) AddCabinet(project, name, "2003");
    session.state.doneText = u"Morvane Demo installed successfuly.";
    session.state.outcomes = "isi";
    EXPECT_EQ(ClosingLines(session),
              (std::vector<std::u16string>{u"Morvane Demo installed successfuly.",
                                           u"Press <Finish> to exit!"}));
    session.state.outcomes = "fsf";
    EXPECT_EQ(ClosingLines(session),
              (std::vector<std::u16string>{u"2 of 2 applications could not be installed:", u"a.cab",
                                           u"c.cab", u"See \\Temp\\Zephyrkit.log",
                                           u"Press <Finish> to exit!"}));
    // The read-me follows only an installation that went well.
    project.readmeEnabled = 1;
    flow.OnCreate();
    flow.OnCommand(CMD_START);
    window.Take();
    session.state.installDone = true;
    flow.OnStatusTimer();
    EXPECT_EQ(window.Take(), (std::vector<std::string>{"closing text", "timer-"}));
}

// The shell closes the window while a cabinet installs: the close waits for
// it, then the rest is kept for the next start.
TEST_F(PageFlowTest, AClosedWindowFinishesTheCabinetAndKeepsTheRest) {
    auto& project = *session.state.project;
    for (const char* name : {"a.cab", "b.cab"}) AddCabinet(project, name, "2003");
    EXPECT_TRUE(flow.OnCloseRequest());  // nothing running: it goes at once
    flow.OnCreate();
    flow.OnCommand(CMD_START);
    window.Take();
    session.state.currentCabinet = 0;
    EXPECT_FALSE(flow.OnCloseRequest());
    EXPECT_TRUE(session.state.stopRequested);
    EXPECT_EQ(window.Take(), std::vector<std::string>{"status Finishing a.cab..."});
    flow.OnStatusTimer();
    EXPECT_TRUE(window.Take().empty());  // the status stays
    session.state.outcomes = "i-";
    session.state.installDone = true;
    flow.OnStatusTimer();
    EXPECT_EQ(window.Take(), (std::vector<std::string>{"timer-", "close"}));
    EXPECT_EQ(EndRun(session), 1);
    EXPECT_EQ(StateLine(), "2 -1");
}

TEST_F(PageFlowTest, Finish) {
    Flags(false, false);
    flow.OnCreate();
    flow.OnCommand(CMD_START);
    window.Take();
    flow.OnCommand(CMD_FINISH);
    EXPECT_TRUE(window.Take().empty());  // still installing
    session.state.installDone = true;
    flow.OnCommand(CMD_FINISH);
    EXPECT_EQ(window.Take(), std::vector<std::string>{"close"});

    // Reset when finished: at once, with the leftovers gone.
    bool reset = false;
    device.SetResetHandler([&] { return reset = true; });
    session.state.installDone = false;
    session.state.preferences.resetWhenFinished = true;
    session.state.startupShortcutPath = u"\\Windows\\StartUp\\Zephyrkit.lnk";
    device.CreateFolder(u"\\Windows\\StartUp");
    WriteDevice("\\Windows\\StartUp\\Zephyrkit.lnk", "x");
    WriteDevice("\\Temp\\eula.htm", "x");
    flow.OnCommand(CMD_FINISH);
    EXPECT_TRUE(reset);
    EXPECT_FALSE(ExistsOnDevice("\\Windows\\Zephyrkit.dat"));
    EXPECT_FALSE(ExistsOnDevice("\\Windows\\StartUp\\Zephyrkit.lnk"));
    EXPECT_FALSE(ExistsOnDevice("\\Temp\\eula.htm"));
    EXPECT_EQ(LogLines().back(), "[ResetPocketPC] reset ok");
}

// The launch rules over a shell that records.
class FakeShell : public LaunchShell {
public:
    bool AskProceedFromCard() override {
        calls.push_back("ask");
        return answer;
    }
    void ShowWaitCursor() override {}
    void RestoreCursor() override {}
    bool StartupFolder(std::u16string* f) override {
        *f = u"\\Windows\\StartUp";
        return true;
    }
    std::u16string ModulePath() override { return u"\\My Documents\\Demo.exe"; }
    bool CreateShortcut(std::u16string_view p, std::u16string_view t) override {
        calls.push_back("shortcut " + Utf16ToUtf8(p) + " -> " + Utf16ToUtf8(t));
        return true;
    }
    bool ClaimSingleInstance() override { return !otherCopy; }
    bool BringRunningWindowForward() override { return false; }
    bool CreateMainWindow() override {
        calls.push_back("window");
        return true;
    }
    int RunMessageLoop() override {
        calls.push_back("loop");
        if (duringLoop) duringLoop();
        return 7;
    }
    std::vector<std::string> calls;
    bool answer = true;
    bool otherCopy = false;
    std::function<void()> duringLoop;
};

class LaunchTest : public InstallerTest {
protected:
    FakeWork work;
};

TEST_F(LaunchTest, CommandLineWords) {
    EXPECT_EQ(ClassifyCommandLine(u""), LaunchWord::Empty);
    EXPECT_EQ(ClassifyCommandLine(u"UnInstall"), LaunchWord::Uninstall);
    EXPECT_EQ(ClassifyCommandLine(u"INSTALL"), LaunchWord::Install);
    EXPECT_EQ(ClassifyCommandLine(u"install now"), LaunchWord::Other);

    FakeShell shell;
    EXPECT_EQ(RunInstaller(shell, session, work, u"uninstall"), 0);
    EXPECT_TRUE(shell.calls.empty());
    shell.answer = false;
    EXPECT_EQ(RunInstaller(shell, session, work, u"install"), 0);
    EXPECT_EQ(shell.calls, std::vector<std::string>{"ask"});
    shell.calls.clear();
    shell.answer = true;
    EXPECT_EQ(RunInstaller(shell, session, work, u"Install"), 7);
    // No shortcut for a start from the card.
    EXPECT_EQ(shell.calls, (std::vector<std::string>{"ask", "window", "loop"}));
}

TEST_F(LaunchTest, AnEmptyCommandLineMakesTheShortcutAndTheEndRemovesIt) {
    WriteDevice("\\windows\\Zephyrkit.dat", "2 1");
    FakeShell shell;
    shell.duringLoop = [&] {
        EXPECT_EQ(session.state.page, 2);
        EXPECT_EQ(session.state.resumeIndex, 2);
        WriteDevice("\\Windows\\StartUp\\Zephyrkit.lnk", "made");
    };
    device.CreateFolder(u"\\Windows\\StartUp");
    EXPECT_EQ(RunInstaller(shell, session, work, u""), 7);
    EXPECT_EQ(shell.calls.at(0),
              "shortcut \\Windows\\StartUp\\Zephyrkit.lnk -> \"\\My Documents\\Demo.exe\"");
    EXPECT_FALSE(ExistsOnDevice("\\Windows\\Zephyrkit.dat"));
    EXPECT_FALSE(ExistsOnDevice("\\Windows\\StartUp\\Zephyrkit.lnk"));
}

TEST_F(LaunchTest, ASecondCopyEndsAtOnceAndLeavesTheStateAlone) {
    WriteDevice("\\windows\\Zephyrkit.dat", "2 1");
    FakeShell shell;
    shell.otherCopy = true;
    EXPECT_EQ(RunInstaller(shell, session, work, u"other"), 0);
    EXPECT_EQ(shell.calls, std::vector<std::string>{});
    EXPECT_TRUE(ExistsOnDevice("\\windows\\Zephyrkit.dat"));
}

// Start waits for the unpacking thread: the installation never reads the
// stream before the project is loaded.
TEST_F(LaunchTest, TheInstallationBeginsOnlyAfterTheUnpacking) {
    std::atomic<bool> unpacked{false};
    device.SetProgram(u"\\Temp\\SystemInfo.exe", [&](std::u16string_view, std::uint32_t*) {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        unpacked = true;
        return true;
    });
    auto project = NewProject();
    AddCabinet(*project, "a.cab", "2003");
    std::string bytes(100, 'S');
    bytes += Section(Zip({{"SystemInfo.exe", "MZ"}}));
    bytes += Section(Zip({{"Demo.paw", RecordBytes(*project)}}));
    bytes += Section(Zip({{"a.cab", "MSCF"}}));
    WriteDevice("\\pkg.exe", bytes);
    {
        InstallerWorkers workers(session, u"\\pkg.exe", nullptr, 100);
        workers.StartUnpacking();
        workers.StartInstallation();
        workers.WaitForInstallation();
        EXPECT_TRUE(unpacked);
        EXPECT_TRUE(session.state.installDone);
    }
    // No facts were written: nothing could be judged, the cabinet is not
    // passed off as skipped.
    EXPECT_EQ(LogLines().back(),
              "[InstallerThread] Failed [a.cab]: the device's facts could not be "
              "read (\\Temp\\SystemInfo.dat)");
}

}  // namespace
}  // namespace zk::test
