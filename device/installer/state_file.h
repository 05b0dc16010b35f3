// The state file "\windows\Zephyrkit.dat": with the restart shortcut it lets
// an installation go on after a device reset, or after a run that could not
// install every cabinet.
//
// A file holding "%d %d" alone, the page the installer was on and the
// cabinet it had reached, is the form earlier installers wrote; it is read
// as it stands. The installer writes a fuller form, whose first line makes
// sure that no cut of it can pass for the two numbers:
//
//   zk-state 1
//   2 1                            page and cabinet, as in the short form
//   sequence 7
//   package 517044 9ab3f0c2        the package's length and its project section's CRC-32
//   cabinets iw-                   one letter per cabinet (CabinetOutcome)
//   prefs 1 1 0 0 1                override, resume, reset when finished, silent, debug log
//   override Storage Card\Apps\     the override folder, as kept
//   log \Temp\Zephyrkit.log
//   end 3fa2b1c0                   CRC-32 of everything before this line
//
// A battery may die in the middle of a write, and the device has no rename
// that replaces, so a save writes the whole text into "\windows\Zephyrkit.new"
// first, then removes the old file and renames the new one. A reader takes
// the complete file with the higher sequence; a file cut anywhere fails its
// end mark and is ignored, so what is read back is always the state before a
// save or the state after it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "device/installer/preferences.h"
#include "device/platform/device_platform.h"
#include "device/platform/device_threads.h"

namespace zk {

inline constexpr int PAGE_WELCOME = -1;
inline constexpr int PAGE_EULA = 0;
inline constexpr int PAGE_PREFERENCES = 1;
inline constexpr int PAGE_INSTALLATION = 2;

// What became of a cabinet, as the state file keeps it.
enum class CabinetOutcome : char {
    NotReached = '-',
    Unpacking = 'u',  // its section was being unpacked
    Handed = 'w',     // handed to the platform installer, which had not returned
    Installed = 'i',
    Failed = 'f',
    Skipped = 's',  // it does not suit the device
};

bool IsCabinetOutcome(char letter);

// Which package wrote a state: its length and the CRC-32 of its project
// section's bytes. All zero when the package cannot be read.
struct PackageIdentity {
    std::uint64_t length = 0;
    std::uint32_t projectCrc = 0;
    bool operator==(const PackageIdentity&) const = default;
};

// The preferences a resumed run goes on with, and where it logs.
struct SavedPreferences : Preferences {
    std::u16string logPath;
};

struct SavedState {
    int page = PAGE_WELCOME;
    int index = 0;      // the cabinet reached
    bool full = false;  // more than the first line: the rest holds
    std::uint32_t sequence = 0;
    PackageIdentity package;
    std::string cabinets;  // CabinetOutcome letters, one per cabinet
    SavedPreferences preferences;
};

// The text of a full state, end mark included.
std::string StateText(const SavedState& state);

// A state file's text: the two-number form (blanks around the numbers
// allowed, the numbers within the int range) or the full form with a
// matching end mark. False for anything else.
bool ParseStateText(std::string_view text, SavedState* state);

inline constexpr char16_t STATE_FILE_NEW[] = u"\\windows\\Zephyrkit.new";

class StateFile {
public:
    explicit StateFile(DevicePlatform& platform);

    // The newest complete state of the two files; false when neither holds
    // one. Leaves only the main file behind, holding what was read.
    bool Load(SavedState* state);
    // Writes the state with the next sequence number; false when it could
    // not be written whole or would be too long to read back (the previous
    // state then stays).
    bool Save(SavedState state);
    // Deletes both files; false when there was none.
    bool Remove();

private:
    bool ReadOne(std::u16string_view path, SavedState* state);

    DevicePlatform& platform_;
    DeviceLock lock_;
    std::uint32_t sequence_ = 0;
};

}  // namespace zk
