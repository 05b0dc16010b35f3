#include "device/platform/device_threads.h"

#include <mutex>
#include <new>
#include <thread>

namespace zk {
namespace {

static_assert(sizeof(std::mutex) <= 64);

std::mutex* Mutex(unsigned char* storage) {
    return std::launder(reinterpret_cast<std::mutex*>(storage));
}

}  // namespace

DeviceLock::DeviceLock() { new (storage_) std::mutex(); }
DeviceLock::~DeviceLock() { Mutex(storage_)->~mutex(); }
void DeviceLock::Lock() { Mutex(storage_)->lock(); }
void DeviceLock::Unlock() { Mutex(storage_)->unlock(); }

DeviceThread::~DeviceThread() { Join(); }

bool DeviceThread::Start(Routine routine, void* context) {
    if (handle_) return false;
    handle_ = new std::thread(routine, context);
    return true;
}

void DeviceThread::Join() {
    if (!handle_) return;
    auto* thread = static_cast<std::thread*>(handle_);
    thread->join();
    delete thread;
    handle_ = nullptr;
}

}  // namespace zk
