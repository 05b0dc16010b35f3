// The folder-backed device: its paths, files, programs and searches, and how
// CeRapiInit answers.
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "tests/support/folder_remote_device.h"
#include "tests/support/temp_folder.h"

namespace zk::test {
namespace {

namespace fs = std::filesystem;

class FolderRemoteDeviceTest : public ::testing::Test {
protected:
    FolderRemoteDeviceTest() { EXPECT_EQ(device.CeRapiInit(), REMOTE_S_OK); }

    RemoteHandle Create(std::u16string_view path, std::uint32_t creation = REMOTE_CREATE_ALWAYS) {
        return device.CeCreateFile(path, REMOTE_GENERIC_READ | REMOTE_GENERIC_WRITE,
                                   REMOTE_FILE_SHARE_WRITE, creation, REMOTE_ATTR_NORMAL);
    }
    bool Write(RemoteHandle file, const std::string& text) {
        std::uint32_t written = 0;
        return device.CeWriteFile(file, text.data(), static_cast<std::uint32_t>(text.size()),
                                  &written) &&
               written == text.size();
    }
    std::vector<std::u16string> Find(std::u16string_view pattern) {
        std::vector<std::u16string> names;
        RemoteFindData data;
        RemoteHandle search = device.CeFindFirstFile(pattern, &data);
        if (search == REMOTE_INVALID_HANDLE) return names;
        do names.push_back(data.fileName);
        while (device.CeFindNextFile(search, &data));
        EXPECT_TRUE(device.CeFindClose(search));
        std::sort(names.begin(), names.end());
        return names;
    }

    TempFolder root;
    TempFolder outside;
    FolderRemoteDevice device{root.path()};
};

TEST_F(FolderRemoteDeviceTest, PathsFindNamesWhateverTheirCaseAndStayInTheRoot) {
    fs::create_directories(root / "Windows/Fonts");
    RemoteHandle file = Create(u"\\windows\\FONTS\\new.TTF");
    EXPECT_TRUE(Write(file, "x"));
    EXPECT_TRUE(device.CeCloseHandle(file));
    EXPECT_EQ(ReadFileBytes(root / "Windows/Fonts/new.TTF"), "x");
    EXPECT_EQ(ListFolder(root.path()), std::vector<std::string>{"Windows"});
    EXPECT_EQ(device.HostPath(u"\\..\\..\\up.txt"), fs::path(root / "up.txt"));
    EXPECT_EQ(device.HostPath(u"\\"), fs::path(root.path()));
    for (std::u16string_view bad :
         {u"\\a\\b:c", u"\\a*", u"\\x?", u"\\dots.", u"\\.. ", u"\\a\"b", u"\\tab\t"})
        EXPECT_TRUE(device.HostPath(bad).empty()) << std::string(bad.begin(), bad.end());

    // Windows hosts may not make links; the rest holds there all the same.
    std::error_code noLinks;
    fs::create_directory_symlink(outside.path(), root / "Link", noLinks);
    if (!noLinks) {
        EXPECT_TRUE(device.HostPath(u"\\Link\\x").empty());
        EXPECT_EQ(Create(u"\\link\\x"), REMOTE_INVALID_HANDLE);
    }
    EXPECT_EQ(Find(u"\\*.*"), std::vector<std::u16string>{u"Windows"});
    EXPECT_TRUE(ListFolder(outside.path()).empty());
}

TEST_F(FolderRemoteDeviceTest, FilesAreCreatedReplacedAndRefusedAsOnTheDevice) {
    RemoteHandle file = Create(u"\\Demo.exe");
    ASSERT_NE(file, REMOTE_INVALID_HANDLE);
    EXPECT_TRUE(Write(file, "first"));
    EXPECT_TRUE(device.CeCloseHandle(file));
    EXPECT_FALSE(device.CeCloseHandle(file));
    EXPECT_EQ(Create(u"\\DEMO.EXE", REMOTE_CREATE_NEW), REMOTE_INVALID_HANDLE);
    EXPECT_EQ(Create(u"\\Other.exe", REMOTE_OPEN_EXISTING), REMOTE_INVALID_HANDLE);
    file = Create(u"\\demo.exe", REMOTE_OPEN_EXISTING);
    EXPECT_TRUE(Write(file, "F"));
    EXPECT_TRUE(device.CeCloseHandle(file));
    EXPECT_EQ(ReadFileBytes(root / "Demo.exe"), "First");

    EXPECT_EQ(Create(u"\\"), REMOTE_INVALID_HANDLE);
    EXPECT_EQ(Create(u"\\Missing\\x.exe"), REMOTE_INVALID_HANDLE);
    fs::permissions(root / "Demo.exe", fs::perms::owner_read);
    EXPECT_EQ(Create(u"\\Demo.exe"), REMOTE_INVALID_HANDLE);

    // Ending the connection closes what it left open, and nothing opens
    // without one.
    file = Create(u"\\Open.exe");
    device.CeRapiUninit();
    EXPECT_FALSE(Write(file, "late"));
    EXPECT_EQ(Create(u"\\Open.exe"), REMOTE_INVALID_HANDLE);
    EXPECT_TRUE(Find(u"\\*.*").empty());
}

TEST_F(FolderRemoteDeviceTest, SearchesMatchPatternsWithoutCase) {
    fs::create_directories(root / "Temp/Sub");
    WriteFileBytes(root / "Temp/read.ME", "");
    WriteFileBytes(root / "Temp/notes.txt", "");
    WriteFileBytes(root / "Temp/Makefile", "");
    EXPECT_EQ(Find(u"\\TEMP\\*.*"),
              (std::vector<std::u16string>{u"Makefile", u"Sub", u"notes.txt", u"read.ME"}));
    EXPECT_EQ(Find(u"\\temp\\*.TXT"), std::vector<std::u16string>{u"notes.txt"});
    EXPECT_EQ(Find(u"\\temp\\?ub"), std::vector<std::u16string>{u"Sub"});
    EXPECT_TRUE(Find(u"\\temp\\*.doc").empty());
    EXPECT_TRUE(Find(u"\\Nowhere\\*.*").empty());
    EXPECT_TRUE(Find(u"\\Te*\\*.*").empty());  // wildcards in the last level only

    RemoteFindData data;
    RemoteHandle search = device.CeFindFirstFile(u"\\temp\\sub*", &data);
    EXPECT_EQ(data.attributes & REMOTE_ATTR_DIRECTORY, REMOTE_ATTR_DIRECTORY);
    EXPECT_FALSE(device.CeFindNextFile(search, &data));
    EXPECT_TRUE(device.CeFindClose(search));

    device.ListDotEntries(true);
    EXPECT_EQ(Find(u"\\Temp\\Sub\\*.*"), (std::vector<std::u16string>{u".", u".."}));
}

TEST_F(FolderRemoteDeviceTest, ProgramStartsAreRecordedAndCanFail) {
    WriteFileBytes(root / "Setup.exe", "MZ");
    fs::path handled;
    device.SetProgramHandler([&](const fs::path& program, std::u16string_view commandLine) {
        handled = program;
        return commandLine != u"refuse";
    });
    RemoteProcessInfo info;
    ASSERT_TRUE(device.CeCreateProcess(u"\\setup.exe", u"install", &info));
    EXPECT_TRUE(fs::equivalent(handled, root / "Setup.exe"));
    EXPECT_TRUE(device.CeCloseHandle(info.process));
    EXPECT_TRUE(device.CeCloseHandle(info.thread));
    EXPECT_FALSE(device.CeCreateProcess(u"\\setup.exe", u"refuse", &info));
    EXPECT_FALSE(device.CeCreateProcess(u"\\Missing.exe", u"", &info));
    device.FailProgramStarts(true);
    EXPECT_FALSE(device.CeCreateProcess(u"\\setup.exe", u"", &info));
    ASSERT_EQ(device.StartedPrograms().size(), 1u);
    EXPECT_EQ(device.StartedPrograms()[0].commandLine, u"install");
}

TEST_F(FolderRemoteDeviceTest, AnAttemptWithoutAnswerEndsWithUninit) {
    device.CeRapiUninit();
    device.AnswerNever();
    HResult result = REMOTE_S_OK;
    std::thread attempt([&] { result = device.CeRapiInit(); });
    while (device.WaitingInitCalls() == 0) std::this_thread::yield();
    device.CeRapiUninit();
    attempt.join();
    EXPECT_EQ(result, REMOTE_E_ABORT);
    EXPECT_FALSE(device.connected());
    EXPECT_EQ(device.WaitingInitCalls(), 0);
}

}  // namespace
}  // namespace zk::test
