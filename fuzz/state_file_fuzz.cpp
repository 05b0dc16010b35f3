// The installer's state file as a device may hold it after anything: a save
// cut by a power loss, a file of another package, bytes of no meaning. The
// input is split at its first NUL into the main file and the second file a
// save writes first. Whatever they hold, loading takes a complete state or
// none, leaves the main file alone behind, a state it takes reads back the
// same once saved again, and restoring it never passes over a cabinet the
// text does not say was done.
#include <cstdint>
#include <string>
#include <string_view>

#include "device/installer/installer_resume.h"
#include "device/installer/installer_state.h"
#include "device/installer/installer_texts.h"
#include "device/installer/state_file.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/memory_device_platform.h"

using namespace zk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const std::string_view main = input.substr(0, split);
    fuzz::MemoryDevicePlatform platform;
    platform.PutFile(STATE_FILE, main.data(), main.size());
    if (split != std::string_view::npos) {
        const std::string_view next = input.substr(split + 1);
        platform.PutFile(STATE_FILE_NEW, next.data(), next.size());
    }

    SavedState parsed;
    const bool mainParses = ParseStateText(main, &parsed);
    StateFile file(platform);
    SavedState loaded;
    const bool taken = file.Load(&loaded);
    ZK_FUZZ_CHECK(!platform.FileBytes(STATE_FILE_NEW));
    if (mainParses) ZK_FUZZ_CHECK(taken);
    if (taken) {
        for (char c : loaded.cabinets) ZK_FUZZ_CHECK(IsCabinetOutcome(c));
        // What was taken survives a save and a load unchanged.
        ZK_FUZZ_CHECK(file.Save(loaded));
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
