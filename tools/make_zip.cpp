// zk-zip: an archive made with the wizard's own zip writer, for the build
// inputs that are zips themselves ("SystemInfo.dat" holds "SystemInfo.exe").
//
//   zk-zip ARCHIVE MEMBER=FILE...
#include <cstdio>
#include <string>

#include "wizard/build/zip_writer.h"

#if defined(_WIN32)
#include "platform/desktop_platform_win32.h"
using NativePlatform = zk::Win32DesktopPlatform;
#else
#include "platform/desktop_platform_posix.h"
using NativePlatform = zk::PosixDesktopPlatform;
#endif

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: zk-zip ARCHIVE MEMBER=FILE...\n", stderr);
        return 2;
    }
    NativePlatform platform;
    std::uint32_t result = zk::ZIP_OK;
    zk::ZipWriter* zip = zk::ZipCreate(platform, argv[1], &result);
    if (!zip) {
        std::fprintf(stderr, "zk-zip: cannot create %s\n", argv[1]);
        return 1;
    }
    int status = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string spec = argv[i];
        const std::size_t equals = spec.find('=');
        if (equals == std::string::npos || equals == 0) {
            std::fprintf(stderr, "zk-zip: %s is not MEMBER=FILE\n", argv[i]);
            status = 2;
            continue;
        }
        const std::string member = spec.substr(0, equals), file = spec.substr(equals + 1);
        if (zk::ZipAddFile(zip, member.c_str(), file.c_str()) != zk::ZIP_OK) {
            std::fprintf(stderr, "zk-zip: cannot add %s\n", file.c_str());
            status = 1;
        }
    }
    if (zk::ZipClose(zip) != zk::ZIP_OK) {
        std::fprintf(stderr, "zk-zip: cannot write %s\n", argv[1]);
        status = 1;
    }
    if (status != 0) std::remove(argv[1]);
    return status;
}
