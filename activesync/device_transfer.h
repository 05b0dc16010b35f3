// Putting the device installer onto the device and starting it there. Each
// operation opens its own connection and ends it when done, so a connection
// left open by "Look for device" is dropped by the next copy or start.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "activesync/device_connection.h"

namespace zk {

class DesktopPlatform;
class FileHandle;

inline constexpr std::size_t COPY_BLOCK_BYTES = 16384;

// Results of CopyFileToDevice.
inline constexpr int COPY_FAILED = 0;            // device file or a write failed
inline constexpr int COPY_DONE = 1;              // the whole file is on the device
inline constexpr int COPY_LOCAL_UNREADABLE = 2;  // the local file can't be opened
inline constexpr int COPY_NO_CONNECTION = -1;

// Results of StartOnDevice.
inline constexpr int START_FAILED = 0;
inline constexpr int START_DONE = 1;
inline constexpr int START_NO_CONNECTION = -1;

// Copies a local file to the device path in blocks of COPY_BLOCK_BYTES. The
// device file is replaced and ends up holding exactly the local file's
// bytes. The local file is only read, and it is opened before the device
// file is touched, so a missing installer leaves the device's copy alone. A
// failed copy can leave a partial device file behind (the API offers no
// delete); the caller must not start it.
int CopyFileToDevice(DeviceConnection& connection, DesktopPlatform& platform,
                     const std::string& localPath, std::u16string_view devicePath);

// Told the bytes sent so far after each block; returning false stops the
// copy, which then counts as failed.
using CopyProgress = std::function<bool(std::uint64_t sent)>;

// The copy over a connection that is open already, which it leaves open:
// replaces the device file with the next `length` bytes of `source`, sent
// in blocks of COPY_BLOCK_BYTES. COPY_DONE only when all of them were read,
// written and stored; otherwise COPY_FAILED.
int SendToDevice(RemoteDevice& device, FileHandle& source, std::uint64_t length,
                 std::u16string_view devicePath, const CopyProgress& progress = {});

// The start over a connection that is open already, which it leaves open;
// the started program's handles are let go at once.
bool LaunchOnDevice(RemoteDevice& device, std::u16string_view program,
                    std::u16string_view commandLine);

// Starts a program on the device with a command line (may be empty); does
// not wait for it.
int StartOnDevice(DeviceConnection& connection, std::u16string_view program,
                  std::u16string_view commandLine);

}  // namespace zk
