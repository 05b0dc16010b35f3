// How a build went. The first failure decides the message the user sees; the
// build stops there and leaves no half-written output under its final name.
#pragma once

#include <string>

namespace zk {

struct BuildOutcome {
    bool failed = false;
    std::string failure;  // what failed, naming the file

    void Fail(std::string what) {
        if (!failed) {
            failed = true;
            failure = std::move(what);
        }
    }
};

}  // namespace zk
