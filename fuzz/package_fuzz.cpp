// The device package from the stub's end: the unpacking routine through
// every section, then the installation engine's walk over the cabinet
// sections. The input is what follows the stub. The device answers the
// system-information tool with a Pocket PC 2003 SE on an Intel processor,
// so that cabinets meant for it are unpacked and handed to the platform
// installer.
#include <cstdint>
#include <string>
#include <string_view>

#include "device/installer/installer_engine.h"
#include "device/installer/installer_state.h"
#include "device/installer/installer_texts.h"
#include "device/installer/package_unpacking.h"
#include "device/sysinfo/device_classification.h"
#include "device/sysinfo/system_info_file.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/memory_device_platform.h"

using namespace zk;

namespace {

constexpr char16_t PACKAGE[] = u"\\Demo.[MOBILE].exe";

SystemInfoRecord DeviceFacts() {
    RawDeviceFacts raw;
    raw.versionKnown = true;
    raw.majorVersion = 4;
    raw.minorVersion = 21;
    raw.platformTypeKnown = true;
    raw.platformType = u"PocketPC";
    raw.processorKnown = true;
    raw.processorCore = u"ARM920T";
    raw.processorName = u"PXA255";
    raw.processorVendor = u"Intel";
    return ClassifyDevice(raw);
}

// Where the routines may write: the unpack folder, the section zips in the
// root, and the state file.
bool MayWrite(const std::u16string& key) {
    if (fuzz::Within<char16_t>(key, u"temp", u'\\')) return true;
    for (std::u16string_view name :
         {u"systeminfo.zip", u"data.zip", u"splash.zip", u"eula.zip", u"readme.zip", u"cab.zip",
          u"windows\\zephyrkit.dat", u"windows\\zephyrkit.new"})
        if (key == name) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::MemoryDevicePlatform platform;
    platform.PutFile(PACKAGE, data, size);
    int installerStarts = 0;
    platform.onStart = [&](std::u16string_view program, std::u16string_view) {
        if (program == SYSTEM_INFO_TOOL) {
            if (!platform.FileBytes(SYSTEM_INFO_TOOL)) return false;
            unsigned char bytes[SYSTEM_INFO_RECORD_SIZE];
            EncodeSystemInfoRecord(DeviceFacts(), bytes);
            platform.PutFile(SYSTEM_INFO_OUTPUT, bytes, sizeof bytes);
            return true;
        }
        ++installerStarts;
        return program == WCELOAD_PROGRAM;
    };

    InstallerSession session(platform);
    ZK_FUZZ_CHECK(SystemInfo(session, PACKAGE, nullptr, 0) == 1);
    InstallerState& state = session.state;
    ZK_FUZZ_CHECK(state.readyText.size() < DEVICE_TEXT_UNITS);
    ZK_FUZZ_CHECK(state.windowTitle.size() < DEVICE_TEXT_UNITS);
    if (size == 0) ZK_FUZZ_CHECK(state.damage.unreadable);

    ZK_FUZZ_CHECK(InstallerThread(session) == 1);
    // The page can always be left, and no more cabinets were installed than
    // the project lists.
    ZK_FUZZ_CHECK(state.installDone);
    ZK_FUZZ_CHECK(installerStarts <= CabinetCount(*state.project));
    // A package that fails its check hands nothing to the platform installer.
    if (!state.damage.whole) ZK_FUZZ_CHECK(installerStarts == 0);
    // Nothing the device did not confirm counts as installed.
    for (char outcome : state.outcomes)
        ZK_FUZZ_CHECK(outcome != static_cast<char>(CabinetOutcome::Installed));
    ZK_FUZZ_CHECK(state.status.Text().size() < DEVICE_TEXT_UNITS);

    for (const std::u16string& written : platform.Written()) ZK_FUZZ_CHECK(MayWrite(written));
    // The section zips are gone once read.
    for (const char16_t* zip :
         {SYSTEM_INFO_ZIP, PROJECT_ZIP, SPLASH_ZIP, EULA_ZIP, README_ZIP, CABINET_ZIP})
        ZK_FUZZ_CHECK(platform.FileBytes(zip) == nullptr);
    return 0;
}
