#include "activesync/rapi_remote_device_win32.h"

#include <cwchar>
#include <string>

namespace zk {
namespace {

// A device path as the API takes it, or nothing when it cannot be passed
// whole: too long for the device, or holding a NUL that would cut it.
bool WidePath(std::u16string_view path, std::wstring* wide) {
    if (path.size() >= MAX_PATH || path.find(u'\0') != std::u16string_view::npos) return false;
    wide->assign(path.begin(), path.end());
    return true;
}

RemoteHandle FromHandle(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? REMOTE_INVALID_HANDLE
                                          : reinterpret_cast<RemoteHandle>(handle);
}

HANDLE ToHandle(RemoteHandle handle) { return reinterpret_cast<HANDLE>(handle); }

void ReadFindData(const rapi::CE_FIND_DATA& found, RemoteFindData* data) {
    data->attributes = found.dwFileAttributes;
    const std::size_t length = wcsnlen(found.cFileName, MAX_PATH);
    data->fileName.assign(found.cFileName, found.cFileName + length);
}

template <typename Fn>
bool Resolve(HMODULE library, const char* name, Fn* fn) {
    // GetProcAddress gives one pointer type for every export; the names
    // are the API's and so are the signatures.
    *fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    return *fn != nullptr;
}

}  // namespace

RapiRemoteDevice::RapiRemoteDevice(const wchar_t* library) {
    library_ = LoadLibraryW(library);
    if (!library_) return;
    available_ = Resolve(library_, "CeRapiInit", &rapiInit_) &&
                 Resolve(library_, "CeRapiUninit", &rapiUninit_) &&
                 Resolve(library_, "CeCreateFile", &createFile_) &&
                 Resolve(library_, "CeWriteFile", &writeFile_) &&
                 Resolve(library_, "CeCloseHandle", &closeHandle_) &&
                 Resolve(library_, "CeCreateProcess", &createProcess_) &&
                 Resolve(library_, "CeFindFirstFile", &findFirstFile_) &&
                 Resolve(library_, "CeFindNextFile", &findNextFile_) &&
                 Resolve(library_, "CeFindClose", &findClose_);
    if (!available_) {
        FreeLibrary(library_);
        library_ = nullptr;
    }
}

RapiRemoteDevice::~RapiRemoteDevice() {
    // The library stays loaded: a worker of an abandoned attempt may still
    // be inside CeRapiInit, and the process ends with the program anyway.
}

HResult RapiRemoteDevice::CeRapiInit() {
    if (!available_) return REMOTE_E_FAIL;
    return static_cast<HResult>(rapiInit_());
}

HResult RapiRemoteDevice::CeRapiUninit() {
    if (!available_) return REMOTE_S_OK;
    return static_cast<HResult>(rapiUninit_());
}

RemoteHandle RapiRemoteDevice::CeCreateFile(std::u16string_view path, std::uint32_t access,
                                            std::uint32_t shareMode, std::uint32_t creation,
                                            std::uint32_t attributes) {
    std::wstring wide;
    if (!available_ || !WidePath(path, &wide)) return REMOTE_INVALID_HANDLE;
    return FromHandle(
        createFile_(wide.c_str(), access, shareMode, nullptr, creation, attributes, nullptr));
}

bool RapiRemoteDevice::CeWriteFile(RemoteHandle file, const void* buffer, std::uint32_t bytes,
                                   std::uint32_t* written) {
    if (written) *written = 0;
    if (!available_) return false;
    DWORD stored = 0;
    const BOOL ok = writeFile_(ToHandle(file), buffer, bytes, &stored, nullptr);
    if (written) *written = stored;
    return ok != FALSE;
}

bool RapiRemoteDevice::CeCloseHandle(RemoteHandle handle) {
    return available_ && closeHandle_(ToHandle(handle)) != FALSE;
}

bool RapiRemoteDevice::CeCreateProcess(std::u16string_view program, std::u16string_view commandLine,
                                       RemoteProcessInfo* info) {
    std::wstring wideProgram;
    if (!available_ || !WidePath(program, &wideProgram) ||
        commandLine.find(u'\0') != std::u16string_view::npos)
        return false;
    const std::wstring wideLine(commandLine.begin(), commandLine.end());
    PROCESS_INFORMATION process = {};
    if (!createProcess_(wideProgram.c_str(), wideLine.c_str(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, nullptr, &process))
        return false;
    if (info) {
        info->process = process.hProcess ? FromHandle(process.hProcess) : REMOTE_INVALID_HANDLE;
        info->thread = process.hThread ? FromHandle(process.hThread) : REMOTE_INVALID_HANDLE;
        info->processId = process.dwProcessId;
        info->threadId = process.dwThreadId;
    }
    return true;
}

RemoteHandle RapiRemoteDevice::CeFindFirstFile(std::u16string_view pattern, RemoteFindData* data) {
    std::wstring wide;
    if (!available_ || !data || !WidePath(pattern, &wide)) return REMOTE_INVALID_HANDLE;
    rapi::CE_FIND_DATA found = {};
    const HANDLE search = findFirstFile_(wide.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return REMOTE_INVALID_HANDLE;
    ReadFindData(found, data);
    return FromHandle(search);
}

bool RapiRemoteDevice::CeFindNextFile(RemoteHandle search, RemoteFindData* data) {
    if (!available_ || !data) return false;
    rapi::CE_FIND_DATA found = {};
    if (!findNextFile_(ToHandle(search), &found)) return false;
    ReadFindData(found, data);
    return true;
}

bool RapiRemoteDevice::CeFindClose(RemoteHandle search) {
    return available_ && findClose_(ToHandle(search)) != FALSE;
}

}  // namespace zk
