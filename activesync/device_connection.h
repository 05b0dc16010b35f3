// The ActiveSync connection: one attempt at a time, each on its own worker
// thread, because CeRapiInit blocks until a device answers. The caller's
// thread waits in one-second ticks through the wait port and gives up when
// the seconds run out, abandoning the attempt with CeRapiUninit.
//
// The worker publishes its result and then its done flag (atomics, no
// locks); the ticks read them on the caller's thread. Each attempt starts
// with fresh state on the caller's thread, so neither a worker that has not
// yet run nor the outcome of an earlier attempt can decide a new one, and a
// worker of an abandoned attempt that returns late writes only its own
// attempt's state.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "activesync/remote_device.h"
#include "activesync/tick_wait.h"

namespace zk {

inline constexpr int CONNECT_SECONDS = 5;

class DeviceConnection {
public:
    DeviceConnection(RemoteDevice& device, TickWait& wait);
    // Ends any connection and waits for the attempts' workers.
    ~DeviceConnection();
    DeviceConnection(const DeviceConnection&) = delete;
    DeviceConnection& operator=(const DeviceConnection&) = delete;

    // True when a connection is open; it stays open. A device that answers
    // at once is known after the first tick; without an answer the attempt
    // is abandoned after `seconds` ticks.
    bool ConnectDevice(int seconds);
    // CeRapiUninit: ends the connection and abandons an attempt under way.
    void Disconnect();

    RemoteDevice& device() { return device_; }

    // The state of the latest attempt.
    bool attemptDone() const;
    HResult attemptResult() const;

private:
    struct Attempt {
        std::atomic<bool> done{false};
        std::atomic<HResult> result{0};
    };
    struct Worker {
        std::shared_ptr<Attempt> attempt;
        std::thread thread;
    };

    void JoinFinishedWorkers();

    RemoteDevice& device_;
    TickWait& wait_;
    std::shared_ptr<Attempt> current_;
    std::vector<Worker> workers_;
};

}  // namespace zk
