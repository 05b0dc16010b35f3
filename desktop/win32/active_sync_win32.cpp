#include "desktop/win32/active_sync_win32.h"

#include "activesync/rapi_remote_device_win32.h"

namespace zk {

// rapi.dll is loaded at run time, by the system's search order: on a machine
// without ActiveSync every connection attempt fails.
std::unique_ptr<RemoteDevice> OpenActiveSync() { return std::make_unique<RapiRemoteDevice>(); }

}  // namespace zk
