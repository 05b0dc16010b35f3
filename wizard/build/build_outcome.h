// How a build went. The first failure decides the message the user sees; the
// build stops there and leaves no half-written output under its final name.
#pragma once

#include <string>

namespace zk {

enum class BuildFault {
    None,
    Read,         // an input is missing or cannot be read
    Unusable,     // an input is there but the build cannot use it
    Write,        // the output folder or an output cannot be made or written
    Refused,      // the project asks for what a device cannot do
    Busy,         // another build is writing into the output folder
    Interrupted,  // a signal, or the window closed, stopped the build
};

struct BuildOutcome {
    bool failed = false;
    BuildFault fault = BuildFault::None;
    std::string file;     // the file or folder concerned
    std::string problem;  // what is wrong with it: "cannot write", "is 5 bytes long; ..."
    std::string reason;   // the system's reason, when it gave one
    std::string failure;  // the whole sentence, for a message box

    void Fail(BuildFault kind, std::string path, std::string what, std::string why = {}) {
        if (failed) return;
        failed = true;
        fault = kind;
        file = std::move(path);
        problem = std::move(what);
        reason = std::move(why);
        if (kind == BuildFault::Read || kind == BuildFault::Write)
            failure = problem + " " + file;
        else if (kind == BuildFault::Unusable)
            failure = file + " " + problem;
        else
            failure = problem;
        if (!reason.empty()) failure += ": " + reason;
    }
};

}  // namespace zk
