// A reset takes the program away between two instructions: no destructors,
// no atexit handlers, no flushing of what the program buffered. Ending the
// process from outside its own exit path is the closest a desktop gets; the
// log line tells the driver of a test that the device restarted.
#include "emulator/ce/emulated_reset.h"

#include <windows.h>

namespace zk::ce {

void EmulatedReset() {
    HANDLE log = CreateFileW(L"\\Windows\\reset.log", FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log != INVALID_HANDLE_VALUE) {
        static const char LINE[] = "reset\n";
        DWORD written = 0;
        WriteFile(log, LINE, sizeof LINE - 1, &written, nullptr);
        CloseHandle(log);
    }
    TerminateProcess(GetCurrentProcess(), EMULATED_RESET_EXIT_CODE);
    // TerminateProcess on the own process does not come back; should it
    // ever, the program still must not go on as if nothing happened.
    ExitProcess(EMULATED_RESET_EXIT_CODE);
}

}  // namespace zk::ce
