// The device package from the stub's end: the unpacking routine through
// every section, then the installation engine's walk over the cabinet
// sections. After the input's first byte, the input is what follows the
// stub. The device answers the system-information tool with a Pocket PC
// 2003 SE on an Intel processor, so that cabinets meant for it are unpacked
// and handed to the platform installer. The first byte sets the rest of the
// device: bit 0 the debug log, bit 1 a platform installer that installs (it
// records the application and deletes the cabinet), bit 2 a full store,
// bit 3 a reset while the first cabinet was being installed, bit 4 a state
// of the two-number form that passed over the first cabinet.
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
    if (size == 0) return 0;
    const std::uint8_t device = data[0];
    const bool installs = device & 2, reset = device & 8, passedOver = device & 16;
    ++data;
    --size;
    fuzz::MemoryDevicePlatform platform;
    platform.PutFile(PACKAGE, data, size);
    if (device & 4) platform.freeStorage = 1024;
    InstallerSession session(platform);
    int installerStarts = 0;
    platform.onStart = [&](std::u16string_view program, std::u16string_view command) {
        if (program == SYSTEM_INFO_TOOL) {
            if (!platform.FileBytes(SYSTEM_INFO_TOOL)) return false;
            unsigned char bytes[SYSTEM_INFO_RECORD_SIZE];
            EncodeSystemInfoRecord(DeviceFacts(), bytes);
            platform.PutFile(SYSTEM_INFO_OUTPUT, bytes, sizeof bytes);
            return true;
        }
        ++installerStarts;
        if (program != WCELOAD_PROGRAM) return false;
        const Project& project = *session.state.project;
        for (int i = 0; installs && i < CabinetCount(project); ++i) {
            const std::string name = project.cabinets[i].fileName;
            if (name.empty() ||
                command.find(std::u16string(name.begin(), name.end())) == std::u16string_view::npos)
                continue;
            platform.WriteRegistryNumber(InstalledAppKey(project.cabinets[i]), INSTALLED_VALUE, 1);
            platform.RemoveFile(u"\\Temp\\" + std::u16string(name.begin(), name.end()));
            break;
        }
        return true;
    };

    InstallerState& state = session.state;
    state.preferences.debugLog = device & 1;
    ZK_FUZZ_CHECK(SystemInfo(session, PACKAGE, nullptr, 0) == 1);
    ZK_FUZZ_CHECK(state.readyText.size() < DEVICE_TEXT_UNITS);
    ZK_FUZZ_CHECK(state.windowTitle.size() < DEVICE_TEXT_UNITS);
    if (size == 0) ZK_FUZZ_CHECK(state.damage.unreadable);

    if (reset) state.outcomes = std::string(1, static_cast<char>(CabinetOutcome::Handed));
    if (passedOver) state.resumeIndex = 1;
    ZK_FUZZ_CHECK(InstallerThread(session) == 1);
    // The page can always be left, and no more cabinets were installed than
    // the project lists.
    ZK_FUZZ_CHECK(state.installDone);
    ZK_FUZZ_CHECK(installerStarts <= CabinetCount(*state.project));
    // A package that fails its check hands nothing to the platform installer.
    if (!state.damage.whole) ZK_FUZZ_CHECK(installerStarts == 0);
    // Nothing the device did not confirm counts as installed, but for what
    // a state passed over, or a cabinet without a name whose file a reset
    // left gone.
    const Project& project = *state.project;
    for (std::size_t i = 0; i < state.outcomes.size(); ++i) {
        if (state.outcomes[i] != static_cast<char>(CabinetOutcome::Installed)) continue;
        std::uint32_t recorded = 0;
        const CabEntry& entry = project.cabinets[i];
        ZK_FUZZ_CHECK(
            (passedOver && i == 0) || (reset && i == 0 && !entry.appName[0]) ||
            (platform.ReadRegistryNumber(InstalledAppKey(entry), INSTALLED_VALUE, &recorded) &&
             recorded == 1));
    }
    ZK_FUZZ_CHECK(state.status.Text().size() < DEVICE_TEXT_UNITS);

    for (const std::u16string& written : platform.Written()) ZK_FUZZ_CHECK(MayWrite(written));
    // The section zips are gone once read.
    for (const char16_t* zip :
         {SYSTEM_INFO_ZIP, PROJECT_ZIP, SPLASH_ZIP, EULA_ZIP, README_ZIP, CABINET_ZIP})
        ZK_FUZZ_CHECK(platform.FileBytes(zip) == nullptr);
    return 0;
}
