#include "activesync/message_loop_tick_wait_win32.h"

#include <windows.h>

#include <map>

namespace zk {
namespace {

struct Wait {
    const std::function<bool()>* tick;
    bool over = false;
};

// The waits under way on this thread, by timer id: a thread timer's
// procedure learns only its id.
thread_local std::map<UINT_PTR, Wait*> waits;

void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    auto found = waits.find(id);
    if (found == waits.end()) return;
    Wait& wait = *found->second;
    if (wait.over) return;
    if (!(*wait.tick)()) {
        wait.over = true;
        KillTimer(nullptr, id);
    }
}

}  // namespace

void MessageLoopTickWait::RunTicks(std::chrono::milliseconds interval,
                                   const std::function<bool()>& tick) {
    Wait wait{&tick};
    const UINT_PTR id = SetTimer(nullptr, 0, static_cast<UINT>(interval.count()), OnTimer);
    if (id == 0) {
        // No timer to wait with: the ticks still come, by sleeping between
        // them, though the window does not answer meanwhile.
        Sleep(static_cast<DWORD>(interval.count()));
        while (tick()) Sleep(static_cast<DWORD>(interval.count()));
        return;
    }
    waits[id] = &wait;
    MSG message;
    while (!wait.over) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (!wait.over) KillTimer(nullptr, id);
    waits.erase(id);
}

}  // namespace zk
