// The remote device over ActiveSync: rapi.dll, loaded at run time with the
// system's search order (the program's folder first), so that a program
// using it starts and runs on a PC without ActiveSync. When the library or
// any of the nine calls is missing, every connection attempt fails and
// nothing else reaches a device.
//
// Device handles are the API's HANDLE values passed through unchanged.
// Device paths of MAX_PATH characters or more are refused here: the device
// keeps paths in MAX_PATH buffers and a cut path would name another file.
#pragma once

#include <windows.h>

#include "activesync/rapi_calls_win32.h"
#include "activesync/remote_device.h"

namespace zk {

class RapiRemoteDevice : public RemoteDevice {
public:
    // `library`: the name (or path) LoadLibraryW is given.
    explicit RapiRemoteDevice(const wchar_t* library = L"rapi.dll");
    ~RapiRemoteDevice() override;
    RapiRemoteDevice(const RapiRemoteDevice&) = delete;
    RapiRemoteDevice& operator=(const RapiRemoteDevice&) = delete;

    // True when the library and all nine calls were found.
    bool available() const { return available_; }

    HResult CeRapiInit() override;
    HResult CeRapiUninit() override;
    RemoteHandle CeCreateFile(std::u16string_view path, std::uint32_t access,
                              std::uint32_t shareMode, std::uint32_t creation,
                              std::uint32_t attributes) override;
    bool CeWriteFile(RemoteHandle file, const void* buffer, std::uint32_t bytes,
                     std::uint32_t* written) override;
    bool CeCloseHandle(RemoteHandle handle) override;
    bool CeCreateProcess(std::u16string_view program, std::u16string_view commandLine,
                         RemoteProcessInfo* info) override;
    RemoteHandle CeFindFirstFile(std::u16string_view pattern, RemoteFindData* data) override;
    bool CeFindNextFile(RemoteHandle search, RemoteFindData* data) override;
    bool CeFindClose(RemoteHandle search) override;

private:
    HMODULE library_ = nullptr;
    bool available_ = false;
    rapi::CeRapiInitFn rapiInit_ = nullptr;
    rapi::CeRapiUninitFn rapiUninit_ = nullptr;
    rapi::CeCreateFileFn createFile_ = nullptr;
    rapi::CeWriteFileFn writeFile_ = nullptr;
    rapi::CeCloseHandleFn closeHandle_ = nullptr;
    rapi::CeCreateProcessFn createProcess_ = nullptr;
    rapi::CeFindFirstFileFn findFirstFile_ = nullptr;
    rapi::CeFindNextFileFn findNextFile_ = nullptr;
    rapi::CeFindCloseFn findClose_ = nullptr;
};

}  // namespace zk
