#include <thread>

#include "device/installer/format_text.h"
#include "device/installer/installer_log.h"
#include "device/installer/installer_resume.h"
#include "device/installer/state_file.h"
#include "tests/installer/installer_test_support.h"

namespace zk::test {
namespace {

class StateFileTest : public InstallerTest {
protected:
    static SavedState Full(std::string cabinets) {
        SavedState state;
        state.page = 2;
        state.index = 1;
        state.package = {517044, 0x9ab3f0c2};
        state.cabinets = std::move(cabinets);
        SavedPreferences& p = state.preferences;
        p.overrideInstallPath = p.silentInstall = p.debugLog = true;
        p.overrideFolder = u"Storage Card\\Apps \u00e9\\";
        p.logPath = u"\\Storage Card\\Zephyrkit.log";
        return state;
    }
};

TEST_F(StateFileTest, TheTwoNumberFormIsReadAsBefore) {
    struct Case {
        std::string text;
        int page, resumeIndex;
    } cases[] = {
        {"2 3", 2, 4},
        {"1 0", -1, 0},
        {"0 7", -1, 0},
        {"-1 0", -1, 0},
        {"2 0", 2, 1},
        {"2 -1", 2, 0},
        {" 2  3 ", 2, 4},
        {"", -1, 0},
        {"2", -1, 0},
        {"2 3x", -1, 0},
        {"two three", -1, 0},
        {"7 1", -1, 0},
        {"2 99999999999", -1, 0},
        {"2 3 4", -1, 0},
        {"2 3" + std::string(9000, ' '), -1, 0},
    };
    for (const Case& c : cases) {
        WriteDevice("\\Windows\\Zephyrkit.dat", c.text);
        InstallerSession fresh(device);
        RestoreState(fresh);
        EXPECT_EQ(fresh.state.page, c.page) << "[" << c.text << "]";
        EXPECT_EQ(fresh.state.resumeIndex, c.resumeIndex) << "[" << c.text << "]";
    }
}

// A save is cut at every byte: what is read back is the state before it or
// the state after it, never a fresh start that would install again.
TEST_F(StateFileTest, ACutSaveReadsAsTheStateBeforeOrAfterIt) {
    ASSERT_TRUE(session.stateFile.Save(Full("iw-")));
    const std::string before = ReadDevice("\\Windows\\Zephyrkit.dat");
    ASSERT_TRUE(session.stateFile.Save(Full("iif")));
    const std::string after = ReadDevice("\\Windows\\Zephyrkit.dat");
    EXPECT_FALSE(ExistsOnDevice("\\Windows\\Zephyrkit.new"));
    EXPECT_EQ(StateLine(), "2 1");

    SavedState read;
    ASSERT_TRUE(StateFile(device).Load(&read));
    EXPECT_EQ(read.cabinets, "iif");
    EXPECT_EQ(read.package, (PackageIdentity{517044, 0x9ab3f0c2}));
    EXPECT_EQ(read.preferences.overrideFolder, u"Storage Card\\Apps \u00e9\\");
    EXPECT_EQ(read.preferences.logPath, u"\\Storage Card\\Zephyrkit.log");
    EXPECT_TRUE(read.preferences.silentInstall && read.preferences.debugLog);
    EXPECT_FALSE(read.preferences.resetWhenFinished);

    for (std::size_t cut = 0; cut <= after.size(); ++cut) {
        // The new text cut while the old file stands, then after the old
        // file was removed (the new one whole, not yet renamed).
        WriteDevice("\\Windows\\Zephyrkit.dat", before);
        WriteDevice("\\Windows\\Zephyrkit.new", after.substr(0, cut));
        ASSERT_TRUE(StateFile(device).Load(&read)) << cut;
        EXPECT_EQ(read.cabinets, cut == after.size() ? "iif" : "iw-") << cut;
        EXPECT_FALSE(ExistsOnDevice("\\Windows\\Zephyrkit.new"));
        // The main file alone, cut: a fresh start only when nothing whole is left.
        WriteDevice("\\Windows\\Zephyrkit.dat", after.substr(0, cut));
        EXPECT_EQ(StateFile(device).Load(&read), cut == after.size()) << cut;
    }
    device.RemoveFile(u"\\Windows\\Zephyrkit.dat");
    WriteDevice("\\Windows\\Zephyrkit.new", after);
    ASSERT_TRUE(StateFile(device).Load(&read));
    EXPECT_EQ(ReadDevice("\\Windows\\Zephyrkit.dat"), after);
    // A state too long to be read back is not saved: the last one stays.
    SavedState huge = Full("iif");
    huge.preferences.logPath = std::u16string(9000, u'x');
    EXPECT_FALSE(session.stateFile.Save(huge));
    EXPECT_EQ(ReadDevice("\\Windows\\Zephyrkit.dat"), after);
    EXPECT_TRUE(session.stateFile.Remove());
    EXPECT_FALSE(session.stateFile.Remove());
}

TEST_F(StateFileTest, AStateBelongsToItsPackageAndKeepsThePreferences) {
    ASSERT_TRUE(session.stateFile.Save(Full("iw-")));
    InstallerSession other(device);
    other.state.package = {517044, 0x12345678};
    RestoreState(other);
    EXPECT_EQ(other.state.page, -1);
    EXPECT_FALSE(ExistsOnDevice("\\Windows\\Zephyrkit.dat"));

    ASSERT_TRUE(session.stateFile.Save(Full("iw-")));
    InstallerSession same(device);
    same.state.package = {517044, 0x9ab3f0c2};
    RestoreState(same);
    EXPECT_EQ(same.state.page, 2);
    EXPECT_EQ(same.state.resumeIndex, 0);
    EXPECT_EQ(same.state.outcomes, "iw-");
    EXPECT_TRUE(same.state.preferences.overrideInstallPath);
    EXPECT_EQ(same.state.preferences.overrideFolder, u"Storage Card\\Apps \u00e9\\");
    EXPECT_EQ(same.log.Path(), u"\\Storage Card\\Zephyrkit.log");
}

class LogTest : public InstallerTest {};

TEST_F(LogTest, LinesAreAppendedAcrossRunsAndFollowThePath) {
    session.log.LogLine(u"[SystemInfo] one");
    InstallerLog again(device);
    again.LogLine(u"[InstallerThread] two \u00e9");
    EXPECT_EQ(LogLines(),
              (std::vector<std::string>{"[SystemInfo] one", "[InstallerThread] two \xc3\xa9"}));
    again.SetPath(u"\\Zephyrkit.log");
    again.LogLine(u"three");
    EXPECT_EQ(ReadFileBytes(root + "/Zephyrkit.log"), "three\n");
    // A folder that does not exist drops the line.
    again.SetPath(u"\\Missing\\Zephyrkit.log");
    again.LogLine(u"lost");
    EXPECT_FALSE(ExistsOnDevice("\\Missing"));
}

TEST_F(LogTest, LongLinesAreCutTo16383Units) {
    session.log.LogLine(std::u16string(20000, u'a'));
    std::u16string pair = std::u16string(16382, u'b') + u"\U0001F600";
    session.log.LogLine(pair);
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(16383, 'a'));
    // The surrogate pair would straddle the cut: it goes whole.
    EXPECT_EQ(lines[1], std::string(16382, 'b'));
}

TEST_F(LogTest, ThreadsWritingAtOnceKeepTheirLinesWhole) {
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([this, t] {
            for (int i = 0; i < 200; ++i) {
                session.log.LogLine(FormatText(u"[T%d] line %d " + std::u16string(300, u'x'),
                                               {NumberText(t), NumberText(i)}));
            }
        });
    }
    for (std::thread& w : writers) w.join();
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 800u);
    for (const std::string& line : lines) {
        EXPECT_EQ(line.substr(line.size() - 300), std::string(300, 'x'));
        EXPECT_EQ(line.rfind("[T", 0), 0u);
    }
}

}  // namespace
}  // namespace zk::test
