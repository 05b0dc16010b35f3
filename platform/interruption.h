// Interruptions of a running build: SIGINT and SIGTERM on POSIX, the console's
// control events on Windows, and the wizard's window closed during a build.
// Handlers only note what came; the build asks at each read and write, stops
// there, removes what it had begun and leaves the earlier outputs alone. The
// program then ends with the exit code shells give a program the signal
// ended, 128 + the signal's number.
#pragma once

namespace zk {

inline constexpr int INTERRUPT_SIGNAL = 2;   // SIGINT, Ctrl+C
inline constexpr int TERMINATE_SIGNAL = 15;  // SIGTERM; on Windows the console closing

// Installs the handlers. A second signal of the same kind ends the program
// at once, for a build stuck in a system call.
void CatchInterruptions();

// The signal that came first, or 0 while none has.
int InterruptionSignal();

// Notes an interruption as a handler does (the window's close, tests).
void NoteInterruption(int signal);
void ClearInterruption();

// A console that closes ends the program when its handler returns; the
// handler waits (a few seconds at most) for the program to call this once
// it has removed what it had begun.
void InterruptionHandled();

inline int InterruptedExitCode(int signal) { return 128 + (signal ? signal : INTERRUPT_SIGNAL); }

}  // namespace zk
