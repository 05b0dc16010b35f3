#include "desktop/desktop_install.h"

#include <memory>
#include <vector>

#include "activesync/device_connection.h"
#include "activesync/device_transfer.h"
#include "common/ansi_text.h"
#include "platform/desktop_platform.h"

namespace zk {
namespace {

constexpr std::size_t SAVE_BLOCK_BYTES = 16384;

InstallReport Report(int code, std::string message) { return {code, std::move(message)}; }

}  // namespace

std::u16string DeviceInstallerPath(const CarriedInstaller& carried) {
    return std::u16string(DEVICE_INSTALLER_FOLDER) + WideFromAnsi(MobileInstallerName(carried));
}

InstallReport InstallOnDevice(DeviceConnection& connection, FileHandle& file,
                              const CarriedInstaller& carried, InstallObserver& observer) {
    const std::u16string devicePath = DeviceInstallerPath(carried);
    const std::string shownPath = AnsiFromWide(devicePath);

    observer.Status("Connecting to Windows CE...");
    observer.Progress(0, carried.length);
    if (!connection.ConnectDevice(CONNECT_SECONDS)) {
        observer.Status("Connecting to Windows CE...Failed");
        return Report(DESKTOP_NO_DEVICE,
                      "No device is connected through ActiveSync. Connect it and press Install "
                      "again.");
    }
    observer.Status("Connecting to Windows CE...Success");

    observer.Status("File copy in progress...");
    bool cancelled = false;
    int copied = COPY_FAILED;
    if (file.Seek(carried.offset)) {
        copied = SendToDevice(connection.device(), file, carried.length, devicePath,
                              [&](std::uint64_t sent) {
                                  observer.Progress(sent, carried.length);
                                  cancelled = observer.Cancelled();
                                  return !cancelled;
                              });
    }
    if (copied != COPY_DONE) {
        connection.Disconnect();
        observer.Status("File copy in progress...Failed");
        if (cancelled)
            return Report(DESKTOP_CANCELLED, "The installation was cancelled; " + shownPath +
                                                 " on the device is incomplete.");
        return Report(DESKTOP_COPY_FAILED, "The installer could not be copied to " + shownPath +
                                               " on the device. Check that the device has room "
                                               "and that \\Temp can be written.");
    }
    observer.Status("File copy in progress...Completed");

    const bool started = LaunchOnDevice(connection.device(), devicePath, u"");
    connection.Disconnect();
    if (!started) {
        observer.Status("Creating remote process...Failed");
        return Report(DESKTOP_START_FAILED, "The installer was copied to " + shownPath +
                                                " but could not be started there. Start it on "
                                                "the device.");
    }
    observer.Status("Creating remote process...Completed");
    return Report(DESKTOP_DONE, "Continue the installation on your device.");
}

InstallReport SaveToFolder(DesktopPlatform& platform, FileHandle& file,
                           const CarriedInstaller& carried, const std::string& folder,
                           InstallObserver& observer) {
    std::string path = folder;
    const char separator = platform.PathSeparator();
    if (!path.empty() && path.back() != separator && path.back() != '/') path += separator;
    path += MobileInstallerName(carried);
    const std::string partial = path + ".partial";
    auto failed = [&] {
        platform.RemoveFile(partial);
        return Report(DESKTOP_SAVE_FAILED, "The installer could not be saved as " + path + ".");
    };

    observer.Status("Saving " + path + "...");
    observer.Progress(0, carried.length);
    std::unique_ptr<FileHandle> out = platform.OpenFile(partial, FileMode::CreateWrite);
    if (!out || !file.Seek(carried.offset)) return failed();
    std::vector<char> block(SAVE_BLOCK_BYTES);
    std::uint64_t saved = 0;
    while (saved < carried.length) {
        const std::uint64_t left = carried.length - saved;
        const std::size_t want =
            left < block.size() ? static_cast<std::size_t>(left) : block.size();
        const std::size_t got = file.Read(block.data(), want);
        if (got == 0 || out->Write(block.data(), got) != got) {
            out.reset();
            return failed();
        }
        saved += got;
        observer.Progress(saved, carried.length);
        if (observer.Cancelled()) {
            out.reset();
            platform.RemoveFile(partial);
            return Report(DESKTOP_CANCELLED, "Saving was cancelled; nothing was saved.");
        }
    }
    const bool closed = out->Close();
    out.reset();
    if (!closed || !platform.RenameFile(partial, path)) return failed();
    return Report(DESKTOP_DONE, "The device installer was saved as " + path +
                                    ". Copy it to the device or a storage card and run it there.");
}

std::string UsageText() {
    return "DesktopZephyrkit [/s] [/?]\n"
           "\n"
           "Puts the application on a Windows Mobile device connected through ActiveSync.\n"
           "\n"
           "/s\tInstall without a window: connect, copy the device installer to \\Temp on "
           "the device and start it there.\n"
           "/?\tShow this text.\n"
           "\n"
           "Exit codes:\n"
           "0\tthe installer was started on the device\n"
           "1\tthe command line was not understood\n"
           "2\tthis desktop installer is damaged\n"
           "3\tno device is connected through ActiveSync\n"
           "4\tthe installer could not be copied to the device\n"
           "5\tthe installer could not be started on the device\n"
           "6\tthe installation was cancelled\n"
           "7\tthe installer could not be saved to the folder";
}

}  // namespace zk
