// The zip reader against archives written by other tools.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "tests/device/zip_test_support.h"

namespace zk::test {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t STAMP = 1614834366;  // 4 March 2021 05:06:06 UTC, an even second

class InfoZipTest : public ZipTest {
protected:
    void SetUp() override {
        ZK_REQUIRE_HOST_TOOLS();
        Source("rw.txt", "read and write\n");
        Source("ro.txt", "read only\n");
        Source("dir/inner.txt", "inner\n");
        Shell("chmod 0644 rw.txt && chmod 0444 ro.txt && touch -d @" + std::to_string(STAMP) +
              " rw.txt ro.txt dir/inner.txt dir");
    }
    ZipItem ItemNamed(ZipArchive* archive, std::u16string_view name) {
        std::int32_t index = -1;
        ZipItem item;
        EXPECT_EQ(FindItem(archive, name, false, &index, &item), UNZIP_OK);
        return item;
    }
};

TEST_F(InfoZipTest, UnixModesBecomeDeviceAttributes) {
    Shell("TZ=UTC zip -q -r '" + Device("u.zip") + "' rw.txt ro.txt dir");
    ZipArchive* archive = OpenArchiveFromFile(platform, u"\\U.ZIP", nullptr);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(ItemNamed(archive, u"rw.txt").attributes, DEVICE_ATTR_ARCHIVE);
    EXPECT_EQ(ItemNamed(archive, u"ro.txt").attributes, DEVICE_ATTR_ARCHIVE | DEVICE_ATTR_READONLY);
    EXPECT_EQ(ItemNamed(archive, u"dir/").attributes, DEVICE_ATTR_ARCHIVE | DEVICE_ATTR_DIRECTORY);

    EXPECT_EQ(ExtractAll(archive), std::vector<UnzipStatus>(4, UNZIP_OK));
    EXPECT_EQ(ReadFileBytes(Device("Temp/rw.txt")), "read and write\n");
    EXPECT_EQ(ReadFileBytes(Device("Temp/dir/inner.txt")), "inner\n");
    EXPECT_TRUE(fs::is_directory(Device("Temp/dir")));
    struct stat st;
    ASSERT_EQ(stat(Device("Temp/ro.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0222, 0u);
    ASSERT_EQ(stat(Device("Temp/rw.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, STAMP);
    EXPECT_EQ(CloseArchive(archive), UNZIP_OK);
}

// The central "UT" block carries the modification time alone, though its flags
// name the access time too; the other times come from the DOS fields.
TEST_F(InfoZipTest, ExtendedTimestampReplacesTheModificationTime) {
    Shell("TZ=UTC zip -q '" + Device("ut.zip") + "' rw.txt");
    ZipArchive* archive = OpenArchiveFromFile(platform, u"\\ut.zip", nullptr);
    ASSERT_NE(archive, nullptr);
    ZipItem item = ItemNamed(archive, u"rw.txt");
    EXPECT_EQ(item.modificationTime, UnixToFileTime(STAMP));
    EXPECT_EQ(item.accessTime, UnixToFileTime(STAMP) - HOUR);
    EXPECT_EQ(item.creationTime, UnixToFileTime(STAMP) - HOUR);
    CloseArchive(archive);
}

TEST_F(InfoZipTest, WithoutExtraFieldsAllTimesAreTheLocalDosTime) {
    Shell("TZ=UTC zip -q -X '" + Device("x.zip") + "' rw.txt");
    ZipArchive* archive = OpenArchiveFromFile(platform, u"\\x.zip", nullptr);
    ASSERT_NE(archive, nullptr);
    ZipItem item = ItemNamed(archive, u"rw.txt");
    EXPECT_EQ(item.modificationTime, UnixToFileTime(STAMP) - HOUR);
    EXPECT_EQ(item.accessTime, item.modificationTime);
    EXPECT_EQ(item.creationTime, item.modificationTime);
    CloseArchive(archive);
}

TEST_F(InfoZipTest, EncryptedItemNeedsTheRightPassword) {
    std::string text;
    for (int i = 0; i < 2000; ++i) text += "line " + std::to_string(i) + "\n";
    Source("secret.txt", text);
    Shell("zip -q -P right '" + Device("e.zip") + "' secret.txt && zip -q -0 -P right '" +
          Device("e0.zip") + "' secret.txt");
    for (std::u16string zip : {u"\\e.zip", u"\\e0.zip"}) {
        SCOPED_TRACE(Utf16ToUtf8(zip));
        for (const char* password : {static_cast<const char*>(nullptr), "wrong", "Right", ""}) {
            ZipArchive* archive = OpenArchiveFromFile(platform, zip, password);
            ASSERT_NE(archive, nullptr);
            EXPECT_EQ(ExtractItemToFile(archive, 0, u"\\out.txt"), UNZIP_PASSWORD);
            EXPECT_FALSE(FileExists(Device("out.txt")));
            // One wrong password in 256 passes the header's check byte; the
            // damage then shows at the end of the item, never as its data.
            char piece[100];
            UnzipStatus status = UNZIP_MORE;
            for (int pieces = 0; status == UNZIP_MORE && pieces < 1000; ++pieces)
                status = ExtractItemToMemory(archive, 0, piece, sizeof piece);
            EXPECT_EQ(status, UNZIP_PASSWORD);
            CloseArchive(archive);
        }
        ZipArchive* archive = OpenArchiveFromFile(platform, zip, "right");
        ASSERT_NE(archive, nullptr);
        EXPECT_EQ(ExtractItemToFile(archive, 0, u"\\out.txt"), UNZIP_OK);
        EXPECT_EQ(ReadFileBytes(Device("out.txt")), text);
        fs::remove(Device("out.txt"));
        CloseArchive(archive);
    }
}

TEST_F(ZipTest, PythonDosHostKeepsTheAttributeByte) {
    ZK_REQUIRE_HOST_TOOLS();
    Python("dos", "d.zip");
    ZipArchive* archive = OpenArchiveFromFile(platform, u"\\d.zip", nullptr);
    ASSERT_NE(archive, nullptr);
    std::vector<ZipItem> items = Items(archive);
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items[0].attributes, 0x20u);
    EXPECT_EQ(items[1].attributes, 0x21u);
    EXPECT_EQ(items[2].attributes, 0x22u);
    EXPECT_EQ(items[3].attributes, 0x24u);
    EXPECT_EQ(items[4].attributes, 0x10u);
    EXPECT_EQ(NameOf(items[5]), "folder/inner.txt");
    // 2 January 2020 03:04:06 local time, an hour ahead of UTC.
    EXPECT_EQ(items[0].modificationTime, UnixToFileTime(1577934246) - HOUR);
    EXPECT_EQ(items[0].uncompressedSize, 11);

    EXPECT_EQ(ExtractAll(archive), std::vector<UnzipStatus>(6, UNZIP_OK));
    EXPECT_EQ(ReadFileBytes(Device("Temp/folder/inner.txt")), "inner\n");
    std::uint32_t attributes = 0;
    ASSERT_TRUE(platform.GetAttributes(u"\\temp\\READONLY.TXT", &attributes));
    EXPECT_TRUE(attributes & DEVICE_ATTR_READONLY);
    CloseArchive(archive);
}

TEST_F(ZipTest, UnicodeNamesReachTheFileSystem) {
    ZK_REQUIRE_HOST_TOOLS();
    Python("unicode", "n.zip");
    ZipArchive* archive = OpenArchiveFromFile(platform, u"\\n.zip", nullptr);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(ExtractAll(archive), std::vector<UnzipStatus>{UNZIP_OK});
    EXPECT_EQ(ReadFileBytes(Device("Temp/Gr\u00fc\u00dfe-\U0001F600.txt")), "hello\n");
    CloseArchive(archive);
}

TEST_F(ZipTest, HostileNamesStayInsideTheExtractFolder) {
    ZK_REQUIRE_HOST_TOOLS();
    Python("hostile", "h.zip");
    ZipArchive* archive = OpenArchiveFromFile(platform, u"\\h.zip", nullptr);
    ASSERT_NE(archive, nullptr);
    std::vector<std::string> names;
    for (const ZipItem& item : Items(archive)) names.push_back(NameOf(item));
    std::vector<std::string> expected = {
        "x1.txt", "x2.txt",  "x3.txt",  "x4.txt",  "x5.txt",  "x6.txt", "x7.txt",  "x8.txt",
        "x9.txt", "x10.txt", "x11.txt", "x12.txt", "x13.txt", "",       "x14.txt", "d/"};
    EXPECT_EQ(names, expected);
    ExtractAll(archive);
    CloseArchive(archive);

    for (const auto& entry : fs::recursive_directory_iterator(work.path())) {
        std::string path = entry.path().string();
        bool allowed = path.rfind(Device("Temp"), 0) == 0 || path == Device("h.zip") ||
                       path.rfind(src, 0) == 0 || path == root;
        EXPECT_TRUE(allowed) << path;
    }
    for (int i = 1; i <= 14; ++i)
        EXPECT_TRUE(FileExists(Device("Temp/x" + std::to_string(i) + ".txt"))) << i;
}

TEST_F(ZipTest, DamagedArchivesAreRefusedOrReported) {
    ZK_REQUIRE_HOST_TOOLS();
    std::string text;
    for (int i = 0; i < 3000; ++i) text += std::to_string(i * 7919 % 10007) + "\n";
    Source("a.txt", text);
    Shell("zip -q -X '" + Device("good.zip") + "' a.txt");
    std::string good = ReadFileBytes(Device("good.zip"));

    WriteFileBytes(Device("junk.zip"), std::string(3000, 'j'));
    EXPECT_EQ(OpenArchiveFromFile(platform, u"\\junk.zip", nullptr), nullptr);
    EXPECT_EQ(MostRecentStatus(), UNZIP_NO_FILE);
    EXPECT_EQ(OpenArchiveFromFile(platform, u"\\missing.zip", nullptr), nullptr);
    EXPECT_EQ(MostRecentStatus(), UNZIP_NO_FILE);
    WriteFileBytes(Device("cut.zip"), good.substr(0, good.size() - 10));
    EXPECT_EQ(OpenArchiveFromFile(platform, u"\\cut.zip", nullptr), nullptr);
    EXPECT_EQ(MostRecentStatus(), UNZIP_NO_FILE);

    // The central directory entry no longer carries its signature.
    std::string broken = good;
    std::size_t central = broken.rfind("PK\x01\x02");
    ASSERT_NE(central, std::string::npos);
    broken[central + 2] = 'X';
    WriteFileBytes(Device("central.zip"), broken);
    // The end record is whole, so the archive opens; its one item cannot be read.
    ZipArchive* archive = OpenArchiveFromFile(platform, u"\\central.zip", nullptr);
    ASSERT_NE(archive, nullptr);
    ZipItem item;
    EXPECT_EQ(GetItem(archive, 0, &item), UNZIP_CORRUPT);
    EXPECT_EQ(ExtractItemToFile(archive, 0, u"a.txt"), UNZIP_CORRUPT);
    CloseArchive(archive);

    // Damaged data fails its inflate or its CRC.
    std::string data = good;
    data[400] = static_cast<char>(data[400] ^ 0x55);
    WriteFileBytes(Device("data.zip"), data);
    archive = OpenArchiveFromFile(platform, u"\\data.zip", nullptr);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(ExtractItemToFile(archive, 0, u"a.txt"), UNZIP_FLATE);
    CloseArchive(archive);
}

// A file whose reads fail halfway, or that cannot tell its position.
class FaultyFile : public DeviceFile {
public:
    explicit FaultyFile(bool seekable) : seekable_(seekable) {}
    std::size_t Read(void*, std::size_t) override { return 0; }
    std::size_t Write(const void*, std::size_t bytes) override { return bytes > 10 ? 10 : bytes; }
    bool Seek(std::int64_t, DeviceSeek) override { return seekable_; }
    bool Tell(std::uint64_t* at) override {
        *at = 0;
        return seekable_;
    }
    bool SetTimes(const DeviceFileTimes&) override { return true; }
    bool Close() override { return true; }

private:
    bool seekable_;
};

TEST_F(ZipTest, ArchiveInsideALargerFileOpensFromAHandle) {
    ZK_REQUIRE_HOST_TOOLS();
    Source("a.txt", std::string(30000, 'a') + "end");
    Source("b.txt", "bee\n");
    Shell("zip -q '" + Device("inner.zip") + "' a.txt b.txt");
    WriteFileBytes(Device("package.bin"),
                   std::string(10000, '\x7f') + ReadFileBytes(Device("inner.zip")));

    std::unique_ptr<DeviceFile> package = platform.OpenFile(u"\\package.bin", DeviceOpenMode::Read);
    ASSERT_TRUE(package);
    char skipped[10000];
    ASSERT_EQ(package->Read(skipped, sizeof skipped), sizeof skipped);
    ZipArchive* archive = OpenArchiveFromHandle(platform, package.get(), nullptr);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(Items(archive).size(), 2u);

    std::unique_ptr<DeviceFile> out = platform.OpenFile(u"\\out.bin", DeviceOpenMode::CreateWrite);
    ASSERT_TRUE(out);
    out->Write("HEAD", 4);
    EXPECT_EQ(ExtractItemToHandle(archive, 1, out.get()), UNZIP_OK);
    EXPECT_EQ(ExtractItemToHandle(archive, 0, out.get()), UNZIP_OK);
    out->Close();
    EXPECT_EQ(ReadFileBytes(Device("out.bin")), "HEADbee\n" + std::string(30000, 'a') + "end");

    FaultyFile shortWrites(true);
    EXPECT_EQ(ExtractItemToHandle(archive, 0, &shortWrites), UNZIP_WRITE_FAILED);
    EXPECT_EQ(CloseArchive(archive), UNZIP_OK);

    FaultyFile pipe(false);
    EXPECT_EQ(OpenArchiveFromHandle(platform, &pipe, nullptr), nullptr);
    EXPECT_EQ(MostRecentStatus(), UNZIP_SEEK_UNSEEKABLE);
}

TEST_F(ZipTest, MemoryExtractionComesInPieces) {
    ZK_REQUIRE_HOST_TOOLS();
    Python("big", "big.zip");
    std::string zip = ReadFileBytes(Device("big.zip"));
    ZipArchive* archive = OpenArchiveFromMemory(platform, zip.data(), zip.size(), nullptr);
    ASSERT_NE(archive, nullptr);
    std::string expected;
    for (int i = 0; i < 40000; ++i) expected += static_cast<char>((i * 7 + i / 251) & 0xFF);

    for (int round = 0; round < 2; ++round) {
        std::string got;
        char piece[16384];
        std::vector<UnzipStatus> results;
        for (int call = 0; call < 3; ++call) {
            results.push_back(ExtractItemToMemory(archive, 0, piece, sizeof piece));
            got.append(piece, call < 2 ? sizeof piece : 40000 - 2 * sizeof piece);
        }
        EXPECT_EQ(results, (std::vector<UnzipStatus>{UNZIP_MORE, UNZIP_MORE, UNZIP_OK}));
        EXPECT_EQ(got, expected);
    }
    // Describing an item ends a piecewise extraction: the next piece is the first.
    char piece[100];
    EXPECT_EQ(ExtractItemToMemory(archive, 0, piece, sizeof piece), UNZIP_MORE);
    ZipItem item;
    GetItem(archive, 0, &item);
    EXPECT_EQ(ExtractItemToMemory(archive, 0, piece, sizeof piece), UNZIP_MORE);
    EXPECT_EQ(std::string(piece, sizeof piece), expected.substr(0, sizeof piece));
    EXPECT_EQ(ExtractItemToMemory(archive, 1, piece, sizeof piece), UNZIP_ARGUMENTS);
    CloseArchive(archive);
}

TEST_F(ZipTest, ItemsAreCountedDescribedAndFound) {
    ZK_REQUIRE_HOST_TOOLS();
    Source("one.txt", "1");
    Source("Two.txt", "22");
    Source("three.txt", "333");
    Shell("zip -q '" + Device("three.zip") + "' one.txt Two.txt three.txt");
    ZipArchive* archive = OpenArchiveFromFile(platform, u"\\three.zip", nullptr);
    ASSERT_NE(archive, nullptr);

    ZipItem item;
    EXPECT_EQ(GetItem(archive, -1, &item), UNZIP_OK);
    EXPECT_EQ(item.index, 3);
    EXPECT_EQ(item.name[0], 0);
    EXPECT_EQ(item.uncompressedSize, 0);
    EXPECT_EQ(item.modificationTime, 0u);
    EXPECT_EQ(GetItem(archive, 3, &item), UNZIP_ARGUMENTS);
    EXPECT_EQ(MostRecentStatus(), UNZIP_ARGUMENTS);
    EXPECT_EQ(GetItem(archive, -2, &item), UNZIP_ARGUMENTS);
    EXPECT_EQ(GetItem(archive, 2, &item), UNZIP_OK);
    EXPECT_EQ(NameOf(item), "three.txt");
    EXPECT_EQ(GetItem(archive, 0, &item), UNZIP_OK);  // back to the first
    EXPECT_EQ(NameOf(item), "one.txt");

    std::int32_t index = 7;
    EXPECT_EQ(FindItem(archive, u"two.txt", false, &index, &item), UNZIP_NOT_FOUND);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(item.index, -1);
    EXPECT_EQ(item.name[0], 0);
    EXPECT_EQ(FindItem(archive, u"two.txt", true, &index, &item), UNZIP_OK);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(item.index, 1);
    EXPECT_EQ(item.uncompressedSize, 2);
    EXPECT_EQ(FindItem(archive, u"three.txt", false, &index, nullptr), UNZIP_OK);
    EXPECT_EQ(index, 2);
    EXPECT_EQ(GetItem(archive, 0, &item), UNZIP_OK);
    EXPECT_EQ(NameOf(item), "one.txt");

    // Relative targets go below the extract folder, absolute ones where they say.
    EXPECT_EQ(SetExtractFolder(archive, u"\\Deep\\er/"), UNZIP_OK);
    EXPECT_EQ(ExtractItemToFile(archive, 1, u"a\\b/two.txt"), UNZIP_OK);
    EXPECT_EQ(ReadFileBytes(Device("Deep/er/a/b/two.txt")), "22");
    EXPECT_EQ(ExtractItemToFile(archive, 2, u"\\Other\\3.txt"), UNZIP_OK);
    EXPECT_EQ(ReadFileBytes(Device("Other/3.txt")), "333");
    EXPECT_EQ(ExtractItemToFile(archive, 2, u""), UNZIP_OK);
    EXPECT_EQ(ExtractItemToFile(archive, 3, u"x"), UNZIP_ARGUMENTS);
    fs::create_directories(Device("Deep/er/busy.txt"));
    EXPECT_EQ(ExtractItemToFile(archive, 0, u"busy.txt"), UNZIP_NO_FILE);
    CloseArchive(archive);
}

// Flip each byte of a small archive in turn: every operation still ends with
// one of the reader's codes, and nothing is written outside the folder.
class DamagedByteTest : public ZipTest {
protected:
    void FlipEveryByte(const std::string& zipName, const char* password) {
        const std::string good = ReadFileBytes(Device(zipName));
        for (std::size_t at = 0; at < good.size(); ++at) {
            std::string bad = good;
            bad[at] = static_cast<char>(bad[at] ^ 0xA5);
            ZipArchive* archive = OpenArchiveFromMemory(platform, bad.data(), bad.size(), password);
            if (!archive) {
                ExpectKnown(MostRecentStatus(), at);
                continue;
            }
            SetExtractFolder(archive, u"\\Temp");
            ZipItem count;
            GetItem(archive, -1, &count);
            for (std::int32_t i = 0; i < count.index && i < 10; ++i) {
                ZipItem item;
                UnzipStatus described = GetItem(archive, i, &item);
                ExpectKnown(described, at);
                if (described == UNZIP_OK)
                    ExpectKnown(ExtractItemToFile(archive, i, TextOf16(item.name)), at);
                char piece[64];
                UnzipStatus code = UNZIP_MORE;
                for (int call = 0; call < 100 && code == UNZIP_MORE; ++call) {
                    code = ExtractItemToMemory(archive, i, piece, sizeof piece);
                    ExpectKnown(code, at);
                }
            }
            ExpectKnown(FindItem(archive, u"d/f2.bin", false, nullptr, nullptr), at);
            EXPECT_EQ(CloseArchive(archive), UNZIP_OK);
        }
        for (const auto& entry : fs::recursive_directory_iterator(work.path())) {
            std::string path = entry.path().string();
            bool allowed = path.rfind(Device("Temp"), 0) == 0 || path == Device(zipName) ||
                           path.rfind(src, 0) == 0 || path == root;
            EXPECT_TRUE(allowed) << path;
        }
    }

    void SetUp() override {
        std::string text;
        for (int i = 0; i < 40; ++i) text += "text line " + std::to_string(i) + "\n";
        Source("f1.txt", text);
        Source("d/f2.bin", std::string("\x01\x02\x03\x04", 4));
    }

private:
    void ExpectKnown(UnzipStatus code, std::size_t at) {
        static const UnzipStatus known[] = {
            UNZIP_OK,      UNZIP_NO_FILE,     UNZIP_WRITE_FAILED, UNZIP_NOT_FOUND, UNZIP_MORE,
            UNZIP_CORRUPT, UNZIP_READ_FAILED, UNZIP_PASSWORD,     UNZIP_ARGUMENTS, UNZIP_FLATE};
        EXPECT_NE(std::find(std::begin(known), std::end(known), code), std::end(known))
            << "byte " << at << " code " << std::hex << code;
    }
};

TEST_F(DamagedByteTest, PlainArchive) {
    ZK_REQUIRE_HOST_TOOLS();
    Shell("zip -q -r '" + Device("small.zip") + "' f1.txt d");
    FlipEveryByte("small.zip", nullptr);
}

TEST_F(DamagedByteTest, EncryptedArchive) {
    ZK_REQUIRE_HOST_TOOLS();
    Shell("zip -q -r -P pw '" + Device("secret.zip") + "' f1.txt d");
    FlipEveryByte("secret.zip", "pw");
}

TEST(ZipHandleTest, NullAndWrongModeHandlesAreRefused) {
    EXPECT_EQ(CloseArchive(nullptr), UNZIP_ARGUMENTS);
    EXPECT_EQ(MostRecentStatus(), UNZIP_ARGUMENTS);
    ZipItem item;
    EXPECT_EQ(GetItem(nullptr, 0, &item), UNZIP_ARGUMENTS);
    ZipArchive writing;
    writing.kind = 2;
    EXPECT_EQ(GetItem(&writing, -1, &item), UNZIP_WRONG_MODE);
    EXPECT_EQ(MostRecentStatus(), UNZIP_WRONG_MODE);
    EXPECT_EQ(SetExtractFolder(&writing, u"\\"), UNZIP_WRONG_MODE);
    EXPECT_EQ(FindItem(&writing, u"a", false, nullptr, nullptr), UNZIP_WRONG_MODE);
    EXPECT_EQ(ExtractItemToFile(&writing, 0, u"a"), UNZIP_WRONG_MODE);
    EXPECT_EQ(ExtractItemToHandle(&writing, 0, nullptr), UNZIP_WRONG_MODE);
    char buffer[4];
    EXPECT_EQ(ExtractItemToMemory(&writing, 0, buffer, 4), UNZIP_WRONG_MODE);
    EXPECT_EQ(CloseArchive(&writing), UNZIP_WRONG_MODE);
}

}  // namespace
}  // namespace zk::test
