// The device platform port: what the device programs' portable logic needs of
// Windows CE. The logic is handed one of these and never calls the OS itself.
//
// Device paths are UTF-16 and absolute: "\Temp\Cab.zip". Both '\' and '/'
// separate levels, "." and ".." are resolved the way the device resolves them
// (".." at the root stays at the root), and names are compared without regard
// to letter case: "\windows\Zephyrkit.dat" and "\Windows\wceload.exe" name the
// same folder. A name that does not exist yet is created with the case given.
//
// One implementation per OS: device_platform_win32.cpp hands the paths to the
// system as they stand; device_platform_posix.cpp maps them below a device
// root folder. Process start, the registry, reset, the tick count and the
// device facts belong here too and join as the installer comes to need them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace zk {

// Windows file-attribute bits as the device file system keeps them.
inline constexpr std::uint32_t DEVICE_ATTR_READONLY = 0x01;
inline constexpr std::uint32_t DEVICE_ATTR_HIDDEN = 0x02;
inline constexpr std::uint32_t DEVICE_ATTR_SYSTEM = 0x04;
inline constexpr std::uint32_t DEVICE_ATTR_DIRECTORY = 0x10;
inline constexpr std::uint32_t DEVICE_ATTR_ARCHIVE = 0x20;
inline constexpr std::uint32_t DEVICE_ATTR_NORMAL = 0x80;

// File times are 100-nanosecond counts since 1 January 1601 (a FILETIME).
inline constexpr std::uint64_t DEVICE_FILETIME_UNIX_EPOCH = 116444736000000000ULL;
inline constexpr std::uint64_t DEVICE_FILETIME_PER_SECOND = 10000000ULL;

struct DeviceFileTimes {
    std::uint64_t creation = 0;
    std::uint64_t access = 0;
    std::uint64_t modification = 0;
};

enum class DeviceSeek { Start, Current, End };

enum class DeviceOpenMode {
    Read,         // an existing file; others may read it too
    CreateWrite,  // created, or emptied when it exists; no sharing
    Append,       // created when missing, every write goes to its end
};

// An open device file.
class DeviceFile {
public:
    virtual ~DeviceFile() = default;

    // Reads up to `bytes` from the current position and returns how many were
    // read. A short read means end of file or a failure; callers do not retry.
    virtual std::size_t Read(void* buffer, std::size_t bytes) = 0;
    // Returns the bytes written; fewer than asked means the write failed.
    virtual std::size_t Write(const void* buffer, std::size_t bytes) = 0;
    // Moves the position; false when the file cannot seek or the position
    // would fall before the start of the file.
    virtual bool Seek(std::int64_t offset, DeviceSeek origin) = 0;
    // The current position; false when the file cannot seek (a pipe or a
    // device stream).
    virtual bool Tell(std::uint64_t* position) = 0;
    // Sets the three times of a file open for writing; later writes may
    // change the modification time again.
    virtual bool SetTimes(const DeviceFileTimes& times) = 0;
    // Flushes and closes; false when not everything reached the file. The
    // destructor closes a file left open.
    virtual bool Close() = 0;
};

class DevicePlatform {
public:
    virtual ~DevicePlatform() = default;

    // Null when the file cannot be opened in that mode. CreateWrite gives a
    // new file the attributes (DEVICE_ATTR_*; directory and normal bits are
    // ignored); it fails on an existing read-only file, as on the device.
    virtual std::unique_ptr<DeviceFile> OpenFile(std::u16string_view path, DeviceOpenMode mode,
                                                 std::uint32_t attributes = DEVICE_ATTR_NORMAL) = 0;
    // Deletes a file (not a folder); false when nothing was deleted.
    virtual bool RemoveFile(std::u16string_view path) = 0;
    // Creates the last level of the path; false when it exists already or its
    // parent is missing.
    virtual bool CreateFolder(std::u16string_view path) = 0;
    // The attributes of an existing file or folder; false when there is none.
    virtual bool GetAttributes(std::u16string_view path, std::uint32_t* attributes) = 0;
    // A file time in the device's local time turned into UTC, with the rules
    // of the device's time zone.
    virtual std::uint64_t LocalFileTimeToUtc(std::uint64_t localTime) = 0;
    // Sets the attributes of an existing file (read-only, hidden, system,
    // archive; the other bits are ignored).
    virtual bool SetAttributes(std::u16string_view path, std::uint32_t attributes) = 0;
    // Renames a file. Fails when `to` exists, as the device's MoveFile does:
    // there is no replacing rename on the device.
    virtual bool RenameFile(std::u16string_view from, std::u16string_view to) = 0;

    // What the installer needs beyond files. A platform that cannot do one of
    // these keeps the default, which fails (or counts no time).

    // Starts the program at the absolute device path with the command line
    // (the text after the program name; may be empty) and waits, without a
    // time limit, until it ends. False when it could not be started.
    // exitCode, when given, receives the program's exit code.
    virtual bool StartProgramAndWait(std::u16string_view program, std::u16string_view commandLine,
                                     std::uint32_t* exitCode = nullptr) {
        (void)program;
        (void)commandLine;
        (void)exitCode;
        return false;
    }
    // Sets a text value (REG_SZ, its terminating zero counted in the stored
    // length) in a key below HKEY_LOCAL_MACHINE, creating the key when it is
    // missing. Key and value names are compared without regard to case.
    virtual bool WriteRegistryText(std::u16string_view key, std::u16string_view name,
                                   std::u16string_view value) {
        (void)key;
        (void)name;
        (void)value;
        return false;
    }
    // A DWORD value (REG_DWORD) below HKEY_LOCAL_MACHINE; the key is created
    // when it is missing.
    virtual bool WriteRegistryNumber(std::u16string_view key, std::u16string_view name,
                                     std::uint32_t value) {
        (void)key;
        (void)name;
        (void)value;
        return false;
    }
    // False when the key or the value is missing or the value is no DWORD.
    virtual bool ReadRegistryNumber(std::u16string_view key, std::u16string_view name,
                                    std::uint32_t* value) {
        (void)key;
        (void)name;
        (void)value;
        return false;
    }
    // The bytes this program may still write on the volume that holds
    // `path` (GetDiskFreeSpaceEx); false when the platform cannot tell.
    virtual bool FreeStorage(std::u16string_view path, std::uint64_t* bytes) {
        (void)path;
        (void)bytes;
        return false;
    }
    // Restarts the device. It does not return when the restart happens: a
    // return means the platform refused.
    virtual bool ResetDevice() { return false; }
    // Milliseconds since the device started; wraps around after 49.7 days.
    virtual std::uint32_t TickCount() { return 0; }
};

}  // namespace zk
