// A stretch of an open desktop file seen as a file of its own: the carried
// installer and the project archive inside it are both stretches of the
// desktop installer, and the device zip reader reads the project archive
// through one of these, finding its end record at the stretch's end.
#pragma once

#include <cstdint>

#include "device/platform/device_platform.h"

namespace zk {

class FileHandle;

class FileWindow : public DeviceFile {
public:
    // The bytes [start, start + length) of `file`, which must outlive this.
    // Positions are counted from `start`; reads stop at the stretch's end.
    FileWindow(FileHandle& file, std::uint64_t start, std::uint64_t length);

    std::size_t Read(void* buffer, std::size_t bytes) override;
    // Read-only: writes write nothing.
    std::size_t Write(const void* buffer, std::size_t bytes) override;
    // Positions past the end are allowed (reads there give nothing), before
    // the start are not.
    bool Seek(std::int64_t offset, DeviceSeek origin) override;
    bool Tell(std::uint64_t* position) override;
    bool SetTimes(const DeviceFileTimes& times) override;
    // Leaves the underlying file open.
    bool Close() override { return true; }

private:
    FileHandle& file_;
    std::uint64_t start_;
    std::uint64_t length_;
    std::uint64_t position_ = 0;
};

}  // namespace zk
