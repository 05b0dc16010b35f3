#include "platform/desktop_platform_posix.h"

#include <fcntl.h>
#include <limits.h>
#include <string.h>
#include <sys/file.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "common/ansi_text.h"

namespace zk {
namespace {

// Keeps errno of a failure where the platform can tell it later; a failure
// that set none reads as an input/output error.
void Remember(int* lastError) { *lastError = errno != 0 ? errno : EIO; }

class PosixFile : public FileHandle {
public:
    PosixFile(FILE* f, int* lastError) : f_(f), lastError_(lastError) {}
    ~PosixFile() override { Close(); }
    std::size_t Read(void* buffer, std::size_t bytes) override {
        if (!f_) return 0;
        errno = 0;
        const std::size_t got = fread(buffer, 1, bytes, f_);
        if (got < bytes && ferror(f_)) Remember(lastError_);
        return got;
    }
    std::size_t Write(const void* buffer, std::size_t bytes) override {
        if (!f_) return 0;
        errno = 0;
        const std::size_t put = fwrite(buffer, 1, bytes, f_);
        if (put < bytes) Remember(lastError_);
        return put;
    }
    bool Seek(std::uint64_t offset) override {
        return f_ && fseeko(f_, static_cast<off_t>(offset), SEEK_SET) == 0;
    }
    bool SeekToEnd() override { return f_ && fseeko(f_, 0, SEEK_END) == 0; }
    std::uint64_t Tell() override {
        if (!f_) return 0;
        off_t at = ftello(f_);
        return at < 0 ? 0 : static_cast<std::uint64_t>(at);
    }
    bool Close() override {
        if (!f_) return true;
        errno = 0;
        bool ok = ferror(f_) == 0;
        ok = fclose(f_) == 0 && ok;
        if (!ok) Remember(lastError_);
        f_ = nullptr;
        return ok;
    }

private:
    FILE* f_;
    int* lastError_;
};

// The lock file is removed while still held, so a process that opened it
// meanwhile finds, once it holds its lock, that the name now leads to
// another file or none, and starts again.
class PosixFileLock : public FileLock {
public:
    PosixFileLock(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}
    ~PosixFileLock() override {
        unlink(name_.c_str());
        close(fd_);
    }

private:
    int fd_;
    std::string name_;
};

bool SameFile(int fd, const std::string& name) {
    struct stat held, named;
    return fstat(fd, &held) == 0 && stat(name.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

// The record's text, and so every path the logic hands over, is in code page
// 1252, while this system names its files in UTF-8. Every path crosses here,
// one way or the other, and nowhere else.
std::string OsName(const std::string& path) { return AnsiToUtf8(path); }

std::string RecordName(const std::string& osPath) { return AnsiFromUtf8(osPath); }

std::uint64_t ToFiletime(const struct timespec& t) {
    std::int64_t ticks = static_cast<std::int64_t>(t.tv_sec) * 10000000 + t.tv_nsec / 100;
    return static_cast<std::uint64_t>(ticks + static_cast<std::int64_t>(FILETIME_UNIX_EPOCH));
}

}  // namespace

PosixDesktopPlatform::PosixDesktopPlatform(std::string argv0) : argv0_(std::move(argv0)) {}

void PosixDesktopPlatform::ShowMessage(const std::string& text, const std::string& caption,
                                       MessageIcon icon, bool) {
    FILE* out = icon == MessageIcon::Information ? stdout : stderr;
    fprintf(out, "%s: %s\n", AnsiToUtf8(caption).c_str(), AnsiToUtf8(text).c_str());
    // Standard output is flushed and checked once, when the program ends,
    // where a failure can still say why.
    if (out == stderr) fflush(out);
}

std::string PosixDesktopPlatform::OsCurrentDirectory() const {
    char buffer[PATH_MAX];
    if (!getcwd(buffer, sizeof buffer)) return ".";
    return buffer;
}

std::string PosixDesktopPlatform::OsProgramPath() const {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n > 0) {
        buffer[n] = '\0';
        return buffer;
    }
    char resolved[PATH_MAX];
    if (!argv0_.empty() && realpath(argv0_.c_str(), resolved)) return resolved;
    return argv0_;
}

std::string PosixDesktopPlatform::OsTemporaryFolder() const {
    const char* dir = getenv("TMPDIR");
    std::string folder = dir && *dir ? dir : "/tmp";
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

std::string PosixDesktopPlatform::CurrentDirectory() { return RecordName(OsCurrentDirectory()); }

std::string PosixDesktopPlatform::ProgramPath() { return RecordName(OsProgramPath()); }

std::string PosixDesktopPlatform::TemporaryFolder() { return RecordName(OsTemporaryFolder()); }

bool PosixDesktopPlatform::FolderFitsCodePage(HostFolder which, std::string* problem) const {
    const std::string path = which == HostFolder::Current   ? OsCurrentDirectory()
                             : which == HostFolder::Program ? OsProgramPath()
                                                            : OsTemporaryFolder();
    std::string ignored;
    TextFault fault;
    if (Utf8ToAnsi(path, &ignored, &fault)) return true;
    const char* what = which == HostFolder::Current   ? "the current folder"
                       : which == HostFolder::Program ? "the program's path"
                                                      : "the temporary folder";
    *problem = std::string(what) + " " + path + " " + DescribeTextFault(fault);
    return false;
}

std::int64_t PosixDesktopPlatform::CurrentUnixTime() {
    return static_cast<std::int64_t>(time(nullptr));
}

bool PosixDesktopPlatform::GetFileFacts(const std::string& path, FileFacts* out) {
    struct stat st;
    if (path.empty() || stat(OsName(path).c_str(), &st) != 0) return false;
    FileFacts facts;
    facts.size = S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
    // What a Windows volume would report for the same file: folders carry the
    // directory bit, files the archive bit, and no write permission for the
    // owner reads as read-only.
    facts.attributes = S_ISDIR(st.st_mode) ? FILE_ATTR_DIRECTORY : FILE_ATTR_ARCHIVE;
    if (!(st.st_mode & S_IWUSR)) facts.attributes |= FILE_ATTR_READONLY;
    std::string name = path.substr(path.find_last_of('/') + 1);
    if (name.size() > 1 && name[0] == '.' && name != "..") facts.attributes |= FILE_ATTR_HIDDEN;
    facts.lastWriteTime = ToFiletime(st.st_mtim);
    facts.lastAccessTime = ToFiletime(st.st_atim);
    // POSIX keeps no creation time in stat; the status-change time is the
    // closest it has.
    facts.creationTime = ToFiletime(st.st_ctim);
    *out = facts;
    return true;
}

std::unique_ptr<FileHandle> PosixDesktopPlatform::OpenFile(const std::string& path, FileMode mode) {
    const char* how = mode == FileMode::Read ? "rb" : mode == FileMode::CreateWrite ? "wb" : "r+b";
    errno = 0;
    FILE* f = fopen(OsName(path).c_str(), how);
    if (!f) {
        Remember(&lastError_);
        return nullptr;
    }
    // Headers and counts are written a few bytes at a time; a buffer larger
    // than stdio's 4 KiB gathers them into fewer system calls.
    setvbuf(f, nullptr, _IOFBF, 64 * 1024);
    if (mode == FileMode::Read) {
        struct stat st;
        if (fstat(fileno(f), &st) != 0 || S_ISDIR(st.st_mode)) {
            lastError_ = EISDIR;
            fclose(f);
            return nullptr;
        }
    }
    if (mode == FileMode::AppendWrite && fseeko(f, 0, SEEK_END) != 0) {
        Remember(&lastError_);
        fclose(f);
        return nullptr;
    }
    return std::make_unique<PosixFile>(f, &lastError_);
}

bool PosixDesktopPlatform::RemoveFile(const std::string& path) {
    if (unlink(OsName(path).c_str()) == 0) return true;
    Remember(&lastError_);
    return false;
}

bool PosixDesktopPlatform::RenameFile(const std::string& from, const std::string& to) {
    if (rename(OsName(from).c_str(), OsName(to).c_str()) == 0) return true;
    Remember(&lastError_);
    return false;
}

bool PosixDesktopPlatform::RemoveFolder(const std::string& path) {
    if (rmdir(OsName(path).c_str()) == 0) return true;
    Remember(&lastError_);
    return false;
}

bool PosixDesktopPlatform::MakeFolder(const std::string& path) {
    const std::string name = OsName(path);
    if (mkdir(name.c_str(), 0777) == 0) return true;
    const int made = errno;
    struct stat st;
    if (made == EEXIST && stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
    lastError_ = made == EEXIST ? ENOTDIR : made;
    return false;
}

std::string PosixDesktopPlatform::LastFailureReason() {
    return lastError_ == 0 ? std::string() : std::string(strerror(lastError_));
}

std::unique_ptr<FileLock> PosixDesktopPlatform::LockFile(const std::string& path,
                                                         int waitMilliseconds, bool* busy) {
    constexpr int POLL_MILLISECONDS = 50;
    *busy = false;
    const std::string name = OsName(path);
    for (int waited = 0;;) {
        const int fd = open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            Remember(&lastError_);
            return nullptr;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
            if (SameFile(fd, name)) return std::make_unique<PosixFileLock>(fd, name);
            close(fd);  // its holder let go and removed it: lock the next one
            continue;
        }
        const int refused = errno;
        close(fd);
        if (refused != EWOULDBLOCK) {
            lastError_ = refused;
            return nullptr;
        }
        if (waited >= waitMilliseconds) {
            *busy = true;
            return nullptr;
        }
        usleep(POLL_MILLISECONDS * 1000);
        waited += POLL_MILLISECONDS;
    }
}

bool PosixDesktopPlatform::ShellStart(const std::string& path) {
    const std::string name = OsName(path);
    pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        execlp("xdg-open", "xdg-open", name.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return true;
}

// No shell keeps associations here; the registry writes did nothing either.
bool PosixDesktopPlatform::NotifyAssociationsChanged() { return false; }

}  // namespace zk
