// Connecting, copying the installer to the device and starting it there.
#include <filesystem>

#include <gtest/gtest.h>

#include "activesync/device_transfer.h"
#include "platform/forwarding_desktop_platform.h"
#include "tests/support/deploy_bench.h"
#include "tests/support/fake_desktop_platform.h"

namespace zk::test {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using Strings = std::vector<std::string>;

class ConnectDeviceTest : public DeviceBench {};

TEST_F(ConnectDeviceTest, ADeviceThatAnswersAtOnceIsKnownAfterOneTick) {
    EXPECT_TRUE(connection.ConnectDevice(CONNECT_SECONDS));
    EXPECT_EQ(ticks, 1);
    EXPECT_TRUE(device.connected());  // the connection stays open
    EXPECT_EQ(recorder.Calls(), Strings{"CeRapiInit"});
}

TEST_F(ConnectDeviceTest, WithoutADeviceTheAttemptIsAbandonedAfterFiveTicks) {
    device.AnswerNever();
    EXPECT_FALSE(connection.ConnectDevice(CONNECT_SECONDS));
    EXPECT_EQ(ticks, 5);
    EXPECT_EQ(recorder.Calls(), (Strings{"CeRapiInit", "CeRapiUninit"}));
    EXPECT_EQ(device.WaitingInitCalls(), 0);
}

TEST_F(ConnectDeviceTest, ARefusedConnectionIsKnownAtTheFirstTick) {
    device.AnswerAtOnce(REMOTE_E_FAIL);
    EXPECT_FALSE(connection.ConnectDevice(CONNECT_SECONDS));
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(device.connected());
}

TEST_F(ConnectDeviceTest, AnAttemptAfterAFailedOneStillGetsItsWholeWait) {
    device.AnswerNever();
    EXPECT_FALSE(connection.ConnectDevice(CONNECT_SECONDS));
    ticks = 0;
    device.AnswerAt(clock.Now() + milliseconds(2500));
    EXPECT_TRUE(connection.ConnectDevice(CONNECT_SECONDS));
    EXPECT_EQ(ticks, 3);
}

// Records how the local file was opened, and can make its reads stop early.
class LocalPlatform : public FakeDesktopPlatform {
public:
    std::unique_ptr<FileHandle> OpenFile(const std::string& path, FileMode mode) override {
        modes.push_back(mode);
        std::unique_ptr<FileHandle> file = FakeDesktopPlatform::OpenFile(path, mode);
        if (!file || !readLimit) return file;
        return std::make_unique<LimitedFile>(std::move(file), readLimit);
    }

    std::vector<FileMode> modes;
    std::size_t readLimit = 0;

private:
    class LimitedFile : public ForwardingFileHandle {
    public:
        LimitedFile(std::unique_ptr<FileHandle> inner, std::size_t left)
            : ForwardingFileHandle(std::move(inner)), left_(left) {}
        std::size_t Read(void* buffer, std::size_t bytes) override {
            std::size_t got = inner_->Read(buffer, bytes < left_ ? bytes : left_);
            left_ -= got;
            return got;
        }

    private:
        std::size_t left_;
    };
};

class CopyFileToDeviceTest : public DeviceBench {
protected:
    std::string Local(std::size_t bytes) {
        std::string data;
        for (std::size_t i = 0; i < bytes; ++i) data += static_cast<char>(i * 7 % 251);
        WriteFileBytes(local / "Demo.[MOBILE].exe", data);
        return data;
    }
    int Copy(const std::u16string& devicePath) {
        return CopyFileToDevice(connection, platform, local / "Demo.[MOBILE].exe", devicePath);
    }

    TempFolder local;
    LocalPlatform platform;
};

TEST_F(CopyFileToDeviceTest, SendsTheFileInBlocksAndEndsTheConnection) {
    std::string data = Local(40000);
    fs::create_directory(root / "Temp");
    EXPECT_EQ(Copy(u"\\temp\\Demo.[MOBILE].exe"), COPY_DONE);
    EXPECT_EQ(DeviceFile("Temp/Demo.[MOBILE].exe"), data);
    EXPECT_EQ(recorder.CallsStartingWith("CeWriteFile"),
              (Strings{"CeWriteFile 16384", "CeWriteFile 16384", "CeWriteFile 7232"}));
    EXPECT_EQ(recorder.Calls().back(), "CeRapiUninit");
    EXPECT_FALSE(device.connected());
    EXPECT_EQ(platform.modes, std::vector<FileMode>{FileMode::Read});
}

TEST_F(CopyFileToDeviceTest, AnOlderLongerFileIsReplacedToTheNewLength) {
    WriteFileBytes(root / "Demo.[MOBILE].exe", std::string(100000, 'o'));
    std::string data = Local(16384);
    EXPECT_EQ(Copy(u"\\Demo.[MOBILE].exe"), COPY_DONE);
    EXPECT_EQ(DeviceFile("Demo.[MOBILE].exe"), data);

    Local(0);
    EXPECT_EQ(Copy(u"\\Demo.[MOBILE].exe"), COPY_DONE);
    EXPECT_EQ(FileSize(root / "Demo.[MOBILE].exe"), 0u);
}

TEST_F(CopyFileToDeviceTest, AReadOnlyInstallerIsCopied) {
    std::string data = Local(5000);
    fs::permissions(local / "Demo.[MOBILE].exe", fs::perms::owner_read | fs::perms::group_read);
    EXPECT_EQ(Copy(u"\\Demo.[MOBILE].exe"), COPY_DONE);
    EXPECT_EQ(DeviceFile("Demo.[MOBILE].exe"), data);
}

TEST_F(CopyFileToDeviceTest, AMissingInstallerLeavesTheDeviceCopyAlone) {
    WriteFileBytes(root / "Demo.[MOBILE].exe", "the copy of last week");
    EXPECT_EQ(Copy(u"\\Demo.[MOBILE].exe"), COPY_LOCAL_UNREADABLE);
    EXPECT_EQ(DeviceFile("Demo.[MOBILE].exe"), "the copy of last week");
    EXPECT_TRUE(recorder.CallsStartingWith("CeCreateFile").empty());
    EXPECT_FALSE(device.connected());
}

TEST_F(CopyFileToDeviceTest, DeviceFailuresAreFailedCopies) {
    Local(40000);
    EXPECT_EQ(Copy(u"\\No Such Folder\\Demo.[MOBILE].exe"), COPY_FAILED);

    device.SetFreeSpace(20000);  // the second block comes up short
    EXPECT_EQ(Copy(u"\\Demo.[MOBILE].exe"), COPY_FAILED);
    EXPECT_EQ(recorder.CallsStartingWith("CeWriteFile").size(), 2u);
    EXPECT_FALSE(device.connected());

    device.SetFreeSpace(std::nullopt);
    device.AnswerNever();
    EXPECT_EQ(Copy(u"\\Demo.[MOBILE].exe"), COPY_NO_CONNECTION);
}

TEST_F(CopyFileToDeviceTest, AReadThatStopsHalfwayIsNotACopy) {
    Local(40000);
    platform.readLimit = 20000;
    EXPECT_EQ(Copy(u"\\Demo.[MOBILE].exe"), COPY_FAILED);
}

class StartOnDeviceTest : public DeviceBench {};

TEST_F(StartOnDeviceTest, StartsTheProgramAndLetsGoOfIt) {
    WriteFileBytes(root / "Demo.[MOBILE].exe", "MZ");
    EXPECT_EQ(StartOnDevice(connection, u"\\Demo.[MOBILE].exe", u""), START_DONE);
    ASSERT_EQ(device.StartedPrograms().size(), 1u);
    EXPECT_EQ(device.StartedPrograms()[0].program, u"\\Demo.[MOBILE].exe");
    EXPECT_EQ(device.StartedPrograms()[0].commandLine, u"");
    EXPECT_EQ(recorder.Calls(), (Strings{"CeRapiInit", "CeCreateProcess \\Demo.[MOBILE].exe|",
                                         "CeCloseHandle", "CeCloseHandle", "CeRapiUninit"}));
}

TEST_F(StartOnDeviceTest, FailuresAreReported) {
    EXPECT_EQ(StartOnDevice(connection, u"\\Missing.exe", u""), START_FAILED);
    WriteFileBytes(root / "Demo.exe", "MZ");
    device.FailProgramStarts(true);
    EXPECT_EQ(StartOnDevice(connection, u"\\Demo.exe", u""), START_FAILED);
    device.AnswerNever();
    EXPECT_EQ(StartOnDevice(connection, u"\\Demo.exe", u""), START_NO_CONNECTION);
    EXPECT_TRUE(device.StartedPrograms().empty());
    EXPECT_FALSE(device.connected());
}

}  // namespace
}  // namespace zk::test
