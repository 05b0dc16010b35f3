// The device installer's process-wide state: one instance, owned by the
// program, handed to the unpacking thread, the installation thread and the
// window logic.
//
// Who writes what:
//  - the unpacking thread (SystemInfo): project, systemInfo, packageStream,
//    the texts, the unpacked paths, damage; the window reads them only after
//    that thread has ended (see InstallerWorkers);
//  - the window: page, resumeIndex, the preferences, before it starts the
//    installation thread, which reads them;
//  - the installation thread: the status (handed over whole, under a lock)
//    and installDone, which the window polls.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/package_layout.h"

#include "common/project_record.h"
#include "device/installer/installer_log.h"
#include "device/installer/preferences.h"
#include "device/installer/state_file.h"
#include "device/platform/device_platform.h"
#include "device/platform/device_threads.h"
#include "device/sysinfo/system_info_record.h"

namespace zk {

// The one-line status of the installation page.
class InstallStatus {
public:
    void SetText(std::u16string text);
    std::u16string Text() const;

private:
    mutable DeviceLock lock_;
    std::u16string text_;
};

// What the package turned out to hold that it should not: sections cut
// short or missing, zips that do not open. `sections` counts every such
// section, the cabinets' included; `whole` is the verdict on the package
// before anything is installed (the unpacking thread's check): false, the
// installer offers nothing but to leave. A section the device could not
// write (its storage full) is no damage: `noRoom` says so, and the installer
// says that instead, since downloading it again would not help.
struct PackageDamage {
    std::atomic<int> sections{0};         // sections cut short, missing or unopenable
    std::atomic<bool> unreadable{false};  // the package itself could not be opened
    std::atomic<bool> noRoom{false};      // a leading section could not be written
    std::atomic<bool> whole{true};

    // Storage, and nothing else, is what stood in the way.
    bool OnlyWantOfRoom() const { return noRoom && sections == 0 && !unreadable; }
};

// Where a cabinet's section lies in the package and what it needs unpacked,
// as the unpacking thread's check found it.
struct CabinetSection {
    std::uint64_t offset = 0;         // of its byte count
    std::uint32_t bytes = 0;          // the section's byte count
    std::uint64_t unpackedBytes = 0;  // its members' sizes together
};

struct InstallerState {
    InstallerState();

    int page = -1;
    int resumeIndex = 0;
    std::atomic<bool> installDone{false};
    Preferences preferences;

    // Where the package's sections begin: the stub's own length.
    std::uint32_t firstSectionOffset = MOBILE_STUB_FIRST_SECTION_OFFSET;
    PackageIdentity package;  // of the running package, read at start-up
    // One CabinetOutcome letter per cabinet: restored from the state file on
    // a resumed run, then written by the installation thread. The window
    // reads it once installDone is set.
    std::string outcomes;
    std::vector<CabinetSection> cabinetSections;  // empty when not checked
    bool installationStarted = false;             // Start has run the installation
    std::atomic<bool> stopRequested{false};       // the window is closing: no next cabinet
    std::atomic<int> currentCabinet{-1};          // the cabinet the installation is at

    std::u16string startupShortcutPath;
    std::u16string eulaFilePath;
    std::u16string readMeFilePath;
    std::u16string splashFilePath;

    std::unique_ptr<Project> project;  // all zero until loaded
    SystemInfoRecord systemInfo;       // all zero until read
    // The tool's record was read whole. Without it nothing can be judged
    // compatible or not: the cabinets fail rather than pass for skipped.
    bool systemInfoKnown = false;
    std::unique_ptr<DeviceFile> packageStream;
    std::u16string readyText;
    std::u16string doneText;
    std::u16string windowTitle;

    InstallStatus status;
    PackageDamage damage;
    int sectionsTaken = 0;  // sections read so far, both threads together

    // Counts over `outcomes` and the project, for the closing page.
    int CompatibleCount() const;
    int FailedCount() const;
    // Cabinets left undone: failed, cut by a reset or not reached.
    bool CabinetsRemain() const;
};

// What the engine reports as it goes, for a front that wants more than the
// status line (zk-device prints it). Called on the thread doing the work.
class InstallObserver {
public:
    virtual ~InstallObserver() = default;
    // Resumed: a reset struck while the platform installer ran; the device
    // shows whether it got there (OnCabinetDone follows).
    enum class Outcome { PassedOver, Skipped, Installing, Resumed };
    // Before the platform installer starts (Installing) or after the
    // decision (the other two). commandLine is empty unless Installing.
    virtual void OnCabinet(int index, std::u16string_view name, Outcome outcome,
                           std::u16string_view commandLine) = 0;
    // The end of a cabinet that was to be installed: Installed or Failed,
    // with why it failed.
    virtual void OnCabinetDone(int index, CabinetOutcome result, std::u16string_view why) = 0;
};

// Everything a routine of the installer needs: the port, the state, the log
// and the state file.
struct InstallerSession {
    explicit InstallerSession(DevicePlatform& devicePlatform)
        : platform(devicePlatform), log(devicePlatform), stateFile(devicePlatform) {}

    DevicePlatform& platform;
    InstallerState state;
    InstallerLog log;
    StateFile stateFile;
    InstallObserver* observer = nullptr;
};

}  // namespace zk
