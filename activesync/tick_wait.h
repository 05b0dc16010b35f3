// The wait port: how a program waits for a device while the window stays
// responsive. The Win32 front implements it with a thread timer (no window)
// and a loop that gets, translates and dispatches the thread's messages, so
// other commands of the window may run between ticks. The portable
// implementation sleeps; its sleeper is handed in so that tests need not
// wait whole seconds.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace zk {

class TickWait {
public:
    virtual ~TickWait() = default;

    // Calls `tick` every `interval` and returns once a call has returned
    // false. The first call comes one interval after the start.
    virtual void RunTicks(std::chrono::milliseconds interval,
                          const std::function<bool()>& tick) = 0;
};

class SleepingTickWait : public TickWait {
public:
    using Sleeper = std::function<void(std::chrono::milliseconds)>;

    // Without a sleeper the calling thread sleeps for real.
    explicit SleepingTickWait(Sleeper sleeper = {});

    void RunTicks(std::chrono::milliseconds interval, const std::function<bool()>& tick) override;

private:
    Sleeper sleeper_;
};

}  // namespace zk
