#include "device/unzip/byte_source.h"

#include <cstring>

namespace zk {

FileSource::FileSource(DeviceFile* file) : file_(file) { canSeek_ = file_ && file_->Tell(&start_); }

FileSource::FileSource(std::unique_ptr<DeviceFile> file)
    : owned_(std::move(file)), file_(owned_.get()) {
    canSeek_ = file_ && file_->Tell(&start_);
}

std::size_t FileSource::Read(void* buffer, std::size_t bytes) {
    return Counted(bytes, file_ ? file_->Read(buffer, bytes) : 0);
}

bool FileSource::Seek(std::int64_t offset, DeviceSeek origin) {
    if (!canSeek_) return false;
    if (origin == DeviceSeek::Start) {
        if (offset < 0) return false;
        offset += static_cast<std::int64_t>(start_);
    }
    return file_->Seek(offset, origin);
}

std::uint64_t FileSource::Tell() {
    std::uint64_t at = 0;
    if (!canSeek_ || !file_->Tell(&at) || at < start_) return 0;
    return at - start_;
}

MemorySource::MemorySource(const void* data, std::size_t length)
    : data_(static_cast<const unsigned char*>(data)), length_(data ? length : 0) {}

std::size_t MemorySource::Read(void* buffer, std::size_t bytes) {
    std::size_t left = length_ - position_;
    std::size_t n = bytes < left ? bytes : left;
    if (n) std::memcpy(buffer, data_ + position_, n);
    position_ += n;
    return Counted(bytes, n);
}

bool MemorySource::Seek(std::int64_t offset, DeviceSeek origin) {
    std::int64_t base = origin == DeviceSeek::Start     ? 0
                        : origin == DeviceSeek::Current ? static_cast<std::int64_t>(position_)
                                                        : static_cast<std::int64_t>(length_);
    std::int64_t target = base + offset;
    if (target < 0 || target > static_cast<std::int64_t>(length_)) return false;
    position_ = static_cast<std::size_t>(target);
    return true;
}

}  // namespace zk
