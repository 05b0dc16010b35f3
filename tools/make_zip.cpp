// zk-zip: an archive made with the wizard's own zip writer, for the build
// inputs that are zips themselves ("SystemInfo.dat" holds "SystemInfo.exe").
//
//   zk-zip ARCHIVE MEMBER=FILE...
#include <cstdio>
#include <string>
#include <vector>

#include "wizard/build/zip_writer.h"

#if defined(_WIN32)
#include "platform/desktop_platform_win32.h"
using NativePlatform = zk::Win32DesktopPlatform;
#else
#include "platform/desktop_platform_posix.h"
#include "platform/host_text.h"
using NativePlatform = zk::PosixDesktopPlatform;
#endif

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: zk-zip ARCHIVE MEMBER=FILE...\n", stderr);
        return 2;
    }
    // The writer takes names in the desktop's code page, as Windows hands
    // them over; here the command line is UTF-8. Messages show them as typed.
    std::vector<std::string> args(argv, argv + argc);
#if !defined(_WIN32)
    std::string problem;
    if (!zk::RecordArguments(std::vector<std::string>(argv + 1, argv + argc), &args, &problem)) {
        std::fprintf(stderr, "zk-zip: %s\n", problem.c_str());
        return 2;
    }
    args.insert(args.begin(), argv[0]);
#endif
    NativePlatform platform;
    std::uint32_t result = zk::ZIP_OK;
    zk::ZipWriter* zip = zk::ZipCreate(platform, args[1].c_str(), &result);
    if (!zip) {
        std::fprintf(stderr, "zk-zip: cannot create %s\n", argv[1]);
        return 1;
    }
    int status = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string argument = args[static_cast<std::size_t>(i)];
        const std::size_t equals = argument.find('=');
        if (equals == std::string::npos || equals == 0) {
            std::fprintf(stderr, "zk-zip: %s is not MEMBER=FILE\n", argv[i]);
            status = 2;
            continue;
        }
        const std::string member = argument.substr(0, equals), file = argument.substr(equals + 1);
        if (zk::ZipAddFile(zip, member.c_str(), file.c_str()) != zk::ZIP_OK) {
            std::fprintf(stderr, "zk-zip: cannot add %s\n", argv[i]);
            status = 1;
        }
    }
    if (zk::ZipClose(zip) != zk::ZIP_OK) {
        std::fprintf(stderr, "zk-zip: cannot write %s\n", argv[1]);
        status = 1;
    }
    if (status != 0) platform.RemoveFile(args[1]);
    return status;
}
