// The pieces of the zip reader that need no archive: names, times, messages,
// byte sources.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "common/utf16_text.h"
#include "device/unzip/byte_source.h"
#include "device/unzip/item_facts.h"
#include "device/unzip/item_name.h"
#include "device/unzip/unzip_status.h"
#include "device/unzip/zip_archive.h"

namespace zk {
namespace {

std::string Safe(const std::u16string& stored) { return Utf16ToUtf8(SafeItemName(stored)); }

TEST(SafeItemNameTest, DrivesLeadingSeparatorsAndClimbsAreCut) {
    EXPECT_EQ(Safe(u"../../x.txt"), "x.txt");
    EXPECT_EQ(Safe(u"\\x.txt"), "x.txt");
    EXPECT_EQ(Safe(u"C:x.txt"), "x.txt");
    EXPECT_EQ(Safe(u"C:\\a\\..\\b.txt"), "b.txt");
    EXPECT_EQ(Safe(u"dir/sub/file.txt"), "dir/sub/file.txt");
    EXPECT_EQ(Safe(u"dir\\"), "dir\\");
    EXPECT_EQ(Safe(u"a..b/c.d..txt"), "a..b/c.d..txt");
}

TEST(SafeItemNameTest, RemainingDotLevelsAreDropped) {
    EXPECT_EQ(Safe(u"../x.txt"), "x.txt");
    EXPECT_EQ(Safe(u"a/../../x.txt"), "x.txt");
    EXPECT_EQ(Safe(u"..\\x"), "x");
    EXPECT_EQ(Safe(u"a/./b/c"), "a/b/c");
    EXPECT_EQ(Safe(u"./\\x"), "x");
    EXPECT_EQ(Safe(u".\\C:x"), "x");
    EXPECT_EQ(Safe(u"a/.. /b"), "a/b");
    EXPECT_EQ(Safe(u"a/.."), "a/");
    EXPECT_EQ(Safe(u".."), "");
    EXPECT_EQ(Safe(u"./."), "");
}

std::uint64_t Ft(std::int64_t unixSeconds) {
    return static_cast<std::uint64_t>(unixSeconds) * DEVICE_FILETIME_PER_SECOND +
           DEVICE_FILETIME_UNIX_EPOCH;
}

TEST(ItemFactsTest, DosDateAndTimeBecomeAFileTime) {
    // 2020-01-02 03:04:06: date (40 << 9 | 1 << 5 | 2), time (3 << 11 | 4 << 5 | 3)
    std::uint32_t dos = (40u << 9 | 1u << 5 | 2u) << 16 | (3u << 11 | 4u << 5 | 3u);
    EXPECT_EQ(DosDateTimeToFileTime(dos), Ft(1577934246));
    EXPECT_EQ(DosDateTimeToFileTime((0u << 9 | 1u << 5 | 1u) << 16), Ft(315532800));  // 1980-01-01
    EXPECT_EQ(DosDateTimeToFileTime(0), Ft(315532800));  // month and day 0 clamp to 1
}

TEST(ItemFactsTest, AttributesFollowTheMakingHost) {
    EXPECT_EQ(ItemAttributes(0x0014, 0x27), 0x27u);
    EXPECT_EQ(ItemAttributes(0x0B14, 0xFF), 0x37u);
    EXPECT_EQ(ItemAttributes(0x0314, 0x81A40000), 0x20u);  // -rw-r--r--
    EXPECT_EQ(ItemAttributes(0x0314, 0x81240000), 0x21u);  // -r--r--r--
    EXPECT_EQ(ItemAttributes(0x0314, 0x41ED0010), 0x30u);  // drwxr-xr-x
    EXPECT_EQ(ItemAttributes(0x1314, 0x00000001), 0x21u);  // another host, no mode
}

TEST(ItemFactsTest, ExtendedTimestampsAreReadInsideTheirBlock) {
    const std::uint64_t dos = 42;
    auto apply = [&](const std::string& extra) {
        DeviceFileTimes t{dos, dos, dos};
        ApplyExtendedTimestamps(reinterpret_cast<const unsigned char*>(extra.data()), extra.size(),
                                &t);
        return t;
    };
    std::string one("\x10\x32\x54\x76", 4);  // 0x76543210
    std::string two("\x01\x00\x00\x00", 4);
    std::string three("\x02\x00\x00\x00", 4);
    // Another block first, then a "UT" block with all three times.
    DeviceFileTimes t = apply(std::string("XY\x02\x00zz", 6) + std::string("UT\x0D\x00\x07", 5) +
                              one + two + three);
    EXPECT_EQ(t.modification, Ft(0x76543210));
    EXPECT_EQ(t.access, Ft(1));
    EXPECT_EQ(t.creation, Ft(2));
    // The central copy: flags name two times, the block holds one.
    t = apply(std::string("UT\x05\x00\x03", 5) + one);
    EXPECT_EQ(t.modification, Ft(0x76543210));
    EXPECT_EQ(t.access, dos);
    // Access alone.
    t = apply(std::string("UT\x05\x00\x02", 5) + one);
    EXPECT_EQ(t.modification, dos);
    EXPECT_EQ(t.access, Ft(0x76543210));
    // A block that claims more than the field holds, and a field of 4 bytes.
    t = apply(std::string("UT\x40\x00\x01", 5) + std::string("\x01\x02", 2));
    EXPECT_EQ(t.modification, dos);
    t = apply(std::string("UT\x00\x00", 4));
    EXPECT_EQ(t.modification, dos);
    // A lying size steps past the end.
    t = apply(std::string("XY\xff\xff", 4) + std::string("UT\x05\x00\x01", 5) + one);
    EXPECT_EQ(t.modification, dos);
}

std::string Describe(UnzipStatus code, std::size_t units, int* length) {
    char16_t buffer[100];
    std::memset(buffer, 0xAB, sizeof buffer);
    *length = DescribeStatus(code, buffer, units);
    return Utf16ToUtf8(TextOf16(buffer, units));
}

TEST(DescribeStatusTest, EveryCodeHasItsMessage) {
    const std::pair<UnzipStatus, const char*> table[] = {
        {0x00000000, "Success"},
        {0x00000100, "Culdn't duplicate handle"},
        {0x00000200, "Couldn't create/open file"},
        {0x00000300, "Failed to allocate memory"},
        {0x00000400, "Error writing to file"},
        {0x00000500, "File not found in the zipfile"},
        {0x00000600, "Still more data to unzip"},
        {0x00000700, "Zipfile is corrupt or not a zipfile"},
        {0x00000800, "Error reading file"},
        {0x00001000, "Correct password required"},
        {0x00010000, "Caller: faulty arguments"},
        {0x00020000, "Caller: can only get memory of a memory zipfile"},
        {0x00030000, "Caller: not enough space allocated for memory zipfile"},
        {0x00040000, "Caller: there was a previous error"},
        {0x00050000, "Caller: additions to the zip have already been ended"},
        {0x00060000, "Zip-bug: the anticipated size turned out wrong"},
        {0x00070000, "Caller: the file had already been partially unzipped"},
        {0x00080000, "Caller: mixing creation and opening of zip"},
        {0x01000000, "Zip-bug: internal initialisation not completed"},
        {0x02000000, "Zip-bug: trying to seek the unseekable"},
        {0x04000000, "Zip-bug: tried to change mind, but not allowed"},
        {0x05000000, "Zip-bug: an internal error during flation"},
        {0x00000900, "unknown zip result code"},
        {-1, "unknown zip result code"},
    };
    for (const auto& [code, message] : table) {
        int length = 0;
        EXPECT_EQ(Describe(code, 100, &length), message) << std::hex << code;
        EXPECT_EQ(length, static_cast<int>(std::strlen(message)));
    }
}

TEST(DescribeStatusTest, CutsToTheBufferAndDescribesTheMostRecentResult) {
    int length = 0;
    EXPECT_EQ(Describe(UNZIP_CORRUPT, 10, &length), "Zipfile i");
    EXPECT_EQ(length, 35);
    EXPECT_EQ(DescribeStatus(UNZIP_CORRUPT, nullptr, 10), 35);
    char16_t untouched[1] = {u'Q'};
    EXPECT_EQ(DescribeStatus(UNZIP_OK, untouched, 0), 7);
    EXPECT_EQ(untouched[0], u'Q');

    EXPECT_EQ(CloseArchive(nullptr), UNZIP_ARGUMENTS);
    EXPECT_EQ(Describe(UNZIP_MOST_RECENT, 100, &length), "Caller: faulty arguments");
}

TEST(ByteSourceTest, MemorySourceStaysInsideItsBlock) {
    MemorySource source("abcdef", 6);
    char out[8] = {};
    EXPECT_EQ(source.Read(out, 4), 4u);
    EXPECT_EQ(source.Read(out, 4), 2u);
    EXPECT_TRUE(source.Seek(-2, DeviceSeek::End));
    EXPECT_EQ(source.Tell(), 4u);
    EXPECT_TRUE(source.Seek(-1, DeviceSeek::Current));
    EXPECT_EQ(source.Read(out, 8), 3u);
    EXPECT_EQ(std::string(out, 3), "def");
    EXPECT_FALSE(source.Seek(7, DeviceSeek::Start));
    EXPECT_FALSE(source.Seek(-7, DeviceSeek::End));
    EXPECT_EQ(source.Tell(), 6u);
}

}  // namespace
}  // namespace zk
