// What the interruption handlers of each system share with the portable part.
#pragma once

#include <atomic>

namespace zk {

extern std::atomic<int> g_interruptionSignal;
extern std::atomic<bool> g_interruptionHandled;

}  // namespace zk
