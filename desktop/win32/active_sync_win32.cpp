#include "desktop/win32/active_sync_win32.h"

namespace zk {
namespace {

// Stands for ActiveSync until the run-time rapi.dll device joins the build:
// as when rapi.dll is missing, every connection attempt fails at once.
class NoActiveSync : public RemoteDevice {
public:
    HResult CeRapiInit() override { return REMOTE_E_FAIL; }
    HResult CeRapiUninit() override { return REMOTE_S_OK; }
    RemoteHandle CeCreateFile(std::u16string_view, std::uint32_t, std::uint32_t, std::uint32_t,
                              std::uint32_t) override {
        return REMOTE_INVALID_HANDLE;
    }
    bool CeWriteFile(RemoteHandle, const void*, std::uint32_t, std::uint32_t* written) override {
        if (written) *written = 0;
        return false;
    }
    bool CeCloseHandle(RemoteHandle) override { return false; }
    bool CeCreateProcess(std::u16string_view, std::u16string_view, RemoteProcessInfo*) override {
        return false;
    }
    RemoteHandle CeFindFirstFile(std::u16string_view, RemoteFindData*) override {
        return REMOTE_INVALID_HANDLE;
    }
    bool CeFindNextFile(RemoteHandle, RemoteFindData*) override { return false; }
    bool CeFindClose(RemoteHandle) override { return false; }
};

}  // namespace

std::unique_ptr<RemoteDevice> OpenActiveSync() { return std::make_unique<NoActiveSync>(); }

}  // namespace zk
