#include <windows.h>

#include "platform/interruption.h"
#include "platform/interruption_state.h"

namespace zk {
namespace {

// Windows ends the program when the handler of a close, log-off or shut-down
// event returns, after at most five seconds: the handler waits a little less
// for the build to clear up.
constexpr DWORD CLOSE_WAIT_MILLISECONDS = 4500;

BOOL WINAPI NoteControlEvent(DWORD event) {
    const bool ending =
        event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT;
    int none = 0;
    g_interruptionSignal.compare_exchange_strong(none,
                                                 ending ? TERMINATE_SIGNAL : INTERRUPT_SIGNAL);
    if (ending) {
        for (DWORD waited = 0; !g_interruptionHandled.load() && waited < CLOSE_WAIT_MILLISECONDS;
             waited += 50)
            Sleep(50);
    }
    return TRUE;
}

}  // namespace

void CatchInterruptions() { SetConsoleCtrlHandler(NoteControlEvent, TRUE); }

}  // namespace zk
