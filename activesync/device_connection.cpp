#include "activesync/device_connection.h"

#include <system_error>
#include <utility>

namespace zk {

DeviceConnection::DeviceConnection(RemoteDevice& device, TickWait& wait)
    : device_(device), wait_(wait), current_(std::make_shared<Attempt>()) {}

DeviceConnection::~DeviceConnection() {
    device_.CeRapiUninit();
    for (Worker& worker : workers_) worker.thread.join();
}

bool DeviceConnection::attemptDone() const {
    return current_->done.load(std::memory_order_acquire);
}

HResult DeviceConnection::attemptResult() const {
    return current_->result.load(std::memory_order_acquire);
}

void DeviceConnection::JoinFinishedWorkers() {
    for (auto it = workers_.begin(); it != workers_.end();) {
        if (it->attempt->done.load(std::memory_order_acquire)) {
            it->thread.join();
            it = workers_.erase(it);
        } else {
            ++it;
        }
    }
}

void DeviceConnection::Disconnect() { device_.CeRapiUninit(); }

bool DeviceConnection::ConnectDevice(int seconds) {
    JoinFinishedWorkers();
    // Seconds still to wait. Local, so that a connection started by a
    // command dispatched during the wait has its own.
    int waitTicks = seconds;
    auto attempt = std::make_shared<Attempt>();
    current_ = attempt;
    RemoteDevice& device = device_;
    try {
        workers_.push_back({attempt, std::thread([attempt, &device] {
                                attempt->result.store(device.CeRapiInit(),
                                                      std::memory_order_release);
                                attempt->done.store(true, std::memory_order_release);
                            })});
    } catch (const std::system_error&) {
        return false;  // no thread to run the attempt on
    }

    if (waitTicks > 0) {
        wait_.RunTicks(std::chrono::milliseconds(1000), [&waitTicks, &attempt] {
            if (!attempt->done.load(std::memory_order_acquire) &&
                attempt->result.load(std::memory_order_acquire) >= 0 && waitTicks > 0) {
                --waitTicks;
            } else {
                waitTicks = 0;
            }
            return waitTicks > 0;
        });
    }

    if (attempt->done.load(std::memory_order_acquire))
        return attempt->result.load(std::memory_order_acquire) >= 0;
    device_.CeRapiUninit();
    return false;
}

}  // namespace zk
