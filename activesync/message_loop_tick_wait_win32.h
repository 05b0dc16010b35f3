// The wait port on Windows: a thread timer without a window and a loop that
// gets, translates and dispatches the thread's messages until the ticks end,
// so the windows of the thread stay responsive while the program waits for a
// device. A command dispatched during the wait may start a wait of its own;
// each wait's timer calls only its own ticks, whichever loop dispatches it.
//
// A WM_QUIT met during the wait ends it at once and is posted again, so the
// program's main loop still sees it.
#pragma once

#include "activesync/tick_wait.h"

namespace zk {

class MessageLoopTickWait : public TickWait {
public:
    void RunTicks(std::chrono::milliseconds interval, const std::function<bool()>& tick) override;
};

}  // namespace zk
