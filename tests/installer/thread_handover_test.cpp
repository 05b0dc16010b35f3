// What the window reads while the installation thread runs: the status line
// handed over under its lock, the done flag, the log and the state file both
// threads write. Run under ThreadSanitizer too (the tsan preset), where a
// missing lock is reported even when the values happen to come out right.
#include <set>
#include <string>

#include "device/installer/installer_engine.h"
#include "device/installer/installer_texts.h"
#include "device/platform/device_threads.h"
#include "tests/installer/installer_test_support.h"

namespace zk::test {
namespace {

class HandoverTest : public InstallerTest {
protected:
    static void Run(void* context) { InstallerThread(*static_cast<InstallerSession*>(context)); }
};

TEST_F(HandoverTest, TheWindowSeesWholeStatusTextsUntilTheInstallationIsDone) {
    auto project = NewProject();
    std::string bytes;
    std::set<std::u16string> expected{u"", STATUS_UNPACKING};
    for (int i = 0; i < 8; ++i) {
        const std::string name = "cab" + std::to_string(i) + ".cab";
        AddCabinet(*project, name.c_str(), i % 2 ? "2003SE" : "5");
        bytes += Section(Zip({{name, "MSCF " + std::string(20000, static_cast<char>('a' + i))}}));
        expected.insert((i % 2 ? u"Installing " : u"Skipping ") + Utf8ToUtf16(name) + u"...");
    }
    WriteDevice("\\pkg.exe", bytes);
    session.state.packageStream = device.OpenFile(u"\\pkg.exe", DeviceOpenMode::Read);
    session.state.project = std::move(project);
    session.state.systemInfo = DeviceFacts(u"PocketPC", 4, 21);
    session.state.systemInfoKnown = true;
    CheckSections();
    RecordWceload();

    DeviceThread thread;
    ASSERT_TRUE(thread.Start(&Run, &session));
    std::set<std::u16string> seen;
    int polls = 0;
    while (!session.state.installDone) {
        seen.insert(session.state.status.Text());
        // The window logs and reads the state file meanwhile.
        session.log.LogLine(u"[Window] poll " + Utf8ToUtf16(std::to_string(polls++)));
        SavedState saved;
        session.stateFile.Load(&saved);
    }
    thread.Join();
    seen.insert(session.state.status.Text());

    for (const std::u16string& text : seen) EXPECT_TRUE(expected.count(text)) << Utf16ToUtf8(text);
    EXPECT_EQ(starts.size(), 4u);
    EXPECT_EQ(StateLine(), "2 7");
    int installing = 0;
    for (const std::string& line : LogLines()) {
        const bool window = line.rfind("[Window] poll ", 0) == 0;
        const bool engine = line.rfind("[InstallerThread] ", 0) == 0;
        EXPECT_TRUE(window || engine) << line;
        installing += line.rfind("[InstallerThread] Installing [", 0) == 0;
    }
    EXPECT_EQ(installing, 4);
}

}  // namespace
}  // namespace zk::test
