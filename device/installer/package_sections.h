// Reading the package's sections from the open package stream: each is a
// u32 little-endian byte count N and N bytes forming one zip archive. A
// section is copied to a temporary zip in the device root in 16 KiB blocks,
// then unpacked into "\Temp" and the temporary zip deleted.
//
// A package may be cut short or damaged. A count that runs past the end of
// the file copies what is there; a count that is itself cut off, or missing,
// gives an empty temporary zip. Nothing is ever allocated by the count, and
// whatever happens the stream has moved past the section (or to the end), so
// later sections stay in step with the list. Each fault is logged under the
// routine's name and counted in the state's damage.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "device/installer/installer_state.h"
#include "device/unzip/unzip_status.h"
#include "device/platform/device_platform.h"

namespace zk {

inline constexpr std::size_t SECTION_BLOCK_BYTES = 16 * 1024;

enum class SectionFate {
    Whole,     // the count and all its bytes were there
    Cut,       // the bytes ran out before the count
    CountCut,  // fewer than 4 bytes were left for the count
    Missing,   // the stream was at its end
};

struct TakenSection {
    SectionFate fate = SectionFate::Missing;
    std::uint32_t declared = 0;  // the count, when it could be read
    std::uint64_t copied = 0;    // bytes read from the stream for it
    bool written = false;        // the temporary zip holds all that was read
};

// Copies the next section of `stream` into a new file at `tempPath`.
TakenSection CopySection(DevicePlatform& platform, DeviceFile& stream,
                         std::u16string_view tempPath);

struct UnpackedSection {
    bool opened = false;
    UnzipStatus openStatus = 0;
    int items = 0;
    int failedItems = 0;
    std::u16string firstFailure;  // "[name]: message" of the first failed item
    UnzipStatus firstFailureCode = UNZIP_OK;
    std::u16string lastPath;            // "\Temp\" and the last item's name; empty when none
    std::vector<std::u16string> paths;  // every file extracted whole

    bool Whole() const { return opened && failedItems == 0 && items > 0; }
    // The first failed item could not be created or written: the storage,
    // not the package, is at fault.
    bool WriteFailed() const {
        return failedItems > 0 &&
               (firstFailureCode == UNZIP_WRITE_FAILED || firstFailureCode == UNZIP_NO_FILE);
    }
};

// Unpacks every item of the zip at `zipPath` into `folder` under its stored
// name, then deletes the zip. A zip that does not open yields no items.
UnpackedSection UnpackSection(DevicePlatform& platform, std::u16string_view zipPath,
                              std::u16string_view folder);

// The two together, with the faults logged as "[Routine] Damaged package:
// ..." and counted, and what could not be written logged as such (it is no
// damage). Used by both threads.
class PackageSections {
public:
    PackageSections(InstallerSession& session, std::u16string_view routine);

    // Takes the next section into tempPath. `role` names it in the log
    // ("project", "cabinet [a.cab]"). False when it was not whole or could
    // not be written whole.
    bool Take(std::u16string_view tempPath, std::u16string_view role);
    // Unpacks what the last Take wrote. With the debug log asked for, logs
    // what the section held.
    UnpackedSection Unpack(std::u16string_view tempPath);
    // The number the next section has (1 = the first after the stub).
    void SetNextNumber(int number) { session_.state.sectionsTaken = number - 1; }
    // The last section taken could not be written whole into the device's
    // storage, as a zip or unpacked.
    bool Unwritten() const { return unwritten_; }

private:
    void Damage(std::u16string_view what);
    void NoRoom(std::u16string_view what);

    InstallerSession& session_;
    std::u16string routine_;
    std::u16string role_;
    int number_ = 0;
    std::uint64_t bytes_ = 0;
    bool takeDamaged_ = false;
    bool unwritten_ = false;
};

}  // namespace zk
