// The state file "\windows\Zephyrkit.dat": the page the installer was on and
// the cabinet it had reached, as the text "%d %d" and nothing else. With the
// restart shortcut it lets an installation go on after a device reset.
//
// Reading back: only a file holding two whole numbers, the first a page
// (-1 to 2), counts; anything else is a fresh start. A saved page below 2
// also starts afresh, from the welcome page; page 2 with cabinet i resumes
// with cabinet i + 1.
#pragma once

#include <cstdint>
#include <string_view>

#include "device/platform/device_platform.h"
#include "device/platform/device_threads.h"

namespace zk {

inline constexpr int PAGE_WELCOME = -1;
inline constexpr int PAGE_EULA = 0;
inline constexpr int PAGE_PREFERENCES = 1;
inline constexpr int PAGE_INSTALLATION = 2;

struct ResumePoint {
    int page = PAGE_WELCOME;
    int resumeIndex = 0;
};

// The two numbers of a state file's text; false unless it holds exactly two
// whole numbers (blanks around them allowed) within the int range.
bool ParseStateText(std::string_view text, int* page, int* index);

// The resume rule applied to what a state file held.
ResumePoint ResumePointOf(int savedPage, int savedIndex);

class StateFile {
public:
    explicit StateFile(DevicePlatform& platform);

    // The state saved by an earlier run, with the resume rule applied; a
    // fresh start when there is none or it cannot be read.
    ResumePoint Load();
    // Replaces the file with "page index"; false when it could not be
    // written (callers go on regardless).
    bool SaveState(int page, int index);
    // Deletes the file; false when there was none.
    bool Remove();

private:
    DevicePlatform& platform_;
    DeviceLock lock_;
};

}  // namespace zk
