// The end of every host command: standard output and standard error flushed
// and closed with their errors checked. Output into a full disk, a closed
// pipe or /dev/full is then a message and a failing exit code, never a
// success that left an empty file behind.
#pragma once

namespace zk {

// Flushes std::cout, std::cerr, stdout and stderr and closes standard
// output. Returns `code` when everything written reached its destination.
// Otherwise prints "PROGRAM: cannot write to standard output: REASON" (the
// system's reason, "No space left on device") on standard error, as far as
// that still takes text, and returns `writeFailedCode`; a standard error that
// failed changes the code the same way, with no one left to tell.
int CheckedExit(const char* program, int code, int writeFailedCode);

}  // namespace zk
