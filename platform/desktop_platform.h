// The desktop platform port: everything the wizard's portable logic needs of
// the operating system, in the spirit of libmspack's mspack_system. The logic
// is handed one of these and never calls the OS itself. There is one real
// implementation per OS (desktop_platform_posix.cpp, desktop_platform_win32.cpp)
// and tests derive fakes from them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace zk {

enum class MessageIcon { None, Information, Warning, Error };

// Windows file attribute bits, as the zip writer records them.
inline constexpr std::uint32_t FILE_ATTR_READONLY = 0x01;
inline constexpr std::uint32_t FILE_ATTR_HIDDEN = 0x02;
inline constexpr std::uint32_t FILE_ATTR_SYSTEM = 0x04;
inline constexpr std::uint32_t FILE_ATTR_DIRECTORY = 0x10;
inline constexpr std::uint32_t FILE_ATTR_ARCHIVE = 0x20;

// Times are 100-nanosecond counts since 1 January 1601 UTC (a FILETIME).
inline constexpr std::uint64_t FILETIME_UNIX_EPOCH = 116444736000000000ULL;

struct FileFacts {
    std::uint64_t size = 0;
    std::uint32_t attributes = 0;
    std::uint64_t creationTime = 0;
    std::uint64_t lastAccessTime = 0;
    std::uint64_t lastWriteTime = 0;
};

enum class RegistryRoot { LocalMachine, CurrentUser, ClassesRoot };

// An open file. Reads return the bytes read; a short read means end of file
// or an error, and the library does not retry. Writes return the bytes
// written; fewer than asked means the write failed. Close flushes and reports
// whether everything reached the file; the destructor closes a file left open.
class FileHandle {
public:
    virtual ~FileHandle() = default;
    virtual std::size_t Read(void* buffer, std::size_t bytes) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t bytes) = 0;
    virtual bool Seek(std::uint64_t offset) = 0;
    virtual bool SeekToEnd() = 0;
    virtual std::uint64_t Tell() = 0;
    virtual bool Close() = 0;
};

// Reads until `bytes` are in or the file ends, and returns the count read: a
// short read is not taken for the end, so a reader of fixed-size pieces or
// headers gets whole ones.
inline std::size_t ReadFull(FileHandle& file, void* buffer, std::size_t bytes) {
    std::size_t got = 0;
    while (got < bytes) {
        const std::size_t n = file.Read(static_cast<unsigned char*>(buffer) + got, bytes - got);
        if (n == 0) break;
        got += n;
    }
    return got;
}

// A hold on a lock file, let go of when destroyed.
class FileLock {
public:
    virtual ~FileLock() = default;
};

enum class FileMode {
    Read,         // existing file, shared for reading
    CreateWrite,  // create or truncate; no sharing
    AppendWrite,  // existing file, positioned at its end
};

class DesktopPlatform {
public:
    virtual ~DesktopPlatform() = default;

    // A modal message box with an OK button. owned: the main window owns it.
    virtual void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                             bool owned) = 0;

    // The folder the program was started from.
    virtual std::string CurrentDirectory() = 0;
    // The full path of the running program.
    virtual std::string ProgramPath() = 0;
    // A folder where any user may write temporary files, without a trailing
    // separator.
    virtual std::string TemporaryFolder() = 0;
    // '\\' on Windows, '/' elsewhere.
    virtual char PathSeparator() const = 0;
    // Seconds since 1 January 1970 UTC.
    virtual std::int64_t CurrentUnixTime() = 0;

    // Registry reads: false when the key or value is missing, unreadable or
    // of another type. Writes create the key when needed; false when nothing
    // was stored.
    virtual bool ReadRegistryString(RegistryRoot root, const std::string& key,
                                    const std::string& value, std::string* out) = 0;
    virtual bool ReadRegistryDword(RegistryRoot root, const std::string& key,
                                   const std::string& value, std::uint32_t* out) = 0;
    virtual bool WriteRegistryDword(RegistryRoot root, const std::string& key,
                                    const std::string& value, std::uint32_t data) = 0;
    virtual bool WriteRegistryString(RegistryRoot root, const std::string& key,
                                     const std::string& value, const std::string& data) = 0;

    // The directory entry of a file or folder; false when there is none.
    virtual bool GetFileFacts(const std::string& path, FileFacts* out) = 0;
    virtual std::unique_ptr<FileHandle> OpenFile(const std::string& path, FileMode mode) = 0;
    virtual bool RemoveFile(const std::string& path) = 0;
    // Replaces an existing target.
    virtual bool RenameFile(const std::string& from, const std::string& to) = 0;
    // Creates the last level of the path; an existing folder counts as success.
    virtual bool MakeFolder(const std::string& path) = 0;
    // Removes an empty folder; false when it is not there, holds anything or
    // cannot be removed. Platforms without folders of their own have none.
    virtual bool RemoveFolder(const std::string& path) {
        (void)path;
        return false;
    }

    // The system's reason for the last file operation of this platform that
    // failed ("No space left on device"), for messages; empty when unknown.
    virtual std::string LastFailureReason() { return {}; }

    // Takes the exclusive lock of the file at `path`, made when missing,
    // waiting up to `waitMilliseconds` while another process holds it. Null
    // when it cannot be had: `*busy` is then true when another holder kept
    // it, false when the file could not be made or locked
    // (LastFailureReason says why). A lock left by a process that ended is
    // free. Releasing it removes the file. Platforms without processes to
    // share with hand out a lock that holds nothing.
    virtual std::unique_ptr<FileLock> LockFile(const std::string& path, int waitMilliseconds,
                                               bool* busy) {
        (void)path;
        (void)waitMilliseconds;
        *busy = false;
        return std::make_unique<FileLock>();
    }

    // Opens a document or program through the shell; false when it could not.
    virtual bool ShellStart(const std::string& path) = 0;

    // Tells the shell that file associations changed, so it refreshes icons
    // and open commands. False when there is no shell to tell.
    virtual bool NotifyAssociationsChanged() { return false; }
};

}  // namespace zk
