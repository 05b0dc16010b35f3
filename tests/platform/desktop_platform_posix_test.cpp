// The POSIX platform and the host programs' edge: the logic's texts are code
// page 1252, the file system's and the console's UTF-8.
#include "platform/desktop_platform_posix.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "platform/host_text.h"
#include "tests/support/temp_folder.h"

namespace zk {
namespace {

using test::ReadFileBytes;

TEST(PosixDesktopPlatformTest, PathsGivenIn1252NameUtf8Files) {
    test::TempFolder folder;
    PosixDesktopPlatform platform;
    const std::string cafe = folder / "Caf\xE9";
    ASSERT_TRUE(platform.MakeFolder(cafe));
    ASSERT_TRUE(platform.MakeFolder(cafe)) << "an existing folder is made";
    EXPECT_TRUE(std::filesystem::is_directory(folder / "Caf\xC3\xA9"));

    const std::string euro = cafe + "/\x80 \x99.txt";
    auto file = platform.OpenFile(euro, FileMode::CreateWrite);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->Write("euro", 4), 4u);
    ASSERT_TRUE(file->Close());
    EXPECT_EQ(ReadFileBytes(folder / "Caf\xC3\xA9/\xE2\x82\xAC \xE2\x84\xA2.txt"), "euro");
    FileFacts facts;
    ASSERT_TRUE(platform.GetFileFacts(euro, &facts));
    EXPECT_EQ(facts.size, 4u);

    ASSERT_TRUE(platform.RenameFile(euro, cafe + "/na\xEFve.txt"));
    EXPECT_TRUE(test::FileExists(folder / "Caf\xC3\xA9/na\xC3\xAFve.txt"));
    EXPECT_EQ(platform.OpenFile(cafe + "/na\xEFve.txt", FileMode::Read)->Tell(), 0u);
    ASSERT_TRUE(platform.RemoveFile(cafe + "/na\xEFve.txt"));
    EXPECT_FALSE(test::FileExists(folder / "Caf\xC3\xA9/na\xC3\xAFve.txt"));
}

TEST(PosixDesktopPlatformTest, FoldersComeBackIn1252OrSayWhyNot) {
    test::TempFolder folder;
    std::filesystem::create_directory(folder / "Caf\xC3\xA9");
    std::filesystem::create_directory(folder / "\xE4\xB8\xAD");
    const std::filesystem::path started = std::filesystem::current_path();
    const char* tmpdir = getenv("TMPDIR");
    const std::string keptTmpdir = tmpdir ? tmpdir : "";
    PosixDesktopPlatform platform;
    using Folder = PosixDesktopPlatform::HostFolder;
    std::string problem;

    ASSERT_EQ(chdir((folder / "Caf\xC3\xA9").c_str()), 0);
    setenv("TMPDIR", (folder / "Caf\xC3\xA9/").c_str(), 1);
    EXPECT_EQ(platform.CurrentDirectory(), folder / "Caf\xE9");
    EXPECT_EQ(platform.TemporaryFolder(), folder / "Caf\xE9");
    EXPECT_TRUE(platform.FolderFitsCodePage(Folder::Current, &problem));
    EXPECT_TRUE(platform.FolderFitsCodePage(Folder::Temporary, &problem));

    ASSERT_EQ(chdir((folder / "\xE4\xB8\xAD").c_str()), 0);
    setenv("TMPDIR", (folder / "\xE4\xB8\xAD").c_str(), 1);
    EXPECT_EQ(platform.CurrentDirectory(), folder / "?");
    EXPECT_FALSE(platform.FolderFitsCodePage(Folder::Current, &problem));
    EXPECT_EQ(problem, "the current folder " + folder / "\xE4\xB8\xAD" +
                           " holds U+4E2D, which code page 1252 cannot store");
    EXPECT_FALSE(platform.FolderFitsCodePage(Folder::Temporary, &problem));
    EXPECT_EQ(problem.rfind("the temporary folder ", 0), 0u) << problem;

    std::filesystem::current_path(started);
    if (tmpdir)
        setenv("TMPDIR", keptTmpdir.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

TEST(HostTextTest, PrintedTextGoesOutAsUtf8) {
    std::ostringstream target;
    Utf8OutputBuffer buffer(target.rdbuf());
    std::ostream out(&buffer);
    out << "Caf\xE9 " << 12 << ' ' << '\x80' << std::string("\x81|\x9F") << std::flush;
    EXPECT_EQ(target.str(), "Caf\xC3\xA9 12 \xE2\x82\xAC\xC2\x81|\xC5\xB8");
}

}  // namespace
}  // namespace zk
