#include "platform/interruption.h"

#include <atomic>

#include "platform/interruption_state.h"

namespace zk {

std::atomic<int> g_interruptionSignal{0};
std::atomic<bool> g_interruptionHandled{false};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler stores it");

int InterruptionSignal() { return g_interruptionSignal.load(); }

void NoteInterruption(int signal) {
    int none = 0;
    g_interruptionSignal.compare_exchange_strong(none, signal);
}

void ClearInterruption() {
    g_interruptionSignal.store(0);
    g_interruptionHandled.store(false);
}

void InterruptionHandled() { g_interruptionHandled.store(true); }

}  // namespace zk
