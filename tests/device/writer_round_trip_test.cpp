// What the wizard's zip writer packs, the device's reader unpacks: the two
// sides of every installer section.
#include <filesystem>
#include <random>

#include "tests/support/native_desktop_platform.h"
#include "tests/device/zip_test_support.h"
#include "wizard/build/zip_writer.h"

namespace zk::test {
namespace {

TEST_F(ZipTest, ArchivesOfTheWizardsWriterUnpackOnTheDevice) {
    ZK_REQUIRE_HOST_TOOLS();
    std::string big;
    for (int i = 0; i < 5000; ++i) big += "cabinet bytes " + std::to_string(i * 31 % 977) + "\n";
    // Bytes that cannot shrink arrive as stored blocks in the deflate stream.
    std::mt19937 random(7);
    for (int i = 0; i < 200000; ++i) big += static_cast<char>(random());
    Source("App.cab", big);
    Source("empty.txt", "");
    Shell("touch -d @1614834366 App.cab");

    test::NativeDesktopPlatform desktop;
    ZipWriter* writer = ZipCreate(desktop, Device("Cab.zip").c_str());
    ASSERT_NE(writer, nullptr);
    ASSERT_EQ(ZipAddFile(writer, "App.cab", (src + "/App.cab").c_str()), ZIP_OK);
    ASSERT_EQ(ZipAddFile(writer, "sub\\empty.txt", (src + "/empty.txt").c_str()), ZIP_OK);
    ASSERT_EQ(ZipClose(writer), ZIP_OK);

    ZipArchive* archive = OpenArchiveFromFile(platform, u"\\Cab.zip", nullptr);
    ASSERT_NE(archive, nullptr);
    std::vector<ZipItem> items = Items(archive);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(NameOf(items[0]), "App.cab");
    EXPECT_EQ(items[0].uncompressedSize, static_cast<std::int32_t>(big.size()));
    EXPECT_LT(items[0].compressedSize, items[0].uncompressedSize);
    EXPECT_EQ(items[0].modificationTime, UnixToFileTime(1614834366));
    EXPECT_EQ(NameOf(items[1]), "sub/empty.txt");
    EXPECT_EQ(ExtractAll(archive), (std::vector<UnzipStatus>{UNZIP_OK, UNZIP_OK}));
    EXPECT_EQ(ReadFileBytes(Device("Temp/App.cab")), big);
    EXPECT_TRUE(FileExists(Device("Temp/sub/empty.txt")));
    EXPECT_EQ(CloseArchive(archive), UNZIP_OK);
}

}  // namespace
}  // namespace zk::test
