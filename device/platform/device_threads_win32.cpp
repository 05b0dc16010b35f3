#include "device/platform/device_threads.h"

#include <windows.h>

#include <new>

namespace zk {
namespace {

static_assert(sizeof(CRITICAL_SECTION) <= 64);

struct ThreadStart {
    DeviceThread::Routine routine;
    void* context;
};

DWORD WINAPI RunThread(LPVOID start) {
    ThreadStart* s = static_cast<ThreadStart*>(start);
    ThreadStart copy = *s;
    delete s;
    copy.routine(copy.context);
    return 1;
}

CRITICAL_SECTION* Section(unsigned char* storage) {
    return reinterpret_cast<CRITICAL_SECTION*>(storage);
}

}  // namespace

DeviceLock::DeviceLock() { InitializeCriticalSection(Section(storage_)); }
DeviceLock::~DeviceLock() { DeleteCriticalSection(Section(storage_)); }
void DeviceLock::Lock() { EnterCriticalSection(Section(storage_)); }
void DeviceLock::Unlock() { LeaveCriticalSection(Section(storage_)); }

DeviceThread::~DeviceThread() { Join(); }

bool DeviceThread::Start(Routine routine, void* context) {
    if (handle_) return false;
    ThreadStart* start = new (std::nothrow) ThreadStart{routine, context};
    if (!start) return false;
    HANDLE thread = CreateThread(nullptr, 0, RunThread, start, 0, nullptr);
    if (!thread) {
        delete start;
        return false;
    }
    handle_ = thread;
    return true;
}

void DeviceThread::Join() {
    if (!handle_) return;
    WaitForSingleObject(static_cast<HANDLE>(handle_), INFINITE);
    CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
}

}  // namespace zk
