// SOURCE_DATE_EPOCH: which texts are a date, and which file times a build
// made at that date may see.
#include "platform/source_date_platform.h"

#include <gtest/gtest.h>

#include "tests/support/fake_desktop_platform.h"
#include "tests/support/temp_folder.h"

namespace zk {
namespace {

TEST(SourceDatePlatformTest, OnlyPlainCountsOfSecondsAreDates) {
    std::int64_t seconds = -1;
    EXPECT_TRUE(ParseSourceDateEpoch("0", &seconds));
    EXPECT_EQ(seconds, 0);
    EXPECT_TRUE(ParseSourceDateEpoch("1700000000", &seconds));
    EXPECT_EQ(seconds, 1700000000);
    EXPECT_TRUE(ParseSourceDateEpoch("253402300799", &seconds));  // the last second of 9999
    seconds = 7;
    for (const char* bad : {"", "-1", "+5", " 5", "5 ", "1e9", "0x10", "12a", "253402300800",
                            "99999999999999999999999"}) {
        EXPECT_FALSE(ParseSourceDateEpoch(bad, &seconds)) << bad;
        EXPECT_EQ(seconds, 7) << bad;
    }
}

TEST(SourceDatePlatformTest, LaterFileTimesBecomeTheDateAndEarlierOnesStay) {
    test::TempFolder folder;
    test::WriteFileBytes(folder / "f", "x");
    test::FakeDesktopPlatform real;
    FileFacts now;
    ASSERT_TRUE(real.GetFileFacts(folder / "f", &now));

    // Far before the file was written: every time is the date.
    SourceDatePlatform early(real, 1000000000);
    FileFacts facts;
    ASSERT_TRUE(early.GetFileFacts(folder / "f", &facts));
    const std::uint64_t date = FILETIME_UNIX_EPOCH + 1000000000ULL * 10000000ULL;
    EXPECT_EQ(facts.lastWriteTime, date);
    EXPECT_EQ(facts.lastAccessTime, date);
    EXPECT_LE(facts.creationTime, date);
    EXPECT_EQ(facts.size, 1u);
    EXPECT_EQ(early.CurrentUnixTime(), 1000000000);

    // After it: the times are the file's own.
    SourceDatePlatform late(real, 253402300799LL);
    ASSERT_TRUE(late.GetFileFacts(folder / "f", &facts));
    EXPECT_EQ(facts.lastWriteTime, now.lastWriteTime);
    EXPECT_FALSE(late.GetFileFacts(folder / "missing", &facts));
}

}  // namespace
}  // namespace zk
