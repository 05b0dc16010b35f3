#include "device/platform/device_platform_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
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

class PosixDeviceFile : public DeviceFile {
public:
    explicit PosixDeviceFile(int fd) : fd_(fd) {}
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
    int fd_;
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
    std::string host = HostPath(path);
    if (host.empty()) return nullptr;
    struct stat st;
    bool exists = ::stat(host.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return nullptr;
    int fd = -1;
    switch (mode) {
    case DeviceOpenMode::Read:
        fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
        break;
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
    return std::make_unique<PosixDeviceFile>(fd);
}

bool PosixDevicePlatform::RemoveFile(std::u16string_view path) {
    std::string host = HostPath(path);
    struct stat st;
    if (host.empty() || ::lstat(host.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    return ::unlink(host.c_str()) == 0;
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
