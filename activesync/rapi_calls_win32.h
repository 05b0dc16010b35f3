// The ActiveSync Remote API as rapi.dll exports it: the nine calls the
// wizard and the desktop installer make, by name and signature, and the
// find-data record. Both resolve them at run time; the emulated ActiveSync
// of the windows build exports exactly these, checked against the types
// below.
#pragma once

#include <windows.h>

namespace zk::rapi {

struct CE_FIND_DATA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwOID;
    WCHAR cFileName[MAX_PATH];
};
using LPCE_FIND_DATA = CE_FIND_DATA*;

using CeRapiInitFn = HRESULT(WINAPI*)();
using CeRapiUninitFn = HRESULT(WINAPI*)();
using CeCreateFileFn = HANDLE(WINAPI*)(LPCWSTR fileName, DWORD access, DWORD shareMode,
                                       LPSECURITY_ATTRIBUTES security, DWORD creation,
                                       DWORD flagsAndAttributes, HANDLE templateFile);
using CeWriteFileFn = BOOL(WINAPI*)(HANDLE file, LPCVOID buffer, DWORD bytes, LPDWORD written,
                                    LPOVERLAPPED overlapped);
using CeCloseHandleFn = BOOL(WINAPI*)(HANDLE handle);
using CeCreateProcessFn = BOOL(WINAPI*)(LPCWSTR applicationName, LPCWSTR commandLine,
                                        LPSECURITY_ATTRIBUTES processAttributes,
                                        LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                                        DWORD creationFlags, LPVOID environment,
                                        LPWSTR currentDirectory, LPSTARTUPINFOW startupInfo,
                                        LPPROCESS_INFORMATION processInformation);
using CeFindFirstFileFn = HANDLE(WINAPI*)(LPCWSTR pattern, LPCE_FIND_DATA findData);
using CeFindNextFileFn = BOOL(WINAPI*)(HANDLE search, LPCE_FIND_DATA findData);
using CeFindCloseFn = BOOL(WINAPI*)(HANDLE search);

}  // namespace zk::rapi
