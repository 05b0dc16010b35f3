#include "activesync/tick_wait.h"

#include <thread>
#include <utility>

namespace zk {

SleepingTickWait::SleepingTickWait(Sleeper sleeper) : sleeper_(std::move(sleeper)) {}

void SleepingTickWait::RunTicks(std::chrono::milliseconds interval,
                                const std::function<bool()>& tick) {
    do {
        if (sleeper_)
            sleeper_(interval);
        else
            std::this_thread::sleep_for(interval);
    } while (tick());
}

}  // namespace zk
