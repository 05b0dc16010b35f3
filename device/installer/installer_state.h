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
#include <memory>
#include <string>

#include "common/project_record.h"
#include "device/installer/installer_log.h"
#include "device/installer/state_file.h"
#include "device/platform/device_platform.h"
#include "device/platform/device_threads.h"
#include "device/sysinfo/system_info_record.h"

namespace zk {

struct Preferences {
    bool overrideInstallPath = false;
    std::u16string overrideFolder;  // as kept: "Storage Card\Apps\"
    bool resumeOnReset = true;      // off: a reset during the installation does not resume it
    bool resetWhenFinished = false;
    bool silentInstall = false;
    bool debugLog = false;          // on: the log also tells what was unpacked and each
                                    // platform installer's exit; the rest is always written
};

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
// short or missing, zips that do not open. The program goes on regardless;
// these say that something went wrong.
struct PackageDamage {
    std::atomic<int> sections{0};  // sections cut short, missing or unopenable
    std::atomic<bool> unreadable{false};  // the package itself could not be opened
};

struct InstallerState {
    InstallerState();

    int page = -1;
    int resumeIndex = 0;
    std::atomic<bool> installDone{false};
    Preferences preferences;

    std::u16string startupShortcutPath;
    std::u16string eulaFilePath;
    std::u16string readMeFilePath;
    std::u16string splashFilePath;

    std::unique_ptr<Project> project;  // all zero until loaded
    SystemInfoRecord systemInfo;       // all zero until read
    std::unique_ptr<DeviceFile> packageStream;
    std::u16string readyText;
    std::u16string doneText;
    std::u16string windowTitle;

    InstallStatus status;
    PackageDamage damage;
    int sectionsTaken = 0;  // sections read so far, both threads together
};

// What the engine reports as it goes, for a front that wants more than the
// status line (zk-device prints it). Called on the thread doing the work.
class InstallObserver {
public:
    virtual ~InstallObserver() = default;
    enum class Outcome { PassedOver, Skipped, Installing };
    // Before the platform installer starts (Installing) or after the
    // decision (the other two). commandLine is empty unless Installing.
    virtual void OnCabinet(int index, std::u16string_view name, Outcome outcome,
                           std::u16string_view commandLine) = 0;
    // After the platform installer returned; started is false when it could
    // not be started.
    virtual void OnCabinetDone(int index, bool started) = 0;
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
