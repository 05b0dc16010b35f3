#include "common/cabinet/setup_files.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/little_endian.h"
#include "tests/cabinet/cabinet_fixture.h"

namespace zk {
namespace {

using test::FileExists;
using test::ReadFileBytes;

class SetupFilesTest : public test::CabinetTest {
protected:
    void ExpectAgreesWithCabextract(const std::string& cab) {
        test::ExpectSameSelectionAsCabextract(folder, cab, SetupFilePathsOf(platform));
    }
};

TEST_F(SetupFilesTest, SelectsByTheLastFourCharactersInAnyCase) {
    ZK_REQUIRE_HOST_TOOLS();
    const std::string cab =
        test::MakeGcab(folder, "case.cab",
                       {
                           {"SETUP.000", test::SetupHeaderBytes("MSCE", 4, 0, 5, 0, "App", "Co")},
                           {"data.000.bak", "not a header"},
                           {"readme.xmlx", "not xml"},
                           {"_SETUP.XML", "<doc/>"},
                           {"lib.dll", std::string(70000, 'd')},
                       },
                       true);
    ASSERT_TRUE(ExtractSetupFiles(platform, cab));
    ExpectAgreesWithCabextract(cab);
    EXPECT_EQ(ReadFileBytes(XmlPath()), "<doc/>");

    EXPECT_EQ(SelectSetupMember("a\\b\\setup.xml"), SetupMember::Xml);
    EXPECT_EQ(SelectSetupMember("X.0000"), SetupMember::None);
    EXPECT_EQ(SelectSetupMember(".000"), SetupMember::Header);
    EXPECT_EQ(SelectSetupMember("000"), SetupMember::None);
}

TEST_F(SetupFilesTest, FolderPartsAndTheLastOfOneSuffixWin) {
    ZK_REQUIRE_HOST_TOOLS();
    const std::string cab = test::MakeGcab(folder, "folders.cab",
                                           {
                                               {"first.000", "first header"},
                                               {"a/b/setup.xml", "<nested/>"},
                                               {"second.000", "second"},
                                           });
    ASSERT_TRUE(ExtractSetupFiles(platform, cab));
    ExpectAgreesWithCabextract(cab);
    EXPECT_EQ(ReadFileBytes(HeaderPath()), "second");
    EXPECT_EQ(ReadFileBytes(XmlPath()), "<nested/>");
}

TEST_F(SetupFilesTest, FixtureCabinetsWithPayloadsAroundTheMembers) {
    ZK_REQUIRE_HOST_TOOLS();
    const std::string cab =
        test::MakeCeCab(folder, "tool.cab",
                        {"--app-name", "Viewer", "--provider", "Acme", "--os-min", "4.20", "--xml",
                         "--payload", "big.bin:300000", "--compress"});
    ASSERT_TRUE(ExtractSetupFiles(platform, cab));
    ExpectAgreesWithCabextract(cab);
}

TEST_F(SetupFilesTest, CabinetWithoutSetupMembersWritesNothing) {
    ZK_REQUIRE_HOST_TOOLS();
    const std::string cab =
        test::MakeCeCab(folder, "bare.cab", {"--no-header", "--payload", "x.dll:10"});
    EXPECT_TRUE(ExtractSetupFiles(platform, cab));
    EXPECT_FALSE(FileExists(HeaderPath()));
    EXPECT_FALSE(FileExists(XmlPath()));
}

TEST_F(SetupFilesTest, ShorterMemberReplacesAnOlderTemporaryFile) {
    ZK_REQUIRE_HOST_TOOLS();
    test::WriteFileBytes(HeaderPath(), std::string(5000, 'o'));
    const std::string cab = test::MakeGcab(folder, "short.cab", {{"s.000", "MSCE tiny"}});
    ASSERT_TRUE(ExtractSetupFiles(platform, cab));
    EXPECT_EQ(ReadFileBytes(HeaderPath()), "MSCE tiny");
}

TEST_F(SetupFilesTest, FilesThatAreNotSoundCabinetsAreRefused) {
    ZK_REQUIRE_HOST_TOOLS();
    test::WriteFileBytes(folder / "text.cab", "just some text, long enough to look at\n");
    ASSERT_EQ(test::RunCommand("cd '" + folder.path() +
                               "' && echo hi > a.000 && "
                               "zip -q zip.cab a.000"),
              0);
    const std::string good =
        test::MakeCeCab(folder, "good.cab", {"--xml", "--compress", "--payload", "p.bin:90000"});
    const std::string bytes = ReadFileBytes(good);
    test::WriteFileBytes(folder / "cut.cab", bytes.substr(0, bytes.size() / 2));
    std::string damaged = bytes;
    for (std::size_t i = bytes.size() - 400; i < bytes.size() - 100; ++i) damaged[i] ^= 0x55;
    test::WriteFileBytes(folder / "damaged.cab", damaged);

    for (const char* name : {"text.cab", "zip.cab", "missing.cab", "cut.cab", "damaged.cab"})
        EXPECT_FALSE(ExtractSetupFiles(platform, folder / name)) << name;
    EXPECT_FALSE(ExtractSetupFiles(platform, folder.path()));
}

TEST_F(SetupFilesTest, TemporaryFileThatCannotBeCreatedFails) {
    ZK_REQUIRE_HOST_TOOLS();
    const std::string cab = test::MakeCeCab(folder, "ok.cab", {});
    platform.temporaryFolder = folder / "no-such-folder";
    EXPECT_FALSE(ExtractSetupFiles(platform, cab));
    platform.temporaryFolder = folder / "tmp";
    platform.failWritesTo = "info.dat";
    EXPECT_FALSE(ExtractSetupFiles(platform, cab));
}

// One middle part of a cabinet set, stored without compression: folder 0
// begins in the previous part, folder 2 runs on into the next.
std::string MiddlePartOfASet(const std::string& header) {
    auto u16 = [](std::string& s, unsigned v) {
        s += static_cast<char>(v & 0xFF);
        s += static_cast<char>(v >> 8 & 0xFF);
    };
    auto u32 = [&](std::string& s, unsigned v) {
        u16(s, v & 0xFFFF);
        u16(s, v >> 16);
    };
    const std::string names = std::string("part1.cab\0disk1\0part3.cab\0disk3\0", 32);
    struct File {
        const char* name;
        unsigned length, offset, folder;
    };
    const File files[] = {{"OLD.000", 20, 0, 0xFFFD},
                          {"GOOD.000", static_cast<unsigned>(header.size()), 0, 1},
                          {"NEXT.XML", 100000, 0, 0xFFFE}};
    std::string table;
    for (const File& f : files) {
        u32(table, f.length);
        u32(table, f.offset);
        u16(table, f.folder);
        u16(table, 0x5A21);
        u16(table, 0);
        u16(table, 0x20);
        table += std::string(f.name) + '\0';
    }
    const std::vector<std::vector<std::string>> blocks = {
        {"old tail"}, {header}, {std::string(32768, 'x'), std::string(4096, 'y')}};
    const unsigned firstFile = 36 + static_cast<unsigned>(names.size()) + 3 * 8;
    unsigned dataAt = firstFile + static_cast<unsigned>(table.size());
    std::string folders, data;
    for (const auto& folderBlocks : blocks) {
        u32(folders, dataAt + static_cast<unsigned>(data.size()));
        u16(folders, static_cast<unsigned>(folderBlocks.size()));
        u16(folders, 0);
        for (const std::string& b : folderBlocks) {
            u32(data, 0);
            u16(data, static_cast<unsigned>(b.size()));
            u16(data, static_cast<unsigned>(b.size()));
            data += b;
        }
    }
    std::string cab = "MSCF";
    u32(cab, 0);
    u32(cab, dataAt + static_cast<unsigned>(data.size()));
    u32(cab, 0);
    u32(cab, firstFile);
    u32(cab, 0);
    cab += '\x03';
    cab += '\x01';
    u16(cab, 3);
    u16(cab, 3);
    u16(cab, 0x0003);  // a previous and a next part
    u16(cab, 0x1234);
    u16(cab, 1);
    return cab + names + folders + table + data;
}

TEST_F(SetupFilesTest, MiddlePartOfASetTakesWhatItHolds) {
    const std::string header = test::SetupHeaderBytes("MSCE", 4, 0, 0, 0, "Split", "Set");
    test::WriteFileBytes(folder / "part2.cab", MiddlePartOfASet(header));
    ASSERT_TRUE(ExtractSetupFiles(platform, folder / "part2.cab"));
    // The header continued from the previous part is passed over.
    EXPECT_EQ(ReadFileBytes(HeaderPath()), header);
    // The XML that runs on is written as far as this part holds it.
    EXPECT_EQ(ReadFileBytes(XmlPath()), std::string(32768, 'x') + std::string(4096, 'y'));
}

}  // namespace
}  // namespace zk
