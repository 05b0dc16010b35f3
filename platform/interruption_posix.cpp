#include <signal.h>

#include "platform/interruption.h"
#include "platform/interruption_state.h"

namespace zk {
namespace {

extern "C" void NoteSignal(int signal) {
    int none = 0;
    g_interruptionSignal.compare_exchange_strong(none, signal);
}

}  // namespace

void CatchInterruptions() {
    struct sigaction action = {};
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    // The first signal is noted and the build winds down; SA_RESETHAND gives
    // the next one its default action, which ends the program.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace zk
