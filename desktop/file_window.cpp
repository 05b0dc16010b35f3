#include "desktop/file_window.h"

#include <cstdint>

#include "platform/desktop_platform.h"

namespace zk {

FileWindow::FileWindow(FileHandle& file, std::uint64_t start, std::uint64_t length)
    : file_(file), start_(start), length_(length) {}

std::size_t FileWindow::Read(void* buffer, std::size_t bytes) {
    if (position_ >= length_) return 0;
    const std::uint64_t left = length_ - position_;
    const std::size_t want = bytes < left ? bytes : static_cast<std::size_t>(left);
    // The underlying file is shared with other readers: every read says
    // where it starts.
    if (!file_.Seek(start_ + position_)) return 0;
    const std::size_t got = file_.Read(buffer, want);
    position_ += got;
    return got;
}

std::size_t FileWindow::Write(const void*, std::size_t) { return 0; }

bool FileWindow::Seek(std::int64_t offset, DeviceSeek origin) {
    std::int64_t base = 0;
    switch (origin) {
    case DeviceSeek::Start: base = 0; break;
    case DeviceSeek::Current: base = static_cast<std::int64_t>(position_); break;
    case DeviceSeek::End: base = static_cast<std::int64_t>(length_); break;
    }
    if (offset < 0 && -offset > base) return false;
    if (offset > 0 && offset > INT64_MAX - base) return false;
    position_ = static_cast<std::uint64_t>(base + offset);
    return true;
}

bool FileWindow::Tell(std::uint64_t* position) {
    *position = position_;
    return true;
}

bool FileWindow::SetTimes(const DeviceFileTimes&) { return false; }

}  // namespace zk
