#include "activesync/device_transfer.h"

#include <memory>
#include <vector>

#include "platform/desktop_platform.h"

namespace zk {

int CopyFileToDevice(DeviceConnection& connection, DesktopPlatform& platform,
                     const std::string& localPath, std::u16string_view devicePath) {
    if (!connection.ConnectDevice(CONNECT_SECONDS)) return COPY_NO_CONNECTION;

    // Reading is all the copy needs: a read-only installer copies too.
    FileFacts facts;
    std::unique_ptr<FileHandle> local;
    if (platform.GetFileFacts(localPath, &facts) && !(facts.attributes & FILE_ATTR_DIRECTORY))
        local = platform.OpenFile(localPath, FileMode::Read);
    if (!local) {
        connection.Disconnect();
        return COPY_LOCAL_UNREADABLE;
    }

    const int result = SendToDevice(connection.device(), *local, facts.size, devicePath);
    local->Close();
    connection.Disconnect();
    return result;
}

int SendToDevice(RemoteDevice& device, FileHandle& source, std::uint64_t length,
                 std::u16string_view devicePath, const CopyProgress& progress) {
    RemoteHandle remote =
        device.CeCreateFile(devicePath, REMOTE_GENERIC_READ | REMOTE_GENERIC_WRITE,
                            REMOTE_FILE_SHARE_WRITE, REMOTE_CREATE_ALWAYS, REMOTE_ATTR_NORMAL);
    if (remote == REMOTE_INVALID_HANDLE) return COPY_FAILED;

    std::vector<char> block(COPY_BLOCK_BYTES);
    std::uint64_t sent = 0;
    bool written = true;
    while (sent < length) {
        const std::uint64_t left = length - sent;
        const std::size_t want =
            left < block.size() ? static_cast<std::size_t>(left) : block.size();
        // A read that fails halfway looks like the end of the file: only the
        // full length counts as a copy.
        const std::size_t got = source.Read(block.data(), want);
        std::uint32_t stored = 0;
        const std::uint32_t count = static_cast<std::uint32_t>(got);
        if (got == 0 || !device.CeWriteFile(remote, block.data(), count, &stored) ||
            stored != count) {
            written = false;
            break;
        }
        sent += got;
        if (progress && !progress(sent)) {
            written = false;
            break;
        }
    }
    const bool closed = device.CeCloseHandle(remote);
    return written && closed && sent == length ? COPY_DONE : COPY_FAILED;
}

bool LaunchOnDevice(RemoteDevice& device, std::u16string_view program,
                    std::u16string_view commandLine) {
    RemoteProcessInfo info;
    const bool started = device.CeCreateProcess(program, commandLine, &info);
    if (started) {
        // The installer runs on by itself; the wizard keeps no hold on it.
        if (info.thread != REMOTE_INVALID_HANDLE) device.CeCloseHandle(info.thread);
        if (info.process != REMOTE_INVALID_HANDLE) device.CeCloseHandle(info.process);
    }
    return started;
}

int StartOnDevice(DeviceConnection& connection, std::u16string_view program,
                  std::u16string_view commandLine) {
    if (!connection.ConnectDevice(CONNECT_SECONDS)) return START_NO_CONNECTION;
    const bool started = LaunchOnDevice(connection.device(), program, commandLine);
    connection.Disconnect();
    return started ? START_DONE : START_FAILED;
}

}  // namespace zk
