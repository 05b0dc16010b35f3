// Sending the carried installer to a device and starting it there, and
// saving it to a folder, over a folder that plays the device.
#include <filesystem>
#include <memory>

#include <gtest/gtest.h>

#include "activesync/device_transfer.h"
#include "desktop/desktop_install.h"
#include "tests/desktop/desktop_package.h"
#include "tests/support/deploy_bench.h"
#include "tests/support/native_desktop_platform.h"

namespace zk::test {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

class RecordingObserver : public InstallObserver {
public:
    void Status(const std::string& text) override { statuses.push_back(text); }
    void Progress(std::uint64_t done, std::uint64_t of) override {
        if (!progress.empty()) {
            EXPECT_GE(done, progress.back()) << "progress went back";
        }
        progress.push_back(done);
        total = of;
        if (cancelAt && done >= cancelAt) cancelled = true;
    }
    bool Cancelled() override { return cancelled; }

    Strings statuses;
    std::vector<std::uint64_t> progress;
    std::uint64_t total = 0;
    std::uint64_t cancelAt = 0;
    bool cancelled = false;
};

// A desktop installer on disk, opened the way the program opens itself.
class CarriedBench : public DeviceBench {
protected:
    void SetUp() override {
        installer = MakeDeviceInstaller(packages, {});
        WriteFileBytes(packages / "Demo.[DESKTOP].exe", MakeDesktopInstaller(installer));
        own = platform.OpenFile(packages / "Demo.[DESKTOP].exe", FileMode::Read);
        ASSERT_TRUE(own);
        ASSERT_EQ(
            FindCarriedInstaller(*own, TEST_DESKTOP_STUB_LENGTH, TEST_DEVICE_STUB_LENGTH, &carried),
            CARRIED_OK);
        fs::create_directory(fs::path(root.path()) / "Temp");
    }

    InstallReport Install() { return InstallOnDevice(connection, *own, carried, observer); }

    TempFolder packages;
    NativeDesktopPlatform platform;
    std::string installer;
    std::unique_ptr<FileHandle> own;
    CarriedInstaller carried;
    RecordingObserver observer;
};

class InstallOnDeviceTest : public CarriedBench {};

TEST_F(InstallOnDeviceTest, CopiesTheInstallerToTempInBlocksAndStartsIt) {
    ASSERT_GT(installer.size(), 3 * COPY_BLOCK_BYTES);
    InstallReport report = Install();
    EXPECT_EQ(report.code, DESKTOP_DONE);
    EXPECT_EQ(report.message, "Continue the installation on your device.");
    EXPECT_EQ(DeviceFile("Temp/Demo.[MOBILE].exe"), installer);

    ASSERT_EQ(device.StartedPrograms().size(), 1u);
    EXPECT_EQ(device.StartedPrograms()[0].program, u"\\Temp\\Demo.[MOBILE].exe");
    EXPECT_EQ(device.StartedPrograms()[0].commandLine, u"");
    EXPECT_FALSE(device.connected());
    EXPECT_EQ(ticks, 1) << "one connection serves the copy and the start";

    const Strings writes = recorder.CallsStartingWith("CeWriteFile");
    const std::size_t blocks = (installer.size() + COPY_BLOCK_BYTES - 1) / COPY_BLOCK_BYTES;
    ASSERT_EQ(writes.size(), blocks);
    EXPECT_EQ(writes[0], "CeWriteFile 16384");
    EXPECT_EQ(writes.back(),
              "CeWriteFile " + std::to_string(installer.size() - (blocks - 1) * COPY_BLOCK_BYTES));

    EXPECT_EQ(observer.statuses,
              (Strings{"Connecting to Windows CE...", "Connecting to Windows CE...Success",
                       "File copy in progress...", "File copy in progress...Completed",
                       "Creating remote process...Completed"}));
    EXPECT_EQ(observer.total, installer.size());
    ASSERT_EQ(observer.progress.size(), blocks + 1);
    EXPECT_EQ(observer.progress.front(), 0u);
    EXPECT_EQ(observer.progress.back(), installer.size());
}

TEST_F(InstallOnDeviceTest, AnOlderLongerCopyIsReplaced) {
    WriteFileBytes(root / "Temp/Demo.[MOBILE].exe", installer + installer);
    EXPECT_EQ(Install().code, DESKTOP_DONE);
    EXPECT_EQ(DeviceFile("Temp/Demo.[MOBILE].exe"), installer);
}

TEST_F(InstallOnDeviceTest, WithoutADeviceNothingIsTouched) {
    device.AnswerNever();
    InstallReport report = Install();
    EXPECT_EQ(report.code, DESKTOP_NO_DEVICE);
    EXPECT_EQ(report.message,
              "No device is connected through ActiveSync. Connect it and press Install again.");
    EXPECT_EQ(ticks, CONNECT_SECONDS);
    EXPECT_EQ(observer.statuses.back(), "Connecting to Windows CE...Failed");
    EXPECT_TRUE(recorder.CallsStartingWith("CeCreateFile").empty());
    EXPECT_TRUE(device.StartedPrograms().empty());
}

TEST_F(InstallOnDeviceTest, AFolderThatCannotBeWrittenFailsTheCopyAndStartsNothing) {
    // A read-only file where the installer must go; a read-only folder does
    // not stop the owner of a test run as root.
    WriteFileBytes(root / "Temp/Demo.[MOBILE].exe", "old");
    fs::permissions(fs::path(root.path()) / "Temp/Demo.[MOBILE].exe", fs::perms::owner_read);
    InstallReport report = Install();
    EXPECT_EQ(report.code, DESKTOP_COPY_FAILED);
    EXPECT_NE(report.message.find("\\Temp\\Demo.[MOBILE].exe"), std::string::npos);
    EXPECT_EQ(observer.statuses.back(), "File copy in progress...Failed");
    EXPECT_TRUE(recorder.CallsStartingWith("CeCreateProcess").empty());
    EXPECT_FALSE(device.connected());
}

TEST_F(InstallOnDeviceTest, AFullDeviceFailsTheCopyAndStartsNothing) {
    device.SetFreeSpace(20000);
    EXPECT_EQ(Install().code, DESKTOP_COPY_FAILED);
    EXPECT_TRUE(device.StartedPrograms().empty());
}

TEST_F(InstallOnDeviceTest, NoTempFolderFailsTheCopy) {
    fs::remove(fs::path(root.path()) / "Temp");
    EXPECT_EQ(Install().code, DESKTOP_COPY_FAILED);
    EXPECT_TRUE(recorder.CallsStartingWith("CeCreateProcess").empty());
}

TEST_F(InstallOnDeviceTest, AStartThatFailsNamesTheCopiedInstaller) {
    device.FailProgramStarts(true);
    InstallReport report = Install();
    EXPECT_EQ(report.code, DESKTOP_START_FAILED);
    EXPECT_NE(report.message.find("\\Temp\\Demo.[MOBILE].exe"), std::string::npos);
    EXPECT_EQ(DeviceFile("Temp/Demo.[MOBILE].exe"), installer);
    EXPECT_EQ(observer.statuses.back(), "Creating remote process...Failed");
    EXPECT_FALSE(device.connected());
}

TEST_F(InstallOnDeviceTest, CancellingStopsTheCopyAndStartsNothing) {
    observer.cancelAt = 1;
    EXPECT_EQ(Install().code, DESKTOP_CANCELLED);
    EXPECT_EQ(recorder.CallsStartingWith("CeWriteFile").size(), 1u);
    EXPECT_TRUE(device.StartedPrograms().empty());
}

class SaveToFolderTest : public CarriedBench {};

TEST_F(SaveToFolderTest, WritesTheInstallerUnderItsName) {
    TempFolder target;
    InstallReport report = SaveToFolder(platform, *own, carried, target.path(), observer);
    EXPECT_EQ(report.code, DESKTOP_DONE);
    EXPECT_EQ(ReadFileBytes(target / "Demo.[MOBILE].exe"), installer);
    EXPECT_EQ(ListFolder(target.path()), Strings{"Demo.[MOBILE].exe"});
    EXPECT_EQ(observer.progress.back(), installer.size());
    // A folder given with its separator gives the same file.
    RecordingObserver again;
    EXPECT_EQ(SaveToFolder(platform, *own, carried, target.path() + "/", again).code, DESKTOP_DONE);
    EXPECT_EQ(ListFolder(target.path()), Strings{"Demo.[MOBILE].exe"});
}

TEST_F(SaveToFolderTest, AFolderThatIsNotThereSavesNothing) {
    TempFolder target;
    InstallReport report = SaveToFolder(platform, *own, carried, target / "missing", observer);
    EXPECT_EQ(report.code, DESKTOP_SAVE_FAILED);
    EXPECT_NE(report.message.find("Demo.[MOBILE].exe"), std::string::npos);
    EXPECT_TRUE(ListFolder(target.path()).empty());
}

TEST_F(SaveToFolderTest, CancellingLeavesNothingBehind) {
    TempFolder target;
    observer.cancelAt = 1;
    EXPECT_EQ(SaveToFolder(platform, *own, carried, target.path(), observer).code,
              DESKTOP_CANCELLED);
    EXPECT_TRUE(ListFolder(target.path()).empty());
}

}  // namespace
}  // namespace zk::test
