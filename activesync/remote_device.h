// The remote device port: the ActiveSync Remote API calls the wizard and the
// desktop installer make, one method each, with the names and the meaning of
// rapi.dll's. On Windows rapi.dll is loaded at run time (when it is missing
// every connection attempt fails); under Wine the emulated rapi.dll
// (emulator/rapi/) answers, and tests use FolderRemoteDevice
// (tests/support/), where a host folder plays the device's file system.
//
// Device paths are absolute UTF-16 paths on the device ("\Temp\Demo.exe").
// Results follow the API: HRESULTs (negative = failure) for the connection,
// a handle or REMOTE_INVALID_HANDLE for opens and searches, true/false for
// the rest. Nothing here throws.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zk {

using HResult = std::int32_t;

inline constexpr HResult REMOTE_S_OK = 0;
inline constexpr HResult REMOTE_E_FAIL = static_cast<HResult>(0x80004005u);
// What CeRapiInit returns when CeRapiUninit abandoned it.
inline constexpr HResult REMOTE_E_ABORT = static_cast<HResult>(0x80004004u);

// A device-side handle, opaque to the wizard. The Win32 implementation
// passes HANDLE values through; INVALID_HANDLE_VALUE is all ones.
using RemoteHandle = std::uintptr_t;
inline constexpr RemoteHandle REMOTE_INVALID_HANDLE = ~RemoteHandle{0};

// CeCreateFile's access, sharing, creation and attribute values.
inline constexpr std::uint32_t REMOTE_GENERIC_READ = 0x80000000u;
inline constexpr std::uint32_t REMOTE_GENERIC_WRITE = 0x40000000u;
inline constexpr std::uint32_t REMOTE_FILE_SHARE_READ = 0x1;
inline constexpr std::uint32_t REMOTE_FILE_SHARE_WRITE = 0x2;
inline constexpr std::uint32_t REMOTE_CREATE_NEW = 1;
inline constexpr std::uint32_t REMOTE_CREATE_ALWAYS = 2;
inline constexpr std::uint32_t REMOTE_OPEN_EXISTING = 3;
inline constexpr std::uint32_t REMOTE_OPEN_ALWAYS = 4;
inline constexpr std::uint32_t REMOTE_TRUNCATE_EXISTING = 5;
inline constexpr std::uint32_t REMOTE_ATTR_READONLY = 0x01;
inline constexpr std::uint32_t REMOTE_ATTR_DIRECTORY = 0x10;
inline constexpr std::uint32_t REMOTE_ATTR_ARCHIVE = 0x20;
inline constexpr std::uint32_t REMOTE_ATTR_NORMAL = 0x80;

// The part of CE_FIND_DATA that the folder browser reads.
struct RemoteFindData {
    std::uint32_t attributes = 0;  // REMOTE_ATTR_* bits
    std::u16string fileName;       // the name alone, without its folder
};

// What CeCreateProcess reports of a started program. Both handles must be
// given back with CeCloseHandle.
struct RemoteProcessInfo {
    RemoteHandle process = REMOTE_INVALID_HANDLE;
    RemoteHandle thread = REMOTE_INVALID_HANDLE;
    std::uint32_t processId = 0;
    std::uint32_t threadId = 0;
};

class RemoteDevice {
public:
    virtual ~RemoteDevice() = default;

    // Opens a connection to the device. Called on a worker thread, it may
    // block for as long as no device answers; it returns a non-negative
    // value once a connection is open and a negative one when it failed.
    // It returns early, with a failure, when CeRapiUninit is called from
    // another thread meanwhile. Every method of the port may be called
    // while it blocks.
    virtual HResult CeRapiInit() = 0;
    // Ends the connection, closing what was left open through it, and
    // abandons an attempt still under way. Harmless without a connection.
    virtual HResult CeRapiUninit() = 0;

    // Opens or creates a device file (access, sharing, creation and
    // attributes as in CreateFile). REMOTE_INVALID_HANDLE on failure,
    // including when no connection is open.
    virtual RemoteHandle CeCreateFile(std::u16string_view path, std::uint32_t access,
                                      std::uint32_t shareMode, std::uint32_t creation,
                                      std::uint32_t attributes) = 0;
    // Writes `bytes` from `buffer` at the file's position; `written`
    // receives how many reached the file. False on failure; a true result
    // with `written` below `bytes` is a failure too (a full device).
    virtual bool CeWriteFile(RemoteHandle file, const void* buffer, std::uint32_t bytes,
                             std::uint32_t* written) = 0;
    // Closes a file or process handle; false for a handle that is not open
    // or a file whose data could not all be stored.
    virtual bool CeCloseHandle(RemoteHandle handle) = 0;

    // Starts a program on the device with a command line (the text after
    // the program's name; may be empty), without waiting for it. True when
    // it was started; `info` then holds its handles.
    virtual bool CeCreateProcess(std::u16string_view program, std::u16string_view commandLine,
                                 RemoteProcessInfo* info) = 0;

    // Starts a search with a pattern such as "\Windows\*.*" (wildcards in
    // the last level only) and returns the first entry. The search handle,
    // or REMOTE_INVALID_HANDLE when nothing matches or the folder cannot be
    // read. A valid handle must be given back with CeFindClose.
    virtual RemoteHandle CeFindFirstFile(std::u16string_view pattern, RemoteFindData* data) = 0;
    // The next entry; false when there is none left.
    virtual bool CeFindNextFile(RemoteHandle search, RemoteFindData* data) = 0;
    virtual bool CeFindClose(RemoteHandle search) = 0;
};

}  // namespace zk
