// Where an archive's bytes come from. minizip reads and seeks through one of
// these (minizip_io.h); positions are relative to the archive's first byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "device/platform/device_platform.h"

namespace zk {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to `bytes` from the current position; a short read is the end.
    virtual std::size_t Read(void* buffer, std::size_t bytes) = 0;
    virtual bool Seek(std::int64_t offset, DeviceSeek origin) = 0;
    virtual std::uint64_t Tell() = 0;

    // Whether the last read came short. minizip asks after a short read of
    // a header field; without this it would take the missing bytes as zeros
    // and open a cut archive.
    bool lastReadShort() const { return lastReadShort_; }

protected:
    std::size_t Counted(std::size_t asked, std::size_t got) {
        lastReadShort_ = got < asked;
        return got;
    }

private:
    bool lastReadShort_ = false;
};

// An open device file, owned or the caller's. The archive may begin anywhere
// in it: the position at opening is the archive's start. Seeking from the
// start adds that position; seeking from the current position or from the
// end goes to the file as it is. A file that cannot seek refuses every seek.
class FileSource : public ByteSource {
public:
    // The caller's file, left open.
    explicit FileSource(DeviceFile* file);
    // A file opened here and closed with the source.
    explicit FileSource(std::unique_ptr<DeviceFile> file);

    bool canSeek() const { return canSeek_; }
    std::size_t Read(void* buffer, std::size_t bytes) override;
    bool Seek(std::int64_t offset, DeviceSeek origin) override;
    std::uint64_t Tell() override;

private:
    std::unique_ptr<DeviceFile> owned_;
    DeviceFile* file_;
    bool canSeek_ = false;
    std::uint64_t start_ = 0;
};

// A memory block that the caller keeps alive.
class MemorySource : public ByteSource {
public:
    MemorySource(const void* data, std::size_t length);

    std::size_t Read(void* buffer, std::size_t bytes) override;
    bool Seek(std::int64_t offset, DeviceSeek origin) override;
    std::uint64_t Tell() override { return position_; }

private:
    const unsigned char* data_;
    std::size_t length_;
    std::size_t position_ = 0;
};

}  // namespace zk
