#include "common/checked_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace zk {

int CheckedExit(const char* program, int code, int writeFailedCode) {
    // A failure while the buffer filled set the stream's error flag long
    // ago; only one at the final flush or close still has its errno. The
    // C++ stream flushes through stdio, so its flush is the first to fail.
    errno = 0;
    std::cout.flush();
    bool outFailed = !std::cout.good();
    int reason = outFailed ? errno : 0;
    errno = 0;
    if (std::fflush(stdout) != 0 && reason == 0) reason = errno;
    outFailed = outFailed || std::ferror(stdout) != 0;
    errno = 0;
    if (std::fclose(stdout) != 0) {
        outFailed = true;
        if (reason == 0) reason = errno;
    }
    if (outFailed || reason != 0) {
        std::fprintf(stderr, "%s: cannot write to standard output: %s\n", program,
                     std::strerror(reason != 0 ? reason : EIO));
        code = writeFailedCode;
    }
    std::cerr.flush();
    if (!std::cerr.good() || std::fflush(stderr) != 0 || std::ferror(stderr) != 0)
        code = writeFailedCode;
    return code;
}

}  // namespace zk
