#include "device/platform/device_platform_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "common/device_path.h"

namespace zk {
namespace {

std::int64_t FileTimeToUnixSeconds(std::uint64_t fileTime) {
    return static_cast<std::int64_t>(fileTime / DEVICE_FILETIME_PER_SECOND) -
           static_cast<std::int64_t>(DEVICE_FILETIME_UNIX_EPOCH / DEVICE_FILETIME_PER_SECOND);
}

timespec FileTimeToTimespec(std::uint64_t fileTime) {
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(FileTimeToUnixSeconds(fileTime));
    ts.tv_nsec = static_cast<long>((fileTime % DEVICE_FILETIME_PER_SECOND) * 100);
    return ts;
}

using StorageMeter = PosixDevicePlatform::StorageMeter;

// The bytes of every regular file below a host folder.
std::uint64_t BytesBelow(const std::string& folder) {
    std::uint64_t total = 0;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return 0;
    while (dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "/" + name;
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            total += BytesBelow(path);
        } else if (S_ISREG(st.st_mode)) {
            total += static_cast<std::uint64_t>(st.st_size);
        }
    }
    ::closedir(dir);
    return total;
}

void Release(StorageMeter* meter, std::uint64_t bytes) {
    if (!meter || bytes == 0) return;
    std::lock_guard<std::mutex> hold(meter->lock);
    meter->used = bytes > meter->used ? 0 : meter->used - bytes;
}

class PosixDeviceFile : public DeviceFile {
public:
    PosixDeviceFile(int fd, std::shared_ptr<StorageMeter> storage)
        : fd_(fd), storage_(std::move(storage)) {}
    ~PosixDeviceFile() override { Close(); }

    std::size_t Read(void* buffer, std::size_t bytes) override {
        std::size_t done = 0;
        while (fd_ >= 0 && done < bytes) {
            ssize_t n = ::read(fd_, static_cast<char*>(buffer) + done, bytes - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        return done;
    }

    std::size_t Write(const void* buffer, std::size_t bytes) override {
        if (storage_ && fd_ >= 0) return MeteredWrite(buffer, bytes);
        return PlainWrite(buffer, bytes);
    }

    std::size_t PlainWrite(const void* buffer, std::size_t bytes) {
        std::size_t done = 0;
        while (fd_ >= 0 && done < bytes) {
            ssize_t n = ::write(fd_, static_cast<const char*>(buffer) + done, bytes - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        return done;
    }

    bool Seek(std::int64_t offset, DeviceSeek origin) override {
        if (fd_ < 0) return false;
        int whence = origin == DeviceSeek::Start     ? SEEK_SET
                     : origin == DeviceSeek::Current ? SEEK_CUR
                                                     : SEEK_END;
        return ::lseek(fd_, static_cast<off_t>(offset), whence) >= 0;
    }

    bool Tell(std::uint64_t* position) override {
        if (fd_ < 0) return false;
        off_t at = ::lseek(fd_, 0, SEEK_CUR);
        if (at < 0) return false;
        *position = static_cast<std::uint64_t>(at);
        return true;
    }

    bool SetTimes(const DeviceFileTimes& times) override {
        if (fd_ < 0) return false;
        // The host keeps no creation time; access and modification are set.
        timespec both[2] = {FileTimeToTimespec(times.access),
                            FileTimeToTimespec(times.modification)};
        return ::futimens(fd_, both) == 0;
    }

    bool Close() override {
        if (fd_ < 0) return true;
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    // Only what grows the file counts against the storage; what does not
    // fit is not written.
    std::size_t MeteredWrite(const void* buffer, std::size_t bytes) {
        struct stat st;
        const off_t at = ::lseek(fd_, 0, SEEK_CUR);
        const int flags = ::fcntl(fd_, F_GETFL);
        if (::fstat(fd_, &st) != 0 || at < 0 || flags < 0) return 0;
        const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);
        const std::uint64_t start = (flags & O_APPEND) ? size : static_cast<std::uint64_t>(at);
        auto growth = [&](std::uint64_t n) { return start + n > size ? start + n - size : 0; };
        std::size_t allowed = bytes;
        {
            std::lock_guard<std::mutex> hold(storage_->lock);
            const std::uint64_t free =
                storage_->capacity > storage_->used ? storage_->capacity - storage_->used : 0;
            if (growth(bytes) > free) {
                const std::uint64_t over = growth(bytes) - free;
                allowed = over >= bytes ? 0 : static_cast<std::size_t>(bytes - over);
            }
            storage_->used += growth(allowed);
        }
        const std::size_t done = allowed ? PlainWrite(buffer, allowed) : 0;
        Release(storage_.get(), growth(allowed) - growth(done));
        return done;
    }

    int fd_;
    std::shared_ptr<StorageMeter> storage_;
};

}  // namespace

PosixDevicePlatform::PosixDevicePlatform(std::string root) : root_(std::move(root)) {
    while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
}

std::string PosixDevicePlatform::HostPath(std::u16string_view devicePath) const {
    std::vector<std::u16string> levels;
    if (!SplitDevicePath(devicePath, &levels)) return {};
    std::string host = root_;
    for (const std::u16string& level : levels) {
        host = host + "/" + MatchDeviceLevel(host, level).string();
    }
    return host;
}

std::unique_ptr<DeviceFile> PosixDevicePlatform::OpenFile(std::u16string_view path,
                                                          DeviceOpenMode mode,
                                                          std::uint32_t attributes) {
    if (mode == DeviceOpenMode::CreateWrite && onCreateWrite) onCreateWrite(path);
    std::string host = HostPath(path);
    if (host.empty()) return nullptr;
    struct stat st;
    bool exists = ::stat(host.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return nullptr;
    // Emptying a file gives its bytes back.
    if (exists && mode == DeviceOpenMode::CreateWrite && (st.st_mode & S_IWUSR))
        Release(storage_.get(), static_cast<std::uint64_t>(st.st_size));
    int fd = -1;
    switch (mode) {
    case DeviceOpenMode::Read: fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC); break;
    case DeviceOpenMode::CreateWrite: {
        if (exists && !(st.st_mode & S_IWUSR)) return nullptr;
        mode_t perms = (attributes & DEVICE_ATTR_READONLY) ? 0444 : 0644;
        fd = ::open(host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, perms);
        if (fd >= 0 && exists) ::fchmod(fd, perms);
        break;
    }
    case DeviceOpenMode::Append:
        if (exists && !(st.st_mode & S_IWUSR)) return nullptr;
        fd = ::open(host.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        break;
    }
    if (fd < 0) return nullptr;
    return std::make_unique<PosixDeviceFile>(fd, storage_);
}

bool PosixDevicePlatform::RemoveFile(std::u16string_view path) {
    std::string host = HostPath(path);
    struct stat st;
    if (host.empty() || ::lstat(host.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    if (::unlink(host.c_str()) != 0) return false;
    if (S_ISREG(st.st_mode)) Release(storage_.get(), static_cast<std::uint64_t>(st.st_size));
    return true;
}

bool PosixDevicePlatform::SetAttributes(std::u16string_view path, std::uint32_t attributes) {
    std::string host = HostPath(path);
    struct stat st;
    if (host.empty() || ::stat(host.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    return ::chmod(host.c_str(), (attributes & DEVICE_ATTR_READONLY) ? 0444 : 0644) == 0;
}

bool PosixDevicePlatform::RenameFile(std::u16string_view from, std::u16string_view to) {
    const std::string a = HostPath(from);
    const std::string b = HostPath(to);
    struct stat st;
    if (a.empty() || b.empty() || ::lstat(a.c_str(), &st) != 0 || S_ISDIR(st.st_mode) ||
        ::lstat(b.c_str(), &st) == 0)
        return false;
    return ::rename(a.c_str(), b.c_str()) == 0;
}

void PosixDevicePlatform::LimitStorage(std::uint64_t bytes) {
    storage_ = std::make_shared<StorageMeter>();
    storage_->used = BytesBelow(root_);
    storage_->capacity = storage_->used + bytes;
}

bool PosixDevicePlatform::FreeStorage(std::u16string_view path, std::uint64_t* bytes) {
    if (storage_) {
        std::lock_guard<std::mutex> hold(storage_->lock);
        *bytes = storage_->capacity > storage_->used ? storage_->capacity - storage_->used : 0;
        return true;
    }
    struct statvfs fs;
    std::string host = HostPath(path);
    if (host.empty() || ::statvfs(host.c_str(), &fs) != 0) host = root_;
    if (::statvfs(host.c_str(), &fs) != 0) return false;
    *bytes = static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
    return true;
}

bool PosixDevicePlatform::CreateFolder(std::u16string_view path) {
    std::string host = HostPath(path);
    if (host.empty() || host == root_) return false;
    return ::mkdir(host.c_str(), 0755) == 0;
}

bool PosixDevicePlatform::GetAttributes(std::u16string_view path, std::uint32_t* attributes) {
    std::string host = HostPath(path);
    struct stat st;
    if (host.empty() || ::stat(host.c_str(), &st) != 0) return false;
    std::uint32_t a = S_ISDIR(st.st_mode) ? DEVICE_ATTR_DIRECTORY : DEVICE_ATTR_ARCHIVE;
    if (!(st.st_mode & S_IWUSR)) a |= DEVICE_ATTR_READONLY;
    *attributes = a;
    return true;
}

std::uint64_t PosixDevicePlatform::LocalFileTimeToUtc(std::uint64_t localTime) {
    // Read the local wall-clock time as if it were UTC to take it apart, then
    // let the host's time-zone rules (daylight saving included) put it back.
    std::int64_t seconds = FileTimeToUnixSeconds(localTime);
    std::uint64_t fraction = localTime % DEVICE_FILETIME_PER_SECOND;
    time_t wall = static_cast<time_t>(seconds);
    tm parts{};
    if (!gmtime_r(&wall, &parts)) return localTime;
    parts.tm_isdst = -1;
    time_t utc = mktime(&parts);
    if (utc == static_cast<time_t>(-1) && seconds != -1) return localTime;
    std::int64_t fileSeconds =
        static_cast<std::int64_t>(utc) +
        static_cast<std::int64_t>(DEVICE_FILETIME_UNIX_EPOCH / DEVICE_FILETIME_PER_SECOND);
    if (fileSeconds < 0) return 0;
    return static_cast<std::uint64_t>(fileSeconds) * DEVICE_FILETIME_PER_SECOND + fraction;
}

}  // namespace zk
