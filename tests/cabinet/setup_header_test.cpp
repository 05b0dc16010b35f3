#include "common/cabinet/setup_header.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "common/little_endian.h"
#include "tests/cabinet/cabinet_fixture.h"

namespace zk {
namespace {

using test::SetupHeaderBytes;

using test::Range;

std::string Points(const SetupInfo& info) {
    std::string out;
    for (OsSpan s : {OS_SPAN_2002, OS_SPAN_2003, OS_SPAN_2003SE, OS_SPAN_WM5})
        out += CabinetSupportsOs(info, s) ? 'Y' : 'n';
    return out;
}

TEST(CabinetSupportsOs, VersionRangesMeetTheFourSpans) {
    struct Case {
        int minMajor, minMinor, maxMajor, maxMinor;
        const char* expected;  // 2002, 2003, 2003SE, WM 5
    } cases[] = {
        {3, 0, 4, 99, "YYYn"},
        {3, 0, 3, 0, "Ynnn"},
        {4, 21, 0, 0, "nnYY"},
        {5, 0, 5, 99, "nnnY"},
        {5, 1, 5, 99, "nnnY"},
        {0, 0, 0, 0, "YYYY"},
        // "Windows Mobile 2003 and later": minor twenty, not two.
        {4, 20, 5, 999, "nYYY"},
        {4, 2, 100, 0, "nYYY"},
        {3, 1, 3, 1, "Ynnn"},
        // Each span's edges: 4.20 is the last 2003, 4.21 the first SE.
        {0, 0, 4, 20, "YYnn"},
        {0, 0, 4, 21, "YYYn"},
        {4, 99, 0, 0, "nnYY"},
        {3, 99, 4, 0, "YYnn"},
        {0, 0, 3, 99, "Ynnn"},
        {6, 0, 0, 0, "nnnn"},
        {5, 2, 7, 99, "nnnY"},
        {0, 0, 2, 99, "nnnn"},
        // A range upside down holds nothing, even inside one span.
        {4, 30, 4, 25, "nnnn"},
        {5, 0, 3, 0, "nnnn"},
        // Negative minors sort before zero.
        {3, -1, 0, 0, "YYYY"},
        {0, 0, 6, -1, "YYYY"},
        {0, 0, 3, -1, "nnnn"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Points(Range(c.minMajor, c.minMinor, c.maxMajor, c.maxMinor)), c.expected)
            << c.minMajor << "." << c.minMinor << " to " << c.maxMajor << "." << c.maxMinor;
}

class SetupHeaderTest : public test::CabinetTest {
protected:
    bool Read(const std::string& bytes) {
        test::WriteFileBytes(folder / "h.000", bytes);
        std::unique_ptr<FileHandle> file = platform.OpenFile(folder / "h.000", FileMode::Read);
        EXPECT_TRUE(file);
        std::memset(&info, 0x5A, sizeof info);
        return file && ReadSetupHeader(*file, info);
    }
    SetupInfo info;
};

TEST_F(SetupHeaderTest, ReadsVersionsAndNames) {
    ASSERT_TRUE(Read(SetupHeaderBytes("MSCE", 4, 20, 5, 1, "Acme Viewer", "Acme Software")));
    EXPECT_STREQ(info.appName, "Acme Viewer");
    EXPECT_STREQ(info.provider, "Acme Software");
    EXPECT_EQ(info.osMinMajor, 4);
    EXPECT_EQ(info.osMinMinor, 20);
    EXPECT_EQ(info.osMaxMajor, 5);
    EXPECT_EQ(info.osMaxMinor, 1);
    // The fields are zero-filled after the text.
    EXPECT_EQ(info.appName[63], '\0');
    EXPECT_EQ(info.provider[40], '\0');
}

TEST_F(SetupHeaderTest, SignatureIsExactAndTestedAfterTheReads) {
    EXPECT_TRUE(Read(SetupHeaderBytes("CE4+", 3, 0, 0, 0, "A", "B")));
    EXPECT_FALSE(Read(SetupHeaderBytes("msce", 3, 0, 4, 99, "Lower", "Case")));
    EXPECT_STREQ(info.appName, "Lower");
    EXPECT_EQ(info.osMaxMinor, 99);
    EXPECT_FALSE(Read(SetupHeaderBytes("MSCF", 3, 0, 4, 99, "A", "B")));
    EXPECT_FALSE(Read(""));
}

TEST_F(SetupHeaderTest, ShortFileIsReadAsFarAsItGoes) {
    // 30 bytes: the signature, the lowest major and half of its minor.
    ASSERT_TRUE(Read(SetupHeaderBytes("MSCE", 4, 20, 5, 1, "A", "B").substr(0, 30)));
    EXPECT_EQ(info.osMinMajor, 4);
    EXPECT_EQ(info.osMinMinor, 20);
    EXPECT_EQ(info.osMaxMajor, 0);
    EXPECT_EQ(info.osMaxMinor, 0);
    EXPECT_STREQ(info.appName, "");
    EXPECT_STREQ(info.provider, "");
}

TEST_F(SetupHeaderTest, NameFieldsStayWithinSixtyFourBytes) {
    std::string bytes = SetupHeaderBytes("MSCE", 0, 0, 0, 0, "", "");
    bytes.resize(100);
    bytes += std::string(200, 'L') + "Tail";
    auto* h = reinterpret_cast<unsigned char*>(bytes.data());
    PutU16(h + 84, 100);
    PutU16(h + 86, 200);     // longer than the field: cut to 63 and a NUL
    PutU16(h + 88, 0x8000);  // a negative offset reads nothing
    PutU16(h + 90, 4);
    ASSERT_TRUE(Read(bytes));
    EXPECT_EQ(std::string(info.appName), std::string(63, 'L'));
    EXPECT_STREQ(info.provider, "");

    PutU16(h + 84, 300);  // runs past the end: what is there, then zeros
    PutU16(h + 86, 50);
    PutU16(h + 88, 100);
    PutU16(h + 90, 0xFFFF);  // a negative length reads nothing
    ASSERT_TRUE(Read(bytes));
    EXPECT_STREQ(info.appName, "Tail");
    EXPECT_STREQ(info.provider, "");
}

}  // namespace
}  // namespace zk
