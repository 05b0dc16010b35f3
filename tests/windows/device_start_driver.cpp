// Starts a device program the way the installer engine does, with its
// command line exactly as given: Wine would quote a command line made from
// a shell's arguments its own way.
//
//   device_start_driver.exe PROGRAM COMMANDLINE
//
// PROGRAM is a device path ("\Windows\wceload.exe"), resolved on the drive
// of the current folder. Exit status: 0 started and ended, 1 could not be
// started, 2 wrong arguments.
#include <cstdio>
#include <string>

#include "device/platform/device_platform_win32.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: device_start_driver PROGRAM COMMANDLINE\n");
        return 2;
    }
    const std::wstring program = argv[1], commandLine = argv[2];
    zk::Win32DevicePlatform device;
    const bool started =
        device.StartProgramAndWait(std::u16string(program.begin(), program.end()),
                                   std::u16string(commandLine.begin(), commandLine.end()));
    return started ? 0 : 1;
}
