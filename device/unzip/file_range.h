// Bytes [start, end) of an open file as a file of their own: a section of a
// package read as a stream, or opened as a zip archive, whose reader finds
// the directory from the end. Reads and seeks stay within the range; each
// read puts the underlying file where it needs to be, so others may move it
// in between. Nothing can be written.
#pragma once

#include <cstdint>

#include "device/platform/device_platform.h"

namespace zk {

class FileRange : public DeviceFile {
public:
    FileRange(DeviceFile& file, std::uint64_t start, std::uint64_t end);

    std::size_t Read(void* buffer, std::size_t bytes) override;
    std::size_t Write(const void*, std::size_t) override { return 0; }
    // Positions are relative to the range's start; past its end reads nothing.
    bool Seek(std::int64_t offset, DeviceSeek origin) override;
    bool Tell(std::uint64_t* position) override;
    bool SetTimes(const DeviceFileTimes&) override { return false; }
    bool Close() override { return true; }

private:
    DeviceFile& file_;
    std::uint64_t start_;
    std::uint64_t end_;
    std::uint64_t position_ = 0;
};

// Reads exactly `bytes` at `offset` of the DeviceFile `file` points to; false
// when the file ends first. A ProgramReader (common/certificate_table.h).
bool ReadDeviceFileAt(void* file, std::uint64_t offset, void* buffer, std::size_t bytes);

}  // namespace zk
