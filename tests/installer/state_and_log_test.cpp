#include <thread>

#include "device/installer/format_text.h"
#include "device/installer/installer_log.h"
#include "device/installer/state_file.h"
#include "tests/installer/installer_test_support.h"

namespace zk::test {
namespace {

class StateFileTest : public InstallerTest {};

TEST_F(StateFileTest, ResumeRuleOverWhatTheFileHolds) {
    struct Case {
        const char* text;
        int page, resumeIndex;
    } cases[] = {
        {"2 3", 2, 4},     {"1 0", -1, 0},   {"0 7", -1, 0},      {"-1 0", -1, 0},
        {"2 0", 2, 1},     {"2 -1", 2, 0},   {" 2  3 ", 2, 4},    {"", -1, 0},
        {"2", -1, 0},      {"2 3x", -1, 0},  {"two three", -1, 0}, {"7 1", -1, 0},
        {"2 99999999999", -1, 0},            {"2 3 4", -1, 0},
    };
    for (const Case& c : cases) {
        WriteDevice("\\Windows\\Zephyrkit.dat", c.text);
        const ResumePoint point = session.stateFile.Load();
        EXPECT_EQ(point.page, c.page) << "[" << c.text << "]";
        EXPECT_EQ(point.resumeIndex, c.resumeIndex) << "[" << c.text << "]";
    }
}

TEST_F(StateFileTest, MissingOrOversizedFileIsAFreshStart) {
    ResumePoint point = session.stateFile.Load();
    EXPECT_EQ(point.page, -1);
    EXPECT_EQ(point.resumeIndex, 0);
    WriteDevice("\\Windows\\Zephyrkit.dat", "2 3" + std::string(100, ' '));
    point = session.stateFile.Load();
    EXPECT_EQ(point.page, -1);
}

TEST_F(StateFileTest, SaveWritesTheTwoNumbersAloneAndReplaces) {
    ASSERT_TRUE(session.stateFile.SaveState(2, 12345));
    ASSERT_TRUE(session.stateFile.SaveState(-1, 0));
    // "\windows" and "\Windows" are one folder.
    EXPECT_EQ(ReadFileBytes(root + "/Windows/Zephyrkit.dat"), "-1 0");
    EXPECT_TRUE(session.stateFile.Remove());
    EXPECT_FALSE(session.stateFile.Remove());
}

class LogTest : public InstallerTest {};

TEST_F(LogTest, LinesAreAppendedAcrossRunsAndFollowThePath) {
    session.log.LogLine(u"[SystemInfo] one");
    InstallerLog again(device);
    again.LogLine(u"[InstallerThread] two \u00e9");
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"[SystemInfo] one", "[InstallerThread] two \xc3\xa9"}));
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
