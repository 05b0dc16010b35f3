#include "device/unzip/file_range.h"

namespace zk {

FileRange::FileRange(DeviceFile& file, std::uint64_t start, std::uint64_t end)
    : file_(file), start_(start), end_(end < start ? start : end) {}

std::size_t FileRange::Read(void* buffer, std::size_t bytes) {
    const std::uint64_t length = end_ - start_;
    const std::uint64_t left = position_ < length ? length - position_ : 0;
    if (bytes > left) bytes = static_cast<std::size_t>(left);
    if (bytes == 0 || !file_.Seek(static_cast<std::int64_t>(start_ + position_), DeviceSeek::Start))
        return 0;
    const std::size_t got = file_.Read(buffer, bytes);
    position_ += got;
    return got;
}

bool FileRange::Seek(std::int64_t offset, DeviceSeek origin) {
    const std::int64_t base = origin == DeviceSeek::Start ? 0
                              : origin == DeviceSeek::Current
                                  ? static_cast<std::int64_t>(position_)
                                  : static_cast<std::int64_t>(end_ - start_);
    if (base + offset < 0) return false;
    position_ = static_cast<std::uint64_t>(base + offset);
    return true;
}

bool FileRange::Tell(std::uint64_t* position) {
    *position = position_;
    return true;
}

bool ReadDeviceFileAt(void* file, std::uint64_t offset, void* buffer, std::size_t bytes) {
    DeviceFile& f = *static_cast<DeviceFile*>(file);
    if (!f.Seek(static_cast<std::int64_t>(offset), DeviceSeek::Start)) return false;
    auto* at = static_cast<unsigned char*>(buffer);
    while (bytes > 0) {
        const std::size_t got = f.Read(at, bytes);
        if (got == 0) return false;
        at += got;
        bytes -= got;
    }
    return true;
}

}  // namespace zk
