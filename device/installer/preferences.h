// The preferences of the device installer's preferences page, with their
// first values. A run that goes on after a reset takes them from the state
// file, so they hold for the whole installation.
#pragma once

#include <string>

namespace zk {

struct Preferences {
    bool overrideInstallPath = false;
    std::u16string overrideFolder;  // as kept: "Storage Card\Apps\"
    bool resumeOnReset = true;      // off: a reset during the installation does not resume it
    bool resetWhenFinished = false;
    bool silentInstall = false;
    bool debugLog = false;  // on: the log also tells what was unpacked and each
                            // platform installer's exit; the rest is always written
};

}  // namespace zk
