#include "wizard/build/zip_writer.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <utime.h>

#include "platform/desktop_platform.h"
#include "tests/support/fake_desktop_platform.h"
#include "tests/support/temp_folder.h"
#include "wizard/build/dos_time.h"

namespace zk {
namespace {

using test::ReadFileBytes;
using test::ReadU16;
using test::ReadU32;
using test::TempFolder;
using test::WriteFileBytes;

// What Python's zipfile reads from an archive, as key=value pairs.
std::map<std::string, std::string> ZipFields(const std::string& archive) {
    std::string out;
    const int rc = test::RunCommand(std::string(ZK_PYTHON) + " " + ZK_SOURCE_DIR +
                                        "/tests/build/zip_fields.py '" + archive + "'",
                                    &out);
    EXPECT_EQ(rc, 0) << out;
    std::map<std::string, std::string> fields;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        const auto eq = line.find('=');
        if (eq != std::string::npos) fields[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return fields;
}

bool UnzipTests(const std::string& archive) {
    std::string out;
    return test::RunCommand("unzip -tqq '" + archive + "' 2>&1", &out) == 0 && out.empty();
}

void SetMtime(const std::string& path, std::int64_t unixSeconds) {
    struct utimbuf times;
    times.actime = static_cast<time_t>(unixSeconds);
    times.modtime = static_cast<time_t>(unixSeconds);
    utime(path.c_str(), &times);
}

std::string Hex32(std::uint32_t v) {
    char buffer[16];
    snprintf(buffer, sizeof buffer, "%02x%02x%02x%02x", v & 0xFF, v >> 8 & 0xFF, v >> 16 & 0xFF,
             v >> 24);
    return buffer;
}

class ZipWriterTest : public ::testing::Test {
protected:
    std::uint32_t Pack(const std::string& archive, const std::string& member,
                       const std::string& source) {
        ZipWriter* w = ZipCreate(platform, archive.c_str());
        EXPECT_NE(w, nullptr);
        std::uint32_t add = ZipAddFile(w, member.c_str(), source.c_str());
        EXPECT_EQ(ZipClose(w), ZIP_OK);
        return add;
    }

    TempFolder folder;
    test::FakeDesktopPlatform platform;
};

TEST_F(ZipWriterTest, OneSmallMemberHasTheDocumentedLayout) {
    ZK_REQUIRE_HOST_TOOLS();
    WriteFileBytes(folder / "a.txt", "abc");
    SetMtime(folder / "a.txt", 1796651539);  // 2026-12-07 13:52:19 UTC
    ASSERT_EQ(Pack(folder / "a.zip", "a.txt", folder / "a.txt"), ZIP_OK);
    const std::string zip = ReadFileBytes(folder / "a.zip");

    EXPECT_EQ(ReadU32(zip, 0), 0x04034B50u);
    EXPECT_EQ(ReadU16(zip, 6), 0x0002);
    EXPECT_EQ(ReadU16(zip, 8), 8);
    EXPECT_EQ(ReadU32(zip, 14), 0x352441C2u);
    EXPECT_EQ(ReadU32(zip, 22), 3u);
    const std::uint32_t compressed = ReadU32(zip, 18);
    const std::size_t central = 30 + 5 + 17 + compressed;
    EXPECT_EQ(ReadU32(zip, central), 0x02014B50u);
    const std::size_t end = central + 46 + 5 + 9;
    EXPECT_EQ(ReadU32(zip, end), 0x06054B50u);
    EXPECT_EQ(ReadU16(zip, end + 8), 1);
    EXPECT_EQ(ReadU16(zip, end + 10), 1);
    EXPECT_EQ(ReadU32(zip, end + 12), 46u + 5 + 9);
    EXPECT_EQ(ReadU32(zip, end + 16), central);
    EXPECT_EQ(zip.size(), end + 22);
    EXPECT_EQ(ReadU16(zip, 10), 13 * 2048 + 52 * 32 + 9);

    // The same facts through independent readers.
    EXPECT_TRUE(UnzipTests(folder / "a.zip"));
    auto f = ZipFields(folder / "a.zip");
    EXPECT_EQ(f["count"], "1");
    EXPECT_EQ(f["m0.flags"], "0x0002");
    EXPECT_EQ(f["m0.local_flags"], "0x0002");
    EXPECT_EQ(f["m0.method"], "8");
    EXPECT_EQ(f["m0.made_by"], "0x0b17");
    EXPECT_EQ(f["m0.needed"], "20");
    EXPECT_EQ(f["m0.crc"], "0x352441c2");
    EXPECT_EQ(f["m0.external"], "0x81800020");
    EXPECT_EQ(f["m0.date_time"], "2026-12-7-13-52-18");
    EXPECT_EQ(f["m0.central_extra"], "5554050007" + Hex32(1796651539));
    EXPECT_EQ(f["m0.local_extra"].substr(0, 18), "55540d0007" + Hex32(1796651539));
    EXPECT_EQ(f["m0.local_extra"].size(), 34u);
}

TEST_F(ZipWriterTest, CompressedSuffixesAreStoredWhateverTheirCase) {
    ZK_REQUIRE_HOST_TOOLS();
    std::string payload(5000, 'q');
    WriteFileBytes(folder / "src", payload);
    for (const char* name :
         {"DATA.ZIP", "x.Z", "a.tgz", "b.GZ", "c.arj", "d.lzh", "e.zoo", "f.arc"}) {
        ASSERT_EQ(Pack(folder / "s.zip", name, folder / "src"), ZIP_OK) << name;
        auto f = ZipFields(folder / "s.zip");
        EXPECT_EQ(f["m0.method"], "0") << name;
        EXPECT_EQ(f["m0.flags"], "0x0000") << name;
        EXPECT_EQ(f["m0.compressed"], "5000") << name;
        const std::string zip = ReadFileBytes(folder / "s.zip");
        EXPECT_EQ(zip.substr(30 + std::string(name).size() + 17, 5000), payload) << name;
    }
    for (const char* name : {"noext", "x.zipx", "a.cab", "zip"}) {
        ASSERT_EQ(Pack(folder / "d.zip", name, folder / "src"), ZIP_OK);
        EXPECT_EQ(ZipFields(folder / "d.zip")["m0.method"], "8") << name;
    }
}

TEST_F(ZipWriterTest, NamesAreStoredAsTheDeviceReadsThem) {
    ZK_REQUIRE_HOST_TOOLS();
    WriteFileBytes(folder / "x.bin", "x");
    ASSERT_EQ(Pack(folder / "n.zip", "sub\\x.bin", folder / "x.bin"), ZIP_OK);
    auto f = ZipFields(folder / "n.zip");
    EXPECT_EQ(f["m0.name"], "sub/x.bin");
    EXPECT_EQ(f["m0.flags"], "0x0002") << "an ASCII name sets no name flag";

    // The desktop names member and source in code page 1252; the file on
    // disk and the name in the archive are UTF-8.
    WriteFileBytes(folder / "Caf\xC3\xA9 source.bin", "payload");
    ASSERT_EQ(Pack(folder / "u.zip", "Caf\xE9.cab", folder / "Caf\xE9 source.bin"), ZIP_OK);
    f = ZipFields(folder / "u.zip");
    EXPECT_EQ(f["m0.name"], "Caf\xC3\xA9.cab");
    EXPECT_EQ(f["m0.flags"], "0x0802");
    EXPECT_EQ(f["m0.local_flags"], "0x0802");
    EXPECT_EQ(f["m0.data_ok"], "1");
    EXPECT_TRUE(UnzipTests(folder / "u.zip"));
}

TEST_F(ZipWriterTest, AMissingSourceFailsOnlyThatAdd) {
    ZK_REQUIRE_HOST_TOOLS();
    WriteFileBytes(folder / "b.txt", "second");
    ZipWriter* w = ZipCreate(platform, (folder / "m.zip").c_str());
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(ZipAddFile(w, "a.txt", (folder / "missing").c_str()), ZIP_ERR_OPEN);
    EXPECT_EQ(ZipAddFile(w, "", (folder / "b.txt").c_str()), ZIP_ERR_ARGUMENTS);
    EXPECT_EQ(ZipAddFile(w, "b.txt", (folder / "b.txt").c_str()), ZIP_OK);
    EXPECT_EQ(ZipClose(w), ZIP_OK);
    EXPECT_TRUE(UnzipTests(folder / "m.zip"));
    auto f = ZipFields(folder / "m.zip");
    EXPECT_EQ(f["count"], "1");
    EXPECT_EQ(f["m0.name"], "b.txt");
    EXPECT_EQ(f["m0.offset"], "0");

    ZipWriter* empty = ZipCreate(platform, (folder / "e.zip").c_str());
    EXPECT_EQ(ZipAddFile(empty, "a", (folder / "missing").c_str()), ZIP_ERR_OPEN);
    EXPECT_EQ(ZipClose(empty), ZIP_OK);
    const std::string zip = ReadFileBytes(folder / "e.zip");
    ASSERT_EQ(zip.size(), 22u);
    EXPECT_EQ(ReadU32(zip, 0), 0x06054B50u);
    EXPECT_EQ(ReadU16(zip, 8), 0);

    EXPECT_EQ(ZipCreate(platform, (folder / "no/dir/x.zip").c_str()), nullptr);
    EXPECT_EQ(ZipAddFile(nullptr, "a", "b"), ZIP_ERR_ARGUMENTS);
    EXPECT_EQ(ZipClose(nullptr), ZIP_ERR_ARGUMENTS);
}

TEST_F(ZipWriterTest, EmptySourceGivesAnEmptyDeflateStream) {
    ZK_REQUIRE_HOST_TOOLS();
    WriteFileBytes(folder / "empty", "");
    ASSERT_EQ(Pack(folder / "z.zip", "empty", folder / "empty"), ZIP_OK);
    auto f = ZipFields(folder / "z.zip");
    EXPECT_EQ(f["m0.size"], "0");
    EXPECT_EQ(f["m0.crc"], "0x00000000");
    EXPECT_EQ(f["m0.compressed"], "2");  // 03 00: one final empty fixed block
    EXPECT_TRUE(UnzipTests(folder / "z.zip"));
}

TEST_F(ZipWriterTest, ManyMembersAndLargeDataRoundTrip) {
    ZK_REQUIRE_HOST_TOOLS();
    std::string big;
    for (int i = 0; i < 300000; ++i) big += static_cast<char>((i * 131) ^ (i >> 7));
    WriteFileBytes(folder / "big", big);
    WriteFileBytes(folder / "small", "tiny");
    ZipWriter* w = ZipCreate(platform, (folder / "many.zip").c_str());
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(ZipAddFile(w, ("m" + std::to_string(i)).c_str(),
                             (folder / (i % 2 ? "small" : "big")).c_str()),
                  ZIP_OK);
    ASSERT_EQ(ZipClose(w), ZIP_OK);
    EXPECT_TRUE(UnzipTests(folder / "many.zip"));
    std::string out;
    ASSERT_EQ(test::RunCommand("unzip -p '" + (folder / "many.zip") + "' m2", &out), 0);
    EXPECT_EQ(out, big);
}

TEST_F(ZipWriterTest, AnArchiveInsideAnotherFileIsTheArchiveOnItsOwn) {
    ZK_REQUIRE_HOST_TOOLS();
    // Pieces of 128 KiB: this member spans several, the last one short, and
    // ends in noise, which goes in as stored blocks.
    std::string big;
    for (int i = 0; i < 700000; ++i) big += static_cast<char>((i % 251) ^ (i >> 11) * 7);
    std::mt19937 random(5);
    for (int i = 0; i < 300000; ++i) big += static_cast<char>(random());
    WriteFileBytes(folder / "big", big);
    WriteFileBytes(folder / "small", "tiny");
    // Read once first: the first read moves the access time the archives
    // record, and could move it into another second.
    ReadFileBytes(folder / "big");
    ReadFileBytes(folder / "small");
    ZipWriter* alone = ZipCreate(platform, (folder / "alone.zip").c_str());
    ZipSetDeflateThreads(alone, 1);
    ASSERT_EQ(ZipAddFile(alone, "small", (folder / "small").c_str()), ZIP_OK);
    ASSERT_EQ(ZipAddFile(alone, "big", (folder / "big").c_str()), ZIP_OK);
    ASSERT_EQ(ZipClose(alone), ZIP_OK);
    const std::string expected = ReadFileBytes(folder / "alone.zip");
    EXPECT_TRUE(UnzipTests(folder / "alone.zip"));
    EXPECT_EQ(ZipFields(folder / "alone.zip")["m1.data_ok"], "1");

    for (int threads : {2, 8}) {
        const std::string prefix = "a stub before the archive, " + std::to_string(threads);
        WriteFileBytes(folder / "outer", prefix);
        std::unique_ptr<FileHandle> outer =
            platform.OpenFile(folder / "outer", FileMode::AppendWrite);
        ASSERT_TRUE(outer);
        ZipWriter* inner = ZipCreateOn(platform, *outer);
        ZipSetDeflateThreads(inner, threads);
        ASSERT_EQ(ZipAddFile(inner, "small", (folder / "small").c_str()), ZIP_OK);
        ASSERT_EQ(ZipAddFile(inner, "big", (folder / "big").c_str()), ZIP_OK);
        ASSERT_EQ(ZipClose(inner), ZIP_OK);
        EXPECT_EQ(outer->Tell(), prefix.size() + expected.size()) << "left at the archive's end";
        ASSERT_EQ(outer->Write("!", 1), 1u) << "the file stays open for the caller";
        ASSERT_TRUE(outer->Close());
        EXPECT_EQ(ReadFileBytes(folder / "outer"), prefix + expected + "!") << threads;
    }
}

TEST_F(ZipWriterTest, AttributesFollowTheSourceFile) {
    ZK_REQUIRE_HOST_TOOLS();
    // A program: MZ, and at the offset stored at 60 the PE signature.
    std::string pe(200, '\0');
    pe[0] = 'M';
    pe[1] = 'Z';
    pe[60] = static_cast<char>(128);
    pe.replace(128, 4, std::string("PE\0\0", 4));
    WriteFileBytes(folder / "prog.exe", pe);
    ASSERT_EQ(Pack(folder / "p.zip", "prog.exe", folder / "prog.exe"), ZIP_OK);
    EXPECT_EQ(ZipFields(folder / "p.zip")["m0.external"], "0x81c00020");

    // The header pointer must leave room for the header: h + 52 < size.
    pe[60] = static_cast<char>(148);
    pe.replace(148, 4, std::string("PE\0\0", 4));
    WriteFileBytes(folder / "short.exe", pe);
    ASSERT_EQ(Pack(folder / "q.zip", "short.exe", folder / "short.exe"), ZIP_OK);
    EXPECT_EQ(ZipFields(folder / "q.zip")["m0.external"], "0x81800020");

    WriteFileBytes(folder / "ro.txt", "read only");
    chmod((folder / "ro.txt").c_str(), 0444);
    ASSERT_EQ(Pack(folder / "r.zip", "ro.txt", folder / "ro.txt"), ZIP_OK);
    EXPECT_EQ(ZipFields(folder / "r.zip")["m0.external"], "0x81000021");
}

TEST_F(ZipWriterTest, AFailedWriteIsReported) {
    std::string data(100000, 'x');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 2654435761u >> 13);
    WriteFileBytes(folder / "src", data);
    platform.failWritesTo = "full.zip";
    platform.failWriteAfterBytes = 40;
    ZipWriter* w = ZipCreate(platform, (folder / "full.zip").c_str());
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(ZipAddFile(w, "src", (folder / "src").c_str()), ZIP_ERR_WRITE);
    EXPECT_EQ(ZipClose(w), ZIP_ERR_WRITE);

    platform.failWritesTo.clear();
    w = ZipCreate(platform, (folder / "good.zip").c_str());
    ASSERT_EQ(ZipAddFile(w, "src", (folder / "src").c_str()), ZIP_OK);
    ASSERT_EQ(ZipClose(w), ZIP_OK);
    platform.failWritesTo = "full.zip";
    platform.failWriteAfterBytes = test::FileSize(folder / "good.zip") - 10;
    w = ZipCreate(platform, (folder / "full.zip").c_str());
    EXPECT_EQ(ZipAddFile(w, "src", (folder / "src").c_str()), ZIP_OK);
    EXPECT_EQ(ZipClose(w), ZIP_ERR_WRITE) << "the central directory did not fit";
}

TEST_F(ZipWriterTest, ASourceThatCannotBeReadWholeIsLeftOut) {
    ZK_REQUIRE_HOST_TOOLS();
    std::string data(700000, 'x');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 2654435761u >> 15);
    WriteFileBytes(folder / "flaky.cab", data);
    WriteFileBytes(folder / "ok", "fine");
    platform.failReadsFrom = ".cab";
    // Cut in the first piece, in a later piece, in a short stored source.
    for (std::uint64_t after : {std::uint64_t{1000}, std::uint64_t{400000}}) {
        platform.failReadAfterBytes = after;
        ZipWriter* w = ZipCreate(platform, (folder / "r.zip").c_str());
        EXPECT_EQ(ZipAddFile(w, "flaky.cab", (folder / "flaky.cab").c_str()), ZIP_ERR_READ)
            << after;
        EXPECT_EQ(ZipAddFile(w, "stored.zip", (folder / "flaky.cab").c_str()), ZIP_ERR_READ)
            << after;
        EXPECT_EQ(ZipAddFile(w, "ok", (folder / "ok").c_str()), ZIP_OK)
            << "the writer stays usable";
        ASSERT_EQ(ZipClose(w), ZIP_OK);
        EXPECT_TRUE(UnzipTests(folder / "r.zip"));
        auto f = ZipFields(folder / "r.zip");
        EXPECT_EQ(f["count"], "1");
        EXPECT_EQ(f["m0.name"], "ok");
    }
}

TEST_F(ZipWriterTest, RefusesASourceTheSizeFieldsCannotDescribe) {
    ZK_REQUIRE_HOST_TOOLS();
    // A sparse file: 4 GiB on paper, no blocks on disk.
    const std::string huge = folder / "huge.cab";
    ASSERT_EQ(test::RunCommand("truncate -s 4G '" + huge + "'"), 0);
    ZipWriter* w = ZipCreate(platform, (folder / "h.zip").c_str());
    EXPECT_EQ(ZipAddFile(w, "huge.cab", huge.c_str()), ZIP_ERR_WRITE);
    WriteFileBytes(folder / "ok", "fine");
    EXPECT_EQ(ZipAddFile(w, "ok", (folder / "ok").c_str()), ZIP_OK) << "the writer stays usable";
    EXPECT_EQ(ZipClose(w), ZIP_OK);
    EXPECT_EQ(ZipFields(folder / "h.zip")["count"], "1");
}

TEST(DosTimeTest, CalendarFieldsInUtc) {
    CalendarTime t = UtcCalendarTime(951782400);  // 2000-02-29 00:00:00
    EXPECT_EQ(t.year, 2000);
    EXPECT_EQ(t.month, 2);
    EXPECT_EQ(t.day, 29);
    t = UtcCalendarTime(1796601599);  // 2026-12-06 23:59:59
    EXPECT_EQ(t.day, 6);
    EXPECT_EQ(t.hour, 23);
    EXPECT_EQ(t.second, 59);
    EXPECT_EQ(DosDate(t), (2026 - 1980) * 512 + 12 * 32 + 6);
    EXPECT_EQ(DosTime(t), 23 * 2048 + 59 * 32 + 29);
    EXPECT_EQ(DosDate(UtcCalendarTime(0)), (0 << 9) | (1 << 5) | 1) << "before 1980";
    EXPECT_EQ(FiletimeToUnixSeconds(116444736000000000ULL - 1), -1);
}

}  // namespace
}  // namespace zk
