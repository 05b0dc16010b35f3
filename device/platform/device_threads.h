// A lock and a worker thread for the device programs' portable logic. The
// device stub keeps to the Windows CE kernel's own primitives (critical
// sections, CreateThread) rather than the C++ runtime's, which would bring
// the thread library into a program that must stay small; the POSIX build
// plays them with the standard library.
#pragma once

#include <cstddef>

namespace zk {

class DeviceLock {
public:
    DeviceLock();
    ~DeviceLock();
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

    void Lock();
    void Unlock();

private:
    // Room for the system's lock object, which the OS file places here.
    alignas(16) unsigned char storage_[64];
};

// Holds a lock for a scope.
class DeviceLockHold {
public:
    explicit DeviceLockHold(DeviceLock& lock) : lock_(lock) { lock_.Lock(); }
    ~DeviceLockHold() { lock_.Unlock(); }
    DeviceLockHold(const DeviceLockHold&) = delete;
    DeviceLockHold& operator=(const DeviceLockHold&) = delete;

private:
    DeviceLock& lock_;
};

class DeviceThread {
public:
    using Routine = void (*)(void* context);

    DeviceThread() = default;
    // Waits for a thread still running.
    ~DeviceThread();
    DeviceThread(const DeviceThread&) = delete;
    DeviceThread& operator=(const DeviceThread&) = delete;

    // Runs routine(context) on a new thread; false when none could be
    // started (or one was started already).
    bool Start(Routine routine, void* context);
    // Returns once the thread has ended; at once when none was started.
    void Join();
    bool Started() const { return handle_ != nullptr; }

private:
    void* handle_ = nullptr;
};

}  // namespace zk
