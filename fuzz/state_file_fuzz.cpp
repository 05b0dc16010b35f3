// The installer's state file as a device may hold it after anything: a save
// cut by a power loss, a file of another package, bytes of no meaning. After
// the input's first byte, the input is split at its first NUL into the main
// file and the second file a save writes first. The first byte's bits 0 and
// 1 seal the main and the second file: the end mark a save writes, over
// whatever text precedes it, is appended, so that mutated full forms reach
// the fields rather than all failing their CRC. Whatever the files hold,
// loading takes a complete state or none, the newer of two (the short form
// counts as sequence 0), leaves the main file alone behind, a state it takes
// reads back the same once saved again, and restoring it never passes over a
// cabinet the text does not say was done.
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "device/installer/installer_resume.h"
#include "device/installer/installer_state.h"
#include "device/installer/installer_texts.h"
#include "device/installer/state_file.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/memory_device_platform.h"

using namespace zk;

namespace {

std::string Sealed(std::string_view text, bool seal) {
    std::string sealed(text);
    if (!seal) return sealed;
    const std::uint32_t crc = static_cast<std::uint32_t>(
        crc32(0L, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size())));
    char mark[16];
    std::snprintf(mark, sizeof mark, "end %08x\n", static_cast<unsigned>(crc));
    return sealed + mark;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t split = input.find('\0');
    const std::string main = Sealed(input.substr(0, split), data[0] & 1);
    const bool haveNext = split != std::string_view::npos;
    const std::string next = haveNext ? Sealed(input.substr(split + 1), data[0] & 2) : "";
    fuzz::MemoryDevicePlatform platform;
    platform.PutFile(STATE_FILE, main.data(), main.size());
    if (haveNext) platform.PutFile(STATE_FILE_NEW, next.data(), next.size());

    SavedState fromMain, fromNext;
    const bool mainParses = ParseStateText(main, &fromMain);
    const bool nextParses = haveNext && ParseStateText(next, &fromNext);
    StateFile file(platform);
    SavedState loaded;
    const bool taken = file.Load(&loaded);
    ZK_FUZZ_CHECK(!platform.FileBytes(STATE_FILE_NEW));
    ZK_FUZZ_CHECK(taken == (mainParses || nextParses));
    if (taken) {
        const SavedState& newer =
            nextParses && (!mainParses || fromNext.sequence > fromMain.sequence) ? fromNext
                                                                                 : fromMain;
        ZK_FUZZ_CHECK(loaded.full == newer.full && loaded.sequence == newer.sequence);
        ZK_FUZZ_CHECK(loaded.page == newer.page && loaded.index == newer.index);
        ZK_FUZZ_CHECK(loaded.package == newer.package && loaded.cabinets == newer.cabinets);
        const std::string* kept = platform.FileBytes(STATE_FILE);
        ZK_FUZZ_CHECK(kept && *kept == (&newer == &fromNext ? next : main));
        const std::string before = *kept;
        for (char c : loaded.cabinets) ZK_FUZZ_CHECK(IsCabinetOutcome(c));
        // What was taken survives a save and a load unchanged; a save that
        // fails leaves it as it was.
        const bool saved = file.Save(loaded);
        if (!saved) ZK_FUZZ_CHECK(*platform.FileBytes(STATE_FILE) == before);
        SavedState again;
        ZK_FUZZ_CHECK(StateFile(platform).Load(&again));
        ZK_FUZZ_CHECK(again.page == loaded.page && again.index == loaded.index);
        ZK_FUZZ_CHECK(again.cabinets == loaded.cabinets && again.package == loaded.package);
    }

    // Restoring: a full state of another package is dropped; a resumed run
    // passes over only what the short form's number or the letters say.
    platform.PutFile(STATE_FILE, main.data(), main.size());
    InstallerSession session(platform);
    session.state.package = {12345, 0x1234abcd};
    RestoreState(session);
    const InstallerState& state = session.state;
    ZK_FUZZ_CHECK(state.page == PAGE_WELCOME || state.page == PAGE_INSTALLATION);
    if (state.page == PAGE_WELCOME) ZK_FUZZ_CHECK(state.resumeIndex == 0 && state.outcomes.empty());
    ZK_FUZZ_CHECK(state.resumeIndex >= 0);
    if (!state.outcomes.empty()) ZK_FUZZ_CHECK(state.resumeIndex == 0);
    return 0;
}
