// The emulated device's reset: what a program sees of a restart is that it
// ends at once, every file left as it was.
#pragma once

namespace zk::ce {

// The exit code of a program that a reset ended (0xCE).
inline constexpr unsigned EMULATED_RESET_EXIT_CODE = 206;

// Appends the line "reset" to "\Windows\reset.log" and ends the process
// with EMULATED_RESET_EXIT_CODE. Does not return.
[[noreturn]] void EmulatedReset();

}  // namespace zk::ce
